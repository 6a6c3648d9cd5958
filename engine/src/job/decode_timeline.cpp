#include "job/decode_timeline.h"

#include "core/log.h"
#include "job/transcode_job.h"

#include <algorithm>

namespace orv {
namespace {

// A frame further than this ahead of its stream may carry a damaged time
// stamp; the frames after it tell. One damaged packet header times every
// frame in the packet: a picture, or a third of a second of sound in a
// transport stream. As many frames as that wait.
constexpr int64_t kLeapUs = 1000000;
constexpr size_t kLeapPictures = 4;
constexpr size_t kLeapSoundFrames = 64;

} // namespace

bool DecodeTimeline::Guard::leaps(int64_t t) const { return t - m_shiftUs - m_endUs > kLeapUs; }

int64_t DecodeTimeline::Guard::place(int64_t t, int64_t durationUs)
{
    t -= m_shiftUs;
    if (t - m_endUs > kMaxGapUs && t > 0) {
        if (!m_warned)
            logf(LogWarning, "a time stamp jumps by %lld s; the gap is closed",
                 static_cast<long long>((t - m_endUs) / 1000000));
        m_warned = true;
        m_shiftUs += t - std::max<int64_t>(m_endUs, 0);
        t = std::max<int64_t>(m_endUs, 0);
    }
    m_endUs = std::max(m_endUs, t + std::max<int64_t>(durationUs, 0));
    return t;
}

DecodeTimeline::DecodeTimeline(const Bounds& bounds, Deliver deliver)
    : m_bounds(bounds)
    , m_deliver(std::move(deliver))
{}

bool DecodeTimeline::take(bool video, FramePtr f, int64_t t)
{
    if (video) {
        // a picture without a time follows the one before it
        if (t == INT64_MIN)
            t = m_lastPictureUs == INT64_MIN ? 0 : m_lastPictureUs + m_bounds.pictureUs;
        m_lastPictureUs = t;
    } else if (f->sample_rate <= 0) {
        t = INT64_MIN;
    }
    Line& l = line(video);
    if (l.ended)
        return true;
    if (!l.leapt.empty()) {
        // a frame before the leap shows its time stamps were damaged;
        // enough frames after it show a real gap
        const bool damaged = t != INT64_MIN && t < l.leapt.front().t;
        if (!damaged && l.leapt.size() < (video ? kLeapPictures : kLeapSoundFrames)) {
            l.leapt.push_back(Held{std::move(f), t});
            return true;
        }
        if (!releaseLeap(video, damaged))
            return false;
        if (l.ended)
            return true;
    }
    if (t != INT64_MIN && l.guard.leaps(t)) {
        l.leapt.push_back(Held{std::move(f), t});
        return true;
    }
    return place(video, std::move(f), t);
}

bool DecodeTimeline::finish() { return releaseLeap(true, false) && releaseLeap(false, false); }

bool DecodeTimeline::place(bool video, FramePtr f, int64_t t)
{
    Line& l = line(video);
    if (video) {
        t = l.guard.place(t, m_bounds.outFrameUs);
        l.ended = t > m_bounds.videoEndUs;
    } else if (t != INT64_MIN) {
        t = l.guard.place(t, av_rescale(f->nb_samples, 1000000, f->sample_rate));
        l.ended = t >= m_bounds.lengthUs;
    } else {
        t = AV_NOPTS_VALUE;
    }
    if (l.ended)
        return true;
    ++l.delivered;
    f->pts = t;
    return m_deliver(video, std::move(f));
}

bool DecodeTimeline::releaseLeap(bool video, bool damaged)
{
    Line& l = line(video);
    bool ok = true;
    for (Held& h : l.leapt) {
        if (ok && !l.ended)
            ok = place(video, std::move(h.frame), damaged ? l.guard.next() : h.t);
    }
    l.leapt.clear();
    return ok;
}

} // namespace orv
