#pragma once

// A rectangle as fractions 0..1 of a picture: left, top, width, height.
// The editor's crop and pan-and-scan boxes, a watermark's box on the
// preview and a box at a drag's press are all one.
struct EditRect
{
    double x = 0.0, y = 0.0, w = 0.0, h = 0.0;
};
