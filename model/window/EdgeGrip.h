#pragma once

// Resizing a window from thin zones along the inside of its edges, without
// a widget: which zone a pointer is in, the pointer shape it shows, and
// where the grabbed edges go when the pointer moves. All positions are
// global; rectangles are a window's geometry with right and bottom
// inclusive, as QRect gives them.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <Qt>

namespace EdgeGrip {

// 0 none, 1 left, 2 top-left, 3 top, 4 top-right, 5 right, 6 bottom-right,
// 7 bottom, 8 bottom-left.
enum Zone { None = 0, Left, TopLeft, Top, TopRight, Right, BottomRight, Bottom, BottomLeft };

// The zone of p within a band pixels in from each edge (edges included).
// The side zones end 4 pixels above the bottom whatever the band, which
// leaves a few pixels between a side and its bottom corner in no zone.
int zoneAt(const QRect& geometry, const QPoint& p, int band);
Qt::CursorShape cursorFor(int zone);

bool movesLeft(int zone);
bool movesRight(int zone);
bool movesTop(int zone);
bool movesBottom(int zone);

// The pointer's position relative to the grabbed edge(s) of the zone, so
// that the first move does not make an edge jump to the pointer.
QPoint edgeOffset(const QRect& geometry, int zone, const QPoint& p);

// The geometry once the grabbed edges follow p (less offset). Each axis
// takes its change only while the window's span on it (right - left,
// bottom - top) stays above the minimum and below the maximum; the two
// axes of a corner are judged apart.
QRect dragged(const QRect& geometry, int zone, const QPoint& p, const QPoint& offset, const QSize& minimum,
              const QSize& maximum);

} // namespace EdgeGrip
