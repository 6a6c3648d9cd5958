#include "layers/layer_stack.h"

#include "core/log.h"
#include "layers/blend.h"
#include "orvalta.h"
#include "text/ass_text.h"
#include "text/subtitle_feed.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <optional>
#include <pthread.h>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

extern "C" {
#include <ass/ass.h>
#include <libavutil/frame.h>
}

namespace orv {

namespace {

constexpr int64_t kReadAheadUs = 2000000;
// Events drawn on one picture, the earliest loaded first. libass lays out
// every event on screen and checks each against the others, so a file with
// thousands at once stalled a 4K frame for half a minute; layered karaoke
// stays well below this.
constexpr int kMaxShownEvents = 128;
// Glyphs laid out for one picture, and so for one event: libass lays out
// an event's text whole, off-screen lines included, in time and memory
// that grow faster than its length (a line of 5 MB took minutes and
// gigabytes). Far more than a screen can show; events past it are hidden
// as those past kMaxShownEvents are.
constexpr int kMaxShownGlyphs = 8192;
// Bytes of one event's text, override tags and drawings included.
constexpr size_t kMaxEventTextBytes = 64 * 1024;
// Bitmap pixels libass may make for one picture, in pictures: blurred,
// bordered and turned lines at 4K made gigabytes and took a minute a
// picture. Events past it are hidden, though the first always shows; a
// screen of ordinary subtitles makes a fraction of one picture.
constexpr double kMaxShownInk = 8;
constexpr long long kOpenEndedMs = 24LL * 3600 * 1000;

// When a picture stops waiting for its subtitles: at a time on the clock,
// or once the renders it waited for have spent cpuLimitNs of processor time
// between them. Neither: it waits for them.
struct Deadline
{
    std::optional<std::chrono::steady_clock::time_point> wall;
    int64_t cpuLimitNs = 0;
    int64_t cpuSpentNs = 0;
    bool limited() const { return wall || cpuLimitNs > 0; }
};

// Processor time a thread has spent; -1 when it cannot be read (the thread
// has ended).
int64_t threadCpuNs(clockid_t clock)
{
    timespec ts{};
    if (clock_gettime(clock, &ts) != 0)
        return -1;
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// A copy of one ASS_Image: libass's own list dies at the next render.
struct Mask
{
    int x = 0, y = 0, w = 0, h = 0;
    uint32_t color = 0;
    std::vector<uint8_t> bits;
};

struct Box
{
    int x = 0, y = 0, w = 0, h = 0;
};

// What a stack and its subtitle renders share: a render reports here, and
// interrupt() wakes a caller waiting for one.
struct RenderGate
{
    std::mutex mutex;
    std::condition_variable changed;
    bool stopped = false; // for good: the job is going down
};

// The subtitle renderer and track, rendered on a thread of their own. A
// caller waits for the picture but can stop waiting (Release, a player's
// time budget): 64 hostile events at 4K take seconds. A render left behind
// finishes unseen, and the last owner, maybe that thread, frees it all.
struct SubtitleRender
{
    explicit SubtitleRender(std::shared_ptr<RenderGate> g)
        : gate(std::move(g))
    {}
    ~SubtitleRender()
    {
        if (track)
            ass_free_track(track);
    }
    SubtitleRender(const SubtitleRender&) = delete;
    SubtitleRender& operator=(const SubtitleRender&) = delete;

    std::shared_ptr<RenderGate> gate;
    AssRenderer ass;
    ASS_Track* track = nullptr;
    std::thread thread;
    bool busy = false; // under gate->mutex, as is images
    ASS_Image* images = nullptr;
    std::vector<std::pair<int, long long>> hidden; // index, duration
    std::vector<int> glyphs; // by event index
    std::vector<double> ink; // by event index, in pixels (eventInkArea)
};

int roundPos(double fraction, int size)
{
    const double v = std::round(fraction * size);
    if (!std::isfinite(v))
        return 0;
    return int(std::clamp(v, double(INT_MIN / 4), double(INT_MAX / 4)));
}

} // namespace

struct LayerStack::Impl
{
    LayerSettings s;
    int w = 0, h = 0;
    AssRenderer ass;

