#include "merger/merger.h"

#include "converter/converter.h"
#include "core/errors.h"
#include "core/log.h"
#include "core/paths.h"
#include "orvalta.h"

namespace orv {

Merger::~Merger() { release(); }

bool Merger::open(const std::string& dst, const char* container, const ConfigStore& output)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_opened) {
        m_fatalError = ORV_E_STATE;
        return false;
    }
    m_output = output;
    int err = resolveContainer(m_output.enc, container, dst, m_plan);
    if (!err)
        err = createExclusive(dst);
    if (err) {
        m_fatalError = err;
        return false;
    }
    m_openPlan = m_plan;
    m_opened = true;
    m_fatalError = ORV_OK;
    return true;
}

bool Merger::start()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_opened || m_closing || m_closed)
        return false;
    if (!m_started) {
        m_started = true;
        m_worker = std::thread([this] { run(); });
    }
    return true;
}

bool Merger::addTask(const std::string& src, uint64_t beginUs, uint64_t lengthUs,
                     const ConfigStore& itemConfig)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_opened || m_closing || m_closed || m_fatalError)
        return false;
    lock.unlock();

    // probing runs unlocked: the worker may be busy with the previous item
    JobItem item;
    uint64_t duration = 0;
    int err = prepareItem(src, itemConfig, item, duration);
    int64_t length = err ? 0 : itemLength(duration, beginUs, lengthUs);
    if (!err && length <= 0)
        err = ORV_E_INPUT;
    if (!err && item.videoStream < 0 && item.audioStream < 0) {
        logf(LogError, "\"%s\" has neither picture nor sound", src.c_str());
        err = ORV_E_NOSTREAM;
    }
    // an item's stream left out by its own settings is filled like a missing one
    if (itemConfig.enc.videoCodec == -1)
        item.videoStream = -1;
    if (itemConfig.enc.audioCodec == -1)
        item.audioStream = -1;

    lock.lock();
    if (!err && !m_planResolved) {
        // the output keeps every kind its settings name; zeros are taken
        // from the first item where it has the stream, else from defaults
        OutputPlan plan = m_plan;
        err = resolveParameters(m_output.enc, *item.input, item.videoStream, item.audioStream, plan,
                                MissingKinds::Keep);
        if (!err) {
            m_plan = plan;
            m_planResolved = true;
            m_job = std::make_unique<TranscodeJob>(m_plan);
        }
    }
    if (!err && m_plan.hasVideo()) {
        auto stack = std::make_shared<LayerStack>();
        stack->setRenderBudget(kConversionSubtitleBudgetMs, LayerStack::BudgetClock::RenderCpu);
        err = stack->open(item.proc.layers, m_plan.width, m_plan.height);
        if (!err)
            item.layers = stack;
    }
    if (err) {
        m_itemError = err;
        return false;
    }
    if (!m_plan.hasVideo())
        item.videoStream = -1;
    if (!m_plan.hasAudio())
        item.audioStream = -1;
    item.beginUs = int64_t(beginUs);
    item.lengthUs = length;
    item.exactLength = true;
    // reset before returning, so the next poll never sees the last item's end
    m_itemLength = uint64_t(length);
    m_itemCompleted = false;
    m_itemError = 0;
    m_itemProgress = 0;
    m_itemConverted = 0;
    m_pending.push_back(std::move(item));
    m_cv.notify_all();
    return true;
}

