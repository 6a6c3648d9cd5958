// What a FrameHandle points to while a handler runs: one packed B,G,R,A
// picture with a 64-byte-multiple stride, and the conversion that makes it
// from a processed yuv420p frame.
#pragma once

#include "media/decoder.h"

#include <cstdint>

struct SwsContext;

namespace orv {

struct DeliveredFrame
{
    static constexpr uint32_t kMagic = 0x4F52464Du;
    uint32_t magic = kMagic;
    int width = 0, height = 0, stride = 0;
    unsigned char* data = nullptr;

    // The frame behind a handle, or nullptr for anything else.
    static const DeliveredFrame* from(void* handle);
};

// Converts frames to BGRA at a size that fits the delivery limit, reusing
// its buffer and scaler between frames.
class BgraConverter
{
public:
    static constexpr int kMaxW = 1920, kMaxH = 1080;
    // Up to this many pixels, colour is interpolated rather than repeated.
    static constexpr int64_t kSmoothArea = 640 * 480;

    BgraConverter() = default;
    ~BgraConverter();
    BgraConverter(const BgraConverter&) = delete;
    BgraConverter& operator=(const BgraConverter&) = delete;

    // nullptr when the conversion fails.
    const DeliveredFrame* convert(const AVFrame* frame);

    // Scales a frame to exactly w×h into rows of `stride` bytes.
    static bool convertTo(const AVFrame* frame, int w, int h, unsigned char* dst, int stride);

private:
    SwsContext* m_sws = nullptr;
    FramePtr m_buffer;
    DeliveredFrame m_frame;
};

} // namespace orv
