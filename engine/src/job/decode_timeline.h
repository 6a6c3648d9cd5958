// One item's decoded frames on their way from the decoder to the job, their
// time stamps mended. Damaged files carry three kinds of time stamp fault,
// which this tells apart:
//   - a leap more than kLeapUs ahead, soon followed by a frame from before
//     it: a damaged stamp (a flipped byte in a packet header). The leapt
//     frames follow on from the line instead; taken as they are, they
//     stretched a 2 s clip with seconds of repeated picture and silence,
//     and the sound after them was dropped as overlapping.
//   - a leap that the frames after it keep to: a real gap, kept.
//   - a jump beyond kMaxGapUs: a broken time line, closed up.
#pragma once

#include "media/decoder.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace orv {

class DecodeTimeline
{
public:
    struct Bounds
    {
        int64_t lengthUs = 0; // sound ends at the item's length
        int64_t videoEndUs = 0; // pictures run a little past it
        int64_t pictureUs = 40000; // the source's picture interval
        int64_t outFrameUs = 40000; // the output's
    };
    // Takes a placed frame, its pts set to µs from the item's start (or
    // AV_NOPTS_VALUE for sound of unknown time); false stops the item.
    using Deliver = std::function<bool(bool video, FramePtr frame)>;

    DecodeTimeline(const Bounds& bounds, Deliver deliver);

    // A decoded frame; t: µs from the item's start, INT64_MIN when unknown.
    // False when the item stops.
    bool take(bool video, FramePtr frame, int64_t t);
    // At the end of the streams: a leap still held is taken as it is.
    bool finish();
    // The stream has reached the item's end: nothing more of it is taken.
    bool ended(bool video) const { return line(video).ended; }
    // Frames delivered so far.
    int64_t delivered(bool video) const { return line(video).delivered; }

private:
    // Closes the gaps of one stream's time line that exceed kMaxGapUs: what
    // follows such a jump is moved back to follow on from what came before.
    class Guard
    {
    public:
        // Whether a frame at t (before place) leaps more than kLeapUs ahead.
        bool leaps(int64_t t) const;
        // The time (before place) that follows on from the line.
        int64_t next() const { return m_endUs + m_shiftUs; }
        // t: µs from the item's start; durationUs: the frame's own length
        int64_t place(int64_t t, int64_t durationUs);

    private:
        int64_t m_shiftUs = 0;
        int64_t m_endUs = 0; // end of the latest frame so far
        bool m_warned = false;
    };
    struct Held
    {
        FramePtr frame;
        int64_t t;
    };
    struct Line
    {
        Guard guard;
        std::vector<Held> leapt; // frames from a leap on, until the leap is told
        bool ended = false;
        int64_t delivered = 0;
    };

    Line& line(bool video) { return video ? m_video : m_audio; }
    const Line& line(bool video) const { return video ? m_video : m_audio; }
    bool place(bool video, FramePtr f, int64_t t);
    // The held frames of a leap, at their own times or, when the leap was a
    // damaged time stamp, one after another where the line goes on.
    bool releaseLeap(bool video, bool damaged);

    Bounds m_bounds;
    Deliver m_deliver;
    Line m_video, m_audio;
    int64_t m_lastPictureUs = INT64_MIN;
};

} // namespace orv
