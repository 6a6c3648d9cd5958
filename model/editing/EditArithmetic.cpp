#include "editing/EditArithmetic.h"

#include <algorithm>
#include <cstdint>

namespace EditArithmetic {

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

void applyPanScan(CropSettings& s, int outputW, int outputH)
{
    s.ratio_type = Ratio_OriginalAspect;
    s.fill_type = 1;
    s.aspect_width = outputW;
    s.aspect_height = outputH;
}

// The conversion's rule, so the drag box is the rectangle the output cuts.
bool panScanActive(const CropSettings& s) { return ::panScanActive(s); }

bool quarterTurned(int rotate) { return rotate == 90 || rotate == 270; }

void rotateLeft(CropSettings& s) { s.rotate = (s.rotate + (s.mirror ? 90 : 270)) % 360; }

void rotateRight(CropSettings& s) { s.rotate = (s.rotate + (s.mirror ? 270 : 90)) % 360; }

void flipHorizontal(CropSettings& s) { s.mirror = 1 - (s.mirror ? 1 : 0); }

void flipVertical(CropSettings& s)
{
    s.rotate = (s.rotate + 180) % 360;
    s.mirror = 1 - (s.mirror ? 1 : 0);
}

namespace {

// What a grip keeps still and which side follows the other. A grip on the
// left keeps the right edge, one on the top keeps the bottom edge; at a
// corner the side the drag left short for the proportion follows.
struct Grip
{
    bool keepsRight = false;
    bool keepsBottom = false;
    enum Follows { Either, HeightFollows, WidthFollows } follows = Either;
};

const Grip kGrips[] = {
    {}, // 0: none
    {true, true, Grip::Either}, // 1: top-left corner
    {true, false, Grip::Either}, // 2: bottom-left corner
    {true, false, Grip::HeightFollows}, // 3: left edge
    {false, true, Grip::Either}, // 4: top-right corner
    {false, false, Grip::Either}, // 5: bottom-right corner
    {false, false, Grip::HeightFollows}, // 6: right edge
    {false, true, Grip::WidthFollows}, // 7: top edge
    {false, false, Grip::WidthFollows}, // 8: bottom edge
};

} // namespace

void keepProportion(EditRect& b, const EditRect& p, int mode)
{
    if (mode <= 0 || mode > 8 || p.w <= 0 || p.h <= 0)
        return;
    const Grip& grip = kGrips[mode];
    const double right = p.x + p.w;
    const double bottom = p.y + p.h;
    const bool heightFollows =
        grip.follows == Grip::HeightFollows || (grip.follows == Grip::Either && b.w * p.h > b.h * p.w);
    if (heightFollows)
        b.h = b.w * p.h / p.w;
    else
        b.w = b.h * p.w / p.h;
    auto place = [&] {
        if (grip.keepsRight)
            b.x = right - b.w;
        if (grip.keepsBottom)
            b.y = bottom - b.h;
    };
    place();
    // A box grown past the picture on its free sides shrinks back inside,
    // keeping the proportion and the edges the grip keeps.
    if (grip.keepsRight ? b.x < 0 : b.x + b.w > 1) {
        b.w = grip.keepsRight ? right : 1 - b.x;
        b.h = b.w * p.h / p.w;
        place();
    }
    if (grip.keepsBottom ? b.y < 0 : b.y + b.h > 1) {
        b.h = grip.keepsBottom ? bottom : 1 - b.y;
        b.w = b.h * p.w / p.h;
        place();
    }
}

} // namespace EditArithmetic
