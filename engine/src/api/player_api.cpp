// Player_*: thin entry points over orv::Player. Each call holds the player
// for its length, so a Release racing another call is harmless.
#include "api/api_common.h"
#include "orvalta.h"
#include "player/player.h"
#include "settings/processing_setters.h"

#include <numeric>

using namespace orv;

namespace {

Registry<Player>& players()
{
    static Registry<Player> r;
    return r;
}

template <class R, class F>
R withPlayer(PlayerHandle h, R fallback, F&& fn)
{
    return guarded(fallback, [&]() -> R {
        auto player = players().get(handleId(h));
        if (!player)
            return fallback;
        return fn(*player);
    });
}

// A processing setter: clamps like Config_*, answers 1 with or without a file.
template <class F>
int change(PlayerHandle h, Player::Part part, F&& fn)
{
    return withPlayer(h, 0, [&](Player& p) {
        p.change(part, fn);
        return 1;
    });
}

constexpr Player::Part kGeometry = Player::Part::Geometry;
constexpr Player::Part kLayers = Player::Part::Layers;
constexpr Player::Part kPreview = Player::Part::Preview;

} // namespace

#define PLAYER_TEXT_STYLE(Prefix, member)                                                                    \
    ORV_API int Player_Set##Prefix##TextFont(PlayerHandle h, const char* f)                                  \
    {                                                                                                        \
        std::string s = set::text(f);                                                                        \
        return change(h, kLayers, [&](ProcessingSettings& p) { p.layers.member.font = s; });                 \
    }                                                                                                        \
    ORV_API int Player_Set##Prefix##TextBold(PlayerHandle h, int on)                                         \
    {                                                                                                        \
        return change(h, kLayers, [&](ProcessingSettings& p) { set::bold(p.layers.member, on); });           \
    }                                                                                                        \
    ORV_API int Player_Set##Prefix##TextItalic(PlayerHandle h, int on)                                       \
    {                                                                                                        \
        return change(h, kLayers, [&](ProcessingSettings& p) { set::italic(p.layers.member, on); });         \
    }                                                                                                        \
    ORV_API int Player_Set##Prefix##TextUnderline(PlayerHandle h, int on)                                    \
    {                                                                                                        \
        return change(h, kLayers, [&](ProcessingSettings& p) { set::underline(p.layers.member, on); });      \
    }                                                                                                        \
    ORV_API int Player_Set##Prefix##TextStrikeout(PlayerHandle h, int on)                                    \
    {                                                                                                        \
        return change(h, kLayers, [&](ProcessingSettings& p) { set::strikeout(p.layers.member, on); });      \
    }                                                                                                        \
    ORV_API int Player_Set##Prefix##TextSize(PlayerHandle h, int pt)                                         \
    {                                                                                                        \
        return change(h, kLayers, [&](ProcessingSettings& p) { set::size(p.layers.member, pt); });           \
    }                                                                                                        \
    ORV_API int Player_Set##Prefix##TextColor(PlayerHandle h, uint32_t argb)                                 \
    {                                                                                                        \
        return change(h, kLayers, [&](ProcessingSettings& p) { set::color(p.layers.member, argb); });        \
    }                                                                                                        \
    ORV_API int Player_Set##Prefix##TextShadowColor(PlayerHandle h, uint32_t argb)                           \
    {                                                                                                        \
        return change(h, kLayers, [&](ProcessingSettings& p) { set::shadowColor(p.layers.member, argb); });  \
    }                                                                                                        \
    ORV_API int Player_Set##Prefix##TextOutlineColor(PlayerHandle h, uint32_t argb)                          \
    {                                                                                                        \
        return change(h, kLayers, [&](ProcessingSettings& p) { set::outlineColor(p.layers.member, argb); }); \
    }                                                                                                        \
    ORV_API int Player_Set##Prefix##TextShadowOffset(PlayerHandle h, double px)                              \
    {                                                                                                        \
        return change(h, kLayers, [&](ProcessingSettings& p) { set::shadowOffset(p.layers.member, px); });   \
    }                                                                                                        \
    ORV_API int Player_Set##Prefix##TextOutlineSize(PlayerHandle h, double px)                               \
    {                                                                                                        \
        return change(h, kLayers, [&](ProcessingSettings& p) { set::outlineSize(p.layers.member, px); });    \
    }

