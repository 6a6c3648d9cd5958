#include "player/player.h"

#include "process/geometry.h"

#include "core/errors.h"
#include "core/log.h"
#include "layers/blend.h"

#include <algorithm>

namespace orv {

namespace {

constexpr int64_t kAudioLeadUs = 100000; // sound is handed over this early
constexpr int64_t kAudioLateUs = 60000; // and dropped when this late
constexpr int64_t kDeviceAfterUs = 100000; // a device opens after this much playback
constexpr int64_t kMaxSleepUs = 20000;
constexpr int64_t kMaxDrainUs = 500000; // the device's queue plays out before completion, this long at most
constexpr size_t kPrerollPictures = 3; // queued before the clock starts
constexpr int64_t kMaxPrerollUs = 300000;
// A picture's subtitles render within this or the picture goes without
// them (the render goes on): a caller's thread, Close and Seek never wait
// seconds for hostile text.
constexpr int kSubtitleBudgetMs = 500;

int evenSize(unsigned asked, int source)
{
    if (asked == 0)
        return source;
    return int(std::min(std::max(asked, 16u), 8192u)) & ~1;
}

} // namespace

Player::Player() { m_layers.setRenderBudget(kSubtitleBudgetMs); }

Player::~Player() { release(); }

// ---- Files ---------------------------------------------------------------

bool Player::open(const std::string& path, unsigned w, unsigned h)
{
    std::lock_guard<std::mutex> api(m_api);
    closeLocked();
    auto source = std::make_unique<PlaybackSource>();
    if (const int err = source->open(path); err != ORV_OK) {
        // The player has no error getter: the log is where the reason goes.
        logf(LogWarning, "cannot play \"%s\": %s", path.c_str(), errorText(err));
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(m_settingsMutex);
        source->selectAudio(m_audioIndex);
    }
    FramePtr first = source->hasVideo() ? source->nextPicture() : nullptr;
    m_hasVideo = first != nullptr;
    m_hasAudio = source->hasAudio();
    if (!m_hasVideo && !m_hasAudio) {
        logf(LogWarning, "cannot play \"%s\": no picture decodes and there is no sound", path.c_str());
        return false;
    }
    if (!first && source->hasVideo()) {
        // the pictures do not decode: play the sound from the start
        bool atEnd = false;
        source->seek(0, &atEnd);
    }
    m_source = std::move(source);
    m_srcW = m_srcH = m_outW = m_outH = 0;
    if (m_hasVideo) {
        m_source->input().sourceSize(m_source->videoStream(), m_srcW, m_srcH);
        m_outW = evenSize(w, m_srcW);
        m_outH = evenSize(h, m_srcH);
    }
    ++m_fileGeneration;
    const int64_t t = first ? std::max<int64_t>(0, PlaybackSource::timeOf(first.get())) : 0;
    {
        std::lock_guard<std::mutex> lock(m_delivery);
        m_current = std::move(first);
        m_currentUs = t;
    }
    std::lock_guard<std::mutex> lock(m_state);
    m_running = m_completed = m_atEnd = false;
    m_baseUs = m_shownUs = t;
    return true;
}

void Player::close()
{
    std::lock_guard<std::mutex> api(m_api);
    closeLocked();
}

void Player::release()
{
    std::lock_guard<std::mutex> api(m_api);
    closeLocked();
    m_captures.clear();
    std::lock_guard<std::mutex> lock(m_delivery);
    m_frameFn = m_originalFn = nullptr;
}

void Player::closeLocked()
{
    stopPlayback();
    m_source.reset();
    m_hasVideo = m_hasAudio = false;
    {
        std::lock_guard<std::mutex> lock(m_delivery);
        m_current.reset();
        m_currentUs = 0;
        m_layers.close();
        m_builtFile = 0;
    }
    std::lock_guard<std::mutex> lock(m_state);
    m_running = m_completed = m_atEnd = false;
    m_baseUs = m_shownUs = 0;
}

// ---- Transport -------------------------------------------------------------

int64_t Player::positionLocked() const
{
    if (!m_running)
        return m_baseUs;
    return m_baseUs + std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - m_baseAt).count();
}

void Player::startPlayback(bool presentCurrent)
{
    {
        std::lock_guard<std::mutex> lock(m_state);
        m_baseUs = m_hasVideo ? m_shownUs : m_baseUs;
        m_baseAt = Clock::now();
        m_running = true;
        m_stopPresenter = false;
        m_completed = false;
    }
    m_audio = std::make_unique<AudioOutput>(m_volume);
    m_source->startReader();
    m_presenter = std::thread([this, presentCurrent] { presenterLoop(presentCurrent); });
}

