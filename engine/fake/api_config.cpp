#include "fake_objects.h"

#include <cstring>

using namespace orvfake::detail;

namespace {

// Every setter stores its arguments, as logged, under its name without the
// "Config_" prefix, and returns 1: the engine clamps and never refuses.
template <class... A>
int store(const char* function, Config c, const A&... args)
{
    Call call(function, c, args...);
    return call.on<ConfigObj>(c, 0, [&](ConfigObj& config) {
        config.settings[function + std::strlen("Config_")] = call.args().substr(call.args().find(", ") + 2);
        return 1;
    });
}

} // namespace

extern "C" {

ORV_API Config Config_Create(void)
{
    Call call(__func__);
    return call.create<OrvConfig_>(std::make_shared<ConfigObj>());
}

ORV_API int Config_Release(Config c)
{
    Call call(__func__, c);
    return call.release<ConfigObj>(c, [](ConfigObj&) {});
}

// clang-format off
ORV_API int Config_SetVideoFormat(Config c, int codecId) { return store(__func__, c, codecId); }
ORV_API int Config_SetVideoSize(Config c, int w, int h) { return store(__func__, c, w, h); }
ORV_API int Config_SetVideoBitRate(Config c, int kbps) { return store(__func__, c, kbps); }
ORV_API int Config_SetVideoFrameRateFlag(Config c, int flag) { return store(__func__, c, flag); }
ORV_API int Config_SetVideoFrameRate(Config c, unsigned num, unsigned den) { return store(__func__, c, num, den); }
ORV_API int Config_SetAudioFormat(Config c, int codecId) { return store(__func__, c, codecId); }
ORV_API int Config_SetAudioChannels(Config c, int channels) { return store(__func__, c, channels); }
ORV_API int Config_SetAudioSampleRate(Config c, int hz) { return store(__func__, c, hz); }
ORV_API int Config_SetAudioBitRate(Config c, int kbps) { return store(__func__, c, kbps); }
ORV_API int Config_SetAudioVolume(Config c, int percent) { return store(__func__, c, percent); }
ORV_API int Config_SetVideoAspectRatio(Config c, int aw, int ah) { return store(__func__, c, aw, ah); }
ORV_API int Config_SetVideoRotate(Config c, int degrees) { return store(__func__, c, degrees); }
ORV_API int Config_SetVideoMirror(Config c, int mirror) { return store(__func__, c, mirror); }
ORV_API int Config_SetVideoPadAndColor(Config c, int pad, uint32_t argb) { return store(__func__, c, pad, Argb{argb}); }
ORV_API int Config_SetVideoCropf(Config c, double x, double y, double w, double h) { return store(__func__, c, x, y, w, h); }
ORV_API int Config_SetProgrIndex(Config c, int index) { return store(__func__, c, index); }
ORV_API int Config_SetAudioIndex(Config c, int index) { return store(__func__, c, index); }
ORV_API int Config_SetSubtlIndex(Config c, int index) { return store(__func__, c, index); }
ORV_API int Config_EnableClosedCaption(Config c, int on) { return store(__func__, c, on); }
ORV_API int Config_SetSubtlFile(Config c, const char *path) { return store(__func__, c, path); }
ORV_API int Config_SetSubtlAlpha(Config c, int alpha) { return store(__func__, c, alpha); }
ORV_API int Config_SetSubtlScale(Config c, int sx, int sy) { return store(__func__, c, sx, sy); }
ORV_API int Config_SetSubtlDelay(Config c, int64_t us) { return store(__func__, c, us); }
ORV_API int Config_SetSubtlTextFont(Config c, const char *family) { return store(__func__, c, family); }
ORV_API int Config_SetSubtlTextBold(Config c, int on) { return store(__func__, c, on); }
ORV_API int Config_SetSubtlTextItalic(Config c, int on) { return store(__func__, c, on); }
ORV_API int Config_SetSubtlTextUnderline(Config c, int on) { return store(__func__, c, on); }
ORV_API int Config_SetSubtlTextStrikeout(Config c, int on) { return store(__func__, c, on); }
ORV_API int Config_SetSubtlTextSize(Config c, int pt) { return store(__func__, c, pt); }
ORV_API int Config_SetSubtlTextColor(Config c, uint32_t argb) { return store(__func__, c, Argb{argb}); }
ORV_API int Config_SetSubtlTextShadowColor(Config c, uint32_t argb) { return store(__func__, c, Argb{argb}); }
ORV_API int Config_SetSubtlTextOutlineColor(Config c, uint32_t argb) { return store(__func__, c, Argb{argb}); }
ORV_API int Config_SetSubtlTextShadowOffset(Config c, double px) { return store(__func__, c, px); }
ORV_API int Config_SetSubtlTextOutlineSize(Config c, double px) { return store(__func__, c, px); }
ORV_API int Config_SetWatermarkText(Config c, const char *text) { return store(__func__, c, text); }
ORV_API int Config_SetWatermarkTextFont(Config c, const char *family) { return store(__func__, c, family); }
ORV_API int Config_SetWatermarkTextAlpha(Config c, int alpha) { return store(__func__, c, alpha); }
ORV_API int Config_SetWatermarkTextScale(Config c, int sx, int sy) { return store(__func__, c, sx, sy); }
ORV_API int Config_SetWatermarkTextSize(Config c, int pt) { return store(__func__, c, pt); }
ORV_API int Config_SetWatermarkTextBold(Config c, int on) { return store(__func__, c, on); }
ORV_API int Config_SetWatermarkTextItalic(Config c, int on) { return store(__func__, c, on); }
ORV_API int Config_SetWatermarkTextUnderline(Config c, int on) { return store(__func__, c, on); }
ORV_API int Config_SetWatermarkTextStrikeout(Config c, int on) { return store(__func__, c, on); }
ORV_API int Config_SetWatermarkTextColor(Config c, uint32_t argb) { return store(__func__, c, Argb{argb}); }
ORV_API int Config_SetWatermarkTextShadowColor(Config c, uint32_t argb) { return store(__func__, c, Argb{argb}); }
ORV_API int Config_SetWatermarkTextOutlineColor(Config c, uint32_t argb) { return store(__func__, c, Argb{argb}); }
ORV_API int Config_SetWatermarkTextShadowOffset(Config c, double px) { return store(__func__, c, px); }
ORV_API int Config_SetWatermarkTextOutlineSize(Config c, double px) { return store(__func__, c, px); }
ORV_API int Config_SetWatermarkTextPosition(Config c, double x, double y) { return store(__func__, c, x, y); }
ORV_API int Config_SetWatermarkTextLayerTopmost(Config c, int topmost) { return store(__func__, c, topmost); }
ORV_API int Config_SetWatermarkImageFile(Config c, const char *path) { return store(__func__, c, path); }
ORV_API int Config_SetWatermarkImageAlpha(Config c, int alpha) { return store(__func__, c, alpha); }
ORV_API int Config_SetWatermarkImageScale(Config c, int sx, int sy) { return store(__func__, c, sx, sy); }
ORV_API int Config_SetWatermarkImagePosition(Config c, double x, double y) { return store(__func__, c, x, y); }
// clang-format on

} // extern "C"
