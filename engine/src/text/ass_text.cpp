#include "text/ass_text.h"

#include "core/log.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" {
#include <ass/ass.h>
}

namespace orv {

namespace {

constexpr int kGlyphCacheMax = 4096;
constexpr int kBitmapCacheMB = 64;

} // namespace

uint32_t assColor(uint32_t argb, int layerAlpha)
{
    const uint32_t a = argb >> 24;
    const int la = layerAlpha < 0 ? 0 : layerAlpha > 255 ? 255 : layerAlpha;
    const uint32_t opacity = (a * uint32_t(la) + 127) / 255;
    return ((argb & 0x00FFFFFFu) << 8) | (255u - opacity);
}

std::string escapeAssText(const std::string& text)
{
    static const char kWordJoiner[] = "\xE2\x81\xA0"; // U+2060, zero width

    // 1. A word joiner after a backslash that would start \N, \n or \h, or
    //    that would turn the brace escapes of step 2 back into a brace.
    std::string joined;
    joined.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size(); ++i) {
        joined += text[i];
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char n = text[i + 1];
            if (n == 'N' || n == 'n' || n == 'h' || n == '{' || n == '}')
                joined += kWordJoiner;
        }
    }
    // 2. Braces become \{ and \}, which libass draws literally, so no
    //    override block can open. 3. Newlines become hard breaks.
    std::string out;
    out.reserve(joined.size() + 8);
    for (size_t i = 0; i < joined.size(); ++i) {
        const char c = joined[i];
        if (c == '{' || c == '}') {
            out += '\\';
            out += c;
        } else if (c == '\r') {
            out += "\\N";
            if (i + 1 < joined.size() && joined[i + 1] == '\n')
                ++i;
        } else if (c == '\n') {
            out += "\\N";
        } else {
            out += c;
        }
    }
    return out;
}

namespace {

struct TagRange
{
    const char* name;
    double lo, hi;
    // a tighter bound as a share of the script's height (0: none): the
    // cost of blur, borders and shadows grows with their size on the
    // picture, and 1/27 of its height is a border far thicker than text
    // ever has (40 at 1080 lines, about 11 at 288)
    double ofCanvas;
};
// Longer names first: \fscx must not be read as \fs.
const TagRange kTagRanges[] = {
    {"fscx", 0, 400, 0},          {"fscy", 0, 400, 0},
    {"fsp", -100, 100, 0},        {"fs", 0, 400, 0},
    {"blur", 0, 20, 1.0 / 54},    {"be", 0, 20, 1.0 / 54},
    {"xbord", 0, 40, 1.0 / 27},   {"ybord", 0, 40, 1.0 / 27},
    {"bord", 0, 40, 1.0 / 27},    {"xshad", -40, 40, 1.0 / 27},
    {"yshad", -40, 40, 1.0 / 27}, {"shad", -40, 40, 1.0 / 27},
};

} // namespace

namespace {

// The largest of one tag's values in an event's override blocks, each
// taken through `value` (as it stands, or its magnitude), or 0.
template <typename Value>
double largestOf(const std::string& text, const char* name, Value value)
{
    const size_t len = std::strlen(name);
    double largest = 0;
    bool inBlock = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '{')
            inBlock = true;
        else if (c == '}')
            inBlock = false;
        if (!inBlock || c != '\\' || text.compare(i + 1, len, name) != 0)
            continue;
        const char* at = text.c_str() + i + 1 + len;
        if (std::isalpha(static_cast<unsigned char>(*at)))
            continue; // a longer tag (\fscx, \fsp)
        const double v = value(std::strtod(at, nullptr));
        if (std::isfinite(v))
            largest = std::max(largest, v);
    }
    return largest;
}

double largestTag(const std::string& text, const char* name)
{
    return largestOf(text, name, [](double v) { return v; });
}

double largestMagnitude(const std::string& text, const char* name)
{
    return largestOf(text, name, [](double v) { return std::fabs(v); });
}

} // namespace

