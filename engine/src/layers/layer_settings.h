// Settings of the layers drawn over processed frames: the text and image
// watermarks, subtitles and the preview borders. Plain data, copied into
// every job and player; the converter, the merger and the player fill it
// from their configuration and hand it to a LayerStack.
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

enum class SubtitleSource { None, Stream, ClosedCaption, File };

struct LayerSettings
{
    // Text watermark; empty text = no layer.
    std::string wmText;
    TextStyle wmStyle = [] {
        TextStyle s;
        s.sizePt = 36;
        return s;
    }();
    double wmTextX = 0.0, wmTextY = 0.0; // top-left of the drawn box, fractions of W×H
    bool textTopmost = true; // text over image

    // Image watermark; empty path = no layer.
    std::string wmImageFile;
    int wmImageAlpha = 255;
    int wmImageScaleX = 100, wmImageScaleY = 100;
    double wmImageX = 0.0, wmImageY = 0.0;

    // Subtitles burnt in.
    SubtitleSource subSource = SubtitleSource::None;
    std::string subSourcePath; // the media file, for Stream
    int subStreamIndex = -1; // AVStream index in that file, for Stream
    std::string subFile; // external file, for File
    TextStyle subStyle; // sizePt 18 by default
    int64_t subDelayUs = 0; // positive = later

    // Preview borders (players only, never in conversions).
    bool textBorder = false;
    bool imageBorder = false;
};

} // namespace orv
