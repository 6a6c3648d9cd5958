// Converter_*: every call but Release comes from the GUI thread; Release may
// come from the queue's remove thread, never at once with another call on
// the same handle.
#include "api/api_common.h"
#include "converter/converter.h"
#include "orvalta.h"

using namespace orv;

namespace orv {
bool copyConfig(Config c, ConfigStore& out);
}

namespace {

Registry<Converter>& converters()
{
    static Registry<Converter> r;
    return r;
}

template <class R, class F>
R withConverter(ConverterHandle h, R fallback, F&& fn)
{
    return guarded(fallback, [&]() -> R { return withObject(converters().get(handleId(h)), fallback, fn); });
}

} // namespace

extern "C" {

ORV_API ConverterHandle Converter_Create(int)
{
    return guarded<ConverterHandle>(nullptr, [] {
        ensureEngineInit();
        return makeHandle<ConverterHandle>(converters().add(std::make_shared<Converter>()));
    });
}

ORV_API int Converter_Open(ConverterHandle h, const char* src, const char* dst, const char* container,
                           Config c)
{
    const std::string s = src ? src : "";
    const std::string d = dst ? dst : "";
    const std::string k = container ? container : "";
    return withConverter(h, 0, [&](Converter& conv) {
        ConfigStore config;
        if (!copyConfig(c, config))
            return 0;
        return yes(conv.open(s, d, container ? k.c_str() : nullptr, config));
    });
}

ORV_API int Converter_SetSplitTime(ConverterHandle h, uint64_t beginUs, uint64_t lengthUs)
{
    return withConverter(h, 0, [&](Converter& c) { return yes(c.setSplitTime(beginUs, lengthUs)); });
}

ORV_API int Converter_Start(ConverterHandle h)
{
    return withConverter(h, 0, [](Converter& c) { return yes(c.start()); });
}

ORV_API int Converter_Pause(ConverterHandle h)
{
    return withConverter(h, 0, [](Converter& c) { return yes(c.pause()); });
}

ORV_API int Converter_IsCompleted(ConverterHandle h)
{
    return withConverter(h, 0, [](Converter& c) { return yes(c.isCompleted()); });
}

ORV_API uint64_t Converter_GetDuration(ConverterHandle h)
{
    return withConverter(h, uint64_t(0), [](Converter& c) { return c.duration(); });
}

ORV_API uint64_t Converter_GetConvertTime(ConverterHandle h)
{
    return withConverter(h, uint64_t(0), [](Converter& c) { return c.convertTime(); });
}

ORV_API uint64_t Converter_GetConvertedDuration(ConverterHandle h)
{
    return withConverter(h, uint64_t(0), [](Converter& c) { return c.convertedDuration(); });
}

ORV_API int Converter_Release(ConverterHandle h)
{
    return guarded(0, [&] {
        auto c = converters().take(handleId(h));
        if (!c)
            return 0;
        c->release();
        return 1;
    });
}

ORV_API int Converter_GetError(ConverterHandle h)
{
    return withConverter(h, 0, [](Converter& c) { return c.error(); });
}

} // extern "C"
