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

// The filters of one graph in the order they are linked, source first.
class ChainBuilder
{
public:
    explicit ChainBuilder(AVFilterGraph* graph)
        : m_graph(graph)
    {}

    // The filter, or null when it cannot be made.
    AVFilterContext* add(const char* name, const Options& options)
    {
        AVFilterContext* c = addFilter(m_graph, name, options);
        if (c)
            m_chain.push_back(c);
        return c;
    }

    bool addAll(const std::vector<std::pair<const char*, Options>>& filters)
    {
        for (const auto& f : filters)
            if (!add(f.first, f.second))
                return false;
        return true;
    }

    // Links each filter's output to the next one's input.
    bool link() const
    {
        for (size_t i = 0; i + 1 < m_chain.size(); ++i)
            if (avfilter_link(m_chain[i], 0, m_chain[i + 1], 0) < 0)
                return false;
        return true;
    }

private:
    AVFilterGraph* m_graph;
    std::vector<AVFilterContext*> m_chain;
};

struct Size
{
    int w = 0, h = 0;
};

// The decoded picture as it enters the graph, its pixels taken as square.
AVFilterContext* addSource(ChainBuilder& chain, const AVFrame* in)
{
    const char* fmtName = av_get_pix_fmt_name(AVPixelFormat(in->format));
    if (!fmtName)
        return nullptr;
    return chain.add("buffer",
                     {{"width", num(in->width)},
                      {"height", num(in->height)},
                      {"pix_fmt", fmtName},
                      {"time_base", "1/1000000"},
                      {"pixel_aspect", "1/1"}});
}

// The stored pixels after the display matrix's rotation.
Size storedSize(const AVFrame* in, int autoRotate)
{
    const bool quarter = autoRotate == 90 || autoRotate == 270;
    return quarter ? Size{in->height, in->width} : Size{in->width, in->height};
}

// The rotation the display matrix asks for, before anything else.
bool addAutoRotation(ChainBuilder& chain, int autoRotate)
{
    return chain.addAll(transformFilters(autoRotate, false));
}

// The crop, mapped from square source pixels to stored ones.
bool addCrop(ChainBuilder& chain, const GeometryPlan& plan, const GeometryInput& g, Size stored)
{
    if (!plan.cropsAnything(g.srcW, g.srcH))
        return true;
    const int rw = stored.w, rh = stored.h;
    const double fx = double(rw) / std::max(g.srcW, 1);
    const double fy = double(rh) / std::max(g.srcH, 1);
    int cw = std::max(2, std::min(rw, int(std::lround(plan.cropW * fx))));
    int ch = std::max(2, std::min(rh, int(std::lround(plan.cropH * fy))));
    int cx = std::min(rw - cw, int(std::lround(plan.cropX * fx)));
    int cy = std::min(rh - ch, int(std::lround(plan.cropY * fy)));
    return chain.add("crop",
                     {{"w", num(cw)},
                      {"h", num(ch)},
                      {"x", num(std::max(cx, 0))},
                      {"y", num(std::max(cy, 0))},
                      {"exact", "0"}})
        != nullptr;
}

// To the fit rectangle, before the rotation (the plan's sizes are unturned).
bool addScale(ChainBuilder& chain, const GeometryPlan& plan)
{
    return chain.add("scale", {{"w", num(plan.scaleW)}, {"h", num(plan.scaleH)}, {"flags", "bicubic"}})
        != nullptr;
}

// The asked rotation and mirror.
bool addTransform(ChainBuilder& chain, const GeometryPlan& plan)
{
    return chain.addAll(transformFilters(plan.rotate, plan.mirror));
}

// Bars around the fit rectangle, when it does not fill the frame.
bool addPad(ChainBuilder& chain, const GeometryPlan& plan, uint32_t padColor)
{
    if (!plan.pads())
        return true;
    return chain.add("pad",
                     {{"w", num(plan.outW)},
                      {"h", num(plan.outH)},
                      {"x", num(plan.fitX)},
                      {"y", num(plan.fitY)},
                      {"color", colourText(padColor)}})
        != nullptr;
}

bool addSquarePixels(ChainBuilder& chain) { return chain.add("setsar", {{"sar", "1"}}) != nullptr; }

bool addOutputFormat(ChainBuilder& chain, AVPixelFormat format)
{
    const char* name = av_get_pix_fmt_name(format);
    return name && chain.add("format", {{"pix_fmts", name}}) != nullptr;
}

AVFilterContext* addSink(ChainBuilder& chain) { return chain.add("buffersink", {}); }

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

    ChainBuilder chain(m_graph);
    m_src = addSource(chain, in);
    if (!m_src)
        return AVERROR(EINVAL);
    // each step adds its filters in turn; the first that fails ends the chain
    const Size stored = storedSize(in, m_setup.autoRotate);
    const bool ok = addAutoRotation(chain, m_setup.autoRotate)
        && addCrop(chain, m_plan, m_setup.geometry, stored) && addScale(chain, m_plan)
        && addTransform(chain, m_plan) && addPad(chain, m_plan, m_setup.padColor) && addSquarePixels(chain)
        && addOutputFormat(chain, m_setup.outFormat);
    m_sink = ok ? addSink(chain) : nullptr;
    if (!m_sink || !chain.link())
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
