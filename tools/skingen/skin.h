// Drawing side of the skin generator.
#pragma once

#include "pictures.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QString>

namespace skin {

// One calm palette for every picture: graphite surfaces, light paper for
// dialogs and list rows, one azure accent.
namespace pal {
const QColor ink0("#141920"), ink1("#1b2129"), ink2("#232a33"), ink3("#2c343e"), ink4("#3a4450");
const QColor rule("#4a5562"), fog("#aab5c0"), snow("#eef2f6");
const QColor paper("#f7f9fb"), paper2("#edf1f5"), border("#cdd5de"), slate("#5c8599");
const QColor accent("#2f9be0"), accentHi("#5ab4ee"), accentLo("#1d76b4"), accentPale("#e3f1fb");
const QColor mint("#34c6b0"), danger("#e0574f"), muted("#8a96a3");
} // namespace pal

// Draws the named symbol centred in box, in colour c.
void drawGlyph(QPainter& p, const QString& name, const QRectF& box, const QColor& c);

// The format badge style of the catalogue icons (formaticons.cpp).
void formatBadge(QPainter& p, const QRectF& r, int state, const Picture& pic);

// The finished picture for one table row (all frames side by side).
QImage renderPicture(const Picture& pic);

} // namespace skin
