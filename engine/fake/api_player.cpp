#include "fake_player.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <numeric>

using namespace orvfake::detail;

namespace {

std::shared_ptr<PlayerObj> lookup(PlayerHandle h)
{
    std::lock_guard<std::mutex> lock(state().mutex);
    return std::static_pointer_cast<PlayerObj>(findObject(Kind::Player, idOf(h), true));
}

// Close, Release and the handler setters wait for a handler call in progress.
std::unique_lock<std::mutex> holdDelivery(PlayerHandle h)
{
    auto player = lookup(h);
    return player ? std::unique_lock<std::mutex>(player->delivery) : std::unique_lock<std::mutex>();
}

// The gate of holdOpens(), apart from the engine lock: a held open blocks
// no other call.
struct OpenGate
{
    std::mutex mutex;
    std::condition_variable changed;
    bool held = false;
    int waiting = 0;
};

OpenGate& openGate()
{
    static OpenGate gate;
    return gate;
}

void passOpenGate()
{
    OpenGate& g = openGate();
    std::unique_lock<std::mutex> lock(g.mutex);
    ++g.waiting;
    g.changed.wait(lock, [&] { return !g.held; });
    --g.waiting;
}

bool hasFile(const PlayerObj& p) { return p.media.has_value(); }

bool videoOpen(const PlayerObj& p) { return p.media && factsHaveVideo(*p.media); }

bool hasAudio(const MediaFacts& media)
{
    for (const Program& p : media.programs)
        if (!p.audio.empty())
            return true;
    return false;
}

uint64_t frameUs(const MediaFacts& media)
{
    return media.frameRate > 0 ? static_cast<uint64_t>(1000000.0 / media.frameRate + 0.5) : 40000;
}

void closeFile(PlayerObj& p)
{
    p.media.reset();
    p.record.path.clear();
    p.record.openW = p.record.openH = 0;
    p.record.state = PlayState::Closed;
    p.record.timeUs = 0;
}

// Any file open before is closed, even when this one fails.
int openFile(PlayerObj& p, const char* path, unsigned w, unsigned h)
{
    closeFile(p);
    const MediaFacts* media = mediaFor(path);
    if (!media || (!factsHaveVideo(*media) && !hasAudio(*media)))
        return 0;
    p.media = *media;
    p.script = playbackFor(path);
    p.record.path = path;
    p.record.openW = w;
    p.record.openH = h;
    p.record.state = PlayState::Stopped;
    return 1;
}

// A poll while playing moves the scripted clock.
void poll(PlayerObj& p)
{
    if (p.record.state != PlayState::Playing || p.script.stepUs == 0)
        return;
    p.record.timeUs += p.script.stepUs;
    if (p.record.timeUs >= p.media->durationUs) {
        p.record.timeUs = p.media->durationUs;
        p.record.state = PlayState::Completed;
    }
}

struct Pictures
{
    std::shared_ptr<FakeFrame> processed, original;
};

// The processed pictures' size: OpenEx's, else the source's.
struct OutputSize
{
    int w, h;
};

OutputSize outputSize(const PlayerObj& p, const MediaFacts& m)
{
    return {static_cast<int>(p.record.openW ? p.record.openW : m.width),
            static_cast<int>(p.record.openH ? p.record.openH : m.height)};
}

// Under the engine lock: the current pictures, or none without video.
Pictures picturesOf(const PlayerObj& p)
{
    if (!videoOpen(p))
        return {};
    const MediaFacts& m = *p.media;
    const auto [w, h] = outputSize(p, m);
    return Pictures{std::make_shared<FakeFrame>(p.script.frameFormat, w, h, m.pictureArgb),
                    std::make_shared<FakeFrame>(p.script.frameFormat, static_cast<int>(m.width),
                                                static_cast<int>(m.height), m.pictureArgb)};
}

// Without the engine lock: hands the pictures to the handlers registered
// now, unless the file was closed meanwhile.
void deliver(PlayerObj& p, const Pictures& pictures)
{
    if (!pictures.processed)
        return;
    std::lock_guard<std::mutex> delivery(p.delivery);
    {
        std::lock_guard<std::mutex> lock(state().mutex);
        if (!hasFile(p))
            return;
        if (p.frameFn)
            ++p.record.processedFrames;
        if (p.originalFn)
            ++p.record.originalFrames;
        state().liveFrames.insert(pictures.processed.get());
        state().liveFrames.insert(pictures.original.get());
    }
    if (p.frameFn)
        p.frameFn(p.frameUser, pictures.processed.get());
    if (p.originalFn)
        p.originalFn(p.originalUser, pictures.original.get());
    std::lock_guard<std::mutex> lock(state().mutex);
    state().liveFrames.erase(pictures.processed.get());
    state().liveFrames.erase(pictures.original.get());
}

// A transport call that may deliver the current picture on the caller's
// thread: body returns the result and sets `show` when a picture is due,
// which goes to the handlers once the engine lock is released.
template <class Body, class... A>
int transport(const char* function, PlayerHandle h, Body&& body, const A&... args)
{
    std::shared_ptr<PlayerObj> player;
    Pictures pictures;
    int result = 0;
    {
        Call call(function, h, args...);
        result = call.on<PlayerObj>(h, 0, [&](PlayerObj& p) {
            bool show = false;
            const int r = body(p, show);
            if (show) {
                pictures = picturesOf(p);
                player = std::static_pointer_cast<PlayerObj>(findObject(Kind::Player, idOf(h), true));
            }
            return r;
        });
    }
    if (player)
        deliver(*player, pictures);
    return result;
}

// Setters store their arguments, as logged, under their name without the
// "Player_" prefix, and answer 1 with or without a file.
template <class... A>
int store(const char* function, PlayerHandle h, const A&... args)
{
    Call call(function, h, args...);
    return call.on<PlayerObj>(h, 0, [&](PlayerObj& p) {
        p.record.settings[function + std::strlen("Player_")] = call.args().substr(call.args().find(", ") + 2);
        return 1;
    });
}

// A getter of the open file: 0 without one.
template <class R, class Get>
R fact(const char* function, PlayerHandle h, Get&& get)
{
    Call call(function, h);
    return call.on<PlayerObj>(h, R{}, [&](PlayerObj& p) { return p.media ? R(get(p, *p.media)) : R{}; });
}

int setHandler(const char* function, PlayerHandle h, FrameHandler fn, void* user, bool original)
{
    auto delivery = holdDelivery(h);
    Call call(function, h, FnArg{fn != nullptr}, PtrArg{user != nullptr});
    return call.on<PlayerObj>(h, 0, [&](PlayerObj& p) {
        (original ? p.originalFn : p.frameFn) = fn;
        (original ? p.originalUser : p.frameUser) = fn ? user : nullptr;
        (original ? p.record.originalHandler : p.record.frameHandler) = fn != nullptr;
        return 1;
    });
}

int gcdPart(const MediaFacts& m, bool x)
{
    if (!factsHaveVideo(m))
        return 0;
    const unsigned g = std::gcd(m.width, m.height);
    return static_cast<int>((x ? m.width : m.height) / g);
}

// Reads a frame inside a handler call; 0 or NULL for any other pointer.
template <class R, class Get>
R frameFact(const char* function, FrameHandle frame, Get&& get)
{
    Call call(function, PtrArg{frame != nullptr});
    if (!frame || !state().liveFrames.count(frame))
        return R{};
    return get(*static_cast<FakeFrame*>(frame));
}

unsigned char* planeData(FakeFrame& f, int i) { return f.plane[i].empty() ? nullptr : f.plane[i].data(); }

} // namespace

