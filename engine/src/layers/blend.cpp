#include "layers/blend.h"

#include "media/scaling.h"

#include <algorithm>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace orv {

namespace {

constexpr int kFull = 255 * 255; // full coverage × full opacity

struct Sample
{
    int a; // 0..kFull
    int y, u, v;
};

// Blends any source of samples over the frame rectangle it covers. The
// luma pass is per pixel; each chroma sample takes the sum of its 2×2
// luma pixels' coverage, so partly covered blocks blend partly.
template <typename Source>
void blendRect(AVFrame* f, int dx, int dy, int w, int h, Source px)
{
    const int x0 = std::max(dx, 0), y0 = std::max(dy, 0);
    const int x1 = std::min(dx + w, f->width), y1 = std::min(dy + h, f->height);
    if (x0 >= x1 || y0 >= y1)
        return;

    for (int y = y0; y < y1; ++y) {
        uint8_t* row = f->data[0] + ptrdiff_t(y) * f->linesize[0];
        for (int x = x0; x < x1; ++x) {
            const Sample s = px(x - dx, y - dy);
            if (s.a)
                row[x] = uint8_t((row[x] * (kFull - s.a) + s.y * s.a + kFull / 2) / kFull);
        }
    }

    for (int cy = y0 / 2; cy <= (y1 - 1) / 2; ++cy) {
        uint8_t* urow = f->data[1] + ptrdiff_t(cy) * f->linesize[1];
        uint8_t* vrow = f->data[2] + ptrdiff_t(cy) * f->linesize[2];
        for (int cx = x0 / 2; cx <= (x1 - 1) / 2; ++cx) {
            int64_t sa = 0, su = 0, sv = 0;
            for (int j = 0; j < 2; ++j) {
                const int y = 2 * cy + j;
                if (y < y0 || y >= y1)
                    continue;
                for (int i = 0; i < 2; ++i) {
                    const int x = 2 * cx + i;
                    if (x < x0 || x >= x1)
                        continue;
                    const Sample s = px(x - dx, y - dy);
                    sa += s.a;
                    su += int64_t(s.a) * s.u;
                    sv += int64_t(s.a) * s.v;
                }
            }
            if (!sa)
                continue;
            const int64_t full = 4 * int64_t(kFull);
            urow[cx] = uint8_t((urow[cx] * (full - sa) + su + full / 2) / full);
            vrow[cx] = uint8_t((vrow[cx] * (full - sa) + sv + full / 2) / full);
        }
    }
}

void putGray(AVFrame* f, int x, int y, uint8_t luma)
{
    if (x < 0 || y < 0 || x >= f->width || y >= f->height)
        return;
    // any planar 8-bit YUV: the original preview keeps full colour resolution
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(AVPixelFormat(f->format));
    const int cx = x >> (d ? d->log2_chroma_w : 1), cy = y >> (d ? d->log2_chroma_h : 1);
    f->data[0][ptrdiff_t(y) * f->linesize[0] + x] = luma;
    f->data[1][ptrdiff_t(cy) * f->linesize[1] + cx] = 128;
    f->data[2][ptrdiff_t(cy) * f->linesize[2] + cx] = 128;
}

void ring(AVFrame* f, int x0, int y0, int x1, int y1, uint8_t luma)
{
    // Inclusive corners.
    for (int x = x0; x <= x1; ++x) {
        putGray(f, x, y0, luma);
        putGray(f, x, y1, luma);
    }
    for (int y = y0 + 1; y < y1; ++y) {
        putGray(f, x0, y, luma);
        putGray(f, x1, y, luma);
    }
}

} // namespace

void rgbToYuv(int r, int g, int b, int* y, int* u, int* v)
{
    *y = ((66 * r + 129 * g + 25 * b + 128) >> 8) + 16;
    *u = ((-38 * r - 74 * g + 112 * b + 128) >> 8) + 128;
    *v = ((112 * r - 94 * g - 18 * b + 128) >> 8) + 128;
}

