#include "player/frame_delivery.h"

#include <algorithm>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/mem.h>
#include <libswscale/swscale.h>
}

namespace orv {

const DeliveredFrame* DeliveredFrame::from(void* handle)
{
    auto* f = static_cast<const DeliveredFrame*>(handle);
    return f && f->magic == kMagic ? f : nullptr;
}

BgraConverter::~BgraConverter()
{
    sws_freeContext(m_sws);
    av_free(m_frame.data);
}

const DeliveredFrame* BgraConverter::convert(const AVFrame* frame)
{
    int w = frame->width, h = frame->height;
    if (w > kMaxW || h > kMaxH) {
        const double k = std::min(double(kMaxW) / w, double(kMaxH) / h);
        w = std::max(2, int(w * k) & ~1);
        h = std::max(2, int(h * k) & ~1);
    }
    const int stride = (4 * w + 63) / 64 * 64;
    if (stride * h > m_capacity) {
        av_free(m_frame.data);
        m_frame.data = static_cast<unsigned char*>(av_malloc(size_t(stride) * h));
        m_capacity = m_frame.data ? stride * h : 0;
        if (!m_frame.data)
            return nullptr;
    }
    const int flags = (w == frame->width && h == frame->height) ? SWS_POINT : SWS_BILINEAR;
    m_sws = sws_getCachedContext(m_sws, frame->width, frame->height, AVPixelFormat(frame->format), w, h,
                                 AV_PIX_FMT_BGRA, flags, nullptr, nullptr, nullptr);
    if (!m_sws)
        return nullptr;
    uint8_t* dst[4] = {m_frame.data, nullptr, nullptr, nullptr};
    int lines[4] = {stride, 0, 0, 0};
    sws_scale(m_sws, frame->data, frame->linesize, 0, frame->height, dst, lines);
    m_frame.width = w;
    m_frame.height = h;
    m_frame.stride = stride;
    return &m_frame;
}

bool BgraConverter::convertTo(const AVFrame* frame, int w, int h, unsigned char* dst, int stride)
{
    SwsContext* sws = sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), w, h,
                                     AV_PIX_FMT_BGRA, SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (!sws)
        return false;
    uint8_t* planes[4] = {dst, nullptr, nullptr, nullptr};
    int lines[4] = {stride, 0, 0, 0};
    sws_scale(sws, frame->data, frame->linesize, 0, frame->height, planes, lines);
    sws_freeContext(sws);
    return true;
}

} // namespace orv
