#include "editing/TrimRange.h"

namespace TrimRange {

uint64_t span(uint64_t start, uint64_t end, uint64_t duration)
{
    const uint64_t last = end != 0 ? end : duration;
    return last > start ? last - start : 0;
}

uint64_t seekTarget(uint64_t start, uint64_t span, double fraction)
{
    return uint64_t(double(start) + fraction * double(span));
}

uint64_t seekTargetSingle(uint64_t start, uint64_t span, float fraction)
{
    return uint64_t(float(start) + fraction * float(span));
}

std::optional<Tick> tick(uint64_t playTime, uint64_t start, uint64_t end, uint64_t duration)
{
    if (playTime < 1000)
        return std::nullopt;
    const uint64_t tMs = playTime / 1000;
    const uint64_t startMs = start / 1000;
    Tick result;
    result.relMs = tMs > startMs ? tMs - startMs : 0;
    const uint64_t range = end > start ? end - start : 0;
    const uint64_t divisorMs = range >= 1000 ? range / 1000 : duration / 1000;
    if (divisorMs == 0)
        return result;
    result.hasPercent = true;
    result.percent = double(result.relMs) * 100.0 / double(divisorMs);
    return result;
}

std::optional<Range> apply(uint64_t start, uint64_t end, uint64_t duration, float s, float e)
{
    if (duration == 0)
        return std::nullopt;
    Range r;
    if (end != 0) {
        const float len = float(end - start);
        r.start = uint64_t(float(start) + s * len);
        r.end = uint64_t(float(start) + e * len);
    } else {
        r.start = uint64_t(s * float(duration));
        r.end = uint64_t(e * float(duration));
    }
    if (r.end < r.start || r.end - r.start < kMinLengthUs)
        return std::nullopt;
    return r;
}

} // namespace TrimRange
