// The processing setters shared by Config_* and Player_*: each clamps its
// values the same way, so a player previews exactly what a configuration
// with the same calls converts. Nothing is refused.
#pragma once

#include "settings/settings.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace orv::set {

inline int clampInt(int v, int lo, int hi) { return std::min(std::max(v, lo), hi); }
inline double finiteOr0(double v) { return std::isfinite(v) ? v : 0.0; }
inline double clampUnit(double v) { return std::min(std::max(finiteOr0(v), 0.0), 1.0); }
inline std::string text(const char* s) { return s ? std::string(s) : std::string(); }

inline void crop(ProcessingSettings& p, double x, double y, double w, double h)
{
    p.cropX = clampUnit(x);
    p.cropY = clampUnit(y);
    p.cropW = clampUnit(w);
    p.cropH = clampUnit(h);
}

inline void aspect(ProcessingSettings& p, int aw, int ah)
{
    const bool both = aw > 0 && ah > 0;
    p.aspectW = both ? aw : 0;
    p.aspectH = both ? ah : 0;
}

// The nearest multiple of 90, modulo 360.
inline void rotate(ProcessingSettings& p, int degrees)
{
    const long q = std::lround(double(degrees) / 90.0);
    p.rotate = int((q % 4 + 4) % 4 * 90);
}

inline void mirror(ProcessingSettings& p, int on) { p.mirror = on != 0; }

inline void pad(ProcessingSettings& p, int on, uint32_t argb)
{
    p.pad = on != 0;
    p.padColor = argb;
}

// The last of these three decides where burnt-in subtitles come from.
inline void subtitleIndex(ProcessingSettings& p, int index)
{
    p.subtitleIndex = index < 0 ? -1 : index;
    p.layers.subSource = index < 0 ? SubtitleSource::None : SubtitleSource::Stream;
}

inline void closedCaptions(ProcessingSettings& p, int on)
{
    if (on)
        p.layers.subSource = SubtitleSource::ClosedCaption;
    else if (p.layers.subSource == SubtitleSource::ClosedCaption)
        p.layers.subSource = SubtitleSource::None;
}

inline void subtitleFile(ProcessingSettings& p, const char* path)
{
    p.layers.subFile = text(path);
    p.layers.subSource = p.layers.subFile.empty() ? SubtitleSource::None : SubtitleSource::File;
}

inline void subtitleDelay(ProcessingSettings& p, int64_t us) { p.layers.subDelayUs = us; }

// Text styles (subtitles and the text watermark).
inline void alpha(TextStyle& s, int a) { s.alpha = clampInt(a, 0, 255); }
inline void scale(TextStyle& s, int sx, int sy)
{
    s.scaleX = clampInt(sx, 1, 1000);
    s.scaleY = clampInt(sy, 1, 1000);
}
inline void font(TextStyle& s, const char* family) { s.font = text(family); }
inline void bold(TextStyle& s, int on) { s.bold = on != 0; }
inline void italic(TextStyle& s, int on) { s.italic = on != 0; }
inline void underline(TextStyle& s, int on) { s.underline = on != 0; }
inline void strikeout(TextStyle& s, int on) { s.strikeout = on != 0; }
inline void size(TextStyle& s, int pt) { s.sizePt = clampInt(pt, 1, 1000); }
inline void color(TextStyle& s, uint32_t argb) { s.color = argb; }
inline void shadowColor(TextStyle& s, uint32_t argb) { s.shadowColor = argb; }
inline void outlineColor(TextStyle& s, uint32_t argb) { s.outlineColor = argb; }
inline void shadowOffset(TextStyle& s, double px)
{
    s.shadowOffset = std::min(std::max(finiteOr0(px), -100.0), 100.0);
}
inline void outlineSize(TextStyle& s, double px)
{
    s.outlineSize = std::min(std::max(finiteOr0(px), 0.0), 100.0);
}

inline void watermarkText(ProcessingSettings& p, const char* t) { p.layers.wmText = text(t); }
inline void watermarkTextPosition(ProcessingSettings& p, double x, double y)
{
    p.layers.wmTextX = finiteOr0(x);
    p.layers.wmTextY = finiteOr0(y);
}
inline void textTopmost(ProcessingSettings& p, int topmost) { p.layers.textTopmost = topmost != 0; }

inline void watermarkImage(ProcessingSettings& p, const char* path) { p.layers.wmImageFile = text(path); }
inline void watermarkImageAlpha(ProcessingSettings& p, int a) { p.layers.wmImageAlpha = clampInt(a, 0, 255); }
inline void watermarkImageScale(ProcessingSettings& p, int sx, int sy)
{
    p.layers.wmImageScaleX = clampInt(sx, 1, 1000);
    p.layers.wmImageScaleY = clampInt(sy, 1, 1000);
}
inline void watermarkImagePosition(ProcessingSettings& p, double x, double y)
{
    p.layers.wmImageX = finiteOr0(x);
    p.layers.wmImageY = finiteOr0(y);
}

} // namespace orv::set
