#include "editing/PreviewDrag.h"

#include "window/GripCursor.h"

#include <algorithm>
#include <cstdlib>

namespace PreviewDrag {

Qt::CursorShape cursorFor(int mode)
{
    using namespace GripCursor;
    // The sides each mode moves, by mode.
    static const unsigned kSides[] = {
        NoSide, // None
        LeftSide | TopSide, // TopLeft
        LeftSide | BottomSide, // BottomLeft
        LeftSide, // Left
        RightSide | TopSide, // TopRight
        RightSide | BottomSide, // BottomRight
        RightSide, // Right
        TopSide, // Top
        BottomSide, // Bottom
        AllSides, // Inside
    };
    return GripCursor::cursorFor(mode > None && mode <= Inside ? kSides[mode] : NoSide);
}

ScreenBox watermarkBox(const Picture& pic, int posX, int posY, double w, double h)
{
    ScreenBox box;
    if (w <= kNoSize || h <= kNoSize)
        return box;
    const int W = pic.width();
    const int H = pic.height();
    box.left = posX * W / 1000 + pic.x1;
    box.top = posY * H / 1000 + pic.y1;
    box.right = int(box.left + W * w);
    box.bottom = int(box.top + H * h);
    box.valid = true;
    return box;
}

ScreenBox cropBox(const Picture& pic, const EditRect& b)
{
    ScreenBox box;
    if (b.w <= kNoSize || b.h <= kNoSize)
        return box;
    const int W = pic.width();
    const int H = pic.height();
    box.left = int(b.x * W + pic.x1);
    box.right = int(box.left + W * b.w);
    box.top = int(b.y * H + pic.y1);
    box.bottom = int(box.top + b.h * H);
    box.valid = true;
    return box;
}

int hitTest(const ScreenBox& box, int pictureWidth, int mx, int my)
{
    if (!box.valid)
        return None;
    const int t = (box.left == 0 || box.right == pictureWidth) ? 4 : 2;
    int base;
    if (std::abs(mx - box.left) <= t)
        base = TopLeft;
    else if (std::abs(mx - box.right) <= t)
        base = TopRight;
    else if (box.left < mx && mx < box.right)
        base = Top;
    else
        return None;
    // Within a column: top grip, bottom grip, then the span between them.
    if (std::abs(my - box.top) <= 2)
        return base;
    if (std::abs(my - box.bottom) <= 2)
        return base + 1;
    if (box.top < my && my < box.bottom)
        return base + 2;
    return None;
}

Edges dragEdges(const EditRect& s, double nx, double ny)
{
    Edges e;
    e.left = nx < 0 ? 0.0 : std::min(nx, s.x + s.w - kMinSize);
    e.top = ny < 0 ? 0.0 : std::min(ny, s.y + s.h - kMinSize);
    e.rightAnchor = nx + s.w > 1 ? 1.0 - s.w : std::max(nx, s.x - s.w + kMinSize);
    e.bottomAnchor = ny + s.h > 1 ? 1.0 - s.h : std::max(ny, s.y - s.h + kMinSize);
    e.moveX = nx < 0 ? 0.0 : (nx + s.w > 1 ? 1.0 - s.w : nx);
    e.moveY = ny < 0 ? 0.0 : (ny + s.h > 1 ? 1.0 - s.h : ny);
    return e;
}

namespace {

int thousandths(double p) { return int(p * 1000 + 0.5); }

int scaled(double factor, double k) { return int(factor * k + 0.5); }

} // namespace

WatermarkResult dragWatermark(int mode, const EditRect& s, double kx, double ky,
                              const WatermarkState& current, double nx, double ny)
{
    const Edges e = dragEdges(s, nx, ny);
    WatermarkResult r;
    r.state = current;
    const double leftFactor = 1 - (e.left - s.x) / s.w;
    const double topFactor = 1 - (e.top - s.y) / s.h;
    const double rightFactor = (e.rightAnchor - s.x) / s.w + 1;
    const double bottomFactor = (e.bottomAnchor - s.y) / s.h + 1;
    switch (mode) {
    case TopLeft:
        r.state.posX = thousandths(e.left);
        r.state.posY = thousandths(e.top);
        r.state.scaleX = scaled(leftFactor, kx);
        r.state.scaleY = scaled(topFactor, ky);
        r.position = r.scale = true;
        break;
    case BottomLeft:
        r.state.posX = thousandths(e.left);
        r.state.scaleX = scaled(leftFactor, kx);
        r.state.scaleY = scaled(bottomFactor, ky);
        r.position = r.scale = true;
        break;
    case Left:
        r.state.posX = thousandths(e.left);
        r.state.scaleX = scaled(leftFactor, kx);
        r.position = r.scale = true;
        break;
    case TopRight:
        r.state.posY = thousandths(e.top);
        r.state.scaleX = scaled(rightFactor, kx);
        r.state.scaleY = scaled(topFactor, ky);
        r.position = r.scale = true;
        break;
    case BottomRight:
        r.state.scaleX = scaled(rightFactor, kx);
        r.state.scaleY = scaled(bottomFactor, ky);
        r.scale = true;
        break;
    case Right:
        r.state.scaleX = scaled(rightFactor, kx);
        r.scale = true;
        break;
    case Top:
        r.state.posY = thousandths(e.top);
        r.state.scaleY = scaled(topFactor, ky);
        r.position = r.scale = true;
        break;
    case Bottom:
        r.state.scaleY = scaled(bottomFactor, ky);
        r.scale = true;
        break;
    case Inside:
        r.state.posX = thousandths(e.moveX);
        r.state.posY = thousandths(e.moveY);
        r.position = true;
        break;
    default:
        break;
    }
    return r;
}

EditRect dragCrop(int mode, const EditRect& s, double nx, double ny)
{
    const Edges e = dragEdges(s, nx, ny);
    const double right = e.rightAnchor + s.w;
    const double bottom = e.bottomAnchor + s.h;
    switch (mode) {
    case TopLeft:
        return {e.left, e.top, s.x + s.w - e.left, s.y + s.h - e.top};
    case BottomLeft:
        return {e.left, s.y, s.x + s.w - e.left, bottom - s.y};
    case Left:
        return {e.left, s.y, s.x + s.w - e.left, s.h};
    case TopRight:
        return {s.x, e.top, right - s.x, s.y + s.h - e.top};
    case BottomRight:
        return {s.x, s.y, right - s.x, bottom - s.y};
    case Right:
        return {s.x, s.y, right - s.x, s.h};
    case Top:
        return {s.x, e.top, s.w, s.y + s.h - e.top};
    case Bottom:
        return {s.x, s.y, s.w, bottom - s.y};
    case Inside:
        return {e.moveX, e.moveY, s.w, s.h};
    default:
        return s;
    }
}

} // namespace PreviewDrag
