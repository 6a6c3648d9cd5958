#pragma once

// The pointer shape of a grip, in one table for everything a person resizes
// by hand: a window's edges and the boxes dragged on the editor's previews.
// A grip is named by the sides of its box that it moves.

#include <Qt>

namespace GripCursor {

enum Side : unsigned {
    NoSide = 0,
    LeftSide = 1,
    RightSide = 2,
    TopSide = 4,
    BottomSide = 8,
    AllSides = LeftSide | RightSide | TopSide | BottomSide // the whole box moves
};

// The arrow for no side or a set of sides no grip moves.
Qt::CursorShape cursorFor(unsigned sides);

} // namespace GripCursor
