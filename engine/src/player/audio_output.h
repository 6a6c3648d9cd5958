// A player's sound: decoded frames resampled to stereo float at 48 kHz with
// the volume applied, and handed to a sink. The sink is SDL's audio device
// when one opens, or a null sink that discards; either way the player's
// clock is the monotonic system clock, so timing is the same without sound.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

struct AVFrame;
struct SwrContext;

namespace orv {

class AudioSink
{
public:
    virtual ~AudioSink() = default;
    // Interleaved stereo float samples that should sound at ptsUs while the
    // clock reads clockUs.
    virtual void write(const float* samples, int count, int64_t ptsUs, int64_t clockUs) = 0;
    // Drops what is queued (pause, seek).
    virtual void clear() = 0;
    // How much handed-over sound has not yet been played.
    virtual int64_t queuedUs() const { return 0; }
};

// SDL's default device, or nullptr when SDL or the device fails or
// ORVALTA_AUDIO=null asks for silence.
std::unique_ptr<AudioSink> openDeviceSink();

class AudioOutput
{
public:
    static constexpr int kRate = 48000;

    // volume: percent, read at every frame, owned by the player.
    explicit AudioOutput(const std::atomic<int>& volume)
        : m_volume(volume)
    {}
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // The device is opened late, so a player that only shows pictures never
    // opens one; until then (or when it fails) samples are discarded.
    void openDevice();
    bool deviceTried() const { return m_deviceTried; }
    void play(const AVFrame* frame, int64_t clockUs);
    void clear();
    int64_t queuedUs() const { return m_sink ? m_sink->queuedUs() : 0; }

private:
    const std::atomic<int>& m_volume;
    std::unique_ptr<AudioSink> m_sink;
    bool m_deviceTried = false;
    SwrContext* m_swr = nullptr;
    int m_inFormat = -1, m_inRate = 0, m_inChannels = 0;
    std::vector<float> m_buffer;
};

} // namespace orv