void Merger::run()
{
    lowerThreadPriority();
    std::unique_lock<std::mutex> lock(m_mutex);
    while (true) {
        m_cv.wait(lock, [&] { return m_closing || !m_pending.empty(); });
        if (m_closing)
            break;
        JobItem item = std::move(m_pending.front());
        m_pending.pop_front();
        m_itemRunning = true;
        TranscodeJob* job = m_job.get();
        lock.unlock();
        int err = ORV_E_INTERNAL;
        try {
            err = job->runItem(item);
        } catch (const std::exception& e) {
            logf(LogError, "internal error: %s", e.what());
        }
        // whatever a failed item wrote after others stays, its streams
        // brought level (m_joined is the worker's own)
        const bool failed = err && err != ORV_E_STATE && !job->aborted() && !job->fatal();
        const int evened = failed && m_joined > 0 ? job->evenEnds() : ORV_OK;
        item.layers.reset();
        lock.lock();
        if (evened && !m_fatalError)
            m_fatalError = evened;
        m_itemRunning = false;
        if (job->fatal() && !m_fatalError)
            m_fatalError = err ? err : ORV_E_WRITE;
        itemEnded(item, err);
        item.input.reset();
        m_cv.notify_all();
    }
    m_pending.clear();
    if (m_job && m_job->hasInput() && !m_fatalError) {
        TranscodeJob* job = m_job.get();
        lock.unlock();
        int err = ORV_E_INTERNAL;
        try {
            err = job->finish();
        } catch (const std::exception& e) {
            logf(LogError, "internal error: %s", e.what());
        }
        lock.lock();
        m_finishError = err;
    } else {
        m_finishError = ORV_E_NOSTREAM;
    }
    m_finished = true;
    m_cv.notify_all();
}

void Merger::itemEnded(JobItem& item, int err)
{
    uint64_t converted = 0;
    if (!err) {
        ++m_joined;
        converted = uint64_t(convertedLength(m_plan, item.lengthUs, m_job->lastItemUs()));
        if (converted < uint64_t(item.lengthUs) && !m_closing)
            logf(LogWarning, "\"%s\" ended after %.1f s of %.1f s", item.input->path().c_str(),
                 double(converted) / 1e6, double(item.lengthUs) / 1e6);
    } else if (err != ORV_E_STATE && !m_job->aborted()) {
        logf(LogError, "merge item failed: %s", errorText(err));
        if (m_joined == 0 && !m_fatalError) {
            // Nothing but this item's remains written: the output starts
            // again, its size and rates from the next item, not this one.
            m_job->closeOutput();
            m_job.reset();
            if (m_pending.empty()) {
                m_plan = m_openPlan;
                m_planResolved = false;
            } else {
                m_job = std::make_unique<TranscodeJob>(m_plan);
            }
        }
    }
    if (m_pending.empty()) {
        m_itemError = err;
        m_itemCompleted = true;
        m_itemProgress = m_itemLength;
        m_itemConverted = converted;
    }
}

bool Merger::isCompleted() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_closed || m_itemCompleted;
}

uint64_t Merger::duration() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_itemLength;
}

uint64_t Merger::convertTime() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_itemCompleted)
        return m_itemLength;
    if (!m_itemRunning || !m_job)
        return m_itemProgress;
    Merger* self = const_cast<Merger*>(this);
    const uint64_t now = std::min<uint64_t>(uint64_t(m_job->itemDoneUs()), m_itemLength);
    self->m_itemProgress = std::max(m_itemProgress, now);
    return m_itemProgress;
}

uint64_t Merger::convertedDuration() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_itemCompleted && !m_itemError ? m_itemConverted : 0;
}

bool Merger::close()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_opened || m_closed)
        return false;
    m_closing = true;
    if (m_job)
        m_job->stopItem();
    m_cv.notify_all();
    std::thread worker = std::move(m_worker);
    const bool started = m_started;
    lock.unlock();
    if (worker.joinable())
        worker.join();
    lock.lock();
    if (!started)
        m_finishError = ORV_E_NOSTREAM;
    if (m_job && !m_finished && started)
        m_finishError = ORV_E_WRITE;
    const bool ok = m_finishError == ORV_OK;
    if (!ok) {
        if (m_job)
            m_job->closeOutput();
        removeFile(m_plan.path);
        if (!m_fatalError)
            m_fatalError = m_finishError;
    }
    m_job.reset();
    m_closed = true;
    return ok;
}

void Merger::release()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_opened)
        return;
    const bool wasClosed = m_closed;
    m_closing = true;
    if (m_job)
        m_job->abort();
    m_cv.notify_all();
    std::thread worker = std::move(m_worker);
    lock.unlock();
    if (worker.joinable())
        worker.join();
    lock.lock();
    m_job.reset();
    if (!wasClosed)
        removeFile(m_plan.path);
    m_pending.clear();
    m_opened = false;
    m_closed = true;
}

void Merger::setInternalError()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_fatalError = ORV_E_INTERNAL;
}

int Merger::error() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_itemError ? m_itemError : m_fatalError;
}

} // namespace orv
