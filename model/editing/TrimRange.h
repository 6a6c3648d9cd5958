#pragma once

// Arithmetic of the editor's trim range and position sliders. Times are
// microseconds; fractions 0..1 are measured from the trim start over the
// span, so once a trim is applied both sliders cover only the trimmed part.

#include <cstdint>
#include <optional>

namespace TrimRange {

constexpr uint64_t kMinLengthUs = 2000; // shorter trims are refused

// (end, or the duration when no end is set) - start; 0 when that would be
// negative.
uint64_t span(uint64_t start, uint64_t end, uint64_t duration);

// start + fraction x span in double precision (slider drags).
uint64_t seekTarget(uint64_t start, uint64_t span, double fraction);
// The same in single precision (frame steps, play section, trim reset).
uint64_t seekTargetSingle(uint64_t start, uint64_t span, float fraction);

// Time tick: the position slider's percentage and the shown time (ms from
// the trim start) for play time t. Nothing during the first millisecond.
// The percentage is left out when neither a trim length nor a duration of
// at least 1 ms is known. A play time before the trim start counts as the
// trim start.
struct Tick
{
    bool hasPercent = false;
    double percent = 0.0;
    uint64_t relMs = 0;
};
std::optional<Tick> tick(uint64_t playTime, uint64_t start, uint64_t end, uint64_t duration);

// Applying the trim handles' fractions s <= e to the current range; nullopt
// when the result is shorter than kMinLengthUs (or there is no duration).
struct Range
{
    uint64_t start = 0, end = 0;
};
std::optional<Range> apply(uint64_t start, uint64_t end, uint64_t duration, float s, float e);

} // namespace TrimRange
