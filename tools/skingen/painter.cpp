// The picture styles. Each style draws one frame for one state
// (0 normal, 1 hover, 2 pressed, 3 disabled); single-frame pictures use 0.
#include "skin.h"

#include <QHash>
#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <functional>

namespace skin {

namespace {

using Style = std::function<void(QPainter&, const QRectF&, int, const Picture&)>;

QColor withAlpha(QColor c, qreal a)
{
    c.setAlphaF(a);
    return c;
}

QColor tintOr(const Picture& pic, const QColor& fallback)
{
    const QColor c(QString::fromLatin1(pic.tint));
    return c.isValid() ? c : fallback;
}

void fillRounded(QPainter& p, const QRectF& r, qreal radius, const QColor& top, const QColor& bottom)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setBrush(g);
    p.drawRoundedRect(r, radius, radius);
}

void verticalFill(QPainter& p, const QRectF& r, const QColor& top, const QColor& bottom)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.fillRect(r, g);
}

// The mark: a prism that splits one beam into three coloured vanes.
void drawMark(QPainter& p, const QRectF& box, bool tile)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = qMin(box.width(), box.height());
    const QRectF r(box.center().x() - s / 2, box.center().y() - s / 2, s, s);
    auto at = [&](qreal x, qreal y) { return QPointF(r.left() + x * s, r.top() + y * s); };
    if (tile) {
        p.setPen(Qt::NoPen);
        fillRounded(p, r.adjusted(s * 0.02, s * 0.02, -s * 0.02, -s * 0.02), s * 0.22, pal::ink3, pal::ink0);
        p.setPen(QPen(withAlpha(Qt::white, 0.08), qMax<qreal>(1, s / 128)));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(r.adjusted(s * 0.03, s * 0.03, -s * 0.03, -s * 0.03), s * 0.21, s * 0.21);
    }
    const qreal k = tile ? 0.78 : 1.0; // the tile leaves a margin around the prism
    auto in = [&](qreal x, qreal y) { return at(0.5 + (x - 0.5) * k, 0.5 + (y - 0.5) * k); };
    // Incoming beam.
    p.setPen(QPen(withAlpha(pal::snow, 0.9), qMax<qreal>(1.0, s * 0.045), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(in(0.04, 0.62), in(0.4, 0.52));
    // Three vanes fanning out to the right.
    const QColor vane[3] = {pal::accentHi, pal::mint, QColor("#8fd3ff")};
    const qreal ends[3] = {0.3, 0.5, 0.7};
    for (int i = 0; i < 3; ++i) {
        QPainterPath v;
        v.moveTo(in(0.56, 0.5));
        v.lineTo(in(0.98, ends[i] - 0.07));
        v.lineTo(in(0.98, ends[i] + 0.07));
        v.closeSubpath();
        QLinearGradient g(in(0.56, 0.5), in(0.98, ends[i]));
        g.setColorAt(0, withAlpha(vane[i], 0.15));
        g.setColorAt(1, vane[i]);
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawPath(v);
    }
    // The prism itself.
    QPainterPath prism;
    prism.moveTo(in(0.5, 0.12));
    prism.lineTo(in(0.82, 0.8));
    prism.lineTo(in(0.18, 0.8));
    prism.closeSubpath();
    QLinearGradient g(in(0.3, 0.1), in(0.8, 0.85));
    g.setColorAt(0, QColor("#9fd8fb"));
    g.setColorAt(0.55, pal::accent);
    g.setColorAt(1, pal::accentLo);
    p.setBrush(g);
    p.setPen(QPen(withAlpha(Qt::white, 0.85), qMax<qreal>(1.0, s * 0.03), Qt::SolidLine, Qt::RoundCap,
                  Qt::RoundJoin));
    p.drawPath(prism);
    // A facet highlight gives the prism its depth.
    QPainterPath facet;
    facet.moveTo(in(0.5, 0.12));
    facet.lineTo(in(0.5, 0.8));
    facet.lineTo(in(0.18, 0.8));
    facet.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(withAlpha(Qt::white, 0.18));
    p.drawPath(facet);
    p.restore();
}

void drawWordmark(QPainter& p, const QRectF& r, const QColor& c, qreal px, const QString& tagline)
{
    QFont f("DejaVu Sans");
    f.setBold(true);
    f.setPixelSize(qRound(px));
    f.setLetterSpacing(QFont::PercentageSpacing, 98);
    p.setFont(f);
    p.setPen(c);
    const qreal nameH = px * 1.2;
    const QRectF nameBox(r.left(), tagline.isEmpty() ? r.top() : r.center().y() - nameH * 0.75, r.width(),
                         tagline.isEmpty() ? r.height() : nameH);
    p.drawText(nameBox, Qt::AlignLeft | Qt::AlignVCenter, "Lumivane");
    if (!tagline.isEmpty()) {
        QFont t("DejaVu Sans");
        t.setPixelSize(qRound(px * 0.42));
        t.setLetterSpacing(QFont::AbsoluteSpacing, px * 0.06);
        p.setFont(t);
        p.setPen(withAlpha(c, 0.6));
        p.drawText(QRectF(r.left() + 1, nameBox.bottom() - px * 0.05, r.width(), px * 0.6),
                   Qt::AlignLeft | Qt::AlignTop, tagline);
    }
}

// ---- buttons -------------------------------------------------------------

// Caption-carrying button of the dark header: a glyph chip at the left.
void ghost(QPainter& p, const QRectF& r, int st, const Picture& pic)
{
    const QRectF body = r.adjusted(3, 4, -3, -4);
    p.setPen(Qt::NoPen);
    if (st == 1)
        fillRounded(p, body, 8, withAlpha(Qt::white, 0.11), withAlpha(Qt::white, 0.05));
    else if (st == 2)
        fillRounded(p, body, 8, withAlpha(Qt::black, 0.32), withAlpha(Qt::black, 0.2));
    const qreal d = qMin<qreal>(30, body.height() - 10);
    const QRectF chip(body.left() + 8, body.center().y() - d / 2, d, d);
    QColor top = pal::accentHi, bottom = pal::accent;
    if (st == 1) {
        top = QColor("#7cc6f3");
        bottom = pal::accentHi;
    }
    if (st == 2) {
        top = pal::accentLo;
        bottom = pal::accentLo.darker(115);
    }
    if (st == 3) {
        top = pal::ink4;
        bottom = pal::ink3;
    }
    fillRounded(p, chip, d / 2, top, bottom);
    drawGlyph(p, pic.glyph, chip.adjusted(d * 0.16, d * 0.16, -d * 0.16, -d * 0.16),
              st == 3 ? pal::muted : Qt::white);
}

// The one call to action: an accent pill.
void primary(QPainter& p, const QRectF& r, int st, const Picture& pic)
{
    const QRectF body = r.adjusted(2, 2, -2, -3);
    QColor top = pal::accentHi, bottom = pal::accent;
    if (st == 1) {
        top = QColor("#74c2f2");
        bottom = QColor("#3aa6e8");
    }
    if (st == 2) {
        top = pal::accentLo;
        bottom = pal::accent;
    }
    if (st == 3) {
        top = pal::ink4;
        bottom = pal::ink3;
    }
    p.setPen(Qt::NoPen);
    // Soft drop shadow under the pill.
    p.setBrush(withAlpha(Qt::black, st == 2 ? 0.15 : 0.3));
    p.drawRoundedRect(body.translated(0, 1.5), body.height() / 2, body.height() / 2);
    fillRounded(p, body, body.height() / 2, top, bottom);
    p.setPen(QPen(withAlpha(Qt::white, st == 3 ? 0.05 : 0.25), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(body.adjusted(0.5, 0.5, -0.5, -0.5), body.height() / 2, body.height() / 2);
    const qreal g = body.height() * 0.62;
    drawGlyph(p, pic.glyph, QRectF(body.left() + body.height() * 0.3, body.center().y() - g / 2, g, g),
              st == 3 ? pal::muted : Qt::white);
}

// Dialog buttons on light paper; their captions are dark grey.
void light(QPainter& p, const QRectF& r, int st, const Picture& pic)
{
    const QRectF body = r.adjusted(1.5, 1.5, -1.5, -2);
    QColor top = Qt::white, bottom = pal::paper2, edge = pal::border;
    if (st == 1) {
        top = QColor("#f6fbff");
        bottom = pal::accentPale;
        edge = pal::accentHi;
    }
    if (st == 2) {
        top = QColor("#d4e8f7");
        bottom = pal::accentPale;
        edge = pal::accent;
    }
    if (st == 3) {
        top = QColor("#f3f4f6");
        bottom = QColor("#eef0f2");
        edge = QColor("#dfe3e8");
    }
    p.setPen(Qt::NoPen);
    if (st != 3 && st != 2) {
        p.setBrush(withAlpha(QColor("#1b2a3a"), 0.08));
        p.drawRoundedRect(body.translated(0, 1), 5, 5);
    }
    p.setPen(QPen(edge, 1));
    fillRounded(p, body, 5, top, bottom);
    if (*pic.glyph) {
        const qreal g = body.height() * 0.6;
        drawGlyph(p, pic.glyph, QRectF(body.left() + 6, body.center().y() - g / 2, g, g),
                  st == 3 ? QColor("#b5bdc6") : pal::accent);
    }
}

// Small symbol buttons; the tint says whether they sit on dark or light ground.
void tool(QPainter& p, const QRectF& r, int st, const Picture& pic)
{
    const bool onLight = QString::fromLatin1(pic.tint) == "light";
    const QRectF body = r.adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal rad = qMin(body.width(), body.height()) * 0.28;
    QColor glyph = onLight ? pal::slate : pal::fog;
    p.setPen(Qt::NoPen);
    if (st == 1) {
        p.setBrush(onLight ? pal::accentPale : withAlpha(Qt::white, 0.12));
        p.drawRoundedRect(body, rad, rad);
        glyph = onLight ? pal::accent : Qt::white;
    } else if (st == 2) {
        p.setBrush(onLight ? QColor("#cfe4f4") : withAlpha(pal::accent, 0.45));
        p.drawRoundedRect(body, rad, rad);
        glyph = onLight ? pal::accentLo : Qt::white;
    } else if (st == 3) {
        glyph = onLight ? QColor("#c3cbd3") : pal::ink4;
    }
    if (QString::fromLatin1(pic.glyph) == "close" && st == 1)
        glyph = pal::danger;
    drawGlyph(p, pic.glyph, body.adjusted(1, 1, -1, -1), glyph);
}

// Round accent buttons of the list rows and the players.
void round(QPainter& p, const QRectF& r, int st, const Picture& pic)
{
    const qreal d = qMin(r.width(), r.height()) - 2;
    const QRectF c(r.center().x() - d / 2, r.center().y() - d / 2, d, d);
    QColor top = pal::accentHi, bottom = pal::accent;
    if (st == 1) {
        top = QColor("#7cc6f3");
        bottom = pal::accentHi;
    }
    if (st == 2) {
        top = pal::accentLo;
        bottom = pal::accentLo;
    }
    if (st == 3) {
        top = QColor("#c6ced6");
        bottom = QColor("#b3bcc6");
    }
    p.setPen(Qt::NoPen);
    p.setBrush(withAlpha(Qt::black, 0.18));
    p.drawEllipse(c.translated(0, 1));
    fillRounded(p, c, d / 2, top, bottom);
    p.setPen(QPen(withAlpha(Qt::white, 0.35), 1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c.adjusted(0.5, 0.5, -0.5, -0.5));
    drawGlyph(p, pic.glyph, c.adjusted(d * 0.18, d * 0.18, -d * 0.18, -d * 0.18), Qt::white);
}

// Window controls of a dark title area; close turns red on hover.
void window(QPainter& p, const QRectF& r, int st, const Picture& pic)
{
    const bool close = QString::fromLatin1(pic.glyph) == "close";
    const QRectF body = r.adjusted(1.5, 1.5, -1.5, -1.5);
    QColor glyph = pal::fog;
    p.setPen(Qt::NoPen);
    if (st == 1) {
        p.setBrush(close ? pal::danger : withAlpha(Qt::white, 0.16));
        p.drawRoundedRect(body, 4, 4);
        glyph = Qt::white;
    } else if (st == 2) {
        p.setBrush(close ? pal::danger.darker(125) : withAlpha(Qt::black, 0.35));
        p.drawRoundedRect(body, 4, 4);
        glyph = Qt::white;
    } else if (st == 3) {
        glyph = pal::ink4;
    }
    drawGlyph(p, pic.glyph, body.adjusted(1, 1, -1, -1), glyph);
}

// The merge switch: a pill with a knob, off at the left, on at the right.
void toggle(QPainter& p, const QRectF& r, int st, const Picture& pic)
{
    const bool on = QString::fromLatin1(pic.glyph) == "on";
    const qreal h = qMin(r.height() - 8, r.width() * 0.58);
    const QRectF track(r.left() + 1, r.center().y() - h / 2, r.width() - 2, h);
    QColor t = on ? pal::accent : pal::ink4;
    if (st == 1)
        t = on ? pal::accentHi : pal::rule;
    if (st == 2)
        t = on ? pal::accentLo : pal::ink3;
    if (st == 3)
        t = on ? QColor("#3d5566") : pal::ink3;
    p.setPen(QPen(withAlpha(Qt::black, 0.35), 1));
    p.setBrush(t);
    p.drawRoundedRect(track, h / 2, h / 2);
    const qreal k = h - 3;
    const QRectF knob(on ? track.right() - k - 1.5 : track.left() + 1.5, track.center().y() - k / 2, k, k);
    p.setPen(Qt::NoPen);
    fillRounded(p, knob, k / 2, st == 3 ? pal::muted : Qt::white, st == 3 ? pal::ink4 : pal::snow);
}

// The big drop target of the empty queue.
void drop(QPainter& p, const QRectF& r, int st, const Picture&)
{
    const QRectF body = r.adjusted(6, 6, -6, -6);
    QColor edge = withAlpha(pal::fog, 0.45), fill = withAlpha(Qt::white, 0.03), icon = pal::fog;
    if (st == 1) {
        edge = pal::accentHi;
        fill = withAlpha(pal::accent, 0.1);
        icon = pal::accentHi;
    }
    if (st == 2) {
        edge = pal::accent;
        fill = withAlpha(pal::accent, 0.2);
        icon = Qt::white;
    }
    if (st == 3) {
        edge = withAlpha(pal::fog, 0.15);
        icon = pal::ink4;
    }
    QPen pen(edge, 2, Qt::DashLine, Qt::RoundCap);
    pen.setDashPattern({4, 3});
    p.setPen(pen);
    p.setBrush(fill);
    p.drawRoundedRect(body, 16, 16);
    const qreal g = body.height() * 0.6;
    drawGlyph(p, "media_add", QRectF(body.center().x() - g / 2, body.center().y() - g / 2, g, g), icon);
}

// ---- strips and backgrounds ------------------------------------------------

// A list row: a light card; hover warms its edge, pressed (chosen) is accent.
void row(QPainter& p, const QRectF& r, int st, const Picture& pic)
{
    const bool dark = QString::fromLatin1(pic.tint) == "dark";
    const QRectF card = r.adjusted(4, 3, -4, -3);
    p.setPen(Qt::NoPen);
    if (dark) {
        QColor top = pal::ink3, bottom = pal::ink2;
        if (st == 1) {
            top = pal::ink4;
            bottom = pal::ink3;
        }
        if (st == 2) {
            top = pal::accentLo;
            bottom = pal::accentLo.darker(120);
        }
        if (st == 3) {
            top = pal::ink2;
            bottom = pal::ink2;
        }
        fillRounded(p, card, 6, top, bottom);
        return;
    }
    QColor top = pal::paper, bottom = pal::paper2, edge = pal::border;
    if (st == 1) {
        top = Qt::white;
        bottom = QColor("#f1f6fa");
        edge = pal::accentHi;
    }
    if (st == 2) {
        top = QColor("#e8f4fd");
        bottom = QColor("#d6eaf8");
        edge = pal::accent;
    }
    if (st == 3) {
        top = QColor("#e6e9ed");
        bottom = QColor("#dfe3e7");
        edge = QColor("#d3d9df");
    }
    p.setBrush(withAlpha(Qt::black, 0.25));
    p.drawRoundedRect(card.translated(0, 1.5), 8, 8);
    p.setPen(QPen(edge, st == 2 ? 1.5 : 1));
    fillRounded(p, card, 8, top, bottom);
    if (st == 2) {
        // A bar at the left edge marks the chosen row.
        p.setPen(Qt::NoPen);
        p.setBrush(pal::accent);
        p.drawRoundedRect(QRectF(card.left() + 3, card.top() + 10, 4, card.height() - 20), 2, 2);
    }
}

void header(QPainter& p, const QRectF& r, int, const Picture&)
{
    verticalFill(p, r, pal::ink3, pal::ink1);
    QRadialGradient glow(QPointF(r.left() + 90, r.top() + 30), 260);
    glow.setColorAt(0, withAlpha(pal::accent, 0.16));
    glow.setColorAt(1, withAlpha(pal::accent, 0));
    p.fillRect(r, glow);
    p.fillRect(QRectF(r.left(), r.top(), r.width(), 1), withAlpha(Qt::white, 0.07));
    p.fillRect(QRectF(r.left(), r.bottom() - 1, r.width(), 1), pal::ink0);
}

// Footer: the format catalogue area above and the output-folder strip below.
// Its right edge must stay uniform because the window stretches it.
void footer(QPainter& p, const QRectF& r, int, const Picture&)
{
    const qreal strip = 58;
    verticalFill(p, QRectF(r.left(), r.top(), r.width(), r.height() - strip), pal::ink2, pal::ink1);
    verticalFill(p, QRectF(r.left(), r.bottom() - strip, r.width(), strip), pal::ink1, pal::ink0);
    p.fillRect(QRectF(r.left(), r.top(), r.width(), 1), pal::ink0);
    p.fillRect(QRectF(r.left(), r.top() + 1, r.width(), 1), withAlpha(Qt::white, 0.06));
    p.fillRect(QRectF(r.left(), r.bottom() - strip, r.width(), 1), withAlpha(Qt::black, 0.5));
    p.fillRect(QRectF(r.left(), r.bottom() - strip + 1, r.width(), 1), withAlpha(Qt::white, 0.05));
}

void canvas(QPainter& p, const QRectF& r, int, const Picture& pic)
{
    const QColor base = tintOr(pic, pal::ink1);
    verticalFill(p, r, base, base.darker(118));
}

// Light dialog paper; the glyph "band" adds a dark title band of 30 pixels.
void dialog(QPainter& p, const QRectF& r, int, const Picture& pic)
{
    verticalFill(p, r, Qt::white, pal::paper2);
    if (QString::fromLatin1(pic.glyph) == "band") {
        const QRectF band(r.left(), r.top(), r.width(), 30);
        verticalFill(p, band, pal::ink3, pal::ink2);
        p.fillRect(QRectF(r.left(), band.bottom(), r.width(), 2), pal::accent);
    }
    p.setPen(QPen(pal::border, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0.5, 0.5, -0.5, -0.5));
}

// Dark panel backgrounds of the player and the editor.
void panel(QPainter& p, const QRectF& r, int, const Picture& pic)
{
    verticalFill(p, r, tintOr(pic, pal::ink2), pal::ink1);
    p.fillRect(QRectF(r.left(), r.top(), r.width(), 1), withAlpha(Qt::white, 0.07));
    p.setPen(QPen(pal::ink0, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0.5, 0.5, -0.5, -0.5));
}

// A rounded notice on a transparent ground: a dark title band over paper.
void notice(QPainter& p, const QRectF& r, int, const Picture&)
{
    const QRectF card = r.adjusted(1, 1, -1, -1);
    QPainterPath shape;
    shape.addRoundedRect(card, 10, 10);
    p.save();
    p.setClipPath(shape);
    verticalFill(p, card, Qt::white, pal::paper2);
    verticalFill(p, QRectF(card.left(), card.top(), card.width(), 30), pal::ink3, pal::ink2);
    p.fillRect(QRectF(card.left(), card.top() + 30, card.width(), 2), pal::accent);
    p.restore();
    p.setPen(QPen(withAlpha(pal::ink0, 0.6), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
}

void about(QPainter& p, const QRectF& r, int, const Picture&)
{
    verticalFill(p, r, Qt::white, pal::paper2);
    const QRectF hero(r.left(), r.top(), r.width(), 190);
    verticalFill(p, hero, pal::ink3, pal::ink0);
    QRadialGradient glow(QPointF(hero.center().x(), hero.top() + 70), 220);
    glow.setColorAt(0, withAlpha(pal::accent, 0.28));
    glow.setColorAt(1, withAlpha(pal::accent, 0));
    p.fillRect(hero, glow);
    p.fillRect(QRectF(r.left(), hero.bottom(), r.width(), 3), pal::accent);
    drawMark(p, QRectF(hero.center().x() - 48, hero.top() + 22, 96, 96), false);
    QFont f("DejaVu Sans");
    f.setBold(true);
    f.setPixelSize(30);
    p.setFont(f);
    p.setPen(pal::snow);
    p.drawText(QRectF(hero.left(), hero.top() + 122, hero.width(), 40), Qt::AlignCenter, "Lumivane");
    // A hairline above the button row.
    p.fillRect(QRectF(r.left() + 40, r.top() + 398, r.width() - 80, 1), pal::border);
}

// ---- icons -----------------------------------------------------------------

void icon(QPainter& p, const QRectF& r, int, const Picture& pic)
{
    drawGlyph(p, pic.glyph, r, tintOr(pic, pal::slate));
}

void badge(QPainter& p, const QRectF& r, int, const Picture& pic)
{
    const qreal d = qMin(r.width(), r.height()) - 2;
    const QRectF c(r.center().x() - d / 2, r.center().y() - d / 2, d, d);
    p.setPen(Qt::NoPen);
    fillRounded(p, c, d / 2, pal::accentHi, tintOr(pic, pal::accent));
    drawGlyph(p, pic.glyph, c.adjusted(d * 0.18, d * 0.18, -d * 0.18, -d * 0.18), Qt::white);
}

// A glyph on a soft rounded tile, for format and device icons.
void tile(QPainter& p, const QRectF& r, int, const Picture& pic)
{
    const QColor c = tintOr(pic, pal::accent);
    const QRectF body =
        r.adjusted(r.width() * 0.06, r.height() * 0.06, -r.width() * 0.06, -r.height() * 0.06);
    p.setPen(Qt::NoPen);
    fillRounded(p, body, body.width() * 0.2, c.lighter(125), c.darker(115));
    drawGlyph(
        p, pic.glyph,
        body.adjusted(body.width() * 0.18, body.height() * 0.18, -body.width() * 0.18, -body.height() * 0.18),
        Qt::white);
}

void logo(QPainter& p, const QRectF& r, int, const Picture&)
{
    const qreal m = r.height();
    drawMark(p, QRectF(r.left(), r.top(), m, m), false);
    drawWordmark(p, QRectF(r.left() + m + 8, r.top(), r.width() - m - 8, r.height()), pal::snow, m * 0.42,
                 "MEDIA CONVERTER");
}

void mark(QPainter& p, const QRectF& r, int, const Picture&) { drawMark(p, r, r.width() >= 32); }

// Progress bar pieces: a recessed track and a glossy accent fill.
void track(QPainter& p, const QRectF& r, int, const Picture& pic)
{
    const QRectF body = r.adjusted(0.5, 0.5, -0.5, -0.5);
    if (QString::fromLatin1(pic.tint) == "dark") {
        p.setPen(QPen(pal::ink0, 1));
        fillRounded(p, body, r.height() / 2, pal::ink1, pal::ink4);
        return;
    }
    p.setPen(QPen(QColor("#c3ccd5"), 1));
    fillRounded(p, body, r.height() / 2, QColor("#d9e0e7"), QColor("#eef2f5"));
}

void fill(QPainter& p, const QRectF& r, int, const Picture& pic)
{
    const QColor c = tintOr(pic, pal::accent);
    p.setPen(QPen(c.darker(115), 1));
    fillRounded(p, r.adjusted(0.5, 0.5, -0.5, -0.5), r.height() / 2, c.lighter(125), c);
}

// The row's progress arrow; the fill version is revealed from the left.
void arrow(QPainter& p, const QRectF& r, int, const Picture& pic)
{
    const bool filled = QString::fromLatin1(pic.glyph) == "fill";
    QPainterPath a;
    const qreal w = r.width(), h = r.height(), x = r.left(), y = r.top();
    a.moveTo(x + 2, y + h * 0.36);
    a.lineTo(x + w * 0.5, y + h * 0.36);
    a.lineTo(x + w * 0.5, y + h * 0.2);
    a.lineTo(x + w - 2, y + h * 0.5);
    a.lineTo(x + w * 0.5, y + h * 0.8);
    a.lineTo(x + w * 0.5, y + h * 0.64);
    a.lineTo(x + 2, y + h * 0.64);
    a.closeSubpath();
    if (filled) {
        QLinearGradient g(r.topLeft(), r.topRight());
        g.setColorAt(0, pal::mint);
        g.setColorAt(1, pal::accent);
        p.setBrush(g);
        p.setPen(QPen(pal::accentLo, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    } else {
        p.setBrush(QColor("#dde4ea"));
        p.setPen(QPen(QColor("#c4ced7"), 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    }
    p.drawPath(a);
}

// The row's thumbnail frame: a dark screen with sprocket holes.
void thumb(QPainter& p, const QRectF& r, int, const Picture&)
{
    const QRectF body = r.adjusted(1, 1, -1, -1);
    p.setPen(QPen(pal::ink0, 1));
    fillRounded(p, body, 6, pal::ink3, pal::ink1);
    p.setPen(Qt::NoPen);
    p.setBrush(withAlpha(Qt::white, 0.22));
    for (qreal x = body.left() + 6; x < body.right() - 6; x += 10) {
        p.drawRoundedRect(QRectF(x, body.top() + 1.5, 5, 3), 1, 1);
        p.drawRoundedRect(QRectF(x, body.bottom() - 4.5, 5, 3), 1, 1);
    }
    drawGlyph(p, "film", QRectF(body.center().x() - 16, body.center().y() - 16, 32, 32),
              withAlpha(pal::fog, 0.5));
}

void wait(QPainter& p, const QRectF& r, int, const Picture&)
{
    const qreal d = qMin(r.width(), r.height()) - 2;
    const QRectF c(r.center().x() - d / 2, r.center().y() - d / 2, d, d);
    p.setPen(QPen(pal::border, 1));
    fillRounded(p, c, d / 2, Qt::white, pal::paper2);
    drawGlyph(p, "hourglass", c.adjusted(d * 0.2, d * 0.2, -d * 0.2, -d * 0.2), pal::slate);
}

// Slider handles: a white knob with an accent ring.
void knob(QPainter& p, const QRectF& r, int st, const Picture& pic)
{
    const QString shape = QString::fromLatin1(pic.glyph);
    QColor ring = pal::accent;
    if (st == 1)
        ring = pal::accentHi;
    if (st == 2)
        ring = pal::accentLo;
    if (st == 3)
        ring = pal::muted;
    p.setPen(Qt::NoPen);
    if (shape == "start" || shape == "end") {
        // Trim markers: a slim flag pointing into the kept range.
        const QRectF body = r.adjusted(1, 1, -1, -1);
        QPainterPath f;
        if (shape == "start") {
            f.moveTo(body.topLeft());
            f.lineTo(body.topRight());
            f.lineTo(body.right(), body.bottom() - body.width());
            f.lineTo(body.left() + 2, body.bottom());
            f.lineTo(body.left(), body.bottom());
        } else {
            f.moveTo(body.topLeft());
            f.lineTo(body.topRight());
            f.lineTo(body.bottomRight());
            f.lineTo(body.right() - 2, body.bottom());
            f.lineTo(body.left(), body.bottom() - body.width());
        }
        f.closeSubpath();
        p.setBrush(ring);
        p.drawPath(f);
        return;
    }
    const qreal d = qMin(r.width(), r.height()) - 2;
    const QRectF c(r.center().x() - d / 2, r.center().y() - d / 2, d, d);
    p.setBrush(withAlpha(Qt::black, 0.25));
    p.drawEllipse(c.translated(0, 1));
    p.setBrush(ring);
    p.drawEllipse(c);
    const qreal in = d * 0.28;
    fillRounded(p, c.adjusted(in, in, -in, -in), (d - 2 * in) / 2, Qt::white, pal::snow);
}

// A check or radio mark (yes/no pictures).
void choice(QPainter& p, const QRectF& r, int, const Picture& pic)
{
    const bool yes = QString::fromLatin1(pic.glyph) == "yes";
    const QRectF box = r.adjusted(1.5, 1.5, -1.5, -1.5);
    p.setPen(QPen(yes ? pal::accentLo : pal::border, 1));
    if (yes)
        fillRounded(p, box, 3, pal::accentHi, pal::accent);
    else
        fillRounded(p, box, 3, Qt::white, pal::paper2);
    if (yes)
        drawGlyph(p, "check", box, Qt::white);
}

// Tabs and captioned buttons of dark panels: the pressed frame is the chosen look.
void tab(QPainter& p, const QRectF& r, int st, const Picture& pic)
{
    const QRectF body = r.adjusted(1.5, 1.5, -1.5, -1.5);
    QColor top = pal::ink4, bottom = pal::ink3, edge = withAlpha(Qt::white, 0.1);
    if (st == 1) {
        top = pal::rule;
        bottom = pal::ink4;
        edge = withAlpha(pal::accentHi, 0.7);
    }
    if (st == 2) {
        top = pal::accent;
        bottom = pal::accentLo;
        edge = pal::accentLo;
    }
    if (st == 3) {
        top = pal::ink2;
        bottom = pal::ink2;
        edge = withAlpha(Qt::white, 0.04);
    }
    p.setPen(QPen(edge, 1));
    fillRounded(p, body, 6, top, bottom);
    if (*pic.glyph) {
        const qreal g = body.height() * 0.6;
        drawGlyph(p, pic.glyph, QRectF(body.left() + 6, body.center().y() - g / 2, g, g),
                  st == 3 ? pal::muted : Qt::white);
    }
}

// The hover and chosen halo behind a format tile.
void highlight(QPainter& p, const QRectF& r, int, const Picture&)
{
    const QRectF body = r.adjusted(1, 1, -1, -1);
    p.setPen(QPen(withAlpha(pal::accent, 0.8), 1.2));
    fillRounded(p, body, 8, withAlpha(pal::accentPale, 0.95), withAlpha(QColor("#cfe6f7"), 0.95));
}

// A short caption drawn as a picture; the glyph field holds the words.
void label(QPainter& p, const QRectF& r, int, const Picture& pic)
{
    QFont f("DejaVu Sans");
    f.setBold(true);
    f.setPixelSize(qRound(r.height() * 0.55));
    f.setLetterSpacing(QFont::AbsoluteSpacing, 1.2);
    // Shrink until the caption fits: a clipped first letter looks broken.
    const QString text = QString::fromLatin1(pic.glyph);
    while (f.pixelSize() > 6 && QFontMetricsF(f).horizontalAdvance(text) > r.width() - 2) {
        f.setPixelSize(f.pixelSize() - 1);
        f.setLetterSpacing(QFont::AbsoluteSpacing, 0.6);
    }
    p.setFont(f);
    p.setPen(tintOr(pic, pal::fog));
    p.drawText(r, Qt::AlignCenter, QString::fromLatin1(pic.glyph));
}

// Table header pieces: a light band, a separator, and the pressed band.
void headerCell(QPainter& p, const QRectF& r, int, const Picture& pic)
{
    const QString kind = QString::fromLatin1(pic.glyph);
    if (kind == "separator") {
        p.fillRect(r, pal::border);
        return;
    }
    const bool chosen = kind == "chosen";
    verticalFill(p, r, chosen ? pal::accent : pal::ink4, chosen ? pal::accentLo : pal::ink3);
    p.fillRect(QRectF(r.left(), r.bottom() - 1, r.width(), 1), pal::ink0);
}

// A row separator drawn over another row background.
void hairline(QPainter& p, const QRectF& r, int, const Picture&)
{
    p.fillRect(QRectF(r.left() + 6, r.bottom() - 1, r.width() - 12, 1), withAlpha(Qt::white, 0.08));
}

const QHash<QString, Style>& styles()
{
    static const QHash<QString, Style> table = {
        // clang-format off
        {"ghost", ghost},   {"primary", primary}, {"light", light},   {"tool", tool},
        {"round", round},   {"window", window},   {"switch", toggle}, {"drop", drop},
        {"row", row},       {"header", header},   {"footer", footer}, {"canvas", canvas},
        {"dialog", dialog}, {"panel", panel},     {"notice", notice}, {"about", about},
        {"icon", icon},     {"badge", badge},     {"tile", tile},     {"logo", logo},
        {"mark", mark},     {"track", track},     {"fill", fill},     {"arrow", arrow},
        {"thumb", thumb},   {"wait", wait},       {"knob", knob},     {"choice", choice},
        {"tab", tab},       {"highlight", highlight}, {"label", label}, {"headerCell", headerCell},
        {"hairline", hairline}, {"format", formatBadge},
        // clang-format on
    };
    return table;
}

} // namespace

QImage renderPicture(const Picture& pic)
{
    QImage img(pic.frameWidth * pic.frames, pic.height, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    const auto it = styles().constFind(QString::fromLatin1(pic.style));
    if (it == styles().constEnd())
        return QImage();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    for (int f = 0; f < pic.frames; ++f) {
        const QRectF r(f * pic.frameWidth, 0, pic.frameWidth, pic.height);
        p.save();
        p.setClipRect(r);
        (*it)(p, r, pic.frames == 1 ? 0 : f, pic);
        p.restore();
    }
    p.end();
    return img.convertToFormat(QImage::Format_ARGB32);
}

} // namespace skin
