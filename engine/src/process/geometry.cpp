#include "process/geometry.h"

#include "settings/settings.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace orv {

int cropSize(int n, double f)
{
    if (n <= 2)
        return std::max(n, 0);
    if (!(f >= 0.0))
        f = 0.0;
    f = std::min(f, 1.0);
    const uint64_t q = uint64_t(f * 65536.0 + 0.5);
    if (q >= 65536)
        return n;
    const uint64_t r = (q * uint64_t(n)) / 65536 + 1;
    int size = r < uint64_t(n) ? int(r & ~uint64_t(1)) : n;
    return std::max(2, size);
}

namespace {

int cropOffset(int n, int size, double f)
{
    if (!(f >= 0.0))
        f = 0.0;
    int x = int(std::floor(std::min(f, 1.0) * n)) & ~1;
    return std::max(0, std::min(x, n - size));
}

int evenRound(double v) { return std::max(2, int(std::lround(v / 2.0)) * 2); }

} // namespace

GeometryPlan planGeometry(const GeometryInput& in)
{
    GeometryPlan p;
    p.rotate = ((in.rotate % 360) + 360) % 360;
    p.mirror = in.mirror;
    p.outW = in.outW;
    p.outH = in.outH;

    p.cropW = cropSize(in.srcW, in.cropW);
    p.cropH = cropSize(in.srcH, in.cropH);
    p.cropX = cropOffset(in.srcW, p.cropW, in.cropX);
    p.cropY = cropOffset(in.srcH, p.cropH, in.cropY);

    double aspect = (in.aspectW > 0 && in.aspectH > 0) ? double(in.aspectW) / in.aspectH
                                                       : double(std::max(in.srcW, 1)) / std::max(in.srcH, 1);
    const bool quarter = p.rotate == 90 || p.rotate == 270;
    if (quarter)
        aspect = 1.0 / aspect;

    if (in.pad) {
        // the largest centred even rectangle of the aspect
        int w = in.outW;
        int h = evenRound(in.outW / aspect);
        if (h > in.outH) {
            h = in.outH;
            w = evenRound(in.outH * aspect);
        }
        p.fitW = std::min(w, in.outW);
        p.fitH = std::min(h, in.outH);
        p.fitX = ((in.outW - p.fitW) / 2) & ~1;
        p.fitY = ((in.outH - p.fitH) / 2) & ~1;
    } else {
        p.fitW = in.outW;
        p.fitH = in.outH;
    }
    p.scaleW = quarter ? p.fitH : p.fitW;
    p.scaleH = quarter ? p.fitW : p.fitH;
    return p;
}

GeometryInput geometryInput(const ProcessingSettings& p, int srcW, int srcH, int outW, int outH)
{
    GeometryInput g;
    g.srcW = srcW;
    g.srcH = srcH;
    g.cropX = p.cropX;
    g.cropY = p.cropY;
    g.cropW = p.cropW;
    g.cropH = p.cropH;
    g.aspectW = p.aspectW;
    g.aspectH = p.aspectH;
    g.rotate = p.rotate;
    g.mirror = p.mirror;
    g.pad = p.pad;
    g.outW = outW;
    g.outH = outH;
    return g;
}

} // namespace orv
