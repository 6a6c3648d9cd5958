// Audio of one item on its way to the sink: resampled to the output rate
// and layout as planar float, gain applied, gaps filled with silence,
// overlaps dropped, and capped at the item's length.
#pragma once

#include "job/output_sink.h"

#include <cstdint>

extern "C" {
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
}

namespace orv {

// Timestamps of consecutive audio frames wander by a few ms in most files;
// a gap or an overlap up to this is left alone, anything beyond is filled
// with silence or cut.
constexpr int64_t kAudioJitterUs = 40000;

class AudioShaper
{
public:
    // volume in percent; cap: the most samples this item may write
    AudioShaper(OutputSink& sink, int volume, int64_t cap);
    ~AudioShaper();
    AudioShaper(const AudioShaper&) = delete;
    AudioShaper& operator=(const AudioShaper&) = delete;

    int64_t written() const { return m_written; }

    // A decoded frame, pts in µs from the item's start (or none). 0 or ORV_E_*.
    int feed(const AVFrame* f);
    // What the resampler still holds.
    int flush();
    int pushSilence(int64_t samples);

private:
    int ensureSwr(const AVFrame* f);
    void freeBuffer();
    int convert(const uint8_t** in, int inCount);

    OutputSink& m_sink;
    float m_gain;
    int64_t m_cap;
    SwrContext* m_swr = nullptr;
    int m_inFormat = -1, m_inRate = 0;
    AVChannelLayout m_inLayout{};
    int m_channels = 2;
    uint8_t** m_buffer = nullptr;
    int m_bufferCap = 0;
    int64_t m_produced = 0; // samples made, including those past the cap
    int64_t m_written = 0; // samples handed to the sink
};

} // namespace orv