namespace orvfake::detail {

FakeFrame::FakeFrame(int format, int w, int h, uint32_t argb)
    : format(format)
    , width(w)
    , height(h)
{
    auto align = [](int bytes) { return (bytes + 63) / 64 * 64; };
    const int r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
    if (format == ORV_FRAME_BGRA) {
        stride[0] = align(4 * w);
        plane[0].resize(static_cast<size_t>(stride[0]) * h);
        const unsigned char pixel[4] = {static_cast<unsigned char>(b), static_cast<unsigned char>(g),
                                        static_cast<unsigned char>(r), 255};
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                std::memcpy(&plane[0][static_cast<size_t>(y) * stride[0] + 4 * x], pixel, 4);
        return;
    }
    // BT.601, limited range: what a decoder hands out for ordinary video.
    const int yv = ((66 * r + 129 * g + 25 * b + 128) >> 8) + 16;
    const int uv = ((-38 * r - 74 * g + 112 * b + 128) >> 8) + 128;
    const int vv = ((112 * r - 94 * g - 18 * b + 128) >> 8) + 128;
    const int cw = (w + 1) / 2, ch = (h + 1) / 2;
    stride[0] = align(w);
    stride[1] = stride[2] = align(cw);
    plane[0].assign(static_cast<size_t>(stride[0]) * h, static_cast<unsigned char>(yv));
    plane[1].assign(static_cast<size_t>(stride[1]) * ch, static_cast<unsigned char>(uv));
    plane[2].assign(static_cast<size_t>(stride[2]) * ch, static_cast<unsigned char>(vv));
}

} // namespace orvfake::detail

