// Config_*: a plain store. Every setter copies its argument (texts too),
// clamps it and answers 1; nothing is refused.
#include "api/api_common.h"
#include "orvalta.h"
#include "settings/processing_setters.h"

#include <algorithm>
#include <cmath>

using namespace orv;

namespace {

Registry<ConfigStore>& configs()
{
    static Registry<ConfigStore> r;
    return r;
}

using set::clampInt;

// Runs fn on the store behind c; 0 for an unknown handle.
template <class F>
int withConfig(Config c, F&& fn)
{
    return guarded(0, [&] {
        auto store = configs().get(handleId(c));
        if (!store)
            return 0;
        fn(*store);
        return 1;
    });
}

} // namespace

namespace orv {

// Used by the converter and merger: a copy of the store behind a handle.
bool copyConfig(Config c, ConfigStore& out)
{
    auto store = configs().get(handleId(c));
    if (!store)
        return false;
    out = *store;
    return true;
}

} // namespace orv

#define SET_TEXT_STYLE(Prefix, member)                                                                       \
    ORV_API int Config_Set##Prefix##TextFont(Config c, const char* f)                                        \
    {                                                                                                        \
        std::string s = set::text(f);                                                                        \
        return withConfig(c, [&](ConfigStore& k) { k.proc.layers.member.font = s; });                        \
    }                                                                                                        \
    ORV_API int Config_Set##Prefix##TextBold(Config c, int on)                                               \
    {                                                                                                        \
        return withConfig(c, [&](ConfigStore& k) { set::bold(k.proc.layers.member, on); });                  \
    }                                                                                                        \
    ORV_API int Config_Set##Prefix##TextItalic(Config c, int on)                                             \
    {                                                                                                        \
        return withConfig(c, [&](ConfigStore& k) { set::italic(k.proc.layers.member, on); });                \
    }                                                                                                        \
    ORV_API int Config_Set##Prefix##TextUnderline(Config c, int on)                                          \
    {                                                                                                        \
        return withConfig(c, [&](ConfigStore& k) { set::underline(k.proc.layers.member, on); });             \
    }                                                                                                        \
    ORV_API int Config_Set##Prefix##TextStrikeout(Config c, int on)                                          \
    {                                                                                                        \
        return withConfig(c, [&](ConfigStore& k) { set::strikeout(k.proc.layers.member, on); });             \
    }                                                                                                        \
    ORV_API int Config_Set##Prefix##TextSize(Config c, int pt)                                               \
    {                                                                                                        \
        return withConfig(c, [&](ConfigStore& k) { set::size(k.proc.layers.member, pt); });                  \
    }                                                                                                        \
    ORV_API int Config_Set##Prefix##TextColor(Config c, uint32_t argb)                                       \
    {                                                                                                        \
        return withConfig(c, [&](ConfigStore& k) { set::color(k.proc.layers.member, argb); });               \
    }                                                                                                        \
    ORV_API int Config_Set##Prefix##TextShadowColor(Config c, uint32_t argb)                                 \
    {                                                                                                        \
        return withConfig(c, [&](ConfigStore& k) { set::shadowColor(k.proc.layers.member, argb); });         \
    }                                                                                                        \
    ORV_API int Config_Set##Prefix##TextOutlineColor(Config c, uint32_t argb)                                \
    {                                                                                                        \
        return withConfig(c, [&](ConfigStore& k) { set::outlineColor(k.proc.layers.member, argb); });        \
    }                                                                                                        \
    ORV_API int Config_Set##Prefix##TextShadowOffset(Config c, double px)                                    \
    {                                                                                                        \
        return withConfig(c, [&](ConfigStore& k) { set::shadowOffset(k.proc.layers.member, px); });          \
    }                                                                                                        \
    ORV_API int Config_Set##Prefix##TextOutlineSize(Config c, double px)                                     \
    {                                                                                                        \
        return withConfig(c, [&](ConfigStore& k) { set::outlineSize(k.proc.layers.member, px); });           \
    }

