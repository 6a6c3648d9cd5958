#include "process/video_chain.h"

#include "core/log.h"
#include "media/input_file.h"
#include "settings/settings.h"

#include <cmath>
#include <string>
#include <utility>
#include <vector>

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

namespace orv {

ChainSetup chainSetupFor(const InputFile& input, int stream, const ProcessingSettings& p, int outW, int outH)
{
    ChainSetup setup;
    setup.autoRotate = input.autoRotation(stream);
    int srcW = 0, srcH = 0;
    input.sourceSize(stream, srcW, srcH);
    setup.geometry = geometryInput(p, srcW, srcH, outW, outH);
    setup.padColor = p.padColor;
    return setup;
}
namespace {

using Options = std::vector<std::pair<const char*, std::string>>;

AVFilterContext* addFilter(AVFilterGraph* graph, const char* name, const Options& options)
{
    const AVFilter* filter = avfilter_get_by_name(name);
    if (!filter)
        return nullptr;
    AVFilterContext* ctx = avfilter_graph_alloc_filter(graph, filter, nullptr);
    if (!ctx)
        return nullptr;
    for (const auto& o : options) {
        if (av_opt_set(ctx, o.first, o.second.c_str(), AV_OPT_SEARCH_CHILDREN) < 0) {
            logf(LogError, "filter %s rejects option %s", name, o.first);
            return nullptr;
        }
    }
    if (avfilter_init_str(ctx, nullptr) < 0) {
        logf(LogError, "filter %s fails to initialise", name);
        return nullptr;
    }
    return ctx;
}

std::string num(int v) { return std::to_string(v); }

std::string colourText(uint32_t argb)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%06X", unsigned(argb & 0xFFFFFFu));
    return buf;
}

// The transforms of a clockwise rotation followed by a horizontal flip.
std::vector<std::pair<const char*, Options>> transformFilters(int rotate, bool mirror)
{
    std::vector<std::pair<const char*, Options>> f;
    switch (rotate) {
    case 90:
        f.push_back({"transpose", {{"dir", mirror ? "cclock_flip" : "clock"}}});
        break;
    case 180:
        if (mirror) {
            f.push_back({"vflip", {}});
        } else {
            f.push_back({"hflip", {}});
            f.push_back({"vflip", {}});
        }
        break;
    case 270:
        f.push_back({"transpose", {{"dir", mirror ? "clock_flip" : "cclock"}}});
        break;
    default:
        if (mirror)
            f.push_back({"hflip", {}});
        break;
    }
    return f;
}

} // namespace

VideoChain::~VideoChain() { freeGraph(); }

void VideoChain::freeGraph()
{
    avfilter_graph_free(&m_graph);
    m_src = m_sink = nullptr;
    m_inW = m_inH = 0;
    m_inFormat = -1;
}

void VideoChain::setup(const ChainSetup& setup)
{
    freeGraph();
    m_setup = setup;
    m_plan = planGeometry(setup.geometry);
}

bool VideoChain::isIdentity(const AVFrame* in) const
{
    const GeometryInput& g = m_setup.geometry;
    return m_setup.autoRotate == 0 && m_plan.rotate == 0 && !m_plan.mirror && !m_plan.pads()
        && !m_plan.cropsAnything(g.srcW, g.srcH) && in->width == m_plan.outW && in->height == m_plan.outH
        && in->format == m_setup.outFormat && g.srcW == in->width && g.srcH == in->height;
}

