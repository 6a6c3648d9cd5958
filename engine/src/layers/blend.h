// Drawing onto 8-bit yuv420p frames: alpha masks (libass), YUVA pictures
// (image watermark, bitmap subtitles) and the preview border. Chroma takes
// the 2×2 average of the coverage, as FFmpeg's subtitles filter does.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct AVFrame;

namespace orv {

// A picture with full-resolution chroma and straight alpha, so it can be
// placed at odd positions without shifting its colours.
struct YuvaImage
{
    int w = 0, h = 0;
    std::vector<uint8_t> y, u, v, a;
    bool empty() const { return w <= 0 || h <= 0; }
};

// BT.601 limited range, the range of the frames we draw on.
void rgbToYuv(int r, int g, int b, int* y, int* u, int* v);

// alpha (0..255) is multiplied into the picture's own alpha.
YuvaImage rgbaToYuva(const uint8_t* rgba, int w, int h, int stride, int alpha);

// Bicubic resize of an RGBA picture; false if swscale refuses.
bool scaleRgba(const uint8_t* src, int sw, int sh, int sstride, int dw, int dh, std::vector<uint8_t>* out);

// Draws with its top-left at (x, y), clipped at the frame.
void blendYuva(AVFrame* frame, const YuvaImage& img, int x, int y);

// A coverage mask of one colour; `assColor` is libass's RRGGBBTT.
void blendMask(AVFrame* frame, const uint8_t* mask, int stride, int w, int h, int x, int y,
               uint32_t assColor);

// 1 px white just outside the box, 1 px black outside that, on a planar
// 8-bit YUV frame.
void drawPreviewBorder(AVFrame* frame, int x, int y, int w, int h);

// Decodes a PNG, JPEG, BMP or a GIF's first frame from the file's bytes,
// keeping its alpha. False when it is none of these.
bool decodeImageFile(const std::string& path, int* w, int* h, std::vector<uint8_t>* rgba);

// decodeImageFile with the reason of a failure, an ORV_FILE_* code. With
// maxSide > 0 a picture with a larger side is refused from its header,
// before anything is decoded. *w and *h hold the size once known (0 else).
int loadImageFile(const std::string& path, int maxSide, int* w, int* h, std::vector<uint8_t>* rgba);

} // namespace orv
