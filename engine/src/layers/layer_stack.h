// The layers drawn over a processed frame, in order: image and text
// watermarks (order by textTopmost), subtitles, preview borders.
// One stack per job or player; not thread-safe (one chain thread uses it).
#pragma once

#include "layers/layer_settings.h"

#include <cstddef>
#include <cstdint>
#include <memory>

struct AVFrame;

namespace orv {

// A converted picture's subtitles, in the render's processor time: only
// hostile styling takes this long, as a normal event renders in
// milliseconds; the caps on events, glyphs and tags keep the work well
// within it.
constexpr int kConversionSubtitleBudgetMs = 3000;

class LayerStack
{
public:
    LayerStack();
    ~LayerStack();
    LayerStack(const LayerStack&) = delete;
    LayerStack& operator=(const LayerStack&) = delete;

    // Prepares the layers for frames of w×h: decodes the watermark image,
    // opens the subtitle file or starts the embedded-stream loader. Returns
    // 0 (ORV_OK), ORV_E_WATERMARK or ORV_E_SUBTITLE. Reopening with other
    // settings or another size replaces everything.
    int open(const LayerSettings& settings, int w, int h);
    void close();

    // True when nothing would be drawn (the chain may skip the compositor).
    bool empty() const;

    // Draws every active layer onto a yuv420p frame of the opened size.
    // ptsUs is the frame's time from the file's start. With waitForSubtitles
    // (conversions) the call waits until the embedded-stream loader has read
    // at least 2 s past ptsUs or finished; players pass false.
    void apply(AVFrame* frame, int64_t ptsUs, bool waitForSubtitles);

    // Any thread, while a job runs: an apply() waiting for subtitles, or for
    // libass to render them, returns at once, now and later (the job is
    // going down). A render left running finishes on its own thread.
    void interrupt();

    // Pictures wait at most this long for their subtitles to render (0, the
    // default: as long as it takes); a picture whose text takes longer goes
    // out without it, said once in the log, and the render goes on so later
    // pictures show it. Players and conversions set budgets of their own.
    // A player counts time on the clock: its pictures are due. A conversion
    // counts the processor time the render spends, so that what an output
    // holds does not depend on how busy the machine was.
    enum class BudgetClock { Wall, RenderCpu };
    void setRenderBudget(int ms, BudgetClock clock = BudgetClock::Wall);

    // The preview borders alone, around the layers that exist, whatever
    // the settings say (a player draws them on delivered pictures only).
    void drawBorders(AVFrame* frame, bool text, bool image) const;

    // Closed captions: the A53 side data of a decoded source frame.
    void feedCaptions(const uint8_t* a53, size_t size, int64_t ptsUs);

    // Drawn boxes (outline and shadow included) as fractions of w×h;
    // 0.0 without the layer. Valid right after open, before any frame.
    double textBoxWidth() const;
    double textBoxHeight() const;
    double imageBoxWidth() const;
    double imageBoxHeight() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace orv