    YuvaImage image;
    Box imageBox;

    std::vector<Mask> text;
    Box textBox;

    std::shared_ptr<SubtitleFeed> feed;
    std::shared_ptr<RenderGate> gate = std::make_shared<RenderGate>();
    std::shared_ptr<SubtitleRender> sub;
    ASS_Track* subTrack = nullptr; // sub->track
    std::chrono::milliseconds budget{0};
    LayerStack::BudgetClock budgetClock = LayerStack::BudgetClock::Wall;
    bool subOwnLayout = false;
    size_t subPushed = 0;
    int openEndedEvent = -1;
    bool hiddenLogged = false;
    bool glyphsLogged = false;
    bool inkLogged = false;
    bool cutLogged = false;
    bool lateLogged = false;

    std::shared_ptr<const SubtitlePicture> shownPicture;
    std::vector<std::pair<YuvaImage, Box>> shownPictureScaled;

    ~Impl() { dropSubtitleTrack(); }

    // Everything but the subtitle feed, which open() may reuse.
    void reset()
    {
        dropSubtitleTrack();
        image = YuvaImage();
        imageBox = Box();
        text.clear();
        textBox = Box();
        w = h = 0;
    }

    // The track goes; the renderer stays for the next one (fontconfig and
    // libass's caches are costly to build again on every restyle), unless
    // a render still runs with it: then both are left to that render.
    void dropSubtitleTrack()
    {
        if (sub) {
            std::lock_guard<std::mutex> lock(gate->mutex);
            if (sub->busy) {
                sub->thread.detach(); // it frees what it renders with
                sub.reset();
                logMessage(LogDebug, "subtitles: a render is left to finish on its own");
            } else {
                if (sub->thread.joinable())
                    sub->thread.join();
                if (sub->track)
                    ass_free_track(sub->track);
                sub->track = nullptr;
                sub->hidden.clear();
                sub->glyphs.clear();
                sub->ink.clear();
            }
        }
        subTrack = nullptr;
        subPushed = 0;
        openEndedEvent = -1;
        hiddenLogged = false;
        glyphsLogged = false;
        inkLogged = false;
        cutLogged = false;
        lateLogged = false;
        shownPicture.reset();
        shownPictureScaled.clear();
    }

