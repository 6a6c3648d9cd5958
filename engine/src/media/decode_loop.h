// The one read-and-decode loop: packets of the chosen streams go to their
// decoders, every decoded frame is handed on, and the decoders are drained
// at the end of the file. The conversion's decode stage and the thumbnail
// and caption scans all decode through it.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace orv {

class DecodeLoop
{
public:
    explicit DecodeLoop(AVFormatContext* fmt);
    ~DecodeLoop();
    DecodeLoop(const DecodeLoop&) = delete;
    DecodeLoop& operator=(const DecodeLoop&) = delete;

    // Opens a decoder for the stream (FFmpeg's own threads unless told
    // otherwise); false when none opens.
    bool addStream(int index, bool threaded = true, int threads = 0);
    // Stops decoding a stream: its packets are skipped from now on.
    void finishStream(int index);
    bool allFinished() const;
    // Tells the demuxer to drop the streams that were not added.
    void discardOthers();
    // Seeks to the last seek point at or before ts (µs on the file's own
    // time line, start time included) and empties the decoders.
    bool seek(int64_t ts);

    enum class End {
        AllDone, // every stream finished
        EndOfFile, // read to the end (or to a read error) and drained
        Stopped, // the frame handler or the pass check said stop
    };
    // Frames belong to the loop; a handler that keeps one moves its
    // reference out. Returning false stops the loop.
    using FrameHandler = std::function<bool(int stream, AVFrame* frame)>;
    // Asked before each packet (pause gate, abort); false stops the loop.
    using PassCheck = std::function<bool()>;
    End run(const FrameHandler& onFrame, const PassCheck& pass = {});

    // The read error that ended the last run, or 0 (AVERROR_EOF is 0).
    int readError() const { return m_readError; }

private:
    struct Stream
    {
        int index = -1;
        AVCodecContext* dec = nullptr;
        bool finished = false;
    };
    Stream* find(int index);
    bool receive(Stream& s, const FrameHandler& onFrame);

    AVFormatContext* m_fmt;
    std::vector<Stream> m_streams;
    AVPacket* m_pkt = nullptr;
    AVFrame* m_frame = nullptr;
    int m_readError = 0;
};

} // namespace orv