extern "C" {

ORV_API PlayerHandle Player_Create(int)
{
    return guarded<PlayerHandle>(nullptr, [] {
        ensureEngineInit();
        return makeHandle<PlayerHandle>(players().add(std::make_shared<Player>()));
    });
}

ORV_API int Player_Open(PlayerHandle h, const char* path) { return Player_OpenEx(h, path, 0, 0, 0, 0); }

ORV_API int Player_OpenEx(PlayerHandle h, const char* path, unsigned w, unsigned hgt, int, int)
{
    std::string p = path ? path : "";
    return withPlayer(h, 0, [&](Player& player) {
        if (p.empty()) {
            player.close();
            return 0;
        }
        return yes(player.open(p, w, hgt));
    });
}

ORV_API int Player_Close(PlayerHandle h)
{
    return withPlayer(h, 0, [](Player& p) {
        p.close();
        return 1;
    });
}

ORV_API int Player_Release(PlayerHandle h)
{
    return guarded(0, [&] {
        auto player = players().take(handleId(h));
        if (!player)
            return 0;
        player->release();
        return 1;
    });
}

ORV_API int Player_Play(PlayerHandle h)
{
    return withPlayer(h, 0, [](Player& p) { return yes(p.play()); });
}
ORV_API int Player_Pause(PlayerHandle h)
{
    return withPlayer(h, 0, [](Player& p) { return yes(p.pause()); });
}
ORV_API int Player_Stop(PlayerHandle h)
{
    return withPlayer(h, 0, [](Player& p) { return yes(p.stop()); });
}

ORV_API int Player_IsCompleted(PlayerHandle h)
{
    return withPlayer(h, 0, [](Player& p) { return yes(p.isCompleted()); });
}

ORV_API uint64_t Player_GetDuration(PlayerHandle h)
{
    return withPlayer(h, uint64_t(0), [](Player& p) { return p.duration(); });
}

ORV_API uint64_t Player_GetPlayTime(PlayerHandle h)
{
    return withPlayer(h, uint64_t(0), [](Player& p) { return p.playTime(); });
}

ORV_API int Player_Seek(PlayerHandle h, uint64_t timeUs)
{
    return withPlayer(h, 0, [&](Player& p) { return yes(p.seek(timeUs)); });
}

ORV_API int Player_FrameStep(PlayerHandle h, int direction)
{
    return withPlayer(h, 0, [&](Player& p) { return yes(p.frameStep(direction)); });
}

ORV_API int Player_HasVideo(PlayerHandle h)
{
    return withPlayer(h, 0, [](Player& p) { return yes(p.hasVideo()); });
}
ORV_API int Player_HasAudio(PlayerHandle h)
{
    return withPlayer(h, 0, [](Player& p) { return yes(p.hasAudio()); });
}

ORV_API int Player_GetVideoWidth(PlayerHandle h)
{
    return withPlayer(h, 0, [](Player& p) {
        int w = 0, hh = 0;
        p.sourceSize(&w, &hh);
        return w;
    });
}

ORV_API int Player_GetVideoHeight(PlayerHandle h)
{
    return withPlayer(h, 0, [](Player& p) {
        int w = 0, hh = 0;
        p.sourceSize(&w, &hh);
        return hh;
    });
}

ORV_API int Player_GetOutputWidth(PlayerHandle h)
{
    return withPlayer(h, 0, [](Player& p) {
        int w = 0, hh = 0;
        p.outputSize(&w, &hh);
        return w;
    });
}

ORV_API int Player_GetOutputHeight(PlayerHandle h)
{
    return withPlayer(h, 0, [](Player& p) {
        int w = 0, hh = 0;
        p.outputSize(&w, &hh);
        return hh;
    });
}

static int aspectPart(PlayerHandle h, bool x)
{
    return withPlayer(h, 0, [&](Player& p) {
        int w = 0, hh = 0;
        p.sourceSize(&w, &hh);
        if (w <= 0 || hh <= 0)
            return 0;
        const int g = std::gcd(w, hh);
        return (x ? w : hh) / g;
    });
}

ORV_API int Player_GetVideoAspectRatioX(PlayerHandle h) { return aspectPart(h, true); }
ORV_API int Player_GetVideoAspectRatioY(PlayerHandle h) { return aspectPart(h, false); }

ORV_API int Player_SetAudioVolume(PlayerHandle h, int volume)
{
    return withPlayer(h, 0, [&](Player& p) {
        p.setVolume(volume);
        return 1;
    });
}

ORV_API int Player_SetVideoFrameHandle(PlayerHandle h, FrameHandler fn, void* user)
{
    return withPlayer(h, 0, [&](Player& p) {
        p.setHandler(fn, user, false);
        return 1;
    });
}

ORV_API int Player_SetOrignalVideoFrameHandle(PlayerHandle h, FrameHandler fn, void* user)
{
    return withPlayer(h, 0, [&](Player& p) {
        p.setHandler(fn, user, true);
        return 1;
    });
}

ORV_API int Player_ShowVideoFrame(PlayerHandle h)
{
    return withPlayer(h, 0, [](Player& p) { return yes(p.showFrame()); });
}

ORV_API unsigned char* Player_CaptureVideoImage(PlayerHandle h, int w, int hgt)
{
    return withPlayer(h, static_cast<unsigned char*>(nullptr), [&](Player& p) { return p.capture(w, hgt); });
}

ORV_API int Player_FreeVideoImage(PlayerHandle h, void* picture)
{
    return withPlayer(h, 0, [&](Player& p) { return yes(p.freeCapture(picture)); });
}

ORV_API int Player_SetAudioIndex(PlayerHandle h, int index)
{
    return withPlayer(h, 0, [&](Player& p) {
        p.setAudioIndex(index);
        return 1;
    });
}

ORV_API int Player_SetSubtlIndex(PlayerHandle h, int index)
{
    return change(h, kLayers, [&](ProcessingSettings& p) { set::subtitleIndex(p, index); });
}

ORV_API int Player_EnableClosedCaption(PlayerHandle h, int on)
{
    return change(h, kLayers, [&](ProcessingSettings& p) { set::closedCaptions(p, on); });
}

ORV_API int Player_SetSubtlFile(PlayerHandle h, const char* path)
{
    std::string s = set::text(path);
    return change(h, kLayers, [&](ProcessingSettings& p) { set::subtitleFile(p, s.c_str()); });
}

ORV_API int Player_SetVideoCrop(PlayerHandle h, double x, double y, double w, double hgt)
{
    return change(h, kGeometry, [&](ProcessingSettings& p) { set::crop(p, x, y, w, hgt); });
}

ORV_API int Player_SetVideoAspectRatio(PlayerHandle h, int aw, int ah)
{
    return change(h, kGeometry, [&](ProcessingSettings& p) { set::aspect(p, aw, ah); });
}

ORV_API int Player_SetVideoPadAndColor(PlayerHandle h, int pad, uint32_t argb)
{
    return change(h, kGeometry, [&](ProcessingSettings& p) { set::pad(p, pad, argb); });
}

ORV_API int Player_SetVideoRotate(PlayerHandle h, int degrees)
{
    return change(h, kGeometry, [&](ProcessingSettings& p) { set::rotate(p, degrees); });
}

ORV_API int Player_SetVideoMirror(PlayerHandle h, int mirror)
{
    return change(h, kGeometry, [&](ProcessingSettings& p) { set::mirror(p, mirror); });
}

ORV_API int Player_EnableVideoCropBorder(PlayerHandle h, int on)
{
    return withPlayer(h, 0, [&](Player& p) {
        p.setCropBorder(on != 0);
        return 1;
    });
}

PLAYER_TEXT_STYLE(Watermark, wmStyle)
PLAYER_TEXT_STYLE(Subtl, subStyle)

ORV_API int Player_SetWatermarkText(PlayerHandle h, const char* text)
{
    std::string t = set::text(text);
    return change(h, kLayers, [&](ProcessingSettings& p) { set::watermarkText(p, t.c_str()); });
}

ORV_API int Player_SetWatermarkTextAlpha(PlayerHandle h, int alpha)
{
    return change(h, kLayers, [&](ProcessingSettings& p) { set::alpha(p.layers.wmStyle, alpha); });
}

ORV_API int Player_SetWatermarkTextScale(PlayerHandle h, int sx, int sy)
{
    return change(h, kLayers, [&](ProcessingSettings& p) { set::scale(p.layers.wmStyle, sx, sy); });
}

ORV_API int Player_SetWatermarkTextPosition(PlayerHandle h, double x, double y)
{
    return change(h, kLayers, [&](ProcessingSettings& p) { set::watermarkTextPosition(p, x, y); });
}

ORV_API int Player_SetWatermarkTextLayerTopmost(PlayerHandle h, int topmost)
{
    return change(h, kLayers, [&](ProcessingSettings& p) { set::textTopmost(p, topmost); });
}

ORV_API int Player_SetWatermarkImageFile(PlayerHandle h, const char* path)
{
    std::string s = set::text(path);
    return change(h, kLayers, [&](ProcessingSettings& p) { set::watermarkImage(p, s.c_str()); });
}

ORV_API int Player_SetWatermarkImageAlpha(PlayerHandle h, int alpha)
{
    return change(h, kLayers, [&](ProcessingSettings& p) { set::watermarkImageAlpha(p, alpha); });
}

ORV_API int Player_SetWatermarkImageScale(PlayerHandle h, int sx, int sy)
{
    return change(h, kLayers, [&](ProcessingSettings& p) { set::watermarkImageScale(p, sx, sy); });
}

ORV_API int Player_SetWatermarkImagePosition(PlayerHandle h, double x, double y)
{
    return change(h, kLayers, [&](ProcessingSettings& p) { set::watermarkImagePosition(p, x, y); });
}

ORV_API int Player_EnableWatermarkTextBorder(PlayerHandle h, int on)
{
    return change(h, kPreview, [&](ProcessingSettings& p) { p.layers.textBorder = on != 0; });
}

ORV_API int Player_EnableWatermarkImageBorder(PlayerHandle h, int on)
{
    return change(h, kPreview, [&](ProcessingSettings& p) { p.layers.imageBorder = on != 0; });
}

ORV_API double Player_GetWatermarkTextWidth(PlayerHandle h)
{
    return withPlayer(h, 0.0, [](Player& p) { return p.layerBox(Player::Box::TextW); });
}

ORV_API double Player_GetWatermarkTextHeight(PlayerHandle h)
{
    return withPlayer(h, 0.0, [](Player& p) { return p.layerBox(Player::Box::TextH); });
}

ORV_API double Player_GetWatermarkImageWidth(PlayerHandle h)
{
    return withPlayer(h, 0.0, [](Player& p) { return p.layerBox(Player::Box::ImageW); });
}

ORV_API double Player_GetWatermarkImageHeight(PlayerHandle h)
{
    return withPlayer(h, 0.0, [](Player& p) { return p.layerBox(Player::Box::ImageH); });
}

ORV_API int Player_SetSubtlAlpha(PlayerHandle h, int alpha)
{
    return change(h, kLayers, [&](ProcessingSettings& p) { set::alpha(p.layers.subStyle, alpha); });
}

ORV_API int Player_SetSubtlScale(PlayerHandle h, int sx, int sy)
{
    return change(h, kLayers, [&](ProcessingSettings& p) { set::scale(p.layers.subStyle, sx, sy); });
}

ORV_API int Player_SetSubtlDelay(PlayerHandle h, int64_t us)
{
    return change(h, kLayers, [&](ProcessingSettings& p) { set::subtitleDelay(p, us); });
}

} // extern "C"