    int openImage();
    void openText();
    int openSubtitles();
    void syncSubtitleTrack();
    void restyleSubtitleTrack();
    void drawText(AVFrame* f) const;
    void drawSubtitles(AVFrame* f, int64_t ptsUs, bool wait);
    bool renderIdle(Deadline& deadline);
    ASS_Image* render(long long nowMs, Deadline& deadline);
    void drawPicture(AVFrame* f, const std::shared_ptr<const SubtitlePicture>& pic);
};

int LayerStack::Impl::openImage()
{
    image = YuvaImage();
    imageBox = Box();
    if (s.wmImageFile.empty())
        return ORV_OK;
    int iw = 0, ih = 0;
    std::vector<uint8_t> rgba;
    if (!decodeImageFile(s.wmImageFile, &iw, &ih, &rgba)) {
        logMessage(LogWarning, "watermark: cannot decode the image");
        return ORV_E_WATERMARK;
    }
    // Logos are authored in pixels: 100 % is the picture's own size.
    const int sx = std::clamp(s.wmImageScaleX, 1, 1000), sy = std::clamp(s.wmImageScaleY, 1, 1000);
    double fw = iw * sx / 100.0, fh = ih * sy / 100.0;
    // A huge logo at 1000 % must not exhaust memory; nothing beyond a
    // 8192×8192 area can be seen on any frame anyway.
    const double kMaxArea = 8192.0 * 8192.0;
    if (fw * fh > kMaxArea) {
        const double k = std::sqrt(kMaxArea / (fw * fh));
        fw *= k;
        fh *= k;
    }
    const int dw = std::max(1, int(std::lround(fw)));
    const int dh = std::max(1, int(std::lround(fh)));
    if (dw != iw || dh != ih) {
        std::vector<uint8_t> scaled;
        if (!scaleRgba(rgba.data(), iw, ih, iw * 4, dw, dh, &scaled))
            return ORV_E_WATERMARK;
        rgba.swap(scaled);
    }
    image = rgbaToYuva(rgba.data(), dw, dh, dw * 4, s.wmImageAlpha);
    imageBox = Box{roundPos(s.wmImageX, w), roundPos(s.wmImageY, h), dw, dh};
    return ORV_OK;
}

void LayerStack::Impl::openText()
{
    text.clear();
    textBox = Box();
    if (s.wmText.empty())
        return;
    if (!ass.prepare(w, h)) {
        logMessage(LogWarning, "watermark: libass is unavailable");
        return;
    }
    ASS_Track* track = ass.newTrack();
    if (!track)
        return;
    track->WrapStyle = 2; // the text breaks only where the user broke it

    const int sid = ass_alloc_style(track);
    ASS_Style* st = &track->styles[sid];
    st->Name = strdup("Watermark");
    st->FontName = strdup("");
    applyTextStyle(st, s.wmStyle, 1.0);
    st->Alignment = VALIGN_TOP | HALIGN_LEFT;
    st->MarginL = st->MarginR = st->MarginV = 0;

    const int eid = ass_alloc_event(track);
    ASS_Event* ev = &track->events[eid];
    ev->Start = 0;
    ev->Duration = 1000;
    ev->Style = sid;
    ev->Name = strdup("");
    ev->Effect = strdup("");
    ev->Text = strdup(escapeAssText(s.wmText).c_str());

    int x0 = INT_MAX, y0 = INT_MAX, x1 = INT_MIN, y1 = INT_MIN;
    for (ASS_Image* img = ass_render_frame(ass.renderer(), track, 0, nullptr); img; img = img->next) {
        if (img->w <= 0 || img->h <= 0)
            continue;
        // libass pads its bitmaps to its tile size; the box is the ink.
        int ix0 = img->w, iy0 = img->h, ix1 = -1, iy1 = -1;
        for (int row = 0; row < img->h; ++row) {
            const uint8_t* line = img->bitmap + ptrdiff_t(row) * img->stride;
            for (int col = 0; col < img->w; ++col) {
                if (line[col]) {
                    ix0 = std::min(ix0, col);
                    ix1 = std::max(ix1, col);
                    iy0 = std::min(iy0, row);
                    iy1 = row;
                }
            }
        }
        if (ix1 < 0)
            continue;
        Mask m;
        m.x = img->dst_x + ix0;
        m.y = img->dst_y + iy0;
        m.w = ix1 - ix0 + 1;
        m.h = iy1 - iy0 + 1;
        m.color = img->color;
        m.bits.resize(size_t(m.w) * m.h);
        for (int row = 0; row < m.h; ++row)
            memcpy(m.bits.data() + size_t(row) * m.w, img->bitmap + ptrdiff_t(row + iy0) * img->stride + ix0,
                   size_t(m.w));
        x0 = std::min(x0, m.x);
        y0 = std::min(y0, m.y);
        x1 = std::max(x1, m.x + m.w);
        y1 = std::max(y1, m.y + m.h);
        text.push_back(std::move(m));
    }
    ass_free_track(track);
    if (text.empty())
        return;

    // The box (outline and shadow included) goes where the user put it.
    textBox = Box{roundPos(s.wmTextX, w), roundPos(s.wmTextY, h), x1 - x0, y1 - y0};
    for (Mask& m : text) {
        m.x += textBox.x - x0;
        m.y += textBox.y - y0;
    }
}

int LayerStack::Impl::openSubtitles()
{
    dropSubtitleTrack();
    // A source already being read is kept, so a restyle in the player does
    // not read an embedded stream again.
    switch (s.subSource) {
    case SubtitleSource::None:
        feed.reset();
        return ORV_OK;
    case SubtitleSource::File:
        if (s.subFile.empty()) {
            feed.reset();
            return ORV_OK;
        }
        if (!feed || feed->kind() != SubtitleFeed::Kind::File || feed->source() != s.subFile)
            feed = SubtitleFeed::openFile(s.subFile);
        if (!feed) {
            logMessage(LogWarning, "subtitles: cannot read the subtitle file");
            return ORV_E_SUBTITLE;
        }
        return ORV_OK;
    case SubtitleSource::Stream:
        if (s.subSourcePath.empty() || s.subStreamIndex < 0) {
            feed.reset();
            return ORV_OK;
        }
        if (!feed || feed->kind() != SubtitleFeed::Kind::Stream || feed->source() != s.subSourcePath
            || feed->streamIndex() != s.subStreamIndex)
            feed = SubtitleFeed::openStream(s.subSourcePath, s.subStreamIndex);
        return ORV_OK;
    case SubtitleSource::ClosedCaption:
        if (!feed || feed->kind() != SubtitleFeed::Kind::Captions)
            feed = SubtitleFeed::openCaptions();
        return ORV_OK;
    }
    return ORV_OK;
}

void LayerStack::Impl::restyleSubtitleTrack()
{
    // Scripts and captions keep their own layout; every other format gets
    // our reference canvas, bottom-centred lines and margins of 10.
    if (!subOwnLayout || subTrack->PlayResY <= 0) {
        subTrack->PlayResY = 288;
        subTrack->PlayResX = std::max(1, int(std::lround(288.0 * w / h)));
    }
    const double scale = subTrack->PlayResY / 288.0;
    for (int i = 0; i < subTrack->n_styles; ++i) {
        ASS_Style* st = &subTrack->styles[i];
        applyTextStyle(st, s.subStyle, scale);
        if (!subOwnLayout) {
            st->Alignment = VALIGN_SUB | HALIGN_CENTER;
            st->MarginL = st->MarginR = st->MarginV = 10;
        }
    }
    subTrack->ScaledBorderAndShadow = 1;
}

void LayerStack::Impl::syncSubtitleTrack()
{
    if (!subTrack) {
        std::string header;
        if (!feed->header(&header, &subOwnLayout) || header.empty())
            return;
        if (!sub)
            sub = std::make_shared<SubtitleRender>(gate);
        if (!sub->ass.prepare(w, h))
            return;
        sub->track = ass_new_track(sub->ass.library());
        subTrack = sub->track;
        if (!subTrack)
            return;
        ass_process_codec_private(subTrack, header.data(), int(header.size()));
        restyleSubtitleTrack();
    }
    std::vector<SubtitleTextEvent> events;
    feed->textEvents(subPushed, &events);
    subPushed += events.size();
    for (SubtitleTextEvent& ev : events) {
        // Captions without an end last until the next one starts.
        if (openEndedEvent >= 0 && openEndedEvent < subTrack->n_events) {
            ASS_Event& prev = subTrack->events[openEndedEvent];
            if (ev.startMs > prev.Start) {
                prev.Duration = ev.startMs - prev.Start;
                openEndedEvent = -1;
            }
        }
        const int before = subTrack->n_events;
        const long long duration = ev.durationMs >= 0 ? ev.durationMs : kOpenEndedMs;
        std::string chunk = clampOverrides(ev.chunk, subTrack->PlayResY);
        // the text is the chunk's ninth field
        size_t textAt = 0;
        for (int field = 0; field < 8 && textAt != std::string::npos; ++field) {
            textAt = chunk.find(',', textAt);
            if (textAt != std::string::npos)
                ++textAt;
        }
        int glyphs = 0;
        if (textAt != std::string::npos) {
            std::string text = chunk.substr(textAt);
            bool cut = false;
            glyphs = capEventText(&text, kMaxShownGlyphs, kMaxEventTextBytes, &cut);
            if (cut) {
                chunk.resize(textAt);
                chunk += text;
                if (!cutLogged)
                    logf(LogWarning,
                         "subtitles: an event's text is longer than %d characters or %zu KB, the rest "
                         "is left out",
                         kMaxShownGlyphs, kMaxEventTextBytes / 1024);
                cutLogged = true;
            }
        }
        ass_process_chunk(subTrack, &chunk[0], int(chunk.size()), ev.startMs, duration);
        if (subTrack->n_events > before) {
            const ASS_Event& added = subTrack->events[subTrack->n_events - 1];
            const int style = std::clamp(added.Style, 0, std::max(0, subTrack->n_styles - 1));
            double ink = 0;
            if (subTrack->n_styles > 0 && added.Text) {
                // turned text wraps within the picture: its box is at most
                // a few pictures, whatever its length
                ink = std::min(
                    eventInkArea(added.Text, glyphs, subTrack->styles[style], double(h) / subTrack->PlayResY),
                    12.0 * w * h);
            }
            sub->glyphs.resize(size_t(subTrack->n_events), 0);
            sub->glyphs.back() = glyphs;
            sub->ink.resize(size_t(subTrack->n_events), 0);
            sub->ink.back() = ink;
        }
        if (ev.durationMs < 0 && subTrack->n_events > before)
            openEndedEvent = subTrack->n_events - 1;
    }
}

void LayerStack::Impl::drawText(AVFrame* f) const
{
    for (const Mask& m : text)
        blendMask(f, m.bits.data(), m.w, m.w, m.h, m.x, m.y, m.color);
}

void LayerStack::Impl::drawPicture(AVFrame* f, const std::shared_ptr<const SubtitlePicture>& pic)
{
    if (pic != shownPicture) {
        // Bitmap subtitles are stretched from their canvas to the frame.
        shownPicture = pic;
        shownPictureScaled.clear();
        const double kx = double(w) / pic->canvasW, ky = double(h) / pic->canvasH;
        for (const SubtitlePicture::Rect& r : pic->rects) {
            Box b{int(std::lround(r.x * kx)), int(std::lround(r.y * ky)),
                  std::max(1, int(std::lround(r.w * kx))), std::max(1, int(std::lround(r.h * ky)))};
            std::vector<uint8_t> scaled;
            const uint8_t* src = r.rgba.data();
            if (b.w != r.w || b.h != r.h) {
                if (!scaleRgba(r.rgba.data(), r.w, r.h, r.w * 4, b.w, b.h, &scaled))
                    continue;
                src = scaled.data();
            }
            shownPictureScaled.emplace_back(rgbaToYuva(src, b.w, b.h, b.w * 4, s.subStyle.alpha), b);
        }
    }
    for (const auto& [img, b] : shownPictureScaled)
        blendYuva(f, img, b.x, b.y);
}

void LayerStack::Impl::drawSubtitles(AVFrame* f, int64_t ptsUs, bool wait)
{
    if (!feed)
        return;
    // One budget for the whole picture, shared by the wait for a render the
    // last picture left running and the wait for this picture's own.
    Deadline deadline;
    if (budget.count() > 0 && budgetClock == LayerStack::BudgetClock::Wall)
        deadline.wall = std::chrono::steady_clock::now() + budget;
    else if (budget.count() > 0)
        deadline.cpuLimitNs = int64_t(budget.count()) * 1000000;
    // An event at time t shows at t + delay.
    const int64_t t = ptsUs - s.subDelayUs;
    if (wait && feed->kind() == SubtitleFeed::Kind::Stream)
        feed->waitLoaded(t + kReadAheadUs);

    if (renderIdle(deadline)) {
        syncSubtitleTrack();
        if (subTrack && t >= 0) {
            for (ASS_Image* img = render(t / 1000, deadline); img; img = img->next)
                blendMask(f, img->bitmap, img->stride, img->w, img->h, img->dst_x, img->dst_y, img->color);
        }
    }
    if (auto pic = feed->pictureAt(t))
        drawPicture(f, pic);
}

// Whether the track may be touched: no render is running. A render the
// last picture left behind (a player's budget ran out) is waited for until
// the deadline; interrupt() gives up on it for good.
bool LayerStack::Impl::renderIdle(Deadline& deadline)
{
    std::unique_lock<std::mutex> lock(gate->mutex);
    if (!sub)
        return !gate->stopped;
    const auto ready = [this] { return !sub->busy || gate->stopped; };
    if (deadline.wall) {
        gate->changed.wait_until(lock, *deadline.wall, ready);
    } else if (deadline.cpuLimitNs > 0 && !ready()) {
        // The render's own processor time, looked at every few milliseconds:
        // a starved render is waited for, a costly one is not.
        clockid_t clock{};
        const bool timed =
            sub->thread.joinable() && pthread_getcpuclockid(sub->thread.native_handle(), &clock) == 0;
        const int64_t from = timed ? threadCpuNs(clock) : -1;
        int64_t spent = 0;
        while (!gate->changed.wait_for(lock, std::chrono::milliseconds(10), ready)) {
            const int64_t now = from >= 0 ? threadCpuNs(clock) : -1;
            if (now < 0)
                continue;
            spent = now - from;
            if (deadline.cpuSpentNs + spent > deadline.cpuLimitNs)
                break;
        }
        deadline.cpuSpentNs += spent;
    } else {
        gate->changed.wait(lock, ready);
    }
    if (gate->stopped) {
        lock.unlock();
        dropSubtitleTrack();
        return false;
    }
    if (sub->busy) {
        // only a deadline ends a wait with the render still busy
        if (!lateLogged)
            logf(LogWarning,
                 "subtitles: a picture's text took more than %lld ms to draw, the picture goes "
                 "out without it",
                 static_cast<long long>(budget.count()));
        lateLogged = true;
        return false;
    }
    if (sub->thread.joinable())
        sub->thread.join();
    if (subTrack)
        for (const auto& [index, duration] : sub->hidden)
            subTrack->events[index].Duration = duration;
    sub->hidden.clear();
    return true;
}

// Renders the track at nowMs on the render thread and waits for it as
// renderIdle() does; nullptr when the wait was given up.
ASS_Image* LayerStack::Impl::render(long long nowMs, Deadline& deadline)
{
    // Events beyond the caps are hidden for this picture only: a zero
    // duration is never showing (restored once the render is over).
    int showing = 0, shownGlyphs = 0;
    double shownInk = 0;
    const double maxInk = kMaxShownInk * w * h;
    bool tooMany = false, tooLong = false, tooCostly = false;
    for (int i = 0; i < subTrack->n_events; ++i) {
        ASS_Event& ev = subTrack->events[i];
        if (ev.Start > nowMs || nowMs >= ev.Start + ev.Duration)
            continue;
        const size_t at = size_t(i);
        const int glyphs = at < sub->glyphs.size() ? sub->glyphs[at] : 0;
        const double ink = at < sub->ink.size() ? sub->ink[at] : 0;
        const bool overEvents = showing == kMaxShownEvents;
        const bool overGlyphs = shownGlyphs + glyphs > kMaxShownGlyphs;
        const bool overInk = showing > 0 && shownInk + ink > maxInk;
        tooMany = tooMany || overEvents;
        tooLong = tooLong || overGlyphs;
        tooCostly = tooCostly || overInk;
        if (overEvents || overGlyphs || overInk) {
            sub->hidden.emplace_back(i, ev.Duration);
            ev.Duration = 0;
        } else {
            ++showing;
            shownGlyphs += glyphs;
            shownInk += ink;
        }
    }
    if (tooCostly && !inkLogged) {
        logMessage(LogWarning,
                   "subtitles: events at once whose borders, blur and turns would take too long to "
                   "draw, the rest are not drawn");
        inkLogged = true;
    }
    if (tooMany && !hiddenLogged) {
        logf(LogWarning, "subtitles: more than %d events at once, the rest are not drawn", kMaxShownEvents);
        hiddenLogged = true;
    }
    if (tooLong && !glyphsLogged) {
        logf(LogWarning, "subtitles: more than %d characters at once, the events past them are not drawn",
             kMaxShownGlyphs);
        glyphsLogged = true;
    }
    // Nothing showing, as on most pictures: libass has nothing to lay out,
    // so a thread would cost more than the render.
    if (showing == 0)
        return ass_render_frame(sub->ass.renderer(), subTrack, nowMs, nullptr);
    {
        std::lock_guard<std::mutex> lock(gate->mutex);
        sub->busy = true;
        sub->images = nullptr;
    }
    try {
        sub->thread = std::thread([job = sub, nowMs] {
            ASS_Image* images = ass_render_frame(job->ass.renderer(), job->track, nowMs, nullptr);
            {
                std::lock_guard<std::mutex> lock(job->gate->mutex);
                job->images = images;
                job->busy = false;
            }
            job->gate->changed.notify_all();
        });
    } catch (const std::system_error&) {
        // no thread to be had: drawn here, as before
        {
            std::lock_guard<std::mutex> lock(gate->mutex);
            sub->busy = false;
        }
        return ass_render_frame(sub->ass.renderer(), subTrack, nowMs, nullptr);
    }
    if (!renderIdle(deadline))
        return nullptr;
    std::lock_guard<std::mutex> lock(gate->mutex);
    return sub->images;
}

LayerStack::LayerStack()
    : d(new Impl)
{}

LayerStack::~LayerStack() = default;

int LayerStack::open(const LayerSettings& settings, int w, int h)
{
    d->reset();
    if (w <= 0 || h <= 0) {
        d->feed.reset();
        return ORV_OK;
    }
    d->s = settings;
    d->w = w;
    d->h = h;
    // Every layer is prepared even when one fails, so a player can keep
    // showing the others; the first failure is reported.
    const int imageErr = d->openImage();
    d->openText();
    const int subErr = d->openSubtitles();
    return imageErr != ORV_OK ? imageErr : subErr;
}

void LayerStack::close()
{
    d->reset();
    d->feed.reset();
}

bool LayerStack::empty() const { return d->w <= 0 || (d->image.empty() && d->text.empty() && !d->feed); }

void LayerStack::apply(AVFrame* frame, int64_t ptsUs, bool waitForSubtitles)
{
    if (!frame || empty() || frame->format != AV_PIX_FMT_YUV420P || frame->width != d->w
        || frame->height != d->h)
        return;
    if (d->s.textTopmost) {
        blendYuva(frame, d->image, d->imageBox.x, d->imageBox.y);
        d->drawText(frame);
    } else {
        d->drawText(frame);
        blendYuva(frame, d->image, d->imageBox.x, d->imageBox.y);
    }
    d->drawSubtitles(frame, ptsUs, waitForSubtitles);
    if (d->s.imageBorder && !d->image.empty())
        drawPreviewBorder(frame, d->imageBox.x, d->imageBox.y, d->imageBox.w, d->imageBox.h);
    if (d->s.textBorder && !d->text.empty())
        drawPreviewBorder(frame, d->textBox.x, d->textBox.y, d->textBox.w, d->textBox.h);
}

void LayerStack::interrupt()
{
    {
        std::lock_guard<std::mutex> lock(d->gate->mutex);
        d->gate->stopped = true;
    }
    d->gate->changed.notify_all();
    if (d->feed)
        d->feed->cancelWaits();
}

void LayerStack::setRenderBudget(int ms, BudgetClock clock)
{
    d->budget = std::chrono::milliseconds(std::max(0, ms));
    d->budgetClock = clock;
}

void LayerStack::drawBorders(AVFrame* frame, bool text, bool image) const
{
    if (!frame || d->w <= 0 || frame->format != AV_PIX_FMT_YUV420P || frame->width != d->w
        || frame->height != d->h)
        return;
    if (image && !d->image.empty())
        drawPreviewBorder(frame, d->imageBox.x, d->imageBox.y, d->imageBox.w, d->imageBox.h);
    if (text && !d->text.empty())
        drawPreviewBorder(frame, d->textBox.x, d->textBox.y, d->textBox.w, d->textBox.h);
}

void LayerStack::feedCaptions(const uint8_t* a53, size_t size, int64_t ptsUs)
{
    if (d->feed && d->feed->kind() == SubtitleFeed::Kind::Captions)
        d->feed->feedCaptions(a53, size, ptsUs);
}

double LayerStack::textBoxWidth() const { return d->w > 0 ? double(d->textBox.w) / d->w : 0.0; }

double LayerStack::textBoxHeight() const { return d->h > 0 ? double(d->textBox.h) / d->h : 0.0; }

double LayerStack::imageBoxWidth() const { return d->w > 0 ? double(d->imageBox.w) / d->w : 0.0; }

double LayerStack::imageBoxHeight() const { return d->h > 0 ? double(d->imageBox.h) / d->h : 0.0; }

} // namespace orv
