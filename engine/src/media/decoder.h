#pragma once

#include <cstdint>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace orv {

struct FrameDeleter
{
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;

// A decoder for a stream with FFmpeg's own threading (frame and slice; a
// count of 0 lets FFmpeg choose), or nullptr.
AVCodecContext* openDecoder(const AVStream* st, bool threaded = true, int threads = 0);

// Stream timestamp of a decoded frame in µs from the file's start, or
// INT64_MIN when it has none.
int64_t frameTimeUs(const AVFrame* frame, const AVStream* st, int64_t fileStartUs);

} // namespace orv
