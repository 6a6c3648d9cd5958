// A player: one file at a time played through the conversion's own
// processing chain (VideoChain + LayerStack), at the frame size F it was
// opened with, so every picture it delivers is the picture a conversion with
// the same settings would write.
//
// Threads while playing: the source's reader (demux + decode) and the
// presenter (clock, audio, processing and delivery of the picture that is
// due). Everything else runs on the caller's thread with both stopped.
//
// Locks, always taken in this order: m_api (one public call at a time),
// m_delivery (chain, layers, handlers, current picture), m_state (clock and
// flags shared with the presenter). m_settings stands alone.
#pragma once

#include "core/picture_block.h"
#include "layers/layer_stack.h"
#include "orvalta.h"
#include "player/audio_output.h"
#include "player/frame_delivery.h"
#include "player/playback_source.h"
#include "process/video_chain.h"
#include "settings/settings.h"

#include <atomic>
#include <chrono>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace orv {

class Player
{
public:
    // Which part of the chain a setting touches; the chain is rebuilt
    // lazily, once per burst of setters.
    enum class Part { Geometry, Layers, Preview };

    Player();
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    bool open(const std::string& path, unsigned w, unsigned h);
    void close();
    void release(); // close and free the captures
    bool play();
    bool pause();
    bool stop();
    bool isCompleted();
    uint64_t duration();
    uint64_t playTime();
    bool seek(uint64_t timeUs);
    bool frameStep(int direction);
    bool hasVideo();
    bool hasAudio();
    void sourceSize(int* w, int* h);
    void outputSize(int* w, int* h);

    void setVolume(int percent);
    void setAudioIndex(int index);
    void setHandler(FrameHandler fn, void* user, bool original);
    bool showFrame();
    unsigned char* capture(int w, int h);
    bool freeCapture(void* picture);

    // Runs fn on the settings and marks the part it touched.
    template <class F>
    void change(Part part, F&& fn)
    {
        std::lock_guard<std::mutex> lock(m_settingsMutex);
        fn(m_settings);
        if (part == Part::Geometry)
            ++m_geometryVersion;
        else if (part == Part::Layers)
            ++m_layersVersion;
    }
    void setCropBorder(bool on);

    enum class Box { TextW, TextH, ImageW, ImageH };
    double layerBox(Box which);

private:
    struct Borders
    {
        bool text = false, image = false, crop = false;
    };

    void closeLocked();
    void startPlayback(bool presentCurrent);
    void stopPlayback();
    // Lands on targetUs with both threads stopped; delivers when asked.
    void seekLocked(int64_t targetUs, bool deliver);
    // What the presenter loop carries from one turn to the next.
    struct PresenterRun
    {
        std::chrono::steady_clock::time_point started;
        int64_t interval = 0; // one picture's length
        int64_t audioEndUs = INT64_MIN; // end of the last sound handed over
        int dropped = 0; // late pictures
        bool wasRunning = true;
    };

    // The presenter thread: clock, sound and pictures, one named step each.
    void presenterLoop(bool presentCurrent);
    bool prerollPictures(const PresenterRun& run);
    bool readClock(int64_t* pos, bool* running);
    void idleWhilePaused(PresenterRun& run);
    void handDueSound(PresenterRun& run, int64_t pos);
    bool showDuePicture(PresenterRun& run, int64_t pos, int64_t* next);
    bool playedOut(const PresenterRun& run, int64_t pos);
    void completePlayback(const PresenterRun& run);
    int64_t positionLocked() const;
    void setCurrent(FramePtr picture, bool deliver);

    // With m_delivery held.
    void ensureChain();
    FramePtr processed(const AVFrame* src, int64_t ptsUs, bool borders);
    void deliver();

    std::mutex m_api;
    std::mutex m_delivery;
    std::mutex m_state;
    std::mutex m_settingsMutex;

    // ---- settings (m_settingsMutex) ----
    ProcessingSettings m_settings = [] {
        ProcessingSettings s;
        return s;
    }();
    bool m_cropBorder = false;
    uint64_t m_geometryVersion = 1, m_layersVersion = 1;
    std::atomic<int> m_volume{100};
    int m_audioIndex = -1;

    // ---- the open file (m_api; the threads use it while they run) ----
    std::unique_ptr<PlaybackSource> m_source;
    bool m_hasVideo = false, m_hasAudio = false;
    int m_srcW = 0, m_srcH = 0, m_outW = 0, m_outH = 0;
    uint64_t m_fileGeneration = 0;
    std::thread m_presenter;
    std::unique_ptr<AudioOutput> m_audio;

    // ---- delivery (m_delivery) ----
    FramePtr m_current;
    int64_t m_currentUs = 0;
    FrameHandler m_frameFn = nullptr, m_originalFn = nullptr;
    void* m_frameUser = nullptr;
    void* m_originalUser = nullptr;
    VideoChain m_chain, m_originalChain;
    LayerStack m_layers;
    uint64_t m_builtFile = 0, m_builtGeometry = 0, m_builtLayers = 0;
    Borders m_borders;
    SubtitleSource m_subtitleSource = SubtitleSource::None;
    BgraConverter m_bgra, m_originalBgra;

    // ---- clock and flags (m_state) ----
    using Clock = std::chrono::steady_clock;
    bool m_running = false; // the clock runs
    bool m_stopPresenter = false;
    bool m_completed = false;
    bool m_atEnd = false; // parked past the last picture: time = duration
    int64_t m_baseUs = 0; // position when the clock last started or stopped
    Clock::time_point m_baseAt;
    int64_t m_shownUs = 0; // time of the last picture shown

    std::list<PictureBlock> m_captures; // m_api
};

} // namespace orv