double eventInkArea(const std::string& text, int glyphs, const ass_style& style, double k)
{
    if (glyphs <= 0)
        return 0;
    const double fs = std::max(style.FontSize, largestMagnitude(text, "fs"));
    const double scale = std::max({style.ScaleX, style.ScaleY, largestMagnitude(text, "fscx") / 100,
                                   largestMagnitude(text, "fscy") / 100, 1.0});
    const double border = std::max({style.Outline, largestMagnitude(text, "bord"),
                                    largestMagnitude(text, "xbord"), largestMagnitude(text, "ybord")});
    const double blur = std::max(largestMagnitude(text, "blur"), largestMagnitude(text, "be"));
    const double shadow = std::max({style.Shadow, largestMagnitude(text, "shad"),
                                    largestMagnitude(text, "xshad"), largestMagnitude(text, "yshad")});
    const double size = fs * scale * k;
    const double pad = (border + blur + shadow) * k;
    const int layers = 1 + (border > 0) + (shadow > 0);
    // a glyph's advance is about 0.6 of the font size
    const double width = glyphs * 0.6 * size;
    const double height = size;
    const bool inDepth = largestMagnitude(text, "frx") > 0 || largestMagnitude(text, "fry") > 0;
    const bool turned =
        inDepth || style.Angle != 0 || largestMagnitude(text, "frz") > 0 || largestMagnitude(text, "fr") > 0;
    double area = (width + 2 * pad) * (height + 2 * pad);
    if (turned) {
        // the box around the line turned an eighth of a turn, the worst
        const double side = (width + height) / std::sqrt(2.0) + 2 * pad;
        area = side * side;
    }
    // Turned in depth, libass's perspective may stretch a bitmap up to 16
    // times each way; measured, one such bordered line at 4K took up to
    // 30 s and 1.5 GB, where the same line turned flat took 0.1 s.
    if (inDepth)
        area *= 16;
    return area * layers;
}

std::string clampOverrides(const std::string& text, int playResY)
{
    // A glyph's bitmap costs its area, and laid out with others it is drawn
    // many times: font size and scale together keep a glyph within half
    // the script's canvas, larger than any line of text needs.
    const double canvas = std::max(playResY, 1);
    const double fsMax = std::min(400.0, canvas / 2);
    const double fs = std::min(largestTag(text, "fs"), fsMax);
    const double scaleMax = fs > 0 ? std::clamp(100.0 * fsMax / fs, 100.0, 400.0) : 400.0;

    std::string out;
    out.reserve(text.size());
    bool inBlock = false;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '{')
            inBlock = true;
        else if (c == '}')
            inBlock = false;
        if (!inBlock || c != '\\') {
            out += c;
            ++i;
            continue;
        }
        const TagRange* tag = nullptr;
        for (const TagRange& r : kTagRanges)
            if (text.compare(i + 1, std::strlen(r.name), r.name) == 0) {
                tag = &r;
                break;
            }
        const size_t numAt = tag ? i + 1 + std::strlen(tag->name) : 0;
        char* end = nullptr;
        const double v = tag ? std::strtod(text.c_str() + numAt, &end) : 0.0;
        if (!tag || end == text.c_str() + numAt) {
            out += c;
            ++i;
            continue;
        }
        double hi = tag->ofCanvas > 0 ? std::min(tag->hi, tag->ofCanvas * canvas) : tag->hi;
        if (std::strcmp(tag->name, "fs") == 0)
            hi = fsMax;
        else if (std::strcmp(tag->name, "fscx") == 0 || std::strcmp(tag->name, "fscy") == 0)
            hi = scaleMax;
        char num[32];
        const double lo = tag->lo < 0 ? -hi : tag->lo;
        std::snprintf(num, sizeof num, "%g", std::isfinite(v) ? std::clamp(v, lo, hi) : tag->lo);
        out += '\\';
        out += tag->name;
        out += num;
        i = size_t(end - text.c_str());
    }
    return out;
}

