#include "player/frame_delivery.h"

#include "media/scaling.h"

#include <algorithm>

extern "C" {
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

namespace orv {

const DeliveredFrame* DeliveredFrame::from(void* handle)
{
    auto* f = static_cast<const DeliveredFrame*>(handle);
    return f && f->magic == kMagic ? f : nullptr;
}

BgraConverter::~BgraConverter() { sws_freeContext(m_sws); }

const DeliveredFrame* BgraConverter::convert(const AVFrame* frame)
{
    int w = frame->width, h = frame->height;
    if (w > kMaxW || h > kMaxH) {
        const double k = std::min(double(kMaxW) / w, double(kMaxH) / h);
        w = std::max(2, int(w * k) & ~1);
        h = std::max(2, int(h * k) & ~1);
    }
    int flags = (w == frame->width && h == frame->height) ? SWS_POINT : SWS_BILINEAR;
    // A small picture is shown magnified: colour samples shared by 2x2
    // pixels would show as blocks, so they are interpolated, as players do.
    // Larger pictures keep the fast unscaled path.
    if (int64_t(w) * h <= kSmoothArea)
        flags = SWS_BICUBIC | SWS_FULL_CHR_H_INT | SWS_FULL_CHR_H_INP | SWS_ACCURATE_RND;
    // a padded frame's rows are 64-byte multiples already, as delivery promises
    if (!m_buffer || m_buffer->width != w || m_buffer->height != h)
        m_buffer = paddedFrame(w, h, AV_PIX_FMT_BGRA);
    if (!m_buffer || !scaleInto(frame, m_buffer.get(), flags, &m_sws))
        return nullptr;
    m_frame.data = m_buffer->data[0];
    m_frame.width = w;
    m_frame.height = h;
    m_frame.stride = m_buffer->linesize[0];
    return &m_frame;
}

bool BgraConverter::convertTo(const AVFrame* frame, int w, int h, unsigned char* dst, int stride)
{
    FramePtr scaled = scaleFrame(frame, w, h, AV_PIX_FMT_BGRA, SWS_BICUBIC);
    if (!scaled)
        return false;
    copyRows(scaled.get(), 4 * w, dst, stride);
    return true;
}

} // namespace orv