void Player::stopPlayback()
{
    {
        std::lock_guard<std::mutex> lock(m_state);
        m_baseUs = positionLocked();
        m_running = false;
        m_stopPresenter = true;
    }
    if (m_source)
        m_source->notify();
    if (m_presenter.joinable())
        m_presenter.join();
    if (m_source)
        m_source->stopReader();
    m_audio.reset();
    std::lock_guard<std::mutex> lock(m_state);
    m_stopPresenter = false;
}

bool Player::play()
{
    std::lock_guard<std::mutex> api(m_api);
    if (!m_source)
        return false;
    bool completed = false, presenterAlive = m_presenter.joinable();
    {
        std::lock_guard<std::mutex> lock(m_state);
        if (m_running)
            return true;
        completed = m_completed;
        if (!completed && presenterAlive) {
            // resume: the presenter waits with its queues intact
            m_baseAt = Clock::now();
            m_running = true;
        }
    }
    if (!completed && presenterAlive) {
        m_source->notify();
        return true;
    }
    stopPlayback();
    if (completed)
        seekLocked(0, false);
    startPlayback(m_hasVideo);
    return true;
}

bool Player::pause()
{
    std::lock_guard<std::mutex> api(m_api);
    if (!m_source)
        return false;
    {
        std::lock_guard<std::mutex> lock(m_state);
        if (m_running) {
            m_baseUs = positionLocked();
            m_running = false;
        }
    }
    m_source->notify();
    return true;
}

bool Player::stop()
{
    std::lock_guard<std::mutex> api(m_api);
    if (!m_source)
        return false;
    stopPlayback();
    seekLocked(0, true);
    return true;
}

bool Player::isCompleted()
{
    std::lock_guard<std::mutex> lock(m_state);
    return m_completed;
}

uint64_t Player::duration()
{
    std::lock_guard<std::mutex> api(m_api);
    return m_source ? m_source->durationUs() : 0;
}

uint64_t Player::playTime()
{
    std::lock_guard<std::mutex> api(m_api);
    if (!m_source)
        return 0;
    const uint64_t duration = m_source->durationUs();
    std::lock_guard<std::mutex> lock(m_state);
    if (m_completed || m_atEnd)
        return duration;
    const int64_t t = m_hasVideo ? m_shownUs : positionLocked();
    return uint64_t(std::max<int64_t>(0, duration ? std::min<int64_t>(t, int64_t(duration)) : t));
}

void Player::seekLocked(int64_t targetUs, bool deliver)
{
    const int64_t duration = int64_t(m_source->durationUs());
    bool atEnd = false;
    FramePtr f = m_source->seek(targetUs, &atEnd);
    if (!m_hasVideo) {
        std::lock_guard<std::mutex> lock(m_state);
        m_baseUs = duration ? std::min(targetUs, duration) : targetUs;
        m_atEnd = duration && targetUs >= duration;
        m_completed = false;
        return;
    }
    // on the last picture (or past it) the time is the duration
    const bool last =
        f && duration && PlaybackSource::timeOf(f.get()) + m_source->frameIntervalUs() >= duration;
    {
        std::lock_guard<std::mutex> lock(m_state);
        m_atEnd = atEnd || last || (duration && targetUs >= duration);
        m_completed = false;
    }
    setCurrent(std::move(f), deliver);
}

void Player::setCurrent(FramePtr picture, bool deliverIt)
{
    std::lock_guard<std::mutex> lock(m_delivery);
    if (picture) {
        m_current = std::move(picture);
        m_currentUs = PlaybackSource::timeOf(m_current.get());
    }
    {
        std::lock_guard<std::mutex> state(m_state);
        m_shownUs = m_baseUs = m_currentUs;
    }
    if (deliverIt)
        deliver();
}

bool Player::seek(uint64_t timeUs)
{
    std::lock_guard<std::mutex> api(m_api);
    if (!m_source)
        return false;
    bool wasRunning;
    {
        std::lock_guard<std::mutex> lock(m_state);
        wasRunning = m_running;
    }
    stopPlayback();
    const int64_t target = int64_t(std::min<uint64_t>(timeUs, uint64_t(INT64_MAX / 4)));
    seekLocked(target, !wasRunning);
    if (wasRunning)
        startPlayback(m_hasVideo);
    return true;
}