extern "C" {

ORV_API PlayerHandle Player_Create(int reserved)
{
    Call call(__func__, reserved);
    auto player = std::make_shared<PlayerObj>();
    player->script = state().defaultPlayback;
    return call.create<OrvPlayer_>(player);
}

ORV_API int Player_Open(PlayerHandle h, const char* path)
{
    passOpenGate();
    Call call(__func__, h, path);
    return call.on<PlayerObj>(h, 0, [&](PlayerObj& p) { return openFile(p, path, 0, 0); });
}

ORV_API int Player_OpenEx(PlayerHandle h, const char* path, unsigned w, unsigned hgt, int reserved1,
                          int reserved2)
{
    passOpenGate();
    Call call(__func__, h, path, w, hgt, reserved1, reserved2);
    return call.on<PlayerObj>(h, 0, [&](PlayerObj& p) { return openFile(p, path, w, hgt); });
}

ORV_API int Player_Close(PlayerHandle h)
{
    auto delivery = holdDelivery(h);
    Call call(__func__, h);
    return call.on<PlayerObj>(h, 0, [](PlayerObj& p) {
        closeFile(p);
        return 1;
    });
}

ORV_API int Player_Release(PlayerHandle h)
{
    auto delivery = holdDelivery(h);
    Call call(__func__, h);
    return call.release<PlayerObj>(h, [](PlayerObj& p) {
        closeFile(p);
        p.captures.clear();
        p.record.captures = 0;
        p.frameFn = p.originalFn = nullptr;
        p.record.frameHandler = p.record.originalHandler = false;
    });
}

ORV_API int Player_Play(PlayerHandle h)
{
    Call call(__func__, h);
    return call.on<PlayerObj>(h, 0, [](PlayerObj& p) {
        if (!hasFile(p))
            return 0;
        if (p.record.state == PlayState::Completed)
            p.record.timeUs = 0;
        p.record.state = PlayState::Playing;
        return 1;
    });
}

ORV_API int Player_Pause(PlayerHandle h)
{
    Call call(__func__, h);
    return call.on<PlayerObj>(h, 0, [](PlayerObj& p) {
        if (!hasFile(p))
            return 0;
        if (p.record.state == PlayState::Playing)
            p.record.state = PlayState::Paused;
        return 1;
    });
}

ORV_API int Player_Stop(PlayerHandle h)
{
    return transport(__func__, h, [](PlayerObj& p, bool& show) {
        if (!hasFile(p))
            return 0;
        p.record.state = PlayState::Stopped;
        p.record.timeUs = 0;
        show = true;
        return 1;
    });
}

ORV_API int Player_IsCompleted(PlayerHandle h)
{
    Call call(__func__, h);
    return call.on<PlayerObj>(h, 0, [](PlayerObj& p) {
        if (!hasFile(p))
            return 0;
        poll(p);
        return p.record.state == PlayState::Completed ? 1 : 0;
    });
}

ORV_API uint64_t Player_GetDuration(PlayerHandle h)
{
    return fact<uint64_t>(__func__, h, [](PlayerObj&, const MediaFacts& m) { return m.durationUs; });
}

ORV_API uint64_t Player_GetPlayTime(PlayerHandle h)
{
    return fact<uint64_t>(__func__, h, [](PlayerObj& p, const MediaFacts&) {
        poll(p);
        return p.record.timeUs;
    });
}

ORV_API int Player_Seek(PlayerHandle h, uint64_t timeUs)
{
    return transport(
        __func__, h,
        [&](PlayerObj& p, bool& show) {
            if (!hasFile(p))
                return 0;
            p.record.timeUs = std::min(timeUs, p.media->durationUs);
            if (p.record.state == PlayState::Completed)
                p.record.state = PlayState::Paused;
            show = p.record.state != PlayState::Playing;
            return 1;
        },
        timeUs);
}

ORV_API int Player_FrameStep(PlayerHandle h, int direction)
{
    return transport(
        __func__, h,
        [&](PlayerObj& p, bool& show) {
            if (!videoOpen(p) || direction == 0)
                return 0;
            const uint64_t step = frameUs(*p.media);
            uint64_t& t = p.record.timeUs;
            if (p.record.state != PlayState::Stopped)
                p.record.state = PlayState::Paused;
            if (direction > 0 ? t + step >= p.media->durationUs : t == 0)
                return 0;
            t = direction > 0 ? t + step : (t >= step ? t - step : 0);
            p.record.state = PlayState::Paused;
            show = true;
            return 1;
        },
        direction);
}

ORV_API int Player_HasVideo(PlayerHandle h)
{
    return fact<int>(__func__, h, [](PlayerObj&, const MediaFacts& m) { return factsHaveVideo(m) ? 1 : 0; });
}

ORV_API int Player_HasAudio(PlayerHandle h)
{
    return fact<int>(__func__, h, [](PlayerObj&, const MediaFacts& m) { return hasAudio(m) ? 1 : 0; });
}

ORV_API int Player_GetVideoWidth(PlayerHandle h)
{
    return fact<int>(__func__, h, [](PlayerObj&, const MediaFacts& m) {
        return factsHaveVideo(m) ? static_cast<int>(m.width) : 0;
    });
}

ORV_API int Player_GetVideoHeight(PlayerHandle h)
{
    return fact<int>(__func__, h, [](PlayerObj&, const MediaFacts& m) {
        return factsHaveVideo(m) ? static_cast<int>(m.height) : 0;
    });
}

ORV_API int Player_GetOutputWidth(PlayerHandle h)
{
    return fact<int>(__func__, h, [](PlayerObj& p, const MediaFacts& m) {
        return factsHaveVideo(m) ? outputSize(p, m).w : 0;
    });
}

ORV_API int Player_GetOutputHeight(PlayerHandle h)
{
    return fact<int>(__func__, h, [](PlayerObj& p, const MediaFacts& m) {
        return factsHaveVideo(m) ? outputSize(p, m).h : 0;
    });
}

ORV_API int Player_GetVideoAspectRatioX(PlayerHandle h)
{
    return fact<int>(__func__, h, [](PlayerObj&, const MediaFacts& m) { return gcdPart(m, true); });
}

ORV_API int Player_GetVideoAspectRatioY(PlayerHandle h)
{
    return fact<int>(__func__, h, [](PlayerObj&, const MediaFacts& m) { return gcdPart(m, false); });
}

ORV_API int Player_SetVideoFrameHandle(PlayerHandle h, FrameHandler fn, void* user)
{
    return setHandler(__func__, h, fn, user, false);
}

ORV_API int Player_SetOrignalVideoFrameHandle(PlayerHandle h, FrameHandler fn, void* user)
{
    return setHandler(__func__, h, fn, user, true);
}

ORV_API int Player_ShowVideoFrame(PlayerHandle h)
{
    return transport(__func__, h, [](PlayerObj& p, bool& show) {
        show = videoOpen(p);
        return show ? 1 : 0;
    });
}

ORV_API unsigned char* Player_CaptureVideoImage(PlayerHandle h, int w, int hgt)
{
    Call call(__func__, h, w, hgt);
    return call.on<PlayerObj>(h, static_cast<unsigned char*>(nullptr), [&](PlayerObj& p) -> unsigned char* {
        if (!videoOpen(p))
            return nullptr;
        PictureBlock block;
        unsigned char* picture = block.fill(w, hgt, p.media->pictureArgb);
        if (!picture)
            return nullptr;
        p.captures.emplace_back(std::move(block), picture);
        p.record.captures = static_cast<int>(p.captures.size());
        return picture;
    });
}

ORV_API int Player_FreeVideoImage(PlayerHandle h, void* picture)
{
    Call call(__func__, h, PtrArg{picture != nullptr});
    return call.on<PlayerObj>(h, 0, [&](PlayerObj& p) {
        auto it = std::find_if(p.captures.begin(), p.captures.end(),
                               [&](const auto& capture) { return capture.second == picture; });
        if (!picture || it == p.captures.end())
            return 0;
        p.captures.erase(it);
        p.record.captures = static_cast<int>(p.captures.size());
        return 1;
    });
}

ORV_API int Player_SetWatermarkText(PlayerHandle h, const char* text)
{
    const int r = store(__func__, h, text);
    if (r) {
        std::lock_guard<std::mutex> lock(state().mutex);
        if (auto p = std::static_pointer_cast<PlayerObj>(findObject(Kind::Player, idOf(h), true)))
            p->textLayer = text && *text;
    }
    return r;
}

ORV_API int Player_SetWatermarkImageFile(PlayerHandle h, const char* path)
{
    const int r = store(__func__, h, path);
    if (r) {
        std::lock_guard<std::mutex> lock(state().mutex);
        if (auto p = std::static_pointer_cast<PlayerObj>(findObject(Kind::Player, idOf(h), true)))
            p->imageLayer = path && *path;
    }
    return r;
}

ORV_API double Player_GetWatermarkTextWidth(PlayerHandle h)
{
    return fact<double>(__func__, h, [](PlayerObj& p, const MediaFacts&) {
        return videoOpen(p) && p.textLayer ? p.script.textBoxW : 0.0;
    });
}

ORV_API double Player_GetWatermarkTextHeight(PlayerHandle h)
{
    return fact<double>(__func__, h, [](PlayerObj& p, const MediaFacts&) {
        return videoOpen(p) && p.textLayer ? p.script.textBoxH : 0.0;
    });
}

ORV_API double Player_GetWatermarkImageWidth(PlayerHandle h)
{
    return fact<double>(__func__, h, [](PlayerObj& p, const MediaFacts&) {
        return videoOpen(p) && p.imageLayer ? p.script.imageBoxW : 0.0;
    });
}

ORV_API double Player_GetWatermarkImageHeight(PlayerHandle h)
{
    return fact<double>(__func__, h, [](PlayerObj& p, const MediaFacts&) {
        return videoOpen(p) && p.imageLayer ? p.script.imageBoxH : 0.0;
    });
}

// clang-format off
ORV_API int Player_SetAudioVolume(PlayerHandle h, int volume) { return store(__func__, h, volume); }
ORV_API int Player_SetAudioIndex(PlayerHandle h, int index) { return store(__func__, h, index); }
ORV_API int Player_SetSubtlIndex(PlayerHandle h, int index) { return store(__func__, h, index); }
ORV_API int Player_EnableClosedCaption(PlayerHandle h, int on) { return store(__func__, h, on); }
ORV_API int Player_SetSubtlFile(PlayerHandle h, const char *path) { return store(__func__, h, path); }
ORV_API int Player_SetVideoCrop(PlayerHandle h, double x, double y, double w, double hgt) { return store(__func__, h, x, y, w, hgt); }
ORV_API int Player_SetVideoAspectRatio(PlayerHandle h, int aw, int ah) { return store(__func__, h, aw, ah); }
ORV_API int Player_SetVideoPadAndColor(PlayerHandle h, int pad, uint32_t argb) { return store(__func__, h, pad, Argb{argb}); }
ORV_API int Player_SetVideoRotate(PlayerHandle h, int degrees) { return store(__func__, h, degrees); }
ORV_API int Player_SetVideoMirror(PlayerHandle h, int mirror) { return store(__func__, h, mirror); }
ORV_API int Player_EnableVideoCropBorder(PlayerHandle h, int on) { return store(__func__, h, on); }
ORV_API int Player_SetWatermarkTextFont(PlayerHandle h, const char *family) { return store(__func__, h, family); }
ORV_API int Player_SetWatermarkTextAlpha(PlayerHandle h, int alpha) { return store(__func__, h, alpha); }
ORV_API int Player_SetWatermarkTextScale(PlayerHandle h, int sx, int sy) { return store(__func__, h, sx, sy); }
ORV_API int Player_SetWatermarkTextSize(PlayerHandle h, int pt) { return store(__func__, h, pt); }
ORV_API int Player_SetWatermarkTextBold(PlayerHandle h, int on) { return store(__func__, h, on); }
ORV_API int Player_SetWatermarkTextItalic(PlayerHandle h, int on) { return store(__func__, h, on); }
ORV_API int Player_SetWatermarkTextUnderline(PlayerHandle h, int on) { return store(__func__, h, on); }
ORV_API int Player_SetWatermarkTextStrikeout(PlayerHandle h, int on) { return store(__func__, h, on); }
ORV_API int Player_SetWatermarkTextColor(PlayerHandle h, uint32_t argb) { return store(__func__, h, Argb{argb}); }
ORV_API int Player_SetWatermarkTextShadowColor(PlayerHandle h, uint32_t argb) { return store(__func__, h, Argb{argb}); }
ORV_API int Player_SetWatermarkTextOutlineColor(PlayerHandle h, uint32_t argb) { return store(__func__, h, Argb{argb}); }
ORV_API int Player_SetWatermarkTextShadowOffset(PlayerHandle h, double px) { return store(__func__, h, px); }
ORV_API int Player_SetWatermarkTextOutlineSize(PlayerHandle h, double px) { return store(__func__, h, px); }
ORV_API int Player_SetWatermarkTextPosition(PlayerHandle h, double x, double y) { return store(__func__, h, x, y); }
ORV_API int Player_SetWatermarkTextLayerTopmost(PlayerHandle h, int topmost) { return store(__func__, h, topmost); }
ORV_API int Player_SetWatermarkImageAlpha(PlayerHandle h, int alpha) { return store(__func__, h, alpha); }
ORV_API int Player_SetWatermarkImageScale(PlayerHandle h, int sx, int sy) { return store(__func__, h, sx, sy); }
ORV_API int Player_SetWatermarkImagePosition(PlayerHandle h, double x, double y) { return store(__func__, h, x, y); }
ORV_API int Player_EnableWatermarkTextBorder(PlayerHandle h, int on) { return store(__func__, h, on); }
ORV_API int Player_EnableWatermarkImageBorder(PlayerHandle h, int on) { return store(__func__, h, on); }
ORV_API int Player_SetSubtlAlpha(PlayerHandle h, int alpha) { return store(__func__, h, alpha); }
ORV_API int Player_SetSubtlScale(PlayerHandle h, int sx, int sy) { return store(__func__, h, sx, sy); }
ORV_API int Player_SetSubtlDelay(PlayerHandle h, int64_t us) { return store(__func__, h, us); }
ORV_API int Player_SetSubtlTextFont(PlayerHandle h, const char *family) { return store(__func__, h, family); }
ORV_API int Player_SetSubtlTextBold(PlayerHandle h, int on) { return store(__func__, h, on); }
ORV_API int Player_SetSubtlTextItalic(PlayerHandle h, int on) { return store(__func__, h, on); }
ORV_API int Player_SetSubtlTextUnderline(PlayerHandle h, int on) { return store(__func__, h, on); }
ORV_API int Player_SetSubtlTextStrikeout(PlayerHandle h, int on) { return store(__func__, h, on); }
ORV_API int Player_SetSubtlTextSize(PlayerHandle h, int pt) { return store(__func__, h, pt); }
ORV_API int Player_SetSubtlTextColor(PlayerHandle h, uint32_t argb) { return store(__func__, h, Argb{argb}); }
ORV_API int Player_SetSubtlTextShadowColor(PlayerHandle h, uint32_t argb) { return store(__func__, h, Argb{argb}); }
ORV_API int Player_SetSubtlTextOutlineColor(PlayerHandle h, uint32_t argb) { return store(__func__, h, Argb{argb}); }
ORV_API int Player_SetSubtlTextShadowOffset(PlayerHandle h, double px) { return store(__func__, h, px); }
ORV_API int Player_SetSubtlTextOutlineSize(PlayerHandle h, double px) { return store(__func__, h, px); }
// clang-format on

// ---- Frame ----------------------------------------------------------------

ORV_API int Frame_GetVideoFormat(FrameHandle frame)
{
    return frameFact<int>(__func__, frame, [](FakeFrame& f) { return f.format; });
}
ORV_API int Frame_GetVideoWidth(FrameHandle frame)
{
    return frameFact<int>(__func__, frame, [](FakeFrame& f) { return f.width; });
}
ORV_API int Frame_GetVideoHeight(FrameHandle frame)
{
    return frameFact<int>(__func__, frame, [](FakeFrame& f) { return f.height; });
}
ORV_API int Frame_GetVideoStride0(FrameHandle frame)
{
    return frameFact<int>(__func__, frame, [](FakeFrame& f) { return f.stride[0]; });
}
ORV_API int Frame_GetVideoStride1(FrameHandle frame)
{
    return frameFact<int>(__func__, frame, [](FakeFrame& f) { return f.stride[1]; });
}
ORV_API int Frame_GetVideoStride2(FrameHandle frame)
{
    return frameFact<int>(__func__, frame, [](FakeFrame& f) { return f.stride[2]; });
}
ORV_API unsigned char* Frame_GetVideoData0(FrameHandle frame)
{
    return frameFact<unsigned char*>(__func__, frame, [](FakeFrame& f) { return planeData(f, 0); });
}
ORV_API unsigned char* Frame_GetVideoData1(FrameHandle frame)
{
    return frameFact<unsigned char*>(__func__, frame, [](FakeFrame& f) { return planeData(f, 1); });
}
ORV_API unsigned char* Frame_GetVideoData2(FrameHandle frame)
{
    return frameFact<unsigned char*>(__func__, frame, [](FakeFrame& f) { return planeData(f, 2); });
}

} // extern "C"

