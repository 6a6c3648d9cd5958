#include "EditArithmetic.h"

#include "ConfigMapping.h"

#include <algorithm>
#include <cstdint>

namespace clipedit {

int cropPixelSize(int n, double f)
{
    if (n <= 0)
        return 0;
    f = std::clamp(f, 0.0, 1.0);
    const auto q = static_cast<uint32_t>(f * 65536.0 + 0.5);
    if (q == 65536u)
        return n;
    const int64_t r = (int64_t(q) * n) / 65536 + 1;
    return r < n ? int(r & ~int64_t(1)) : n;
}

void applyRatioChoice(CropSettings& s, int chosen, int sourceW, int sourceH, int outputW, int outputH)
{
    switch (chosen) {
    case Ratio_OriginalSize:
        s.ratio_type = Ratio_OriginalSize;
        s.aspect_width = std::max(2, cropPixelSize(sourceW, s.crop_w));
        s.aspect_height = std::max(2, cropPixelSize(sourceH, s.crop_h));
        break;
    case Ratio_FullScreen:
        s.ratio_type = Ratio_FullScreen;
        s.aspect_width = outputW;
        s.aspect_height = outputH;
        break;
    case Ratio_16_9:
        s.ratio_type = Ratio_16_9;
        s.aspect_width = 16;
        s.aspect_height = 9;
        break;
    case Ratio_4_3:
        s.ratio_type = Ratio_4_3;
        s.aspect_width = 4;
        s.aspect_height = 3;
        break;
    default:
        s.ratio_type = Ratio_OriginalAspect;
        s.aspect_width = 0;
        s.aspect_height = 0;
        break;
    }
}

// The conversion's rule, so the drag box is the rectangle the output cuts.
bool panScanActive(const CropSettings& s) { return ConfigMapping::panScanActive(s); }

bool quarterTurned(int rotate) { return rotate == 90 || rotate == 270; }

void rotateLeft(CropSettings& s) { s.rotate = (s.rotate + (s.mirror ? 90 : 270)) % 360; }

void rotateRight(CropSettings& s) { s.rotate = (s.rotate + (s.mirror ? 270 : 90)) % 360; }

void flipHorizontal(CropSettings& s) { s.mirror = 1 - (s.mirror ? 1 : 0); }

void flipVertical(CropSettings& s)
{
    s.rotate = (s.rotate + 180) % 360;
    s.mirror = 1 - (s.mirror ? 1 : 0);
}

void keepProportion(Box& b, const Box& p, int mode)
{
    if (mode <= 0 || mode > 8 || p.w <= 0 || p.h <= 0)
        return;
    const double right = p.x + p.w;
    const double bottom = p.y + p.h;
    const bool tooWide = b.w * p.h > b.h * p.w;
    auto heightFromWidth = [&] { b.h = b.w * p.h / p.w; };
    auto widthFromHeight = [&] { b.w = b.h * p.w / p.h; };
    // Limits that shrink the box back inside the picture.
    auto clampBottom = [&](bool moveLeft) {
        if (b.y + b.h > 1) {
            b.h = 1 - b.y;
            widthFromHeight();
            if (moveLeft)
                b.x = right - b.w;
        }
    };
    auto clampRight = [&](bool moveTop) {
        if (b.x + b.w > 1) {
            b.w = 1 - b.x;
            heightFromWidth();
            if (moveTop)
                b.y = bottom - b.h;
        }
    };
    switch (mode) {
    case 1: // top-left corner
        if (tooWide) {
            heightFromWidth();
            b.y = bottom - b.h;
            if (b.y < 0) {
                b.y = 0;
                b.h = bottom;
                b.w = p.w * bottom / p.h;
                b.x = right - b.w;
            }
        } else {
            widthFromHeight();
            b.x = right - b.w;
            if (b.x < 0) {
                b.x = 0;
                b.w = right;
                b.h = p.h * right / p.w;
                b.y = bottom - b.h;
            }
        }
        break;
    case 2: // bottom-left corner
        if (tooWide) {
            heightFromWidth();
            clampBottom(true);
        } else {
            widthFromHeight();
            b.x = right - b.w;
            if (b.x < 0) {
                b.x = 0;
                b.w = right;
                b.h = p.h * right / p.w;
            }
        }
        break;
    case 3: // left edge
        heightFromWidth();
        clampBottom(true);
        break;
    case 4: // top-right corner
        if (tooWide) {
            heightFromWidth();
            b.y = bottom - b.h;
            if (b.y < 0) {
                b.y = 0;
                b.h = bottom;
                b.w = p.w * bottom / p.h;
            }
        } else {
            widthFromHeight();
            clampRight(true);
        }
        break;
    case 5: // bottom-right corner
        if (tooWide) {
            heightFromWidth();
            clampBottom(false);
        } else {
            widthFromHeight();
            clampRight(false);
        }
        break;
    case 6: // right edge
        heightFromWidth();
        clampBottom(false);
        break;
    case 7: // top edge
        widthFromHeight();
        clampRight(true);
        break;
    case 8: // bottom edge
        widthFromHeight();
        clampRight(false);
        break;
    }
}

} // namespace clipedit