bool Player::frameStep(int direction)
{
    std::lock_guard<std::mutex> api(m_api);
    if (!m_source || !m_hasVideo || direction == 0)
        return false;
    stopPlayback();
    bool atEnd;
    int64_t current;
    {
        std::lock_guard<std::mutex> lock(m_state);
        m_completed = false;
        atEnd = m_atEnd;
        current = m_shownUs;
    }
    FramePtr f =
        direction > 0 ? (atEnd ? nullptr : m_source->nextPicture()) : m_source->previousPicture(current);
    if (!f)
        return false;
    {
        std::lock_guard<std::mutex> lock(m_state);
        m_atEnd = false;
    }
    setCurrent(std::move(f), true);
    return true;
}

bool Player::hasVideo()
{
    std::lock_guard<std::mutex> api(m_api);
    return m_hasVideo;
}

bool Player::hasAudio()
{
    std::lock_guard<std::mutex> api(m_api);
    return m_hasAudio;
}

void Player::sourceSize(int* w, int* h)
{
    std::lock_guard<std::mutex> api(m_api);
    *w = m_srcW;
    *h = m_srcH;
}

void Player::outputSize(int* w, int* h)
{
    std::lock_guard<std::mutex> api(m_api);
    *w = m_outW;
    *h = m_outH;
}

void Player::setVolume(int percent) { m_volume = std::min(std::max(percent, 0), 100); }

void Player::setAudioIndex(int index)
{
    std::lock_guard<std::mutex> api(m_api);
    {
        std::lock_guard<std::mutex> lock(m_settingsMutex);
        m_audioIndex = index < 0 ? -1 : index;
    }
    if (!m_source || !m_hasAudio)
        return;
    bool wasRunning;
    int64_t at;
    {
        std::lock_guard<std::mutex> lock(m_state);
        wasRunning = m_running;
        at = m_hasVideo ? m_shownUs : positionLocked();
    }
    stopPlayback();
    m_source->selectAudio(index);
    seekLocked(at, false);
    if (wasRunning)
        startPlayback(false);
}

// ---- Presenter ---------------------------------------------------------------

void Player::presenterLoop(bool presentCurrent)
{
    PresenterRun run;
    run.started = Clock::now();
    run.interval = m_source->frameIntervalUs();
    if (presentCurrent) {
        std::lock_guard<std::mutex> lock(m_delivery);
        deliver();
    }
    if (m_hasVideo && !prerollPictures(run))
        return;
    while (true) {
        int64_t pos;
        bool running;
        if (!readClock(&pos, &running))
            return;
        if (!running) {
            idleWhilePaused(run);
            continue;
        }
        run.wasRunning = true;
        if (m_hasAudio)
            handDueSound(run, pos);
        int64_t next = INT64_MAX;
        if (m_hasVideo && showDuePicture(run, pos, &next))
            continue;
        if (playedOut(run, pos)) {
            completePlayback(run);
            return;
        }
        m_source->waitChange(std::min(next == INT64_MAX ? kMaxSleepUs : next - pos, kMaxSleepUs));
    }
}

// Lets the reader get ahead before the clock starts, so the first pictures
// are not late while the decoder warms up. False when told to stop.
bool Player::prerollPictures(const PresenterRun& run)
{
    while (m_source->bufferedPictures() < kPrerollPictures
           && std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - run.started).count()
               < kMaxPrerollUs) {
        {
            std::lock_guard<std::mutex> lock(m_state);
            if (m_stopPresenter)
                return false;
        }
        m_source->waitChange(5000);
    }
    std::lock_guard<std::mutex> lock(m_state);
    if (m_running)
        m_baseAt = Clock::now();
    return true;
}

// The clock's position and whether it runs; false when told to stop.
bool Player::readClock(int64_t* pos, bool* running)
{
    std::lock_guard<std::mutex> lock(m_state);
    if (m_stopPresenter)
        return false;
    *running = m_running;
    *pos = positionLocked();
    return true;
}

// Paused: the device's queue is cleared once, then the loop sleeps.
void Player::idleWhilePaused(PresenterRun& run)
{
    if (run.wasRunning && m_audio)
        m_audio->clear();
    run.wasRunning = false;
    m_source->waitChange(kMaxSleepUs);
}

// Sound due within kAudioLeadUs goes to the sink; the device opens once
// kDeviceAfterUs of playback have passed.
void Player::handDueSound(PresenterRun& run, int64_t pos)
{
    if (!m_audio->deviceTried()
        && std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - run.started).count()
            > kDeviceAfterUs)
        m_audio->openDevice();
    while (FramePtr a = m_source->takeAudio(pos + kAudioLeadUs)) {
        const int64_t t = PlaybackSource::timeOf(a.get());
        const int64_t end = (t == AV_NOPTS_VALUE ? pos : t) + PlaybackSource::audioLengthUs(a.get());
        run.audioEndUs = std::max(run.audioEndUs, end);
        if (end >= pos - kAudioLateUs)
            m_audio->play(a.get(), pos);
    }
}

