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

} // namespace ConvertJob
