// libass plumbing shared by the text watermark, subtitles and captions:
// one lazily created library/renderer pair per layer stack, our styles,
// and the escaping that keeps user text literal.
#pragma once

#include "text/text_style.h"

#include <cstdint>
#include <string>

struct ass_library;
struct ass_renderer;
struct ass_track;
struct ass_style;

namespace orv {

// 0xAARRGGBB plus a layer opacity → libass RRGGBBTT (TT = transparency).
uint32_t assColor(uint32_t argb, int layerAlpha);

// Makes text render literally: no override block can open and "\N", "\n",
// "\h" stay visible as typed. Newlines become line breaks.
std::string escapeAssText(const std::string& text);

// Clamps the numbers of costly override tags in an event's text (scale,
// blur, border, shadow, font size, spacing) to ranges that render in
// bounded time and memory; everything else is kept as it is. Font size and
// scale together keep a glyph within half the script's canvas (playResY
// lines); blur, borders and shadows are bounded by a share of it too.
std::string clampOverrides(const std::string& text, int playResY);

// Cuts an event's text after maxGlyphs characters drawn as glyphs (those
// outside override blocks and drawings) or after maxBytes bytes, whichever
// comes first; never inside a character or an override block. Returns the
// glyphs kept; *cut tells whether anything was left out.
int capEventText(std::string* text, int maxGlyphs, size_t maxBytes, bool* cut);

// A rough bound on the pixels of the bitmaps libass makes for an event's
// text (glyphs as capEventText counts them) in its style, with k output
// pixels per script unit: its glyphs padded by borders, blur and shadow,
// times the layers they make; a turned event, the box around its turned
// line, which grows with the square of the line's length.
double eventInkArea(const std::string& text, int glyphs, const ass_style& style, double k);

// Writes our fields into a style. `scale` converts reference units (points
// and px at 288 lines) into the track's script units: PlayResY / 288.
void applyTextStyle(ass_style* style, const TextStyle& ts, double scale);

// One ASS_Library and ASS_Renderer. Fontconfig costs tens of ms, so
// nothing is created until a text layer first needs it.
class AssRenderer
{
public:
    AssRenderer() = default;
    ~AssRenderer();
    AssRenderer(const AssRenderer&) = delete;
    AssRenderer& operator=(const AssRenderer&) = delete;

    // Creates the pair on first use and sets the frame size. False if
    // libass cannot start.
    bool prepare(int w, int h);
    bool ready() const { return m_renderer != nullptr; }

    ass_library* library() const { return m_library; }
    ass_renderer* renderer() const { return m_renderer; }

    // A track sized by our reference rule: PlayResY 288, PlayResX 288·W/H.
    ass_track* newTrack() const;

private:
    ass_library* m_library = nullptr;
    ass_renderer* m_renderer = nullptr;
    int m_w = 0, m_h = 0;
};

} // namespace orv