// ---- Control ----------------------------------------------------------------

namespace orvfake {

void setPlaybackScript(const PlaybackScript& script)
{
    std::lock_guard<std::mutex> lock(state().mutex);
    state().defaultPlayback = script;
}

void setPlaybackScript(const std::string& path, const PlaybackScript& script)
{
    std::lock_guard<std::mutex> lock(state().mutex);
    state().playbacks[path] = script;
}

std::optional<PlayerRecord> player(const std::string& label)
{
    std::lock_guard<std::mutex> lock(state().mutex);
    if (auto p = std::static_pointer_cast<PlayerObj>(objectByLabel(Kind::Player, label, false)))
        return p->record;
    return std::nullopt;
}

namespace {

template <class Body>
bool onOpenPlayer(const std::string& label, Body&& body)
{
    std::lock_guard<std::mutex> lock(state().mutex);
    auto p = std::static_pointer_cast<PlayerObj>(objectByLabel(Kind::Player, label, true));
    if (!p || !p->media)
        return false;
    body(*p);
    return true;
}

} // namespace

bool setPlayTime(const std::string& label, uint64_t timeUs)
{
    return onOpenPlayer(label, [&](PlayerObj& p) {
        p.record.timeUs = std::min(timeUs, p.media->durationUs);
        if (p.record.state == PlayState::Completed)
            p.record.state = PlayState::Paused;
    });
}

bool completePlayback(const std::string& label)
{
    return onOpenPlayer(label, [](PlayerObj& p) {
        p.record.timeUs = p.media->durationUs;
        p.record.state = PlayState::Completed;
    });
}

bool deliverFrame(const std::string& label)
{
    std::shared_ptr<PlayerObj> player;
    Pictures pictures;
    {
        std::lock_guard<std::mutex> lock(state().mutex);
        player = std::static_pointer_cast<PlayerObj>(objectByLabel(Kind::Player, label, true));
        if (!player)
            return false;
        pictures = picturesOf(*player);
    }
    if (!pictures.processed)
        return false;
    deliver(*player, pictures);
    return true;
}

} // namespace orvfake

namespace orvfake {

void holdOpens(bool hold)
{
    OpenGate& g = openGate();
    std::lock_guard<std::mutex> lock(g.mutex);
    g.held = hold;
    g.changed.notify_all();
}

int opensWaiting()
{
    OpenGate& g = openGate();
    std::lock_guard<std::mutex> lock(g.mutex);
    return g.waiting;
}

} // namespace orvfake
