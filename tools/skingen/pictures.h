// The skin picture table shared by the generator and its test.
#pragma once

namespace skin {

struct Picture
{
    const char* path; // relative to the Resources folder
    int frameWidth; // width of one frame; the picture is frames times as wide
    int height;
    int frames; // 1, or 4 for normal, hover, pressed, disabled
    const char* style; // how the frame is drawn (see painter.cpp)
    const char* glyph; // symbol drawn inside, "" for none
    const char* tint; // optional colour "#rrggbb", "" for the style's own
};

extern const Picture kPictures[];
extern const int kPictureCount;

} // namespace skin
