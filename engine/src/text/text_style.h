// How a text layer looks: the text watermark's and the subtitles' style.
// Plain data, below both the layers that hold it and the libass plumbing
// that applies it.
#pragma once

#include <cstdint>
#include <string>

namespace orv {

struct TextStyle
{
    std::string font; // fontconfig family, "" = default sans
    int sizePt = 18; // reference points at 288 lines
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    uint32_t color = 0xFFFFFFFFu; // 0xAARRGGBB
    uint32_t shadowColor = 0xFF000000u;
    uint32_t outlineColor = 0xFF000000u;
    double shadowOffset = 0.0; // reference px
    double outlineSize = 0.0; // reference px
    int scaleX = 100; // percent
    int scaleY = 100;
    int alpha = 255; // layer opacity, multiplied into all colours
};

} // namespace orv
