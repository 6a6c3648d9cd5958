#include "ConvertJob.h"

#include <QThreadPool>
#include <QtGlobal>

namespace ConvertJob {

namespace {
QThreadPool& opener()
{
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(1);
        p->setExpiryTimeout(-1);
        return p;
    }();
    return *pool;
}
} // namespace

void onOpener(std::function<void()> work) { opener().start(std::move(work)); }

void waitForOpener() { opener().waitForDone(); }

void open(Opening& job)
{
    job.converter = Converter_Create(-1);
    if (!job.converter)
        return;
    job.opened = Converter_Open(job.converter, job.source.constData(), job.target.constData(),
                                job.hasContainer ? job.container.constData() : nullptr, job.config)
        != 0;
    if (job.opened)
        Converter_SetSplitTime(job.converter, job.begin, job.length);
    else
        job.error = Converter_GetError(job.converter);
}

void release(Opening& job)
{
    if (job.released)
        return;
    job.released = true;
    if (job.converter) {
        Converter_Release(job.converter);
        job.converter = nullptr;
    }
    if (job.config) {
        Config_Release(job.config);
        job.config = nullptr;
    }
}

void releaseLater(ConverterHandle converter)
{
    onOpener([converter] { Converter_Release(converter); });
}

bool start(ConverterHandle converter) { return converter && Converter_Start(converter); }

bool pause(ConverterHandle converter) { return converter && Converter_Pause(converter); }

int error(ConverterHandle converter) { return Converter_GetError(converter); }

void releaseNow(ConverterHandle converter) { Converter_Release(converter); }

Poll poll(ConverterHandle converter)
{
    Poll result;
    if (converter && Converter_IsCompleted(converter)) {
        result.ended = true;
        result.error = Converter_GetError(converter);
        result.percent = 100.0f;
        if (result.error == 0) {
            result.wholeUs = Converter_GetDuration(converter);
            result.convertedUs = Converter_GetConvertedDuration(converter);
        }
        return result;
    }
    const uint64_t duration = Converter_GetDuration(converter);
    const uint64_t done = Converter_GetConvertTime(converter);
    // An unknown duration gives no percentage rather than "nan%".
    const double percent = duration ? double(done) / double(duration) * 100.0 : 0.0;
    result.percent = float(qBound(0.0, percent, 100.0));
    return result;
}

namespace {
float percentOf(uint64_t done, uint64_t duration)
{
    return duration ? float(qBound(0.0, double(done) / double(duration) * 100.0, 100.0)) : 0.0f;
}
} // namespace

bool openMerge(MergerHandle& merger, const QByteArray& target, const QByteArray* container, Config config)
{
    merger = Merger_Create(-1);
    if (!merger)
        return false;
    return Merger_Open(merger, target.constData(), container ? container->constData() : nullptr, config) != 0;
}

bool startMerge(MergerHandle merger) { return Merger_Start(merger) != 0; }

bool addToMerge(MergerHandle merger, const QByteArray& source, uint64_t begin, uint64_t length, Config config)
{
    return Merger_AddTask(merger, source.constData(), begin, length, config) != 0;
}

int mergeError(MergerHandle merger) { return Merger_GetError(merger); }

Poll pollMerge(MergerHandle merger)
{
    Poll result;
    if (Merger_IsCompleted(merger)) {
        result.ended = true;
        result.error = Merger_GetError(merger);
        result.percent = 100.0f;
        return result;
    }
    const uint64_t duration = Merger_GetDuration(merger);
    const uint64_t done = Merger_GetConvertTime(merger);
    result.percent = percentOf(done, duration);
    return result;
}

void releaseMerge(MergerHandle merger, bool close)
{
    if (!merger)
        return;
    if (close)
        Merger_Close(merger);
    Merger_Release(merger);
}

} // namespace ConvertJob
