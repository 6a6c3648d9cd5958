#include "fake_jobs.h"

#include <algorithm>

using namespace orvfake::detail;

namespace {

// The end is sticky, and a failed job removes its output.
void settle(ConverterObj& job)
{
    if (job.state != JobState::Running || !job.run.completed())
        return;
    job.state = JobState::Completed;
    job.error = job.run.error();
    if (job.error != ORV_OK && job.ownsFile) {
        removeFile(job.record.dst);
        job.ownsFile = false;
    }
}

// Only polls while running advance the script: a paused job's time is frozen.
void poll(ConverterObj& job)
{
    if (job.state != JobState::Running)
        return;
    job.run.poll();
    settle(job);
}

int fail(ConverterObj& job, int error)
{
    job.error = error;
    return 0;
}

} // namespace

extern "C" {

ORV_API ConverterHandle Converter_Create(int reserved)
{
    Call call(__func__, reserved);
    return call.create<OrvConverter_>(std::make_shared<ConverterObj>());
}

ORV_API int Converter_Open(ConverterHandle h, const char* src, const char* dst, const char* container,
                           Config c)
{
    Call call(__func__, h, src, dst, container, c);
    return call.on<ConverterObj>(h, 0, [&](ConverterObj& job) {
        if (job.state != JobState::Created)
            return fail(job, ORV_E_STATE);
        job.record.src = src ? src : "";
        job.record.dst = dst ? dst : "";
        job.record.container = optionalText(container);
        job.record.config = settingsOf(c);
        job.script = scriptFor(src, dst);
        const MediaFacts* media = mediaFor(src);
        if (!media)
            return fail(job, ORV_E_INPUT);
        if (job.script.openError != ORV_OK)
            return fail(job, job.script.openError);
        if (!dst || !createOutput(dst, job.ownsFile))
            return fail(job, ORV_E_OUTPUT);
        job.sourceDuration = media->durationUs;
        job.error = ORV_OK;
        job.state = JobState::Opened;
        return 1;
    });
}

ORV_API int Converter_SetSplitTime(ConverterHandle h, uint64_t beginUs, uint64_t lengthUs)
{
    Call call(__func__, h, beginUs, lengthUs);
    return call.on<ConverterObj>(h, 0, [&](ConverterObj& job) {
        if (job.state != JobState::Created && job.state != JobState::Opened)
            return 0;
        job.record.beginUs = beginUs;
        job.record.lengthUs = lengthUs;
        return 1;
    });
}

ORV_API int Converter_Start(ConverterHandle h)
{
    Call call(__func__, h);
    return call.on<ConverterObj>(h, 0, [](ConverterObj& job) {
        switch (job.state) {
        case JobState::Created:
            return 0;
        case JobState::Opened:
            job.run = ScriptedRun(job.script,
                                  splitLength(job.sourceDuration, job.record.beginUs, job.record.lengthUs));
            job.state = JobState::Running;
            job.run.start();
            settle(job);
            return 1;
        case JobState::Paused:
            job.state = JobState::Running;
            return 1;
        case JobState::Running:
        case JobState::Completed:
            return 1;
        }
        return 0;
    });
}

ORV_API int Converter_Pause(ConverterHandle h)
{
    Call call(__func__, h);
    return call.on<ConverterObj>(h, 0, [](ConverterObj& job) {
        if (job.state == JobState::Created || job.state == JobState::Opened)
            return 0;
        if (job.state == JobState::Running)
            job.state = JobState::Paused;
        return 1;
    });
}

ORV_API int Converter_IsCompleted(ConverterHandle h)
{
    Call call(__func__, h);
    return call.on<ConverterObj>(h, 0, [](ConverterObj& job) {
        poll(job);
        return job.state == JobState::Completed ? 1 : 0;
    });
}

ORV_API uint64_t Converter_GetDuration(ConverterHandle h)
{
    Call call(__func__, h);
    return call.on<ConverterObj>(h, uint64_t(0), [](ConverterObj& job) -> uint64_t {
        if (job.state == JobState::Created)
            return 0;
        return splitLength(job.sourceDuration, job.record.beginUs, job.record.lengthUs);
    });
}

ORV_API uint64_t Converter_GetConvertTime(ConverterHandle h)
{
    Call call(__func__, h);
    return call.on<ConverterObj>(h, uint64_t(0), [](ConverterObj& job) {
        poll(job);
        return job.run.time();
    });
}

ORV_API uint64_t Converter_GetConvertedDuration(ConverterHandle h)
{
    Call call(__func__, h);
    return call.on<ConverterObj>(h, uint64_t(0), [](ConverterObj& job) -> uint64_t {
        if (job.state != JobState::Completed || job.error != ORV_OK)
            return 0;
        const uint64_t duration = job.run.duration();
        if (job.script.endsEarlyUs < 0)
            return duration;
        return std::min(duration, uint64_t(job.script.endsEarlyUs));
    });
}

ORV_API int Converter_Release(ConverterHandle h)
{
    Call call(__func__, h);
    return call.release<ConverterObj>(h, [](ConverterObj& job) {
        // An output that did not complete successfully is unplayable.
        const bool succeeded = job.state == JobState::Completed && job.error == ORV_OK;
        if (job.ownsFile && !succeeded)
            removeFile(job.record.dst);
        job.ownsFile = false;
    });
}

ORV_API int Converter_GetError(ConverterHandle h)
{
    Call call(__func__, h);
    return call.on<ConverterObj>(h, 0, [](ConverterObj& job) { return job.error; });
}

} // extern "C"
