// Steps 1-6 of the processing chain on decoded pictures: auto-rotation,
// crop, scale to the fit rectangle, rotation and mirror, pad, square pixels,
// as one libavfilter graph built in code. Every option is a number we
// format ourselves; no user text ever reaches a filter.
//
// Used by conversions; a player drives the same chain at its own frame size.
#pragma once

#include "process/geometry.h"

#include <cstdint>

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavutil/frame.h>
}

namespace orv {

struct ChainSetup
{
    int autoRotate = 0; // clockwise degrees the display matrix asks for
    GeometryInput geometry; // srcW/srcH: the source picture (square, rotated)
    uint32_t padColor = 0xFF000000u;
    // yuv420p for encoders and layers; a preview of the source keeps full
    // colour resolution (yuv444p), which a picture a few pixels wide needs
    AVPixelFormat outFormat = AV_PIX_FMT_YUV420P;
};

class InputFile;

// The chain's set-up for a stream of a source and a frame size: one rule for
// the converter and the player, so the preview is what converts.
ChainSetup chainSetupFor(const InputFile& input, int stream, const ProcessingSettings& p, int outW, int outH);

class VideoChain
{
public:
    VideoChain() = default;
    ~VideoChain();
    VideoChain(const VideoChain&) = delete;
    VideoChain& operator=(const VideoChain&) = delete;

    void setup(const ChainSetup& setup);
    const GeometryPlan& plan() const { return m_plan; }

    // One decoded picture in, one picture of the output size and format out.
    // A picture that needs nothing done is passed on by reference.
    int process(const AVFrame* in, AVFrame* out);

private:
    int build(const AVFrame* in);
    bool isIdentity(const AVFrame* in) const;
    void freeGraph();

    ChainSetup m_setup;
    GeometryPlan m_plan;
    AVFilterGraph* m_graph = nullptr;
    AVFilterContext* m_src = nullptr;
    AVFilterContext* m_sink = nullptr;
    int m_inW = 0, m_inH = 0, m_inFormat = -1;
};

} // namespace orv
