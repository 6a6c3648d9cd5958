#include "queue/MergeJob.h"

#include "clips/ConfigMapping.h"
#include "queue/ConvertTask.h"
#include "queue/Opener.h"

#include <QCoreApplication>

// What the opener thread needs for one piece of the job's work (an add, or
// the close) and what it hands back.
struct MergeJob::Work
{
    bool closing = false;
    // In: the merger of earlier adds (null before the first); out: the one
    // this add created, if it did.
    MergerHandle merger = nullptr;
    QByteArray target;
    QByteArray container; // empty: the engine picks by the file name
    QByteArray source;
    uint64_t begin = 0;
    uint64_t length = 0;
    Config output = nullptr; // only for the first add
    Config item = nullptr;
    bool openedNow = false;
    bool added = false;
    int error = 0;
    // The job waiting for it; cleared (on the application's thread) when
    // that job lets go of it.
    MergeJob* owner = nullptr;
};

MergeJob::~MergeJob() { release(false); }

void MergeJob::add(const ConvertTask& item, const Convertinfo& format, const QString& output,
                   std::function<void()> added)
{
    auto work = std::make_shared<Work>();
    work->merger = m_merger;
    const MappingValues values = item.mappingValues(format);
    if (!m_merger) {
        MappingValues outputValues = values;
        outputValues.disVideo = outputValues.disAudio = false;
        work->output = Opener::configFor(outputValues);
    }
    work->item = Opener::configFor(values);
    work->target = output.toUtf8();
    work->container = ConvertJob::containerOf(format);
    work->source = item.path().toUtf8();
    work->begin = item.beginUs();
    work->length = item.lengthUs();
    hand(work, std::move(added));
}

void MergeJob::close(std::function<void()> closed)
{
    auto work = std::make_shared<Work>();
    work->closing = true;
    work->merger = m_merger;
    m_closed = true;
    hand(work, std::move(closed));
}

void MergeJob::hand(const std::shared_ptr<Work>& work, std::function<void()> done)
{
    work->owner = this;
    m_pending = work;
    m_done = std::move(done);
    Opener::runThenHandBack(
        [work] {
            if (work->closing) {
                if (work->merger)
                    Merger_Close(work->merger);
            } else {
                addNow(*work);
            }
        },
        [work] {
            // `owner` is only touched on this thread; a job that let go
            // releases the merger itself (see release).
            if (work->owner && work->owner->m_pending == work)
                work->owner->delivered(work);
        });
}

void MergeJob::addNow(Work& work)
{
    bool taken = true;
    if (!work.merger) {
        work.merger = Merger_Create(-1);
        taken = work.merger
            && Merger_Open(work.merger, work.target.constData(),
                           work.container.isEmpty() ? nullptr : work.container.constData(), work.output)
                != 0;
        if (taken) {
            work.openedNow = true;
            taken = Merger_Start(work.merger) != 0;
        }
    }
    if (taken)
        taken = Merger_AddTask(work.merger, work.source.constData(), work.begin, work.length, work.item) != 0;
    work.added = taken;
    work.error = work.merger ? Merger_GetError(work.merger) : 0;
    for (Config* config : {&work.output, &work.item}) {
        if (*config)
            Config_Release(*config);
        *config = nullptr;
    }
}

void MergeJob::delivered(const std::shared_ptr<Work>& work)
{
    m_pending.reset();
    work->owner = nullptr;
    if (!work->closing) {
        m_merger = work->merger;
        m_openedNow = work->openedNow;
        m_added = work->added;
        m_error = work->error;
    }
    // `done` may end this job: nothing of it is touched after.
    const std::function<void()> done = std::move(m_done);
    m_done = nullptr;
    if (done)
        done();
}

ConvertJob::Poll MergeJob::poll() const
{
    ConvertJob::Poll result;
    if (Merger_IsCompleted(m_merger)) {
        result.ended = true;
        result.error = Merger_GetError(m_merger);
        result.percent = 100.0f;
        if (result.error == 0) {
            result.wholeUs = Merger_GetDuration(m_merger);
            result.convertedUs = Merger_GetConvertedDuration(m_merger);
        }
        return result;
    }
    const uint64_t duration = Merger_GetDuration(m_merger);
    const uint64_t done = Merger_GetConvertTime(m_merger);
    result.percent = ConvertJob::percentOf(done, duration);
    return result;
}

void MergeJob::release(bool close)
{
    const std::shared_ptr<Work> pending = std::move(m_pending);
    m_done = nullptr;
    if (pending)
        pending->owner = nullptr;
    const MergerHandle merger = m_merger;
    m_merger = nullptr;
    if (!pending && !merger)
        return;
    // A merger that was closed already is not closed again.
    close = close && !m_closed;
    // Runs after pending work, so a merger that an add created is seen here.
    Opener::run([pending, merger, close] {
        const MergerHandle handle = merger ? merger : pending ? pending->merger : nullptr;
        if (!handle)
            return;
        if (close)
            Merger_Close(handle);
        Merger_Release(handle);
    });
}
