// Format badges of the catalogue strips: a file-shaped card in the colour of
// its category, a symbol, and the format's short label on a band below.
// The glyph field reads "symbol|label" or "symbol|label|sublabel"; the tint
// names the category (video, audio, hd, web, device).
#include "skin.h"

#include <QFontMetricsF>
#include <QHash>
#include <QLinearGradient>
#include <QPainterPath>
#include <QStringList>

namespace skin {

namespace {

QColor categoryColour(const QString& category)
{
    if (category == "audio")
        return QColor("#8e5bd3");
    if (category == "hd")
        return QColor("#e0683c");
    if (category == "web")
        return QColor("#1ea384");
    if (category == "device")
        return QColor("#4d6478");
    return QColor("#2f8fd8");
}

// Unit-square helper so each symbol is written once for any box.
struct Box
{
    QRectF r;
    QPointF at(qreal x, qreal y) const { return {r.left() + x * r.width(), r.top() + y * r.height()}; }
    QRectF rect(qreal x, qreal y, qreal w, qreal h) const
    {
        return {at(x, y), QSizeF(w * r.width(), h * r.height())};
    }
    qreal s(qreal v) const { return v * r.width(); }
};

void playMark(QPainter& p, const Box& b, qreal cx, qreal cy, qreal size, const QColor& c)
{
    QPainterPath t;
    t.moveTo(b.at(cx - size * 0.4, cy - size * 0.5));
    t.lineTo(b.at(cx + size * 0.5, cy));
    t.lineTo(b.at(cx - size * 0.4, cy + size * 0.5));
    t.closeSubpath();
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(t);
    p.restore();
}

void dot(QPainter& p, const Box& b, qreal x, qreal y, qreal d, const QColor& c)
{
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(b.at(x, y), b.s(d) / 2, b.s(d) / 2);
    p.restore();
}

// What one symbol is drawn with: the unit box, its colour, a softer fill
// of that colour and the stroke width.
struct Pen
{
    QPainter& p;
    Box b;
    QColor c;
    QColor soft;
    qreal stroke;
};

// Symbols that the shared glyph set lacks: device outlines and web shapes,
// one entry a symbol.
struct NamedSymbol
{
    const char* name;
    void (*draw)(Pen&);
};

const NamedSymbol kSymbols[] = {
    {"phone",
     [](Pen& g) {
         g.p.drawRoundedRect(g.b.rect(0.3, 0.06, 0.4, 0.88), g.b.s(0.08), g.b.s(0.08));
         g.p.fillRect(g.b.rect(0.36, 0.18, 0.28, 0.58), g.soft);
         g.p.drawLine(g.b.at(0.44, 0.12), g.b.at(0.56, 0.12));
         dot(g.p, g.b, 0.5, 0.85, 0.07, g.c);
     }},
    {"keypad",
     [](Pen& g) {
         g.p.drawRoundedRect(g.b.rect(0.3, 0.06, 0.4, 0.88), g.b.s(0.07), g.b.s(0.07));
         g.p.fillRect(g.b.rect(0.36, 0.14, 0.28, 0.28), g.soft);
         g.p.drawRect(g.b.rect(0.36, 0.14, 0.28, 0.28));
         for (int row = 0; row < 3; ++row)
             for (int col = 0; col < 3; ++col)
                 dot(g.p, g.b, 0.4 + col * 0.1, 0.54 + row * 0.11, 0.06, g.c);
     }},
    {"tablet",
     [](Pen& g) {
         g.p.drawRoundedRect(g.b.rect(0.18, 0.1, 0.64, 0.8), g.b.s(0.08), g.b.s(0.08));
         g.p.fillRect(g.b.rect(0.25, 0.18, 0.5, 0.58), g.soft);
         dot(g.p, g.b, 0.5, 0.83, 0.06, g.c);
     }},
    {"gamepad",
     [](Pen& g) {
         QPainterPath pad;
         pad.moveTo(g.b.at(0.26, 0.3));
         pad.lineTo(g.b.at(0.74, 0.3));
         pad.cubicTo(g.b.at(0.92, 0.3), g.b.at(0.98, 0.72), g.b.at(0.86, 0.74));
         pad.cubicTo(g.b.at(0.76, 0.76), g.b.at(0.7, 0.6), g.b.at(0.62, 0.6));
         pad.lineTo(g.b.at(0.38, 0.6));
         pad.cubicTo(g.b.at(0.3, 0.6), g.b.at(0.24, 0.76), g.b.at(0.14, 0.74));
         pad.cubicTo(g.b.at(0.02, 0.72), g.b.at(0.08, 0.3), g.b.at(0.26, 0.3));
         g.p.drawPath(pad);
         g.p.drawLine(g.b.at(0.21, 0.45), g.b.at(0.35, 0.45));
         g.p.drawLine(g.b.at(0.28, 0.38), g.b.at(0.28, 0.52));
         dot(g.p, g.b, 0.69, 0.4, 0.08, g.c);
         dot(g.p, g.b, 0.77, 0.49, 0.08, g.c);
     }},
    {"handheld",
     [](Pen& g) {
         g.p.drawRoundedRect(g.b.rect(0.06, 0.28, 0.88, 0.44), g.b.s(0.16), g.b.s(0.16));
         g.p.fillRect(g.b.rect(0.3, 0.36, 0.4, 0.28), g.soft);
         g.p.drawRect(g.b.rect(0.3, 0.36, 0.4, 0.28));
         g.p.drawLine(g.b.at(0.13, 0.5), g.b.at(0.23, 0.5));
         g.p.drawLine(g.b.at(0.18, 0.45), g.b.at(0.18, 0.55));
         dot(g.p, g.b, 0.82, 0.46, 0.07, g.c);
         dot(g.p, g.b, 0.82, 0.57, 0.07, g.c);
     }},
    {"tv",
     [](Pen& g) {
         g.p.fillRect(g.b.rect(0.1, 0.18, 0.8, 0.52), g.soft);
         g.p.drawRoundedRect(g.b.rect(0.1, 0.18, 0.8, 0.52), g.b.s(0.04), g.b.s(0.04));
         g.p.drawLine(g.b.at(0.3, 0.82), g.b.at(0.7, 0.82));
         g.p.drawLine(g.b.at(0.5, 0.7), g.b.at(0.5, 0.82));
     }},
    {"box",
     [](Pen& g) {
         g.p.drawRoundedRect(g.b.rect(0.12, 0.5, 0.76, 0.24), g.b.s(0.05), g.b.s(0.05));
         dot(g.p, g.b, 0.76, 0.62, 0.06, g.c);
         // Signal arcs over the box.
         for (int i = 0; i < 2; ++i) {
             const qreal rad = 0.14 + i * 0.12;
             QPainterPath arc;
             const QRectF ring = g.b.rect(0.5 - rad, 0.42 - rad, 2 * rad, 2 * rad);
             arc.arcMoveTo(ring, 50);
             arc.arcTo(ring, 50, 80);
             g.p.drawPath(arc);
         }
     }},
    {"player",
     [](Pen& g) {
         g.p.drawRoundedRect(g.b.rect(0.28, 0.06, 0.44, 0.88), g.b.s(0.08), g.b.s(0.08));
         g.p.fillRect(g.b.rect(0.34, 0.14, 0.32, 0.3), g.soft);
         g.p.drawRect(g.b.rect(0.34, 0.14, 0.32, 0.3));
         g.p.drawEllipse(g.b.at(0.5, 0.68), g.b.s(0.13), g.b.s(0.13));
         dot(g.p, g.b, 0.5, 0.68, 0.06, g.c);
     }},
    {"disc",
     [](Pen& g) {
         g.p.drawEllipse(g.b.at(0.5, 0.5), g.b.s(0.36), g.b.s(0.36));
         g.p.drawEllipse(g.b.at(0.5, 0.5), g.b.s(0.1), g.b.s(0.1));
         QPainterPath shine;
         const QRectF ring = g.b.rect(0.26, 0.26, 0.48, 0.48);
         shine.arcMoveTo(ring, 100);
         shine.arcTo(ring, 100, 60);
         g.p.setPen(QPen(g.soft, g.stroke, Qt::SolidLine, Qt::RoundCap));
         g.p.drawPath(shine);
     }},
    {"settop",
     [](Pen& g) {
         g.p.drawRoundedRect(g.b.rect(0.08, 0.36, 0.84, 0.3), g.b.s(0.05), g.b.s(0.05));
         g.p.drawLine(g.b.at(0.18, 0.51), g.b.at(0.5, 0.51));
         dot(g.p, g.b, 0.68, 0.51, 0.07, g.c);
         dot(g.p, g.b, 0.8, 0.51, 0.07, g.c);
         g.p.drawLine(g.b.at(0.2, 0.66), g.b.at(0.2, 0.74));
         g.p.drawLine(g.b.at(0.8, 0.66), g.b.at(0.8, 0.74));
     }},
    {"music",
     [](Pen& g) {
         QPainterPath band;
         const QRectF ring = g.b.rect(0.16, 0.14, 0.68, 0.68);
         band.arcMoveTo(ring, 180);
         band.arcTo(ring, 180, -180);
         g.p.drawPath(band);
         g.p.setBrush(g.c);
         g.p.drawRoundedRect(g.b.rect(0.12, 0.5, 0.16, 0.3), g.b.s(0.05), g.b.s(0.05));
         g.p.drawRoundedRect(g.b.rect(0.72, 0.5, 0.16, 0.3), g.b.s(0.05), g.b.s(0.05));
     }},
    {"square",
     [](Pen& g) {
         g.p.fillRect(g.b.rect(0.2, 0.2, 0.6, 0.6), g.soft);
         g.p.drawRoundedRect(g.b.rect(0.2, 0.2, 0.6, 0.6), g.b.s(0.06), g.b.s(0.06));
         playMark(g.p, g.b, 0.52, 0.5, 0.24, g.c);
     }},
    {"vertical",
     [](Pen& g) {
         g.p.fillRect(g.b.rect(0.32, 0.1, 0.36, 0.8), g.soft);
         g.p.drawRoundedRect(g.b.rect(0.32, 0.1, 0.36, 0.8), g.b.s(0.06), g.b.s(0.06));
         playMark(g.p, g.b, 0.52, 0.5, 0.2, g.c);
     }},
    {"mail",
     [](Pen& g) {
         g.p.drawRoundedRect(g.b.rect(0.12, 0.26, 0.76, 0.5), g.b.s(0.05), g.b.s(0.05));
         QPainterPath flap;
         flap.moveTo(g.b.at(0.14, 0.3));
         flap.lineTo(g.b.at(0.5, 0.56));
         flap.lineTo(g.b.at(0.86, 0.3));
         g.p.drawPath(flap);
     }},
    {"screen",
     [](Pen& g) {
         g.p.fillRect(g.b.rect(0.06, 0.14, 0.88, 0.58), g.soft);
         g.p.drawRoundedRect(g.b.rect(0.06, 0.14, 0.88, 0.58), g.b.s(0.05), g.b.s(0.05));
         g.p.drawLine(g.b.at(0.5, 0.72), g.b.at(0.5, 0.84));
         g.p.drawLine(g.b.at(0.3, 0.86), g.b.at(0.7, 0.86));
     }},
};

void drawSymbol(QPainter& p, const QString& name, const QRectF& box, const QColor& c)
{
    // Names the shared glyph set draws, some under a name of its own.
    static const QHash<QString, QString> kGlyphNames{
        {"film", "film"}, {"web", "web"}, {"audio", "audio"}, {"note", "audio"}, {"globe", "web"}};
    const NamedSymbol* symbol = nullptr;
    for (const NamedSymbol& entry : kSymbols) {
        if (name == QLatin1String(entry.name))
            symbol = &entry;
    }
    if (!symbol || kGlyphNames.contains(name)) {
        drawGlyph(p, kGlyphNames.value(name, name), box, c);
        return;
    }
    const qreal side = qMin(box.width(), box.height());
    const qreal stroke = qMax<qreal>(1.5, side / 13.0);
    Pen pen{p, Box{QRectF(box.center().x() - side / 2, box.center().y() - side / 2, side, side)}, c,
            QColor(c.red(), c.green(), c.blue(), 70), stroke};
    p.save();
    p.setPen(QPen(c, stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    symbol->draw(pen);
    p.restore();
}

// The largest bold font, up to maxPx, in which text fits width.
QFont fitFont(const QString& text, qreal width, int maxPx, int minPx)
{
    QFont f("DejaVu Sans");
    f.setBold(true);
    for (int px = maxPx; px >= minPx; --px) {
        f.setPixelSize(px);
        if (QFontMetricsF(f).horizontalAdvance(text) <= width)
            return f;
    }
    f.setStretch(QFont::SemiCondensed);
    return f;
}

} // namespace

void formatBadge(QPainter& p, const QRectF& r, int, const Picture& pic)
{
    const QStringList parts = QString::fromLatin1(pic.glyph).split('|');
    const QString symbol = parts.value(0), label = parts.value(1), sub = parts.value(2);
    const QColor base = categoryColour(QString::fromLatin1(pic.tint));

    const QRectF card = r.adjusted(3, 1.5, -3, -3.5);
    const qreal rad = 7, fold = 13;
    QPainterPath shape;
    shape.moveTo(card.left() + rad, card.top());
    shape.lineTo(card.right() - fold, card.top());
    shape.lineTo(card.right(), card.top() + fold);
    shape.lineTo(card.right(), card.bottom() - rad);
    shape.quadTo(card.right(), card.bottom(), card.right() - rad, card.bottom());
    shape.lineTo(card.left() + rad, card.bottom());
    shape.quadTo(card.left(), card.bottom(), card.left(), card.bottom() - rad);
    shape.lineTo(card.left(), card.top() + rad);
    shape.quadTo(card.left(), card.top(), card.left() + rad, card.top());
    shape.closeSubpath();

    // Soft shadow, then the card.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 30, 45, 45));
    p.drawPath(shape.translated(0, 1.5));
    QLinearGradient g(card.topLeft(), card.bottomLeft());
    g.setColorAt(0, base.lighter(122));
    g.setColorAt(1, base.darker(112));
    p.setBrush(g);
    p.drawPath(shape);

    // The folded corner.
    QPainterPath corner;
    corner.moveTo(card.right() - fold, card.top());
    corner.lineTo(card.right() - fold, card.top() + fold - 3);
    corner.quadTo(card.right() - fold, card.top() + fold, card.right() - fold + 3, card.top() + fold);
    corner.lineTo(card.right(), card.top() + fold);
    corner.closeSubpath();
    p.setBrush(base.lighter(160));
    p.drawPath(corner);

    // Label band along the bottom.
    const qreal bandH = 19;
    const QRectF band(card.left(), card.bottom() - bandH, card.width(), bandH);
    p.save();
    p.setClipPath(shape);
    p.fillRect(band, QColor(0, 0, 0, 60));
    p.fillRect(QRectF(band.left(), band.top(), band.width(), 1), QColor(255, 255, 255, 45));
    p.restore();
    p.setPen(QPen(QColor(255, 255, 255, 60), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);

    // Symbol in the space above the band.
    const QRectF area(card.left() + 4, card.top() + 4, card.width() - 8, band.top() - card.top() - 6);
    if (sub.isEmpty()) {
        const qreal gs = qMin(area.width(), area.height());
        drawSymbol(p, symbol, QRectF(area.center().x() - gs / 2, area.center().y() - gs / 2, gs, gs),
                   Qt::white);
    } else {
        // A wide screen holding the container name, so the name stays legible.
        const QRectF screen = area.adjusted(1, 8, -1, -7);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 70));
        p.drawRoundedRect(screen, 2.5, 2.5);
        p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(screen, 2.5, 2.5);
        const qreal cx = screen.center().x();
        p.drawLine(QPointF(cx, screen.bottom() + 1), QPointF(cx, area.bottom() - 1.5));
        p.drawLine(QPointF(cx - 8, area.bottom() - 1), QPointF(cx + 8, area.bottom() - 1));
        p.setFont(fitFont(sub, screen.width() - 6, 13, 7));
        p.setPen(Qt::white);
        p.drawText(screen, Qt::AlignCenter, sub);
    }

    p.setFont(fitFont(label, band.width() - 6, 13, 8));
    p.setPen(Qt::white);
    p.drawText(band.adjusted(0, 0, 0, -0.5), Qt::AlignCenter, label);
}

} // namespace skin
