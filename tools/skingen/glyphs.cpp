// Vector symbols drawn into a box. Every symbol is laid out on a unit square
// so one definition serves a 12-pixel pencil and a 48-pixel drop target.
#include "skin.h"

#include <QPainterPath>
#include <QtMath>

namespace skin {

namespace {

struct Unit
{
    QRectF r;
    QPointF at(qreal x, qreal y) const { return {r.left() + x * r.width(), r.top() + y * r.height()}; }
    QRectF box(qreal x, qreal y, qreal w, qreal h) const
    {
        return {at(x, y), QSizeF(w * r.width(), h * r.height())};
    }
    qreal s(qreal v) const { return v * r.width(); }
};

void line(QPainter& p, const Unit& u, qreal x1, qreal y1, qreal x2, qreal y2)
{
    p.drawLine(u.at(x1, y1), u.at(x2, y2));
}

QPainterPath poly(const Unit& u, std::initializer_list<QPointF> pts)
{
    QPainterPath path;
    bool first = true;
    for (const QPointF& pt : pts) {
        if (first)
            path.moveTo(u.at(pt.x(), pt.y()));
        else
            path.lineTo(u.at(pt.x(), pt.y()));
        first = false;
    }
    path.closeSubpath();
    return path;
}

// A circular arrow: an arc from startDeg sweeping spanDeg, with a head at its end.
void arcArrow(QPainter& p, const Unit& u, qreal cx, qreal cy, qreal rad, qreal startDeg, qreal spanDeg,
              const QColor& c)
{
    QRectF box = u.box(cx - rad, cy - rad, 2 * rad, 2 * rad);
    QPainterPath arc;
    arc.arcMoveTo(box, startDeg);
    arc.arcTo(box, startDeg, spanDeg);
    p.setBrush(Qt::NoBrush);
    p.drawPath(arc);
    const qreal end = qDegreesToRadians(startDeg + spanDeg);
    const QPointF tip(box.center().x() + box.width() / 2 * qCos(end),
                      box.center().y() - box.height() / 2 * qSin(end));
    // Tangent of the arc in screen coordinates, in the direction of travel.
    const qreal dir = spanDeg >= 0 ? 1 : -1;
    QPointF tangent(-qSin(end) * dir, -qCos(end) * dir);
    QPointF normal(tangent.y(), -tangent.x());
    const qreal h = u.s(0.19);
    QPainterPath head;
    head.moveTo(tip + tangent * h);
    head.lineTo(tip - normal * h * 0.85);
    head.lineTo(tip + normal * h * 0.85);
    head.closeSubpath();
    p.setBrush(c);
    p.setPen(Qt::NoPen);
    p.drawPath(head);
}

QPainterPath gear(const Unit& u, int teeth, qreal outer, qreal inner, qreal hole)
{
    QPainterPath path;
    const QPointF c = u.at(0.5, 0.5);
    const int n = teeth * 4;
    for (int i = 0; i < n; ++i) {
        const qreal a = 2 * M_PI * (i - 0.5) / n;
        const qreal rad = u.s((i % 4 < 2) ? outer : inner);
        QPointF pt(c.x() + rad * qCos(a), c.y() + rad * qSin(a));
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    path.closeSubpath();
    path.addEllipse(c, u.s(hole), u.s(hole));
    path.setFillRule(Qt::OddEvenFill);
    return path;
}

void filmStrip(QPainter& p, const Unit& u, const QColor& c, qreal stroke)
{
    const QRectF body = u.box(0.16, 0.22, 0.68, 0.56);
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(body, stroke * 1.2, stroke * 1.2);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    for (int i = 0; i < 3; ++i) {
        const qreal x = 0.23 + i * 0.2;
        p.drawRect(u.box(x, 0.27, 0.1, 0.08));
        p.drawRect(u.box(x, 0.65, 0.1, 0.08));
    }
}

} // namespace

void drawGlyph(QPainter& p, const QString& name, const QRectF& box, const QColor& c)
{
    if (name.isEmpty())
        return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const qreal side = qMin(box.width(), box.height());
    const Unit u{QRectF(box.center().x() - side / 2, box.center().y() - side / 2, side, side)};
    // Thin lines stay crisp when small; big symbols do not turn heavy.
    const qreal stroke = qMax<qreal>(1.25, qMin<qreal>(side / 11.0, 2.0 + side / 30.0));
    QPen pen(c, stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);

    if (name == "close") {
        line(p, u, 0.28, 0.28, 0.72, 0.72);
        line(p, u, 0.72, 0.28, 0.28, 0.72);
    } else if (name == "min") {
        line(p, u, 0.28, 0.64, 0.72, 0.64);
    } else if (name == "max") {
        p.drawRoundedRect(u.box(0.27, 0.27, 0.46, 0.46), stroke, stroke);
    } else if (name == "menu") {
        line(p, u, 0.26, 0.32, 0.74, 0.32);
        line(p, u, 0.26, 0.5, 0.74, 0.5);
        line(p, u, 0.26, 0.68, 0.74, 0.68);
    } else if (name == "plus") {
        line(p, u, 0.5, 0.24, 0.5, 0.76);
        line(p, u, 0.24, 0.5, 0.76, 0.5);
    } else if (name == "minus") {
        line(p, u, 0.24, 0.5, 0.76, 0.5);
    } else if (name == "check") {
        QPainterPath t;
        t.moveTo(u.at(0.24, 0.52));
        t.lineTo(u.at(0.43, 0.7));
        t.lineTo(u.at(0.77, 0.32));
        p.drawPath(t);
    } else if (name == "convert") {
        pen.setWidthF(stroke * 1.1);
        p.setPen(pen);
        arcArrow(p, u, 0.5, 0.5, 0.26, 150, 125, c);
        p.setPen(pen);
        arcArrow(p, u, 0.5, 0.5, 0.26, 330, 125, c);
    } else if (name == "folder" || name == "folder_open") {
        QPainterPath f;
        f.moveTo(u.at(0.16, 0.3));
        f.lineTo(u.at(0.4, 0.3));
        f.lineTo(u.at(0.47, 0.37));
        f.lineTo(u.at(0.84, 0.37));
        f.lineTo(u.at(0.84, 0.74));
        f.lineTo(u.at(0.16, 0.74));
        f.closeSubpath();
        QColor fill = c;
        fill.setAlphaF(c.alphaF() * 0.25);
        p.setBrush(fill);
        p.drawPath(f);
        if (name == "folder_open")
            line(p, u, 0.16, 0.48, 0.84, 0.48);
    } else if (name == "search") {
        p.drawEllipse(u.box(0.2, 0.2, 0.42, 0.42));
        pen.setWidthF(stroke * 1.3);
        p.setPen(pen);
        line(p, u, 0.56, 0.56, 0.78, 0.78);
    } else if (name == "clock" || name == "history") {
        if (name == "history") {
            arcArrow(p, u, 0.5, 0.5, 0.3, 160, -300, c);
            p.setPen(pen);
        } else {
            p.drawEllipse(u.box(0.2, 0.2, 0.6, 0.6));
        }
        QPainterPath hands;
        hands.moveTo(u.at(0.5, 0.34));
        hands.lineTo(u.at(0.5, 0.5));
        hands.lineTo(u.at(0.62, 0.58));
        p.setBrush(Qt::NoBrush);
        p.drawPath(hands);
    } else if (name == "play") {
        p.setPen(QPen(c, stroke * 0.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(c);
        p.drawPath(poly(u, {{0.36, 0.26}, {0.74, 0.5}, {0.36, 0.74}}));
    } else if (name == "pause") {
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawRoundedRect(u.box(0.3, 0.26, 0.14, 0.48), stroke * 0.4, stroke * 0.4);
        p.drawRoundedRect(u.box(0.56, 0.26, 0.14, 0.48), stroke * 0.4, stroke * 0.4);
    } else if (name == "stop") {
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawRoundedRect(u.box(0.3, 0.3, 0.4, 0.4), stroke * 0.5, stroke * 0.5);
    } else if (name == "next_frame" || name == "prev_frame") {
        const bool next = name == "next_frame";
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        if (next) {
            p.drawPath(poly(u, {{0.28, 0.28}, {0.6, 0.5}, {0.28, 0.72}}));
            p.drawRect(u.box(0.64, 0.28, 0.1, 0.44));
        } else {
            p.drawPath(poly(u, {{0.72, 0.28}, {0.4, 0.5}, {0.72, 0.72}}));
            p.drawRect(u.box(0.26, 0.28, 0.1, 0.44));
        }
    } else if (name == "next" || name == "previous" || name == "faster" || name == "slower") {
        const bool fwd = name == "next" || name == "faster";
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        auto tri = [&](qreal x0) {
            if (fwd)
                p.drawPath(poly(u, {{x0, 0.3}, {x0 + 0.24, 0.5}, {x0, 0.7}}));
            else
                p.drawPath(poly(u, {{x0 + 0.24, 0.3}, {x0, 0.5}, {x0 + 0.24, 0.7}}));
        };
        tri(0.24);
        tri(0.48);
        if (name == "next")
            p.drawRect(u.box(0.72, 0.3, 0.07, 0.4));
        if (name == "previous")
            p.drawRect(u.box(0.2, 0.3, 0.07, 0.4));
    } else if (name == "edit") {
        QPainterPath pencil = poly(u, {{0.66, 0.2}, {0.8, 0.34}, {0.4, 0.74}, {0.22, 0.78}, {0.26, 0.6}});
        p.drawPath(pencil);
        line(p, u, 0.58, 0.28, 0.72, 0.42);
    } else if (name == "settings") {
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawPath(gear(u, 8, 0.36, 0.27, 0.11));
    } else if (name == "film" || name == "format") {
        filmStrip(p, u, c, stroke);
    } else if (name == "screen") {
        p.drawRoundedRect(u.box(0.16, 0.22, 0.68, 0.44), stroke, stroke);
        line(p, u, 0.5, 0.66, 0.5, 0.78);
        line(p, u, 0.34, 0.79, 0.66, 0.79);
    } else if (name == "size") {
        // A document with a folded corner: the file's weight.
        QPainterPath d = poly(u, {{0.26, 0.16}, {0.58, 0.16}, {0.74, 0.32}, {0.74, 0.84}, {0.26, 0.84}});
        p.drawPath(d);
        QPainterPath fold;
        fold.moveTo(u.at(0.58, 0.16));
        fold.lineTo(u.at(0.58, 0.32));
        fold.lineTo(u.at(0.74, 0.32));
        p.drawPath(fold);
        line(p, u, 0.36, 0.52, 0.64, 0.52);
        line(p, u, 0.36, 0.66, 0.64, 0.66);
    } else if (name == "arrow_right" || name == "arrow_left" || name == "arrow_up" || name == "arrow_down") {
        QPainterPath a;
        if (name == "arrow_right") {
            a.moveTo(u.at(0.4, 0.26));
            a.lineTo(u.at(0.64, 0.5));
            a.lineTo(u.at(0.4, 0.74));
        } else if (name == "arrow_left") {
            a.moveTo(u.at(0.6, 0.26));
            a.lineTo(u.at(0.36, 0.5));
            a.lineTo(u.at(0.6, 0.74));
        } else if (name == "arrow_up") {
            a.moveTo(u.at(0.26, 0.6));
            a.lineTo(u.at(0.5, 0.36));
            a.lineTo(u.at(0.74, 0.6));
        } else {
            a.moveTo(u.at(0.26, 0.4));
            a.lineTo(u.at(0.5, 0.64));
            a.lineTo(u.at(0.74, 0.4));
        }
        pen.setWidthF(stroke * 1.2);
        p.setPen(pen);
        p.drawPath(a);
    } else if (name == "hourglass") {
        QPainterPath h;
        h.moveTo(u.at(0.3, 0.2));
        h.lineTo(u.at(0.7, 0.2));
        h.lineTo(u.at(0.5, 0.5));
        h.lineTo(u.at(0.7, 0.8));
        h.lineTo(u.at(0.3, 0.8));
        h.lineTo(u.at(0.5, 0.5));
        h.closeSubpath();
        p.drawPath(h);
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawPath(poly(u, {{0.38, 0.76}, {0.62, 0.76}, {0.5, 0.6}}));
    } else if (name == "question" || name == "info" || name == "warning") {
        QFont f("DejaVu Sans");
        f.setBold(true);
        f.setPixelSize(qRound(side * 0.62));
        p.setFont(f);
        p.drawText(u.r, Qt::AlignCenter, name == "question" ? "?" : name == "info" ? "i" : "!");
    } else if (name == "trash") {
        line(p, u, 0.24, 0.3, 0.76, 0.3);
        line(p, u, 0.42, 0.22, 0.58, 0.22);
        p.drawPath(poly(u, {{0.3, 0.3}, {0.7, 0.3}, {0.66, 0.8}, {0.34, 0.8}}));
    } else if (name == "media_add") {
        filmStrip(p, Unit{u.box(-0.06, -0.04, 0.9, 0.9)}, c, stroke);
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawEllipse(u.box(0.56, 0.56, 0.36, 0.36));
        // The plus is punched out so it reads on any ground.
        p.setCompositionMode(QPainter::CompositionMode_Clear);
        p.setPen(QPen(Qt::black, stroke, Qt::SolidLine, Qt::RoundCap));
        line(p, u, 0.74, 0.65, 0.74, 0.83);
        line(p, u, 0.65, 0.74, 0.83, 0.74);
    } else if (name == "camera" || name == "burst") {
        p.drawRoundedRect(u.box(0.16, 0.32, 0.68, 0.46), stroke, stroke);
        p.drawPath(poly(u, {{0.36, 0.32}, {0.41, 0.22}, {0.59, 0.22}, {0.64, 0.32}}));
        p.drawEllipse(u.box(0.4, 0.42, 0.2, 0.26));
        if (name == "burst")
            line(p, u, 0.22, 0.86, 0.78, 0.86);
    } else if (name == "volume" || name == "mute") {
        p.setBrush(c);
        p.drawPath(
            poly(u, {{0.2, 0.42}, {0.32, 0.42}, {0.48, 0.28}, {0.48, 0.72}, {0.32, 0.58}, {0.2, 0.58}}));
        p.setBrush(Qt::NoBrush);
        if (name == "volume") {
            p.drawArc(u.box(0.38, 0.34, 0.24, 0.32), -50 * 16, 100 * 16);
            p.drawArc(u.box(0.34, 0.24, 0.42, 0.52), -50 * 16, 100 * 16);
        } else {
            line(p, u, 0.6, 0.4, 0.78, 0.6);
            line(p, u, 0.78, 0.4, 0.6, 0.6);
        }
    } else if (name == "list") {
        for (int i = 0; i < 3; ++i) {
            const qreal y = 0.32 + i * 0.18;
            line(p, u, 0.38, y, 0.78, y);
            p.drawPoint(u.at(0.24, y));
        }
    } else if (name == "fullscreen" || name == "exit_fullscreen") {
        const bool out = name == "fullscreen";
        auto corner = [&](qreal x, qreal y, qreal dx, qreal dy) {
            QPainterPath k;
            k.moveTo(u.at(x + dx * 0.16, y));
            k.lineTo(u.at(x, y));
            k.lineTo(u.at(x, y + dy * 0.16));
            p.drawPath(k);
        };
        const qreal a = out ? 0.22 : 0.38, b = out ? 0.78 : 0.62;
        const qreal s = out ? 1 : -1;
        corner(a, a, s, s);
        corner(b, a, -s, s);
        corner(a, b, s, -s);
        corner(b, b, -s, -s);
    } else if (name == "rotate_left" || name == "rotate_right") {
        if (name == "rotate_right")
            arcArrow(p, u, 0.5, 0.52, 0.26, 200, -250, c);
        else
            arcArrow(p, u, 0.5, 0.52, 0.26, -20, 250, c);
    } else if (name == "flip_h" || name == "flip_v") {
        p.save();
        if (name == "flip_v") {
            p.translate(u.r.center());
            p.rotate(90);
            p.translate(-u.r.center());
        }
        QPen dash = pen;
        dash.setWidthF(stroke * 0.7);
        dash.setStyle(Qt::DashLine);
        p.setPen(dash);
        line(p, u, 0.5, 0.16, 0.5, 0.84);
        p.setPen(pen);
        p.drawPath(poly(u, {{0.4, 0.3}, {0.4, 0.72}, {0.18, 0.72}}));
        QColor fill = c;
        fill.setAlphaF(0.5 * c.alphaF());
        p.setBrush(fill);
        p.drawPath(poly(u, {{0.6, 0.3}, {0.6, 0.72}, {0.82, 0.72}}));
        p.restore();
    } else if (name == "crop") {
        QPainterPath k;
        k.moveTo(u.at(0.32, 0.16));
        k.lineTo(u.at(0.32, 0.68));
        k.lineTo(u.at(0.84, 0.68));
        k.moveTo(u.at(0.16, 0.32));
        k.lineTo(u.at(0.68, 0.32));
        k.lineTo(u.at(0.68, 0.84));
        p.drawPath(k);
    } else if (name == "text" || name == "font") {
        QFont f("DejaVu Serif");
        f.setBold(true);
        f.setPixelSize(qRound(side * 0.6));
        p.setFont(f);
        p.drawText(u.r, Qt::AlignCenter, name == "text" ? "T" : "A");
        if (name == "font")
            line(p, u, 0.26, 0.84, 0.74, 0.84);
    } else if (name == "watermark") {
        p.drawRoundedRect(u.box(0.16, 0.22, 0.68, 0.56), stroke, stroke);
        p.setBrush(c);
        p.drawPath(poly(u, {{0.22, 0.72}, {0.42, 0.46}, {0.56, 0.62}, {0.64, 0.54}, {0.78, 0.72}}));
        p.drawEllipse(u.box(0.6, 0.3, 0.1, 0.1));
    } else if (name == "subtitle") {
        p.drawRoundedRect(u.box(0.16, 0.24, 0.68, 0.52), stroke, stroke);
        line(p, u, 0.28, 0.56, 0.44, 0.56);
        line(p, u, 0.52, 0.56, 0.72, 0.56);
        line(p, u, 0.28, 0.66, 0.6, 0.66);
    } else if (name == "trim") {
        p.drawEllipse(u.box(0.18, 0.58, 0.2, 0.2));
        p.drawEllipse(u.box(0.62, 0.58, 0.2, 0.2));
        line(p, u, 0.34, 0.6, 0.7, 0.2);
        line(p, u, 0.66, 0.6, 0.3, 0.2);
    } else if (name == "section") {
        p.drawPath(poly(u, {{0.3, 0.3}, {0.56, 0.5}, {0.3, 0.7}}));
        line(p, u, 0.2, 0.24, 0.2, 0.76);
        line(p, u, 0.74, 0.24, 0.74, 0.76);
    } else if (name == "color") {
        p.setPen(Qt::NoPen);
        const QColor dots[3] = {QColor("#e0574f"), QColor("#3cc48a"), QColor("#2f9be0")};
        // The dots keep their hues; the state colour's brightness sets their strength.
        p.setOpacity(qBound<qreal>(0.3, c.valueF(), 1.0));
        for (int i = 0; i < 3; ++i) {
            const qreal a = qDegreesToRadians(90.0 + i * 120);
            p.setBrush(dots[i]);
            p.drawEllipse(
                QPointF(u.at(0.5, 0.52).x() + u.s(0.16) * qCos(a), u.at(0.5, 0.52).y() - u.s(0.16) * qSin(a)),
                u.s(0.15), u.s(0.15));
        }
    } else if (name == "reset") {
        arcArrow(p, u, 0.5, 0.52, 0.26, 120, 270, c);
    } else if (name == "apply") {
        line(p, u, 0.2, 0.5, 0.4, 0.7);
        line(p, u, 0.4, 0.7, 0.8, 0.3);
    } else if (name == "audio") {
        p.setBrush(c);
        p.drawEllipse(u.box(0.22, 0.6, 0.2, 0.16));
        p.drawEllipse(u.box(0.56, 0.54, 0.2, 0.16));
        p.setBrush(Qt::NoBrush);
        QPainterPath n;
        n.moveTo(u.at(0.42, 0.68));
        n.lineTo(u.at(0.42, 0.24));
        n.lineTo(u.at(0.76, 0.18));
        n.lineTo(u.at(0.76, 0.62));
        p.drawPath(n);
    } else if (name == "web") {
        p.drawEllipse(u.box(0.2, 0.2, 0.6, 0.6));
        p.drawEllipse(u.box(0.38, 0.2, 0.24, 0.6));
        line(p, u, 0.2, 0.5, 0.8, 0.5);
    } else if (name == "files") {
        p.drawRoundedRect(u.box(0.32, 0.16, 0.46, 0.56), stroke, stroke);
        QPainterPath back;
        back.moveTo(u.at(0.22, 0.3));
        back.lineTo(u.at(0.22, 0.82));
        back.lineTo(u.at(0.64, 0.82));
        p.drawPath(back);
    } else if (name == "tablet") {
        p.drawRoundedRect(u.box(0.24, 0.12, 0.52, 0.76), stroke * 1.5, stroke * 1.5);
        p.drawPoint(u.at(0.5, 0.8));
    } else if (name == "record") {
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawEllipse(u.box(0.3, 0.3, 0.4, 0.4));
    } else if (name == "dot") {
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawEllipse(u.box(0.36, 0.36, 0.28, 0.28));
    } else {
        // An unknown name is a table mistake: make it obvious on the sheet.
        p.drawRect(u.box(0.2, 0.2, 0.6, 0.6));
        line(p, u, 0.2, 0.2, 0.8, 0.8);
    }
    p.restore();
}

} // namespace skin
