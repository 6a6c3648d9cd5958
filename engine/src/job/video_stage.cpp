#include "job/video_stage.h"

#include "core/log.h"
#include "job/transcode_job.h"
#include "media/scaling.h"
#include "orvalta.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace orv {

FramePtr blackFrame(int w, int h, AVPixelFormat fmt)
{
    FramePtr f(av_frame_alloc());
    if (!f)
        return nullptr;
    f->width = w;
    f->height = h;
    f->format = fmt;
    if (av_frame_get_buffer(f.get(), 0) < 0)
        return nullptr;
    ptrdiff_t lines[4];
    for (int i = 0; i < 4; ++i)
        lines[i] = f->linesize[i];
    av_image_fill_black(f->data, lines, fmt, fmt == AV_PIX_FMT_YUVJ420P ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG,
                        w, h);
    return f;
}

int64_t slotToUs(int64_t slot, AVRational fps)
{
    return av_rescale(slot, int64_t(fps.den) * 1000000, fps.num);
}
int64_t usToSlot(int64_t us, AVRational fps) { return av_rescale(us, fps.num, int64_t(fps.den) * 1000000); }

VideoStage::VideoStage(const OutputPlan& plan, const JobItem& item, FrameQueue& out, int64_t maxSlots)
    : m_plan(plan)
    , m_item(item)
    , m_out(out)
    , m_maxSlots(maxSlots)
{
    if (item.videoStream >= 0)
        m_chain.setup(chainSetupFor(*item.input, item.videoStream, item.proc, plan.width, plan.height));
    if (item.layers && !item.layers->empty())
        m_layers = item.layers.get();
    m_captions = item.layers && item.proc.layers.subSource == SubtitleSource::ClosedCaption;
}

VideoStage::~VideoStage() { sws_freeContext(m_toEncoder); }

bool VideoStage::take(FramePtr f)
{
    if (m_captions) {
        if (const AVFrameSideData* sd = av_frame_get_side_data(f.get(), AV_FRAME_DATA_A53_CC))
            m_item.layers->feedCaptions(sd->data, sd->size, m_item.beginUs + f->pts);
    }
    // nearest output slot, as an fps filter rounding to nearest does
    const int64_t slot = usToSlot(f->pts, m_plan.fps);
    if (!m_held) {
        // before the first picture, the first picture itself
        m_held = std::move(f);
        m_heldProcessed.reset();
        m_heldSlot = 0;
        if (!fillTo(std::min(slot, m_maxSlots)))
            return false;
    } else {
        if (!fillTo(std::min(slot, m_maxSlots)))
            return false;
        m_held = std::move(f);
        m_heldProcessed.reset();
    }
    m_heldSlot = slot;
    return true;
}

bool VideoStage::fillTo(int64_t end)
{
    while (m_next < end)
        if (!emit(m_held != nullptr))
            return false;
    return true;
}

// The held picture after the chain (processed once however often it is
// repeated), or black.
AVFrame* VideoStage::processed(bool useHeld)
{
    if (!useHeld) {
        if (!m_black)
            m_black = blackFrame(m_plan.width, m_plan.height, AV_PIX_FMT_YUV420P);
        return m_black.get();
    }
    if (!m_heldProcessed) {
        FramePtr out(av_frame_alloc());
        if (!out)
            return nullptr;
        const int err = m_chain.process(m_held.get(), out.get());
        if (err < 0) {
            logf(LogError, "video chain failed: %s", avErrorText(err).c_str());
            return nullptr;
        }
        m_heldProcessed = std::move(out);
    }
    return m_heldProcessed.get();
}

bool VideoStage::toEncoderFormat(FramePtr& frame)
{
    if (m_plan.pixFmt == AV_PIX_FMT_YUV420P)
        return true;
    FramePtr conv =
        scaleFrame(frame.get(), m_plan.width, m_plan.height, m_plan.pixFmt, SWS_BICUBIC, &m_toEncoder);
    if (!conv)
        return false;
    if (m_plan.pixFmt == AV_PIX_FMT_YUVJ420P)
        conv->color_range = AVCOL_RANGE_JPEG;
    frame = std::move(conv);
    return true;
}

bool VideoStage::emit(bool useHeld)
{
    AVFrame* picture = processed(useHeld);
    FramePtr out(picture ? av_frame_clone(picture) : nullptr);
    bool ok = out != nullptr;
    if (ok && m_layers) {
        // repeats share one buffer unless a layer draws on them
        ok = av_frame_make_writable(out.get()) >= 0;
        if (ok)
            m_layers->apply(out.get(), m_item.beginUs + slotToUs(m_next, m_plan.fps), true);
    }
    ok = ok && toEncoderFormat(out);
    if (!ok) {
        m_error = ORV_E_INTERNAL;
        return false;
    }
    out->pts = m_next++;
    return m_out.push(StageMessage{StageMessage::Video, out.release()});
}

} // namespace orv
