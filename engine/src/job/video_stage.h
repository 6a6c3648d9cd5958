// Stage 2 of a job, one item's pictures: placed on the output's constant
// frame rate (each source picture takes the nearest slot; gaps repeat the
// held picture, crowded pictures are dropped), then the processing chain,
// the layers and the encoder's pixel format, and on to stage 3.
#pragma once

#include "job/frame_queue.h"
#include "job/output_plan.h"
#include "layers/layer_stack.h"
#include "media/decoder.h"
#include "process/video_chain.h"

#include <cstdint>

struct SwsContext;

namespace orv {

struct JobItem;

// A picture of w×h in fmt, black in that format's range.
FramePtr blackFrame(int w, int h, AVPixelFormat fmt);

int64_t slotToUs(int64_t slot, AVRational fps);
int64_t usToSlot(int64_t us, AVRational fps);

class VideoStage
{
public:
    // out: the queue to stage 3; maxSlots: the item's length in slots
    VideoStage(const OutputPlan& plan, const JobItem& item, FrameQueue& out, int64_t maxSlots);
    ~VideoStage();
    VideoStage(const VideoStage&) = delete;
    VideoStage& operator=(const VideoStage&) = delete;

    // A decoded picture, pts in µs from the item's start: the slots before
    // its own are filled, then it is held. False when the job goes down;
    // error() then says whether processing failed.
    bool take(FramePtr frame);
    // Fills the slots up to `end` with the held picture (black without one).
    bool fillTo(int64_t end);

    bool holding() const { return m_held != nullptr; }
    int64_t heldSlot() const { return m_heldSlot; }
    int64_t nextSlot() const { return m_next; }
    int error() const { return m_error; }

private:
    bool emit(bool useHeld);
    AVFrame* processed(bool useHeld);
    bool toEncoderFormat(FramePtr& frame);

    const OutputPlan& m_plan;
    const JobItem& m_item;
    FrameQueue& m_out;
    const int64_t m_maxSlots;
    VideoChain m_chain;
    LayerStack* m_layers = nullptr;
    bool m_captions = false;
    SwsContext* m_toEncoder = nullptr;
    FramePtr m_held, m_heldProcessed, m_black;
    int64_t m_heldSlot = 0;
    int64_t m_next = 0;
    int m_error = 0;
};

} // namespace orv
