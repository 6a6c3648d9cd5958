#include "media/scaling.h"

#include <cstring>

extern "C" {
#include <libswscale/swscale.h>
}

namespace orv {

namespace {
// the widest vector the scaler uses (AVX-512), and what av_frame_get_buffer
// then pads each plane with
constexpr int kAlign = 64;
} // namespace

FramePtr paddedFrame(int w, int h, AVPixelFormat fmt)
{
    FramePtr f(av_frame_alloc());
    if (!f || w <= 0 || h <= 0)
        return nullptr;
    f->width = w;
    f->height = h;
    f->format = fmt;
    if (av_frame_get_buffer(f.get(), kAlign) < 0)
        return nullptr;
    return f;
}

bool scaleInto(const AVFrame* src, AVFrame* dst, int flags, SwsContext** cache)
{
    SwsContext* sws = sws_getCachedContext(cache ? *cache : nullptr, src->width, src->height,
                                           AVPixelFormat(src->format), dst->width, dst->height,
                                           AVPixelFormat(dst->format), flags, nullptr, nullptr, nullptr);
    if (cache)
        *cache = sws;
    if (!sws)
        return false;
    const int rows = sws_scale(sws, src->data, src->linesize, 0, src->height, dst->data, dst->linesize);
    if (!cache)
        sws_freeContext(sws);
    return rows == dst->height;
}

FramePtr scaleFrame(const AVFrame* src, int w, int h, AVPixelFormat fmt, int flags, SwsContext** cache)
{
    FramePtr dst = paddedFrame(w, h, fmt);
    if (!dst || !scaleInto(src, dst.get(), flags, cache))
        return nullptr;
    return dst;
}

void copyRows(const AVFrame* frame, int rowBytes, uint8_t* dst, int dstStride)
{
    for (int y = 0; y < frame->height; ++y)
        std::memcpy(dst + ptrdiff_t(y) * dstStride, frame->data[0] + ptrdiff_t(y) * frame->linesize[0],
                    size_t(rowBytes));
}

} // namespace orv