// Delivers the picture that is due (older due ones are dropped); true if
// one was shown. *next is the time of the next picture when none is due.
bool Player::showDuePicture(PresenterRun& run, int64_t pos, int64_t* next)
{
    FramePtr f = m_source->takeDuePicture(pos, next, &run.dropped);
    if (!f)
        return false;
    std::lock_guard<std::mutex> lock(m_delivery);
    m_current = std::move(f);
    m_currentUs = PlaybackSource::timeOf(m_current.get());
    deliver();
    std::lock_guard<std::mutex> state(m_state);
    m_shownUs = m_currentUs;
    return true;
}

// Every stream has been read and shown or heard.
bool Player::playedOut(const PresenterRun& run, int64_t pos)
{
    int64_t shown;
    {
        std::lock_guard<std::mutex> lock(m_state);
        shown = m_shownUs;
    }
    const bool videoDone = !m_hasVideo || (m_source->videoDrained() && pos >= shown + run.interval);
    // The last sound handed over is still in the device's queue: it is
    // heard before the player says it has completed.
    const bool audioDone = !m_hasAudio
        || (m_source->audioDrained() && pos >= run.audioEndUs
            && (m_audio->queuedUs() == 0 || pos >= run.audioEndUs + kMaxDrainUs));
    return videoDone && audioDone;
}

void Player::completePlayback(const PresenterRun& run)
{
    std::lock_guard<std::mutex> lock(m_state);
    m_baseUs = positionLocked();
    m_running = false;
    m_completed = true;
    if (run.dropped)
        logf(LogDebug, "playback dropped %d late pictures", run.dropped);
}

// ---- Processing and delivery ---------------------------------------------

void Player::ensureChain()
{
    ProcessingSettings s;
    uint64_t geometry, layers;
    {
        std::lock_guard<std::mutex> lock(m_settingsMutex);
        m_borders = Borders{m_settings.layers.textBorder, m_settings.layers.imageBorder, m_cropBorder};
        geometry = m_geometryVersion;
        layers = m_layersVersion;
        if (m_builtFile == m_fileGeneration && geometry == m_builtGeometry && layers == m_builtLayers)
            return;
        s = m_settings;
    }
    const bool newFile = m_builtFile != m_fileGeneration;
    const InputFile& input = m_source->input();
    const int stream = m_source->videoStream();
    if (newFile || geometry != m_builtGeometry) {
        m_chain.setup(chainSetupFor(input, stream, s, m_outW, m_outH));
        // the source as it is: colour finer than 4:2:0 (RGB, 4:4:4) is kept
        ChainSetup original = chainSetupFor(input, stream, ProcessingSettings(), m_srcW, m_srcH);
        const auto srcFormat = AVPixelFormat(input.fmt()->streams[stream]->codecpar->format);
        if (srcFormat != AV_PIX_FMT_YUV420P && srcFormat != AV_PIX_FMT_YUVJ420P)
            original.outFormat = AV_PIX_FMT_YUV444P;
        m_originalChain.setup(original);
    }
    if (newFile || layers != m_builtLayers) {
        LayerSettings ls = s.layers;
        ls.textBorder = ls.imageBorder = false;
        if (ls.subSource == SubtitleSource::Stream) {
            const Program& prog = m_source->program();
            if (const int stream = prog.subtitleAt(s.subtitleIndex); stream >= 0) {
                ls.subSourcePath = input.path();
                ls.subStreamIndex = stream;
            } else {
                ls.subSource = SubtitleSource::None;
            }
        }
        int err = m_layers.open(ls, m_outW, m_outH);
        if (err == ORV_E_WATERMARK) {
            logf(LogWarning, "the watermark image \"%s\" cannot be read; it is left out",
                 ls.wmImageFile.c_str());
            ls.wmImageFile.clear();
            err = m_layers.open(ls, m_outW, m_outH);
        }
        if (err == ORV_E_SUBTITLE) {
            logf(LogWarning, "the subtitles cannot be read; none are shown");
            ls.subSource = SubtitleSource::None;
            m_layers.open(ls, m_outW, m_outH);
        }
        m_subtitleSource = ls.subSource;
    }
    m_builtFile = m_fileGeneration;
    m_builtGeometry = geometry;
    m_builtLayers = layers;
}