int VideoChain::build(const AVFrame* in)
{
    freeGraph();
    m_graph = avfilter_graph_alloc();
    if (!m_graph)
        return AVERROR(ENOMEM);
    m_graph->nb_threads = 1;

    const char* fmtName = av_get_pix_fmt_name(AVPixelFormat(in->format));
    if (!fmtName)
        return AVERROR(EINVAL);
    m_src = addFilter(m_graph, "buffer",
                      {{"width", num(in->width)},
                       {"height", num(in->height)},
                       {"pix_fmt", fmtName},
                       {"time_base", "1/1000000"},
                       {"pixel_aspect", "1/1"}});
    if (!m_src)
        return AVERROR(EINVAL);
    std::vector<AVFilterContext*> chain{m_src};
    auto add = [&](const char* name, const Options& o) {
        AVFilterContext* c = addFilter(m_graph, name, o);
        if (c)
            chain.push_back(c);
        return c != nullptr;
    };

    bool ok = true;
    // 1. auto-rotation from the display matrix
    const int ar = m_setup.autoRotate;
    for (auto& f : transformFilters(ar, false))
        ok = ok && add(f.first, f.second);
    const bool arQuarter = ar == 90 || ar == 270;
    const int rw = arQuarter ? in->height : in->width; // stored pixels after auto-rotation
    const int rh = arQuarter ? in->width : in->height;

    // 2. crop, mapped from square source pixels to stored ones
    const GeometryInput& g = m_setup.geometry;
    if (m_plan.cropsAnything(g.srcW, g.srcH)) {
        const double fx = double(rw) / std::max(g.srcW, 1);
        const double fy = double(rh) / std::max(g.srcH, 1);
        int cw = std::max(2, std::min(rw, int(std::lround(m_plan.cropW * fx))));
        int ch = std::max(2, std::min(rh, int(std::lround(m_plan.cropH * fy))));
        int cx = std::min(rw - cw, int(std::lround(m_plan.cropX * fx)));
        int cy = std::min(rh - ch, int(std::lround(m_plan.cropY * fy)));
        ok = ok
            && add("crop",
                   {{"w", num(cw)},
                    {"h", num(ch)},
                    {"x", num(std::max(cx, 0))},
                    {"y", num(std::max(cy, 0))},
                    {"exact", "0"}});
    }
    // 6 (the size part): scale to the fit rectangle, before the transform
    ok = ok && add("scale", {{"w", num(m_plan.scaleW)}, {"h", num(m_plan.scaleH)}, {"flags", "bicubic"}});
    // 4-5. rotation and mirror
    for (auto& f : transformFilters(m_plan.rotate, m_plan.mirror))
        ok = ok && add(f.first, f.second);
    // 6. bars
    if (m_plan.pads())
        ok = ok
            && add("pad",
                   {{"w", num(m_plan.outW)},
                    {"h", num(m_plan.outH)},
                    {"x", num(m_plan.fitX)},
                    {"y", num(m_plan.fitY)},
                    {"color", colourText(m_setup.padColor)}});
    ok = ok && add("setsar", {{"sar", "1"}});
    const char* outName = av_get_pix_fmt_name(m_setup.outFormat);
    ok = ok && outName && add("format", {{"pix_fmts", outName}});
    if (ok) {
        m_sink = addFilter(m_graph, "buffersink", {});
        ok = m_sink != nullptr;
        if (ok)
            chain.push_back(m_sink);
    }
    if (!ok)
        return AVERROR(EINVAL);
    for (size_t i = 0; i + 1 < chain.size(); ++i)
        if (avfilter_link(chain[i], 0, chain[i + 1], 0) < 0)
            return AVERROR(EINVAL);
    const int err = avfilter_graph_config(m_graph, nullptr);
    if (err < 0) {
        logf(LogError, "video chain: %s", avErrorText(err).c_str());
        return err;
    }
    m_inW = in->width;
    m_inH = in->height;
    m_inFormat = in->format;
    return 0;
}

int VideoChain::process(const AVFrame* in, AVFrame* out)
{
    if (isIdentity(in))
        return av_frame_ref(out, in);
    if (!m_graph || in->width != m_inW || in->height != m_inH || in->format != m_inFormat) {
        const int err = build(in);
        if (err < 0) {
            freeGraph();
            return err;
        }
    }
    AVFrame* tmp = av_frame_clone(in);
    if (!tmp)
        return AVERROR(ENOMEM);
    tmp->sample_aspect_ratio = AVRational{1, 1};
    int err = av_buffersrc_add_frame_flags(m_src, tmp, AV_BUFFERSRC_FLAG_KEEP_REF);
    av_frame_free(&tmp);
    if (err < 0)
        return err;
    err = av_buffersink_get_frame(m_sink, out);
    return err;
}

} // namespace orv