int capEventText(std::string* text, int maxGlyphs, size_t maxBytes, bool* cut)
{
    const std::string& t = *text;
    int glyphs = 0;
    bool inBlock = false, drawing = false;
    size_t blockStart = 0;
    size_t end = t.size();
    for (size_t i = 0; i < t.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(t[i]);
        const bool lead = (c & 0xC0) != 0x80; // UTF-8: not a continuation byte
        if (lead && i >= maxBytes) {
            end = inBlock ? blockStart : i;
            break;
        }
        if (c == '{' && !inBlock) {
            inBlock = true;
            blockStart = i;
        } else if (c == '}' && inBlock) {
            inBlock = false;
        } else if (inBlock) {
            // \p1 and up draw shapes from the text until \p0: one outline,
            // bounded by the bytes, not a glyph per character
            if (c == '\\' && i + 2 < t.size() && t[i + 1] == 'p'
                && std::isdigit(static_cast<unsigned char>(t[i + 2])))
                drawing = std::strtol(t.c_str() + i + 2, nullptr, 10) != 0;
        } else if (lead && !drawing) {
            if (glyphs == maxGlyphs) {
                end = i;
                break;
            }
            ++glyphs;
        }
    }
    *cut = end < t.size();
    if (*cut)
        text->resize(end);
    return glyphs;
}

void applyTextStyle(ass_style* style, const TextStyle& ts, double scale)
{
    free(style->FontName);
    style->FontName = strdup(ts.font.empty() ? "sans-serif" : ts.font.c_str());
    style->FontSize = ts.sizePt * scale;
    style->PrimaryColour = assColor(ts.color, ts.alpha);
    style->SecondaryColour = style->PrimaryColour;
    style->OutlineColour = assColor(ts.outlineColor, ts.alpha);
    style->BackColour = assColor(ts.shadowColor, ts.alpha);
    // libass 0.17 documents these as booleans; its font selection maps only
    // 1 to italic, so the -1 of script files is not used here.
    style->Bold = ts.bold ? 1 : 0;
    style->Italic = ts.italic ? 1 : 0;
    style->Underline = ts.underline ? 1 : 0;
    style->StrikeOut = ts.strikeout ? 1 : 0;
    style->ScaleX = ts.scaleX / 100.0;
    style->ScaleY = ts.scaleY / 100.0;
    style->Spacing = 0;
    style->Angle = 0;
    style->BorderStyle = 1;
    style->Outline = ts.outlineSize > 0 ? ts.outlineSize * scale : 0.0;
    style->Shadow = ts.shadowOffset * scale; // negative casts up and left
    style->Blur = 0;
}

static void quietMessages(int level, const char* fmt, va_list args, void*)
{
    // libass is chatty at info level; only its errors are worth a line.
    if (level > 1)
        return;
    char line[512];
    vsnprintf(line, sizeof line, fmt, args);
    logf(LogWarning, "libass: %s", line);
}

AssRenderer::~AssRenderer()
{
    if (m_renderer)
        ass_renderer_done(m_renderer);
    if (m_library)
        ass_library_done(m_library);
}

bool AssRenderer::prepare(int w, int h)
{
    if (!m_library) {
        m_library = ass_library_init();
        if (!m_library)
            return false;
        ass_set_message_cb(m_library, quietMessages, nullptr);
        ass_set_extract_fonts(m_library, 0);
    }
    if (!m_renderer) {
        m_renderer = ass_renderer_init(m_library);
        if (!m_renderer)
            return false;
        // No hinting: glyph sizes then scale linearly with the frame, so a
        // preview at one size matches the output at another.
        ass_set_hinting(m_renderer, ASS_HINTING_NONE);
        // libass trims its caches before each render only down to these;
        // its own defaults (10000 glyphs, 192 MB of bitmaps) are a lot for
        // five jobs at once, and a screen of text needs far less.
        ass_set_cache_limits(m_renderer, kGlyphCacheMax, kBitmapCacheMB);
        ass_set_fonts(m_renderer, nullptr, "sans-serif", ASS_FONTPROVIDER_AUTODETECT, nullptr, 1);
    }
    if (w != m_w || h != m_h) {
        ass_set_frame_size(m_renderer, w, h);
        ass_set_storage_size(m_renderer, w, h);
        m_w = w;
        m_h = h;
    }
    return true;
}

ass_track* AssRenderer::newTrack() const
{
    if (!m_library || m_h <= 0)
        return nullptr;
    ASS_Track* track = ass_new_track(m_library);
    if (!track)
        return nullptr;
    track->PlayResY = 288;
    track->PlayResX = int(std::lround(288.0 * m_w / m_h));
    if (track->PlayResX < 1)
        track->PlayResX = 1;
    track->ScaledBorderAndShadow = 1;
    return track;
}

} // namespace orv