FramePtr Player::processed(const AVFrame* src, int64_t ptsUs, bool borders)
{
    FramePtr out(av_frame_alloc());
    if (!out)
        return nullptr;
    const int err = m_chain.process(src, out.get());
    if (err < 0) {
        logf(LogError, "video chain failed: %s", avErrorText(err).c_str());
        return nullptr;
    }
    const bool drawBorders = borders && (m_borders.text || m_borders.image);
    if (m_layers.empty() && !drawBorders)
        return out;
    if (av_frame_make_writable(out.get()) < 0)
        return nullptr;
    m_layers.apply(out.get(), ptsUs, false);
    if (drawBorders)
        m_layers.drawBorders(out.get(), m_borders.text, m_borders.image);
    return out;
}

// The current picture to both handlers; with m_delivery held.
void Player::deliver()
{
    if (!m_current || !m_source || (!m_frameFn && !m_originalFn))
        return;
    ensureChain();
    if (m_subtitleSource == SubtitleSource::ClosedCaption) {
        if (const AVFrameSideData* sd = av_frame_get_side_data(m_current.get(), AV_FRAME_DATA_A53_CC))
            m_layers.feedCaptions(sd->data, sd->size, m_currentUs);
    }
    if (m_frameFn) {
        FramePtr out = processed(m_current.get(), m_currentUs, true);
        const DeliveredFrame* frame = out ? m_bgra.convert(out.get()) : nullptr;
        if (frame)
            m_frameFn(m_frameUser, const_cast<DeliveredFrame*>(frame));
    }
    if (m_originalFn) {
        FramePtr out(av_frame_alloc());
        if (!out)
            return;
        if (const int err = m_originalChain.process(m_current.get(), out.get()); err < 0) {
            logf(LogError, "video chain failed: %s", avErrorText(err).c_str());
            return;
        }
        if (m_borders.crop) {
            const GeometryPlan& plan = m_chain.plan();
            if (av_frame_make_writable(out.get()) < 0)
                return;
            // drawn inside the crop rectangle, so a full-frame crop shows it too
            drawPreviewBorder(out.get(), plan.cropX + 2, plan.cropY + 2, plan.cropW - 4, plan.cropH - 4);
        }
        if (const DeliveredFrame* frame = m_originalBgra.convert(out.get()))
            m_originalFn(m_originalUser, const_cast<DeliveredFrame*>(frame));
    }
}

void Player::setHandler(FrameHandler fn, void* user, bool original)
{
    std::lock_guard<std::mutex> api(m_api);
    std::lock_guard<std::mutex> lock(m_delivery);
    (original ? m_originalFn : m_frameFn) = fn;
    (original ? m_originalUser : m_frameUser) = fn ? user : nullptr;
}

void Player::setCropBorder(bool on)
{
    std::lock_guard<std::mutex> lock(m_settingsMutex);
    m_cropBorder = on;
}

bool Player::showFrame()
{
    std::lock_guard<std::mutex> api(m_api);
    std::lock_guard<std::mutex> lock(m_delivery);
    if (!m_source || !m_current)
        return false;
    deliver();
    return true;
}

unsigned char* Player::capture(int w, int h)
{
    std::lock_guard<std::mutex> api(m_api);
    if (w < 1 || h < 1 || w > 16384 || h > 16384)
        return nullptr;
    std::lock_guard<std::mutex> lock(m_delivery);
    if (!m_source || !m_current)
        return nullptr;
    ensureChain();
    FramePtr out = processed(m_current.get(), m_currentUs, false);
    if (!out)
        return nullptr;
    m_captures.emplace_back();
    PictureBlock& block = m_captures.back();
    if (!block.allocate(w, h) || !BgraConverter::convertTo(out.get(), w, h, block.pixels(), 4 * w)) {
        m_captures.pop_back();
        return nullptr;
    }
    unsigned char* px = block.pixels();
    for (size_t i = 3; i < size_t(w) * size_t(h) * 4; i += 4)
        px[i] = 255;
    return block.block();
}

bool Player::freeCapture(void* picture)
{
    std::lock_guard<std::mutex> api(m_api);
    for (auto it = m_captures.begin(); it != m_captures.end(); ++it)
        if (picture && it->block() == picture) {
            m_captures.erase(it);
            return true;
        }
    return false;
}

double Player::layerBox(Box which)
{
    std::lock_guard<std::mutex> api(m_api);
    std::lock_guard<std::mutex> lock(m_delivery);
    if (!m_source || !m_hasVideo)
        return 0.0;
    ensureChain();
    switch (which) {
    case Box::TextW:
        return m_layers.textBoxWidth();
    case Box::TextH:
        return m_layers.textBoxHeight();
    case Box::ImageW:
        return m_layers.imageBoxWidth();
    case Box::ImageH:
        return m_layers.imageBoxHeight();
    }
    return 0.0;
}

} // namespace orv
