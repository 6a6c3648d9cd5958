#include "window/GripCursor.h"

namespace GripCursor {

namespace {

const struct
{
    unsigned sides;
    Qt::CursorShape cursor;
} kCursors[] = {
    {LeftSide, Qt::SizeHorCursor},
    {RightSide, Qt::SizeHorCursor},
    {TopSide, Qt::SizeVerCursor},
    {BottomSide, Qt::SizeVerCursor},
    {LeftSide | TopSide, Qt::SizeFDiagCursor},
    {RightSide | BottomSide, Qt::SizeFDiagCursor},
    {RightSide | TopSide, Qt::SizeBDiagCursor},
    {LeftSide | BottomSide, Qt::SizeBDiagCursor},
    {AllSides, Qt::SizeAllCursor},
};

} // namespace

Qt::CursorShape cursorFor(unsigned sides)
{
    for (const auto& row : kCursors) {
        if (row.sides == sides)
            return row.cursor;
    }
    return Qt::ArrowCursor;
}

} // namespace GripCursor