YuvaImage rgbaToYuva(const uint8_t* rgba, int w, int h, int stride, int alpha)
{
    YuvaImage img;
    img.w = w;
    img.h = h;
    const size_t n = size_t(w) * h;
    img.y.resize(n);
    img.u.resize(n);
    img.v.resize(n);
    img.a.resize(n);
    const int la = std::clamp(alpha, 0, 255);
    for (int row = 0; row < h; ++row) {
        const uint8_t* p = rgba + ptrdiff_t(row) * stride;
        for (int x = 0; x < w; ++x, p += 4) {
            const size_t i = size_t(row) * w + x;
            int yy, uu, vv;
            rgbToYuv(p[0], p[1], p[2], &yy, &uu, &vv);
            img.y[i] = uint8_t(yy);
            img.u[i] = uint8_t(uu);
            img.v[i] = uint8_t(vv);
            img.a[i] = uint8_t((p[3] * la + 127) / 255);
        }
    }
    return img;
}

bool scaleRgba(const uint8_t* src, int sw, int sh, int sstride, int dw, int dh, std::vector<uint8_t>* out)
{
    // Scaled premultiplied, so the colour of transparent pixels (often
    // black) does not bleed into the edges of a logo.
    FramePtr pre = paddedFrame(sw, sh, AV_PIX_FMT_RGBA);
    if (!pre)
        return false;
    for (int y = 0; y < sh; ++y) {
        const uint8_t* p = src + ptrdiff_t(y) * sstride;
        uint8_t* q = pre->data[0] + ptrdiff_t(y) * pre->linesize[0];
        for (int x = 0; x < sw * 4; x += 4) {
            const int a = p[x + 3];
            for (int c = 0; c < 3; ++c)
                q[x + c] = uint8_t((p[x + c] * a + 127) / 255);
            q[x + 3] = uint8_t(a);
        }
    }
    FramePtr scaled = scaleFrame(pre.get(), dw, dh, AV_PIX_FMT_RGBA, SWS_BICUBIC);
    if (!scaled)
        return false;
    out->resize(size_t(dw) * dh * 4);
    copyRows(scaled.get(), dw * 4, out->data(), dw * 4);
    for (size_t i = 0; i < out->size(); i += 4) {
        uint8_t* q = out->data() + i;
        const int a = q[3];
        for (int c = 0; c < 3; ++c)
            q[c] = a ? uint8_t(std::min(255, (q[c] * 255 + a / 2) / a)) : 0;
    }
    return true;
}

void blendYuva(AVFrame* frame, const YuvaImage& img, int x, int y)
{
    if (img.empty())
        return;
    blendRect(frame, x, y, img.w, img.h, [&img](int px, int py) {
        const size_t i = size_t(py) * img.w + px;
        return Sample{img.a[i] * 255, img.y[i], img.u[i], img.v[i]};
    });
}

void blendMask(AVFrame* frame, const uint8_t* mask, int stride, int w, int h, int x, int y, uint32_t assColor)
{
    const int opacity = 255 - int(assColor & 0xFF);
    if (opacity <= 0)
        return;
    int cy, cu, cv;
    rgbToYuv(int(assColor >> 24), int((assColor >> 16) & 0xFF), int((assColor >> 8) & 0xFF), &cy, &cu, &cv);
    blendRect(frame, x, y, w, h, [=](int px, int py) {
        return Sample{mask[ptrdiff_t(py) * stride + px] * opacity, cy, cu, cv};
    });
}

void drawPreviewBorder(AVFrame* frame, int x, int y, int w, int h)
{
    if (w <= 0 || h <= 0)
        return;
    ring(frame, x - 2, y - 2, x + w + 1, y + h + 1, 16);
    ring(frame, x - 1, y - 1, x + w, y + h, 235);
}

} // namespace orv
