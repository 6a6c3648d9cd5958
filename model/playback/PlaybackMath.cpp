#include "playback/PlaybackMath.h"

#include <QTime>

#include <algorithm>

namespace PlaybackMath {

uint64_t backTarget(uint64_t timeUs) { return timeUs > kSeekStepUs ? timeUs - kSeekStepUs : 0; }

uint64_t fastTarget(uint64_t timeUs, uint64_t durationUs)
{
    uint64_t target = timeUs + kSeekStepUs;
    if (durationUs >= 1000000)
        target = std::min(target, durationUs - 1000000);
    return std::min(target, durationUs);
}

uint64_t fractionTarget(double fraction, uint64_t durationUs)
{
    fraction = std::clamp(fraction, 0.0, 1.0);
    return uint64_t(double(durationUs) * fraction);
}

double progressFraction(uint64_t timeUs, uint64_t durationUs)
{
    const uint64_t totalMs = durationUs / 1000;
    if (totalMs == 0)
        return 0.0;
    return double(timeUs / 1000) / double(totalMs);
}

QString clockText(uint64_t seconds, bool withHours)
{
    if (seconds >= 24 * 3600)
        return QString();
    const QTime time = QTime::fromMSecsSinceStartOfDay(int(seconds * 1000));
    return time.toString(withHours ? QStringLiteral("hh:mm:ss") : QStringLiteral("mm:ss"));
}

QString timeLabelText(uint64_t timeUs, uint64_t durationUs)
{
    if (durationUs < 1000)
        return QString();
    const uint64_t total = durationUs / 1000000;
    const bool withHours = total >= 3600;
    return clockText(timeUs / 1000000, withHours) + QStringLiteral(" / ") + clockText(total, withHours);
}

QString durationText(uint64_t durationUs)
{
    const uint64_t seconds = durationUs / 1000000;
    return clockText(seconds, seconds >= 3600);
}

QRect playerPlacement(const QSize& videoSize, const QSize& minimum, const QRect& available,
                      const QMargins& frame)
{
    constexpr int kPlaylistWidth = 230 + 2;
    constexpr int kBarsHeight = 84;
    constexpr int kSideMargin = 304;
    constexpr int kTopBottomMargin = 200;
    int w = std::max(videoSize.width(), 0) + kPlaylistWidth;
    int h = std::max(videoSize.height(), 0) + kBarsHeight;
    if (available.width() > kSideMargin)
        w = std::min(w, available.width() - kSideMargin);
    if (available.height() > kTopBottomMargin)
        h = std::min(h, available.height() - kTopBottomMargin);
    w = std::max(w, minimum.width());
    h = std::max(h, minimum.height());

    // The inside of the available area once the frame is around the window.
    const QRect inner = available.marginsRemoved(frame);
    // A screen smaller than the minimum keeps the minimum; the top-left
    // corner then stays on screen so the title bar can still be grabbed.
    const int x = inner.left() + std::max(0, (inner.width() - w) / 2);
    const int y = inner.top() + std::max(0, (inner.height() - h) / 2);
    return QRect(x, y, w, h);
}

} // namespace PlaybackMath