extern "C" {

ORV_API Config Config_Create(void)
{
    return guarded<Config>(nullptr,
                           [] { return makeHandle<Config>(configs().add(std::make_shared<ConfigStore>())); });
}

ORV_API int Config_Release(Config c)
{
    return guarded(0, [&] { return yes(configs().take(handleId(c)) != nullptr); });
}

ORV_API int Config_SetVideoFormat(Config c, int id)
{
    return withConfig(c, [&](ConfigStore& k) { k.enc.videoCodec = id; });
}

ORV_API int Config_SetVideoSize(Config c, int w, int h)
{
    return withConfig(c, [&](ConfigStore& k) {
        k.enc.width = w <= 0 ? 0 : clampInt(w, 16, 8192) & ~1;
        k.enc.height = h <= 0 ? 0 : clampInt(h, 16, 8192) & ~1;
    });
}

ORV_API int Config_SetVideoBitRate(Config c, int kbps)
{
    return withConfig(c, [&](ConfigStore& k) { k.enc.videoKbps = clampInt(kbps, 0, 200000); });
}

ORV_API int Config_SetVideoFrameRateFlag(Config c, int flag)
{
    return withConfig(c, [&](ConfigStore& k) { k.enc.frameRateFlag = flag; });
}

ORV_API int Config_SetVideoFrameRate(Config c, unsigned num, unsigned den)
{
    return withConfig(c, [&](ConfigStore& k) {
        if (num == 0 || den == 0) {
            k.enc.fpsNum = k.enc.fpsDen = 0;
            return;
        }
        // 1..240 fps; the encoder snapping happens when the output is resolved
        const double fps = double(num) / double(den);
        if (fps < 1.0) {
            k.enc.fpsNum = 1;
            k.enc.fpsDen = 1;
        } else if (fps > 240.0) {
            k.enc.fpsNum = 240;
            k.enc.fpsDen = 1;
        } else {
            k.enc.fpsNum = num;
            k.enc.fpsDen = den;
        }
    });
}

ORV_API int Config_SetAudioFormat(Config c, int id)
{
    return withConfig(c, [&](ConfigStore& k) { k.enc.audioCodec = id; });
}

ORV_API int Config_SetAudioChannels(Config c, int ch)
{
    return withConfig(c, [&](ConfigStore& k) { k.enc.channels = clampInt(ch, 0, 8); });
}

ORV_API int Config_SetAudioSampleRate(Config c, int hz)
{
    return withConfig(c,
                      [&](ConfigStore& k) { k.enc.sampleRate = hz <= 0 ? 0 : clampInt(hz, 4000, 192000); });
}

ORV_API int Config_SetAudioBitRate(Config c, int kbps)
{
    return withConfig(c, [&](ConfigStore& k) { k.enc.audioKbps = clampInt(kbps, 0, 2000); });
}

ORV_API int Config_SetAudioVolume(Config c, int percent)
{
    return withConfig(c, [&](ConfigStore& k) { k.proc.volume = clampInt(percent, 0, 1000); });
}

ORV_API int Config_SetVideoAspectRatio(Config c, int aw, int ah)
{
    return withConfig(c, [&](ConfigStore& k) { set::aspect(k.proc, aw, ah); });
}

ORV_API int Config_SetVideoRotate(Config c, int deg)
{
    return withConfig(c, [&](ConfigStore& k) { set::rotate(k.proc, deg); });
}

ORV_API int Config_SetVideoMirror(Config c, int mirror)
{
    return withConfig(c, [&](ConfigStore& k) { set::mirror(k.proc, mirror); });
}

ORV_API int Config_SetVideoPadAndColor(Config c, int pad, uint32_t argb)
{
    return withConfig(c, [&](ConfigStore& k) { set::pad(k.proc, pad, argb); });
}

ORV_API int Config_SetVideoCropf(Config c, double x, double y, double w, double h)
{
    return withConfig(c, [&](ConfigStore& k) { set::crop(k.proc, x, y, w, h); });
}

ORV_API int Config_SetProgrIndex(Config c, int index)
{
    return withConfig(c, [&](ConfigStore& k) { k.proc.program = index; });
}

ORV_API int Config_SetAudioIndex(Config c, int index)
{
    return withConfig(c, [&](ConfigStore& k) { k.proc.audioIndex = index; });
}

// The last of SetSubtlIndex, EnableClosedCaption and SetSubtlFile decides
// where burnt-in subtitles come from.
ORV_API int Config_SetSubtlIndex(Config c, int index)
{
    return withConfig(c, [&](ConfigStore& k) { set::subtitleIndex(k.proc, index); });
}

ORV_API int Config_EnableClosedCaption(Config c, int on)
{
    return withConfig(c, [&](ConfigStore& k) { set::closedCaptions(k.proc, on); });
}

ORV_API int Config_SetSubtlFile(Config c, const char* path)
{
    std::string p = set::text(path);
    return withConfig(c, [&](ConfigStore& k) { set::subtitleFile(k.proc, p.c_str()); });
}

ORV_API int Config_SetSubtlAlpha(Config c, int alpha)
{
    return withConfig(c, [&](ConfigStore& k) { set::alpha(k.proc.layers.subStyle, alpha); });
}

ORV_API int Config_SetSubtlScale(Config c, int sx, int sy)
{
    return withConfig(c, [&](ConfigStore& k) { set::scale(k.proc.layers.subStyle, sx, sy); });
}

ORV_API int Config_SetSubtlDelay(Config c, int64_t us)
{
    return withConfig(c, [&](ConfigStore& k) { set::subtitleDelay(k.proc, us); });
}

SET_TEXT_STYLE(Subtl, subStyle)
SET_TEXT_STYLE(Watermark, wmStyle)

ORV_API int Config_SetWatermarkText(Config c, const char* text)
{
    std::string t = set::text(text);
    return withConfig(c, [&](ConfigStore& k) { set::watermarkText(k.proc, t.c_str()); });
}

ORV_API int Config_SetWatermarkTextAlpha(Config c, int alpha)
{
    return withConfig(c, [&](ConfigStore& k) { set::alpha(k.proc.layers.wmStyle, alpha); });
}

ORV_API int Config_SetWatermarkTextScale(Config c, int sx, int sy)
{
    return withConfig(c, [&](ConfigStore& k) { set::scale(k.proc.layers.wmStyle, sx, sy); });
}

ORV_API int Config_SetWatermarkTextPosition(Config c, double x, double y)
{
    return withConfig(c, [&](ConfigStore& k) { set::watermarkTextPosition(k.proc, x, y); });
}

ORV_API int Config_SetWatermarkTextLayerTopmost(Config c, int topmost)
{
    return withConfig(c, [&](ConfigStore& k) { set::textTopmost(k.proc, topmost); });
}

ORV_API int Config_SetWatermarkImageFile(Config c, const char* path)
{
    std::string p = set::text(path);
    return withConfig(c, [&](ConfigStore& k) { set::watermarkImage(k.proc, p.c_str()); });
}

ORV_API int Config_SetWatermarkImageAlpha(Config c, int alpha)
{
    return withConfig(c, [&](ConfigStore& k) { set::watermarkImageAlpha(k.proc, alpha); });
}

ORV_API int Config_SetWatermarkImageScale(Config c, int sx, int sy)
{
    return withConfig(c, [&](ConfigStore& k) { set::watermarkImageScale(k.proc, sx, sy); });
}

ORV_API int Config_SetWatermarkImagePosition(Config c, double x, double y)
{
    return withConfig(c, [&](ConfigStore& k) { set::watermarkImagePosition(k.proc, x, y); });
}

} // extern "C"
