// Format badges of the catalogue strips: a file-shaped card in the colour of
// its category, a symbol, and the format's short label on a band below.
// The glyph field reads "symbol|label" or "symbol|label|sublabel"; the tint
// names the category (video, audio, hd, web, device).
#include "skin.h"

#include <QFontMetricsF>
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

// Symbols that the shared glyph set lacks: device outlines and web shapes.
void drawSymbol(QPainter& p, const QString& name, const QRectF& box, const QColor& c)
{
    if (name == "film" || name == "web" || name == "audio") {
        drawGlyph(p, name, box, c);
        return;
    }
    if (name == "note") {
        drawGlyph(p, "audio", box, c);
        return;
    }
    if (name == "globe") {
        drawGlyph(p, "web", box, c);
        return;
    }
    const qreal side = qMin(box.width(), box.height());
    const Box b{QRectF(box.center().x() - side / 2, box.center().y() - side / 2, side, side)};
    const qreal stroke = qMax<qreal>(1.5, side / 13.0);
    p.save();
    p.setPen(QPen(c, stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const QColor soft(c.red(), c.green(), c.blue(), 70);

    if (name == "phone") {
        p.drawRoundedRect(b.rect(0.3, 0.06, 0.4, 0.88), b.s(0.08), b.s(0.08));
        p.fillRect(b.rect(0.36, 0.18, 0.28, 0.58), soft);
        p.drawLine(b.at(0.44, 0.12), b.at(0.56, 0.12));
        dot(p, b, 0.5, 0.85, 0.07, c);
    } else if (name == "keypad") {
        p.drawRoundedRect(b.rect(0.3, 0.06, 0.4, 0.88), b.s(0.07), b.s(0.07));
        p.fillRect(b.rect(0.36, 0.14, 0.28, 0.28), soft);
        p.drawRect(b.rect(0.36, 0.14, 0.28, 0.28));
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 3; ++col)
                dot(p, b, 0.4 + col * 0.1, 0.54 + row * 0.11, 0.06, c);
    } else if (name == "tablet") {
        p.drawRoundedRect(b.rect(0.18, 0.1, 0.64, 0.8), b.s(0.08), b.s(0.08));
        p.fillRect(b.rect(0.25, 0.18, 0.5, 0.58), soft);
        dot(p, b, 0.5, 0.83, 0.06, c);
    } else if (name == "gamepad") {
        QPainterPath pad;
        pad.moveTo(b.at(0.26, 0.3));
        pad.lineTo(b.at(0.74, 0.3));
        pad.cubicTo(b.at(0.92, 0.3), b.at(0.98, 0.72), b.at(0.86, 0.74));
        pad.cubicTo(b.at(0.76, 0.76), b.at(0.7, 0.6), b.at(0.62, 0.6));
        pad.lineTo(b.at(0.38, 0.6));
        pad.cubicTo(b.at(0.3, 0.6), b.at(0.24, 0.76), b.at(0.14, 0.74));
        pad.cubicTo(b.at(0.02, 0.72), b.at(0.08, 0.3), b.at(0.26, 0.3));
        p.drawPath(pad);
        p.drawLine(b.at(0.21, 0.45), b.at(0.35, 0.45));
        p.drawLine(b.at(0.28, 0.38), b.at(0.28, 0.52));
        dot(p, b, 0.69, 0.4, 0.08, c);
        dot(p, b, 0.77, 0.49, 0.08, c);
    } else if (name == "handheld") {
        p.drawRoundedRect(b.rect(0.06, 0.28, 0.88, 0.44), b.s(0.16), b.s(0.16));
        p.fillRect(b.rect(0.3, 0.36, 0.4, 0.28), soft);
        p.drawRect(b.rect(0.3, 0.36, 0.4, 0.28));
        p.drawLine(b.at(0.13, 0.5), b.at(0.23, 0.5));
        p.drawLine(b.at(0.18, 0.45), b.at(0.18, 0.55));
        dot(p, b, 0.82, 0.46, 0.07, c);
        dot(p, b, 0.82, 0.57, 0.07, c);
    } else if (name == "tv") {
        p.fillRect(b.rect(0.1, 0.18, 0.8, 0.52), soft);
        p.drawRoundedRect(b.rect(0.1, 0.18, 0.8, 0.52), b.s(0.04), b.s(0.04));
        p.drawLine(b.at(0.3, 0.82), b.at(0.7, 0.82));
        p.drawLine(b.at(0.5, 0.7), b.at(0.5, 0.82));
    } else if (name == "box") {
        p.drawRoundedRect(b.rect(0.12, 0.5, 0.76, 0.24), b.s(0.05), b.s(0.05));
        dot(p, b, 0.76, 0.62, 0.06, c);
        // Signal arcs over the box.
        for (int i = 0; i < 2; ++i) {
            const qreal rad = 0.14 + i * 0.12;
            QPainterPath arc;
            const QRectF ring = b.rect(0.5 - rad, 0.42 - rad, 2 * rad, 2 * rad);
            arc.arcMoveTo(ring, 50);
            arc.arcTo(ring, 50, 80);
            p.drawPath(arc);
        }
    } else if (name == "player") {
        p.drawRoundedRect(b.rect(0.28, 0.06, 0.44, 0.88), b.s(0.08), b.s(0.08));
        p.fillRect(b.rect(0.34, 0.14, 0.32, 0.3), soft);
        p.drawRect(b.rect(0.34, 0.14, 0.32, 0.3));
        p.drawEllipse(b.at(0.5, 0.68), b.s(0.13), b.s(0.13));
        dot(p, b, 0.5, 0.68, 0.06, c);
    } else if (name == "disc") {
        p.drawEllipse(b.at(0.5, 0.5), b.s(0.36), b.s(0.36));
        p.drawEllipse(b.at(0.5, 0.5), b.s(0.1), b.s(0.1));
        QPainterPath shine;
        const QRectF ring = b.rect(0.26, 0.26, 0.48, 0.48);
        shine.arcMoveTo(ring, 100);
        shine.arcTo(ring, 100, 60);
        p.setPen(QPen(soft, stroke, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(shine);
    } else if (name == "settop") {
        p.drawRoundedRect(b.rect(0.08, 0.36, 0.84, 0.3), b.s(0.05), b.s(0.05));
        p.drawLine(b.at(0.18, 0.51), b.at(0.5, 0.51));
        dot(p, b, 0.68, 0.51, 0.07, c);
        dot(p, b, 0.8, 0.51, 0.07, c);
        p.drawLine(b.at(0.2, 0.66), b.at(0.2, 0.74));
        p.drawLine(b.at(0.8, 0.66), b.at(0.8, 0.74));
    } else if (name == "music") {
        QPainterPath band;
        const QRectF ring = b.rect(0.16, 0.14, 0.68, 0.68);
        band.arcMoveTo(ring, 180);
        band.arcTo(ring, 180, -180);
        p.drawPath(band);
        p.setBrush(c);
        p.drawRoundedRect(b.rect(0.12, 0.5, 0.16, 0.3), b.s(0.05), b.s(0.05));
        p.drawRoundedRect(b.rect(0.72, 0.5, 0.16, 0.3), b.s(0.05), b.s(0.05));
    } else if (name == "square") {
        p.fillRect(b.rect(0.2, 0.2, 0.6, 0.6), soft);
        p.drawRoundedRect(b.rect(0.2, 0.2, 0.6, 0.6), b.s(0.06), b.s(0.06));
        playMark(p, b, 0.52, 0.5, 0.24, c);
    } else if (name == "vertical") {
        p.fillRect(b.rect(0.32, 0.1, 0.36, 0.8), soft);
        p.drawRoundedRect(b.rect(0.32, 0.1, 0.36, 0.8), b.s(0.06), b.s(0.06));
        playMark(p, b, 0.52, 0.5, 0.2, c);
    } else if (name == "mail") {
        p.drawRoundedRect(b.rect(0.12, 0.26, 0.76, 0.5), b.s(0.05), b.s(0.05));
        QPainterPath flap;
        flap.moveTo(b.at(0.14, 0.3));
        flap.lineTo(b.at(0.5, 0.56));
        flap.lineTo(b.at(0.86, 0.3));
        p.drawPath(flap);
    } else if (name == "screen") {
        p.fillRect(b.rect(0.06, 0.14, 0.88, 0.58), soft);
        p.drawRoundedRect(b.rect(0.06, 0.14, 0.88, 0.58), b.s(0.05), b.s(0.05));
        p.drawLine(b.at(0.5, 0.72), b.at(0.5, 0.84));
        p.drawLine(b.at(0.3, 0.86), b.at(0.7, 0.86));
    } else {
        drawGlyph(p, name, box, c);
    }
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
