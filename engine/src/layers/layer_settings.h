// Settings of the layers drawn over processed frames: the text and image
// watermarks, subtitles and the preview borders. Plain data, copied into
// every job and player; the converter, the merger and the player fill it
// from their configuration and hand it to a LayerStack.
#pragma once

#include "text/text_style.h"

#include <cstdint>
#include <string>

namespace orv {

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
