#include "window/EdgeGrip.h"

#include "window/GripCursor.h"

namespace EdgeGrip {

int zoneAt(const QRect& g, const QPoint& p, int band)
{
    const int L = g.left(), T = g.top(), R = g.right(), B = g.bottom();
    const int x = p.x(), y = p.y();
    const bool atLeft = L <= x && x <= L + band;
    const bool atRight = R - band <= x && x <= R;
    const bool midX = L + band < x && x < R - band;
    const bool atTop = T <= y && y <= T + band;
    const bool atBottom = B - band <= y && y <= B;
    const bool midY = T + band < y && y < B - 4;

    // In this order: the first zone that matches wins.
    const struct
    {
        bool hit;
        Zone zone;
    } zones[] = {
        {atLeft && midY, Left},       {atLeft && atTop, TopLeft},       {midX && atTop, Top},
        {atRight && atTop, TopRight}, {atRight && midY, Right},         {atRight && atBottom, BottomRight},
        {midX && atBottom, Bottom},   {atLeft && atBottom, BottomLeft},
    };
    for (const auto& z : zones) {
        if (z.hit)
            return z.zone;
    }
    return None;
}

Qt::CursorShape cursorFor(int zone)
{
    using namespace GripCursor;
    return GripCursor::cursorFor(
        (movesLeft(zone) ? LeftSide : NoSide) | (movesRight(zone) ? RightSide : NoSide)
        | (movesTop(zone) ? TopSide : NoSide) | (movesBottom(zone) ? BottomSide : NoSide));
}

bool movesLeft(int zone) { return zone == Left || zone == TopLeft || zone == BottomLeft; }
bool movesRight(int zone) { return zone == Right || zone == TopRight || zone == BottomRight; }
bool movesTop(int zone) { return zone == Top || zone == TopLeft || zone == TopRight; }
bool movesBottom(int zone) { return zone == Bottom || zone == BottomLeft || zone == BottomRight; }

QPoint edgeOffset(const QRect& g, int zone, const QPoint& p)
{
    return QPoint(p.x() - (movesLeft(zone) ? g.left() : g.right()),
                  p.y() - (movesTop(zone) ? g.top() : g.bottom()));
}

QRect dragged(const QRect& g, int zone, const QPoint& p, const QPoint& offset, const QSize& minimum,
              const QSize& maximum)
{
    const QPoint edge = p - offset;
    QRect next = g;
    if (movesLeft(zone))
        next.setLeft(edge.x());
    if (movesRight(zone))
        next.setRight(edge.x());
    if (movesTop(zone))
        next.setTop(edge.y());
    if (movesBottom(zone))
        next.setBottom(edge.y());

    QRect result = g;
    const int widthSpan = next.right() - next.left();
    if (widthSpan > minimum.width() && widthSpan < maximum.width()) {
        result.setLeft(next.left());
        result.setRight(next.right());
    }
    const int heightSpan = next.bottom() - next.top();
    if (heightSpan > minimum.height() && heightSpan < maximum.height()) {
        result.setTop(next.top());
        result.setBottom(next.bottom());
    }
    return result;
}

} // namespace EdgeGrip
