// The output side of a job: encoders, the audio FIFO that cuts the
// encoder's frame size, the muxer and the progress of the main stream.
// Lives across the items of a merge; used by one thread (stage 3).
#pragma once

#include "job/flight.h"
#include "job/output_plan.h"

#include <atomic>
#include <cstdint>

extern "C" {
#include <libavutil/audio_fifo.h>
#include <libswresample/swresample.h>
}

namespace orv {

class OutputSink
{
public:
    explicit OutputSink(const OutputPlan& plan);
    ~OutputSink();
    OutputSink(const OutputSink&) = delete;
    OutputSink& operator=(const OutputSink&) = delete;

    // Opens the encoders (threads and x264's look-ahead from the flight
    // plan), the file and writes the header.
    int open(const Flight& flight);
    bool isOpen() const { return m_headerWritten; }

    // A picture in the encoder's format and size; its pts is assigned here.
    int writeVideo(AVFrame* frame);
    // Planar float samples at the output rate and layout.
    int writeAudio(const uint8_t* const* planes, int samples);
    int writeSilence(int64_t samples);

    // Drains the encoders and writes the trailer. 0, ORV_E_WRITE, or
    // ORV_E_NOSTREAM when a stream of the output got no packet at all.
    int finish();
    // Closes the file without a trailer (the caller removes it).
    void closeFile();
    // Closes the file and frees the encoders and the muxer; the counts and
    // the progress stay. Nothing can be written after it.
    void release();

    void abort() { m_abort = true; }

    const OutputPlan& plan() const { return m_plan; }
    int64_t videoFrames() const { return m_videoFrames; }
    int64_t audioSamples() const { return m_audioSamples; }
    // End time of what has been muxed on the main stream, µs from the start.
    int64_t mainEndUs() const { return m_mainEndUs.load(); }
    // Frames or samples were handed in (the encoders may still hold them).
    bool hasInput() const { return m_videoFrames > 0 || m_audioSamples > 0; }

private:
    static int interruptCallback(void* self);
    int openVideoEncoder(const Flight& flight);
    int openAudioEncoder();
    int encode(AVCodecContext* enc, AVStream* st, AVFrame* frame);
    int drainAudioFifo(bool final);

    OutputPlan m_plan;
    std::atomic<bool> m_abort{false};
    AVFormatContext* m_fmt = nullptr;
    AVCodecContext* m_venc = nullptr;
    AVCodecContext* m_aenc = nullptr;
    AVStream* m_vst = nullptr;
    AVStream* m_ast = nullptr;
    AVAudioFifo* m_fifo = nullptr;
    SwrContext* m_toEncoderFormat = nullptr; // fltp -> encoder sample format
    AVFrame* m_audioFrame = nullptr;
    AVPacket* m_pkt = nullptr;
    int m_audioFrameSize = 1024;
    bool m_headerWritten = false;
    bool m_fileOpen = false;
    int64_t m_videoFrames = 0;
    int64_t m_audioSamples = 0; // samples handed in
    int64_t m_audioEncoded = 0; // samples handed to the encoder
    int64_t m_videoPackets = 0;
    int64_t m_audioPackets = 0;
    std::atomic<int64_t> m_mainEndUs{0};
};

} // namespace orv
