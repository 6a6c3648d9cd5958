#pragma once

// Arithmetic of the boxes a user drags on the editor's previews: the two
// watermarks on the output picture and the crop box on the source picture.
// No widgets: the editor feeds in the picture's rectangle on the surface and
// the mouse positions, and applies what comes out to its records and player.

#include "editing/EditRect.h"

#include <Qt>

namespace PreviewDrag {

// A box on the surface, in whole pixels.
struct ScreenBox
{
    int left = 0, top = 0, right = 0, bottom = 0;
    bool valid = false; // false: a box of no size, never hit
};

// The picture's rectangle inside the surface, corners inclusive.
struct Picture
{
    int x1 = 0, y1 = 0, x2 = -1, y2 = -1;
    int width() const { return x2 - x1 + 1; }
    int height() const { return y2 - y1 + 1; }
};

// Drag modes: 0 none; 1 top-left, 2 bottom-left, 3 left, 4 top-right,
// 5 bottom-right, 6 right, 7 top, 8 bottom, 9 inside (move).
enum Mode {
    None = 0,
    TopLeft = 1,
    BottomLeft = 2,
    Left = 3,
    TopRight = 4,
    BottomRight = 5,
    Right = 6,
    Top = 7,
    Bottom = 8,
    Inside = 9
};

constexpr double kMinSize = 0.02; // no edge drag makes a box smaller
constexpr double kNoSize = 0.0001; // at or below: nothing to grab

Qt::CursorShape cursorFor(int mode);

// posX, posY in thousandths; w, h the drawn size as fractions.
ScreenBox watermarkBox(const Picture& pic, int posX, int posY, double w, double h);
ScreenBox cropBox(const Picture& pic, const EditRect& box);

// The grip under (mx, my): corners before edges before the inside. Left and
// right grips are 4 pixels wide when the box touches the surface's left edge
// or the picture's right edge, else 2; top and bottom grips 2.
int hitTest(const ScreenBox& box, int pictureWidth, int mx, int my);

// Where the dragged edges go, all clamped to the picture and to the minimum
// size. (nx, ny) is where the top-left corner would be if the whole box
// followed the mouse.
struct Edges
{
    double left = 0, top = 0; // new left and top edges
    double rightAnchor = 0; // new right edge = rightAnchor + start.w
    double bottomAnchor = 0; // new bottom edge = bottomAnchor + start.h
    double moveX = 0, moveY = 0; // top-left corner of a moved box
};
Edges dragEdges(const EditRect& start, double nx, double ny);

struct WatermarkState
{
    int posX = 0, posY = 0; // thousandths
    int scaleX = 100, scaleY = 100; // percent
};

struct WatermarkResult
{
    WatermarkState state;
    bool position = false; // the engine must get the new position
    bool scale = false; // ... and the new scale (position first)
};

// start: the box at the press; startScaleX/Y: the scales at the press;
// current: the record before this move.
WatermarkResult dragWatermark(int mode, const EditRect& start, double startScaleX, double startScaleY,
                              const WatermarkState& current, double nx, double ny);

EditRect dragCrop(int mode, const EditRect& start, double nx, double ny);

} // namespace PreviewDrag
