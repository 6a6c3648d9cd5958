#include "fake_jobs.h"

#include <algorithm>

using namespace orvfake::detail;

namespace {

// Only polls after Start advance the current item.
void poll(MergerObj& merger)
{
    if (merger.started && !merger.closed && merger.item)
        merger.item->poll();
}

} // namespace

extern "C" {

ORV_API MergerHandle Merger_Create(int reserved)
{
    Call call(__func__, reserved);
    return call.create<OrvMerger_>(std::make_shared<MergerObj>());
}

ORV_API int Merger_Open(MergerHandle h, const char* dst, const char* container, Config output)
{
    Call call(__func__, h, dst, container, output);
    return call.on<MergerObj>(h, 0, [&](MergerObj& merger) {
        if (merger.opened) {
            merger.error = ORV_E_STATE;
            return 0;
        }
        merger.record.dst = dst ? dst : "";
        merger.record.container = optionalText(container);
        merger.record.output = settingsOf(output);
        const JobScript script = scriptFor(dst);
        merger.error = script.openError;
        if (merger.error == ORV_OK && (!dst || !createOutput(dst, merger.ownsFile)))
            merger.error = ORV_E_OUTPUT;
        merger.opened = merger.error == ORV_OK;
        return merger.opened ? 1 : 0;
    });
}

ORV_API int Merger_Start(MergerHandle h)
{
    Call call(__func__, h);
    return call.on<MergerObj>(h, 0, [](MergerObj& merger) {
        if (!merger.opened || merger.closed)
            return 0;
        if (!merger.started && merger.item)
            merger.item->start();
        merger.started = true;
        return 1;
    });
}

ORV_API int Merger_AddTask(MergerHandle h, const char* src, uint64_t beginUs, uint64_t lengthUs, Config item)
{
    Call call(__func__, h, src, beginUs, lengthUs, item);
    return call.on<MergerObj>(h, 0, [&](MergerObj& merger) {
        if (!merger.opened || merger.closed)
            return 0;
        const MediaFacts* media = mediaFor(src);
        const JobScript script = scriptFor(src);
        if (!media || script.openError != ORV_OK)
            return 0;
        merger.record.items.push_back(MergeItem{src, beginUs, lengthUs, settingsOf(item)});
        // Completion and progress restart before returning, so the next poll
        // never sees the previous item's end.
        merger.item = ScriptedRun(script, splitLength(media->durationUs, beginUs, lengthUs));
        if (merger.started)
            merger.item->start();
        merger.wrote = merger.wrote || script.error == ORV_OK;
        return 1;
    });
}

ORV_API int Merger_IsCompleted(MergerHandle h)
{
    Call call(__func__, h);
    return call.on<MergerObj>(h, 0, [](MergerObj& merger) {
        if (merger.closed)
            return 1;
        poll(merger);
        return merger.item && merger.item->completed() ? 1 : 0;
    });
}

ORV_API uint64_t Merger_GetDuration(MergerHandle h)
{
    Call call(__func__, h);
    return call.on<MergerObj>(h, uint64_t(0),
                              [](MergerObj& merger) { return merger.item ? merger.item->duration() : 0; });
}

ORV_API uint64_t Merger_GetConvertTime(MergerHandle h)
{
    Call call(__func__, h);
    return call.on<MergerObj>(h, uint64_t(0), [](MergerObj& merger) -> uint64_t {
        poll(merger);
        return merger.item ? merger.item->time() : 0;
    });
}

ORV_API uint64_t Merger_GetConvertedDuration(MergerHandle h)
{
    Call call(__func__, h);
    return call.on<MergerObj>(h, uint64_t(0), [](MergerObj& merger) -> uint64_t {
        if (!merger.item || !merger.item->completed() || merger.item->error() != ORV_OK)
            return 0;
        const uint64_t duration = merger.item->duration();
        const int64_t early = merger.item->script().endsEarlyUs;
        return early < 0 ? duration : std::min(duration, uint64_t(early));
    });
}

ORV_API int Merger_Close(MergerHandle h)
{
    Call call(__func__, h);
    return call.on<MergerObj>(h, 0, [](MergerObj& merger) {
        if (!merger.opened)
            return 0;
        if (merger.closed)
            return 1;
        merger.closed = true;
        merger.record.closed = true;
        // With nothing written the file would not be a valid output.
        if (!merger.wrote) {
            if (merger.ownsFile)
                removeFile(merger.record.dst);
            merger.ownsFile = false;
            merger.error = ORV_E_NOSTREAM;
            return 0;
        }
        return 1;
    });
}

ORV_API int Merger_Release(MergerHandle h)
{
    Call call(__func__, h);
    return call.release<MergerObj>(h, [](MergerObj& merger) {
        if (merger.ownsFile && !merger.closed)
            removeFile(merger.record.dst);
        merger.ownsFile = false;
    });
}

ORV_API int Merger_GetError(MergerHandle h)
{
    Call call(__func__, h);
    return call.on<MergerObj>(h, 0, [](MergerObj& merger) {
        const int itemError = merger.item ? merger.item->error() : ORV_OK;
        return itemError != ORV_OK ? itemError : merger.error;
    });
}

} // extern "C"
