// Config_*: a plain store. Every setter copies its argument (texts too),
// clamps it and answers 1; nothing is refused.
#include "api/api_common.h"
#include "settings/settings.h"
#include "orvalta.h"

#include <algorithm>
#include <cmath>

using namespace orv;

namespace {

Registry<ConfigStore>& configs()
{
    static Registry<ConfigStore> r;
    return r;
}

int clampInt(int v, int lo, int hi) { return std::min(std::max(v, lo), hi); }

double clampUnit(double v)
{
    if (!std::isfinite(v))
        return 0.0;
    return std::min(std::max(v, 0.0), 1.0);
}

double finiteOr0(double v) { return std::isfinite(v) ? v : 0.0; }

std::string copyText(const char* s) { return s ? std::string(s) : std::string(); }

int normaliseRotation(int deg)
{
    // nearest multiple of 90, modulo 360
    long q = std::lround(double(deg) / 90.0);
    long r = (q % 4 + 4) % 4;
    return int(r * 90);
}

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

#define SET_TEXT_STYLE(Prefix, member)                                                                           \
    ORV_API int Config_Set##Prefix##TextFont(Config c, const char* f)                                            \
    {                                                                                                            \
        std::string s = copyText(f);                                                                             \
        return withConfig(c, [&](ConfigStore& k) { k.proc.layers.member.font = s; });                           \
    }                                                                                                            \
    ORV_API int Config_Set##Prefix##TextBold(Config c, int on)                                                   \
    {                                                                                                            \
        return withConfig(c, [&](ConfigStore& k) { k.proc.layers.member.bold = on != 0; });                      \
    }                                                                                                            \
    ORV_API int Config_Set##Prefix##TextItalic(Config c, int on)                                                 \
    {                                                                                                            \
        return withConfig(c, [&](ConfigStore& k) { k.proc.layers.member.italic = on != 0; });                    \
    }                                                                                                            \
    ORV_API int Config_Set##Prefix##TextUnderline(Config c, int on)                                              \
    {                                                                                                            \
        return withConfig(c, [&](ConfigStore& k) { k.proc.layers.member.underline = on != 0; });                 \
    }                                                                                                            \
    ORV_API int Config_Set##Prefix##TextStrikeout(Config c, int on)                                              \
    {                                                                                                            \
        return withConfig(c, [&](ConfigStore& k) { k.proc.layers.member.strikeout = on != 0; });                 \
    }                                                                                                            \
    ORV_API int Config_Set##Prefix##TextSize(Config c, int pt)                                                   \
    {                                                                                                            \
        return withConfig(c, [&](ConfigStore& k) { k.proc.layers.member.sizePt = clampInt(pt, 1, 1000); });      \
    }                                                                                                            \
    ORV_API int Config_Set##Prefix##TextColor(Config c, uint32_t argb)                                           \
    {                                                                                                            \
        return withConfig(c, [&](ConfigStore& k) { k.proc.layers.member.color = argb; });                        \
    }                                                                                                            \
    ORV_API int Config_Set##Prefix##TextShadowColor(Config c, uint32_t argb)                                     \
    {                                                                                                            \
        return withConfig(c, [&](ConfigStore& k) { k.proc.layers.member.shadowColor = argb; });                  \
    }                                                                                                            \
    ORV_API int Config_Set##Prefix##TextOutlineColor(Config c, uint32_t argb)                                    \
    {                                                                                                            \
        return withConfig(c, [&](ConfigStore& k) { k.proc.layers.member.outlineColor = argb; });                 \
    }                                                                                                            \
    ORV_API int Config_Set##Prefix##TextShadowOffset(Config c, double px)                                        \
    {                                                                                                            \
        return withConfig(c, [&](ConfigStore& k) {                                                               \
            k.proc.layers.member.shadowOffset = std::min(std::max(finiteOr0(px), -100.0), 100.0);               \
        });                                                                                                      \
    }                                                                                                            \
    ORV_API int Config_Set##Prefix##TextOutlineSize(Config c, double px)                                         \
    {                                                                                                            \
        return withConfig(c, [&](ConfigStore& k) {                                                               \
            k.proc.layers.member.outlineSize = std::min(std::max(finiteOr0(px), 0.0), 100.0);                   \
        });                                                                                                      \
    }

extern "C" {

ORV_API Config Config_Create(void)
{
    return guarded<Config>(nullptr, [] { return makeHandle<Config>(configs().add(std::make_shared<ConfigStore>())); });
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
    return withConfig(c, [&](ConfigStore& k) { k.enc.sampleRate = hz <= 0 ? 0 : clampInt(hz, 4000, 192000); });
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
    return withConfig(c, [&](ConfigStore& k) {
        if (aw > 0 && ah > 0) {
            k.proc.aspectW = aw;
            k.proc.aspectH = ah;
        } else {
            k.proc.aspectW = k.proc.aspectH = 0;
        }
    });
}

ORV_API int Config_SetVideoRotate(Config c, int deg)
{
    return withConfig(c, [&](ConfigStore& k) { k.proc.rotate = normaliseRotation(deg); });
}

ORV_API int Config_SetVideoMirror(Config c, int mirror)
{
    return withConfig(c, [&](ConfigStore& k) { k.proc.mirror = mirror != 0; });
}

ORV_API int Config_SetVideoPadAndColor(Config c, int pad, uint32_t argb)
{
    return withConfig(c, [&](ConfigStore& k) {
        k.proc.pad = pad != 0;
        k.proc.padColor = argb;
    });
}

ORV_API int Config_SetVideoCropf(Config c, double x, double y, double w, double h)
{
    return withConfig(c, [&](ConfigStore& k) {
        k.proc.cropX = clampUnit(x);
        k.proc.cropY = clampUnit(y);
        k.proc.cropW = clampUnit(w);
        k.proc.cropH = clampUnit(h);
    });
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
    return withConfig(c, [&](ConfigStore& k) {
        k.proc.subtitleIndex = index < 0 ? -1 : index;
        k.proc.layers.subSource = index < 0 ? SubtitleSource::None : SubtitleSource::Stream;
    });
}

ORV_API int Config_EnableClosedCaption(Config c, int on)
{
    return withConfig(c, [&](ConfigStore& k) {
        if (on)
            k.proc.layers.subSource = SubtitleSource::ClosedCaption;
        else if (k.proc.layers.subSource == SubtitleSource::ClosedCaption)
            k.proc.layers.subSource = SubtitleSource::None;
    });
}

ORV_API int Config_SetSubtlFile(Config c, const char* path)
{
    std::string p = copyText(path);
    return withConfig(c, [&](ConfigStore& k) {
        k.proc.layers.subFile = p;
        k.proc.layers.subSource = p.empty() ? SubtitleSource::None : SubtitleSource::File;
    });
}

ORV_API int Config_SetSubtlAlpha(Config c, int alpha)
{
    return withConfig(c, [&](ConfigStore& k) { k.proc.layers.subStyle.alpha = clampInt(alpha, 0, 255); });
}

ORV_API int Config_SetSubtlScale(Config c, int sx, int sy)
{
    return withConfig(c, [&](ConfigStore& k) {
        k.proc.layers.subStyle.scaleX = clampInt(sx, 1, 1000);
        k.proc.layers.subStyle.scaleY = clampInt(sy, 1, 1000);
    });
}

ORV_API int Config_SetSubtlDelay(Config c, int64_t us)
{
    return withConfig(c, [&](ConfigStore& k) { k.proc.layers.subDelayUs = us; });
}

SET_TEXT_STYLE(Subtl, subStyle)
SET_TEXT_STYLE(Watermark, wmStyle)

ORV_API int Config_SetWatermarkText(Config c, const char* text)
{
    std::string t = copyText(text);
    return withConfig(c, [&](ConfigStore& k) { k.proc.layers.wmText = t; });
}

ORV_API int Config_SetWatermarkTextAlpha(Config c, int alpha)
{
    return withConfig(c, [&](ConfigStore& k) { k.proc.layers.wmStyle.alpha = clampInt(alpha, 0, 255); });
}

ORV_API int Config_SetWatermarkTextScale(Config c, int sx, int sy)
{
    return withConfig(c, [&](ConfigStore& k) {
        k.proc.layers.wmStyle.scaleX = clampInt(sx, 1, 1000);
        k.proc.layers.wmStyle.scaleY = clampInt(sy, 1, 1000);
    });
}

ORV_API int Config_SetWatermarkTextPosition(Config c, double x, double y)
{
    return withConfig(c, [&](ConfigStore& k) {
        k.proc.layers.wmTextX = finiteOr0(x);
        k.proc.layers.wmTextY = finiteOr0(y);
    });
}

ORV_API int Config_SetWatermarkTextLayerTopmost(Config c, int topmost)
{
    return withConfig(c, [&](ConfigStore& k) { k.proc.layers.textTopmost = topmost != 0; });
}

ORV_API int Config_SetWatermarkImageFile(Config c, const char* path)
{
    std::string p = copyText(path);
    return withConfig(c, [&](ConfigStore& k) { k.proc.layers.wmImageFile = p; });
}

ORV_API int Config_SetWatermarkImageAlpha(Config c, int alpha)
{
    return withConfig(c, [&](ConfigStore& k) { k.proc.layers.wmImageAlpha = clampInt(alpha, 0, 255); });
}

ORV_API int Config_SetWatermarkImageScale(Config c, int sx, int sy)
{
    return withConfig(c, [&](ConfigStore& k) {
        k.proc.layers.wmImageScaleX = clampInt(sx, 1, 1000);
        k.proc.layers.wmImageScaleY = clampInt(sy, 1, 1000);
    });
}

ORV_API int Config_SetWatermarkImagePosition(Config c, double x, double y)
{
    return withConfig(c, [&](ConfigStore& k) {
        k.proc.layers.wmImageX = finiteOr0(x);
        k.proc.layers.wmImageY = finiteOr0(y);
    });
}

} // extern "C"
