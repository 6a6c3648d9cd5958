#include "api/api_common.h"
#include "merger/merger.h"
#include "orvalta.h"

using namespace orv;

namespace orv {
bool copyConfig(Config c, ConfigStore& out);
}

namespace {

Registry<Merger>& mergers()
{
    static Registry<Merger> r;
    return r;
}

template <class R, class F>
R withMerger(MergerHandle h, R fallback, F&& fn)
{
    return guarded(fallback, [&]() -> R { return withObject(mergers().get(handleId(h)), fallback, fn); });
}

} // namespace

extern "C" {

ORV_API MergerHandle Merger_Create(int)
{
    return guarded<MergerHandle>(nullptr, [] {
        ensureEngineInit();
        return makeHandle<MergerHandle>(mergers().add(std::make_shared<Merger>()));
    });
}

ORV_API int Merger_Open(MergerHandle h, const char* dst, const char* container, Config output)
{
    const std::string d = dst ? dst : "";
    const std::string k = container ? container : "";
    return withMerger(h, 0, [&](Merger& m) {
        ConfigStore config;
        if (!copyConfig(output, config))
            return 0;
        return yes(m.open(d, container ? k.c_str() : nullptr, config));
    });
}

ORV_API int Merger_Start(MergerHandle h)
{
    return withMerger(h, 0, [](Merger& m) { return yes(m.start()); });
}

ORV_API int Merger_AddTask(MergerHandle h, const char* src, uint64_t beginUs, uint64_t lengthUs, Config item)
{
    const std::string s = src ? src : "";
    return withMerger(h, 0, [&](Merger& m) {
        ConfigStore config;
        if (!copyConfig(item, config))
            return 0;
        return yes(m.addTask(s, beginUs, lengthUs, config));
    });
}

ORV_API int Merger_IsCompleted(MergerHandle h)
{
    return withMerger(h, 0, [](Merger& m) { return yes(m.isCompleted()); });
}

ORV_API uint64_t Merger_GetDuration(MergerHandle h)
{
    return withMerger(h, uint64_t(0), [](Merger& m) { return m.duration(); });
}

ORV_API uint64_t Merger_GetConvertTime(MergerHandle h)
{
    return withMerger(h, uint64_t(0), [](Merger& m) { return m.convertTime(); });
}

ORV_API uint64_t Merger_GetConvertedDuration(MergerHandle h)
{
    return withMerger(h, uint64_t(0), [](Merger& m) { return m.convertedDuration(); });
}

ORV_API int Merger_Close(MergerHandle h)
{
    return withMerger(h, 0, [](Merger& m) { return yes(m.close()); });
}

ORV_API int Merger_Release(MergerHandle h)
{
    return guarded(0, [&] {
        auto m = mergers().take(handleId(h));
        if (!m)
            return 0;
        m->release();
        return 1;
    });
}

ORV_API int Merger_GetError(MergerHandle h)
{
    return withMerger(h, 0, [](Merger& m) { return m.error(); });
}

} // extern "C"
