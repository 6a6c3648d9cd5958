// Every libswscale destination in the engine, and every source it builds
// itself, is a frame from FFmpeg's own allocator. The scaler's SIMD code
// reads and writes whole blocks of pixels: on a picture a few pixels wide
// it wrote past exact-size rows and past the end of the buffer, inside
// FFmpeg where no sanitizer sees it. FFmpeg's frames have 64-byte aligned,
// padded rows, extra rows and padding after each plane.
#pragma once

#include "media/decoder.h"

extern "C" {
#include <libavutil/pixfmt.h>
}

struct SwsContext;

namespace orv {

// A writable w×h frame in `fmt` with the padding above; nullptr on failure.
FramePtr paddedFrame(int w, int h, AVPixelFormat fmt);

// Scales `src` (all of it) into a new padded w×h frame in `fmt`. With a
// cache the scaler is kept there between calls (sws_getCachedContext);
// without one it lives for this call. nullptr on failure.
FramePtr scaleFrame(const AVFrame* src, int w, int h, AVPixelFormat fmt, int flags,
                    SwsContext** cache = nullptr);

// Scales `src` into `dst`, a padded frame (its size and format are the
// target's), for callers that reuse one destination between pictures.
bool scaleInto(const AVFrame* src, AVFrame* dst, int flags, SwsContext** cache);

// Copies the first `rowBytes` bytes of each row of a frame's first plane
// into rows `dstStride` bytes apart (tight rows for a caller's own buffer).
void copyRows(const AVFrame* frame, int rowBytes, uint8_t* dst, int dstStride);

} // namespace orv
