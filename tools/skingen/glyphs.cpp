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

// What every symbol draws with: the painter, its unit square, the state
// colour, the stroke width for this size and the pen made of them.
struct Ink
{
    QPainter& p;
    const Unit u;
    const QColor c;
    const qreal side;
    const qreal stroke;
    QPen pen;

    void line(qreal x1, qreal y1, qreal x2, qreal y2) { skin::line(p, u, x1, y1, x2, y2); }
    void fillOnly()
    {
        p.setPen(Qt::NoPen);
        p.setBrush(c);
    }
    void thicker(qreal factor)
    {
        pen.setWidthF(stroke * factor);
        p.setPen(pen);
    }
};

void close(Ink& g)
{
    g.line(0.28, 0.28, 0.72, 0.72);
    g.line(0.72, 0.28, 0.28, 0.72);
}

void min(Ink& g) { g.line(0.28, 0.64, 0.72, 0.64); }

void max(Ink& g) { g.p.drawRoundedRect(g.u.box(0.27, 0.27, 0.46, 0.46), g.stroke, g.stroke); }

void menu(Ink& g)
{
    g.line(0.26, 0.32, 0.74, 0.32);
    g.line(0.26, 0.5, 0.74, 0.5);
    g.line(0.26, 0.68, 0.74, 0.68);
}

void plus(Ink& g)
{
    g.line(0.5, 0.24, 0.5, 0.76);
    g.line(0.24, 0.5, 0.76, 0.5);
}

void minus(Ink& g) { g.line(0.24, 0.5, 0.76, 0.5); }

void check(Ink& g)
{
    QPainterPath t;
    t.moveTo(g.u.at(0.24, 0.52));
    t.lineTo(g.u.at(0.43, 0.7));
    t.lineTo(g.u.at(0.77, 0.32));
    g.p.drawPath(t);
}

void convert(Ink& g)
{
    g.thicker(1.1);
    arcArrow(g.p, g.u, 0.5, 0.5, 0.26, 150, 125, g.c);
    g.p.setPen(g.pen);
    arcArrow(g.p, g.u, 0.5, 0.5, 0.26, 330, 125, g.c);
}

void folder(Ink& g, bool open)
{
    QPainterPath f;
    f.moveTo(g.u.at(0.16, 0.3));
    f.lineTo(g.u.at(0.4, 0.3));
    f.lineTo(g.u.at(0.47, 0.37));
    f.lineTo(g.u.at(0.84, 0.37));
    f.lineTo(g.u.at(0.84, 0.74));
    f.lineTo(g.u.at(0.16, 0.74));
    f.closeSubpath();
    QColor fill = g.c;
    fill.setAlphaF(g.c.alphaF() * 0.25);
    g.p.setBrush(fill);
    g.p.drawPath(f);
    if (open)
        g.line(0.16, 0.48, 0.84, 0.48);
}

void search(Ink& g)
{
    g.p.drawEllipse(g.u.box(0.2, 0.2, 0.42, 0.42));
    g.thicker(1.3);
    g.line(0.56, 0.56, 0.78, 0.78);
}

// A clock face, or for the history a face that is an arrow going back.
void clock(Ink& g, bool history)
{
    if (history) {
        arcArrow(g.p, g.u, 0.5, 0.5, 0.3, 160, -300, g.c);
        g.p.setPen(g.pen);
    } else {
        g.p.drawEllipse(g.u.box(0.2, 0.2, 0.6, 0.6));
    }
    QPainterPath hands;
    hands.moveTo(g.u.at(0.5, 0.34));
    hands.lineTo(g.u.at(0.5, 0.5));
    hands.lineTo(g.u.at(0.62, 0.58));
    g.p.setBrush(Qt::NoBrush);
    g.p.drawPath(hands);
}

void play(Ink& g)
{
    g.p.setPen(QPen(g.c, g.stroke * 0.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    g.p.setBrush(g.c);
    g.p.drawPath(poly(g.u, {{0.36, 0.26}, {0.74, 0.5}, {0.36, 0.74}}));
}

void pause(Ink& g)
{
    g.fillOnly();
    g.p.drawRoundedRect(g.u.box(0.3, 0.26, 0.14, 0.48), g.stroke * 0.4, g.stroke * 0.4);
    g.p.drawRoundedRect(g.u.box(0.56, 0.26, 0.14, 0.48), g.stroke * 0.4, g.stroke * 0.4);
}

void stop(Ink& g)
{
    g.fillOnly();
    g.p.drawRoundedRect(g.u.box(0.3, 0.3, 0.4, 0.4), g.stroke * 0.5, g.stroke * 0.5);
}

// One step: a triangle against a bar.
void frameStep(Ink& g, bool next)
{
    g.fillOnly();
    if (next) {
        g.p.drawPath(poly(g.u, {{0.28, 0.28}, {0.6, 0.5}, {0.28, 0.72}}));
        g.p.drawRect(g.u.box(0.64, 0.28, 0.1, 0.44));
    } else {
        g.p.drawPath(poly(g.u, {{0.72, 0.28}, {0.4, 0.5}, {0.72, 0.72}}));
        g.p.drawRect(g.u.box(0.26, 0.28, 0.1, 0.44));
    }
}

// Two triangles pointing forward or back, with a bar at the far end when
// the symbol means a jump rather than a speed.
void twoTriangles(Ink& g, bool forward, bool bar)
{
    g.fillOnly();
    auto tri = [&](qreal x0) {
        if (forward)
            g.p.drawPath(poly(g.u, {{x0, 0.3}, {x0 + 0.24, 0.5}, {x0, 0.7}}));
        else
            g.p.drawPath(poly(g.u, {{x0 + 0.24, 0.3}, {x0, 0.5}, {x0 + 0.24, 0.7}}));
    };
    tri(0.24);
    tri(0.48);
    if (bar)
        g.p.drawRect(forward ? g.u.box(0.72, 0.3, 0.07, 0.4) : g.u.box(0.2, 0.3, 0.07, 0.4));
}

void edit(Ink& g)
{
    QPainterPath pencil = poly(g.u, {{0.66, 0.2}, {0.8, 0.34}, {0.4, 0.74}, {0.22, 0.78}, {0.26, 0.6}});
    g.p.drawPath(pencil);
    g.line(0.58, 0.28, 0.72, 0.42);
}

void settings(Ink& g)
{
    g.fillOnly();
    g.p.drawPath(gear(g.u, 8, 0.36, 0.27, 0.11));
}

void film(Ink& g) { filmStrip(g.p, g.u, g.c, g.stroke); }

void screen(Ink& g)
{
    g.p.drawRoundedRect(g.u.box(0.16, 0.22, 0.68, 0.44), g.stroke, g.stroke);
    g.line(0.5, 0.66, 0.5, 0.78);
    g.line(0.34, 0.79, 0.66, 0.79);
}

// A document with a folded corner: the file's weight.
void size(Ink& g)
{
    QPainterPath d = poly(g.u, {{0.26, 0.16}, {0.58, 0.16}, {0.74, 0.32}, {0.74, 0.84}, {0.26, 0.84}});
    g.p.drawPath(d);
    QPainterPath fold;
    fold.moveTo(g.u.at(0.58, 0.16));
    fold.lineTo(g.u.at(0.58, 0.32));
    fold.lineTo(g.u.at(0.74, 0.32));
    g.p.drawPath(fold);
    g.line(0.36, 0.52, 0.64, 0.52);
    g.line(0.36, 0.66, 0.64, 0.66);
}

// An open chevron through three points.
void chevron(Ink& g, QPointF a, QPointF b, QPointF c)
{
    QPainterPath path;
    path.moveTo(g.u.at(a.x(), a.y()));
    path.lineTo(g.u.at(b.x(), b.y()));
    path.lineTo(g.u.at(c.x(), c.y()));
    g.thicker(1.2);
    g.p.drawPath(path);
}

void hourglass(Ink& g)
{
    QPainterPath h;
    h.moveTo(g.u.at(0.3, 0.2));
    h.lineTo(g.u.at(0.7, 0.2));
    h.lineTo(g.u.at(0.5, 0.5));
    h.lineTo(g.u.at(0.7, 0.8));
    h.lineTo(g.u.at(0.3, 0.8));
    h.lineTo(g.u.at(0.5, 0.5));
    h.closeSubpath();
    g.p.drawPath(h);
    g.fillOnly();
    g.p.drawPath(poly(g.u, {{0.38, 0.76}, {0.62, 0.76}, {0.5, 0.6}}));
}

// One bold letter filling the box.
void letter(Ink& g, const char* family, qreal height, const QString& text)
{
    QFont f(family);
    f.setBold(true);
    f.setPixelSize(qRound(g.side * height));
    g.p.setFont(f);
    g.p.drawText(g.u.r, Qt::AlignCenter, text);
}

void trash(Ink& g)
{
    g.line(0.24, 0.3, 0.76, 0.3);
    g.line(0.42, 0.22, 0.58, 0.22);
    g.p.drawPath(poly(g.u, {{0.3, 0.3}, {0.7, 0.3}, {0.66, 0.8}, {0.34, 0.8}}));
}

void mediaAdd(Ink& g)
{
    filmStrip(g.p, Unit{g.u.box(-0.06, -0.04, 0.9, 0.9)}, g.c, g.stroke);
    g.fillOnly();
    g.p.drawEllipse(g.u.box(0.56, 0.56, 0.36, 0.36));
    // The plus is punched out so it reads on any ground.
    g.p.setCompositionMode(QPainter::CompositionMode_Clear);
    g.p.setPen(QPen(Qt::black, g.stroke, Qt::SolidLine, Qt::RoundCap));
    g.line(0.74, 0.65, 0.74, 0.83);
    g.line(0.65, 0.74, 0.83, 0.74);
}

// A camera; a burst of shots has a line under it.
void camera(Ink& g, bool burst)
{
    g.p.drawRoundedRect(g.u.box(0.16, 0.32, 0.68, 0.46), g.stroke, g.stroke);
    g.p.drawPath(poly(g.u, {{0.36, 0.32}, {0.41, 0.22}, {0.59, 0.22}, {0.64, 0.32}}));
    g.p.drawEllipse(g.u.box(0.4, 0.42, 0.2, 0.26));
    if (burst)
        g.line(0.22, 0.86, 0.78, 0.86);
}

// A speaker with sound waves, or crossed out.
void speaker(Ink& g, bool muted)
{
    g.p.setBrush(g.c);
    g.p.drawPath(
        poly(g.u, {{0.2, 0.42}, {0.32, 0.42}, {0.48, 0.28}, {0.48, 0.72}, {0.32, 0.58}, {0.2, 0.58}}));
    g.p.setBrush(Qt::NoBrush);
    if (!muted) {
        g.p.drawArc(g.u.box(0.38, 0.34, 0.24, 0.32), -50 * 16, 100 * 16);
        g.p.drawArc(g.u.box(0.34, 0.24, 0.42, 0.52), -50 * 16, 100 * 16);
    } else {
        g.line(0.6, 0.4, 0.78, 0.6);
        g.line(0.78, 0.4, 0.6, 0.6);
    }
}

void list(Ink& g)
{
    for (int i = 0; i < 3; ++i) {
        const qreal y = 0.32 + i * 0.18;
        g.line(0.38, y, 0.78, y);
        g.p.drawPoint(g.u.at(0.24, y));
    }
}

// Four corners pointing out (enter full screen) or in (leave it).
void corners(Ink& g, bool out)
{
    auto corner = [&](qreal x, qreal y, qreal dx, qreal dy) {
        QPainterPath k;
        k.moveTo(g.u.at(x + dx * 0.16, y));
        k.lineTo(g.u.at(x, y));
        k.lineTo(g.u.at(x, y + dy * 0.16));
        g.p.drawPath(k);
    };
    const qreal a = out ? 0.22 : 0.38, b = out ? 0.78 : 0.62;
    const qreal s = out ? 1 : -1;
    corner(a, a, s, s);
    corner(b, a, -s, s);
    corner(a, b, s, -s);
    corner(b, b, -s, -s);
}

void rotate(Ink& g, bool right)
{
    if (right)
        arcArrow(g.p, g.u, 0.5, 0.52, 0.26, 200, -250, g.c);
    else
        arcArrow(g.p, g.u, 0.5, 0.52, 0.26, -20, 250, g.c);
}

// A shape and its mirror image across a dashed axis, turned upright for
// the vertical flip.
void flip(Ink& g, bool vertical)
{
    g.p.save();
    if (vertical) {
        g.p.translate(g.u.r.center());
        g.p.rotate(90);
        g.p.translate(-g.u.r.center());
    }
    QPen dash = g.pen;
    dash.setWidthF(g.stroke * 0.7);
    dash.setStyle(Qt::DashLine);
    g.p.setPen(dash);
    g.line(0.5, 0.16, 0.5, 0.84);
    g.p.setPen(g.pen);
    g.p.drawPath(poly(g.u, {{0.4, 0.3}, {0.4, 0.72}, {0.18, 0.72}}));
    QColor fill = g.c;
    fill.setAlphaF(0.5 * g.c.alphaF());
    g.p.setBrush(fill);
    g.p.drawPath(poly(g.u, {{0.6, 0.3}, {0.6, 0.72}, {0.82, 0.72}}));
    g.p.restore();
}

void crop(Ink& g)
{
    QPainterPath k;
    k.moveTo(g.u.at(0.32, 0.16));
    k.lineTo(g.u.at(0.32, 0.68));
    k.lineTo(g.u.at(0.84, 0.68));
    k.moveTo(g.u.at(0.16, 0.32));
    k.lineTo(g.u.at(0.68, 0.32));
    k.lineTo(g.u.at(0.68, 0.84));
    g.p.drawPath(k);
}

void font(Ink& g)
{
    letter(g, "DejaVu Serif", 0.6, QStringLiteral("A"));
    g.line(0.26, 0.84, 0.74, 0.84);
}

void watermark(Ink& g)
{
    g.p.drawRoundedRect(g.u.box(0.16, 0.22, 0.68, 0.56), g.stroke, g.stroke);
    g.p.setBrush(g.c);
    g.p.drawPath(poly(g.u, {{0.22, 0.72}, {0.42, 0.46}, {0.56, 0.62}, {0.64, 0.54}, {0.78, 0.72}}));
    g.p.drawEllipse(g.u.box(0.6, 0.3, 0.1, 0.1));
}

void subtitle(Ink& g)
{
    g.p.drawRoundedRect(g.u.box(0.16, 0.24, 0.68, 0.52), g.stroke, g.stroke);
    g.line(0.28, 0.56, 0.44, 0.56);
    g.line(0.52, 0.56, 0.72, 0.56);
    g.line(0.28, 0.66, 0.6, 0.66);
}

void trim(Ink& g)
{
    g.p.drawEllipse(g.u.box(0.18, 0.58, 0.2, 0.2));
    g.p.drawEllipse(g.u.box(0.62, 0.58, 0.2, 0.2));
    g.line(0.34, 0.6, 0.7, 0.2);
    g.line(0.66, 0.6, 0.3, 0.2);
}

void section(Ink& g)
{
    g.p.drawPath(poly(g.u, {{0.3, 0.3}, {0.56, 0.5}, {0.3, 0.7}}));
    g.line(0.2, 0.24, 0.2, 0.76);
    g.line(0.74, 0.24, 0.74, 0.76);
}

void color(Ink& g)
{
    g.p.setPen(Qt::NoPen);
    const QColor dots[3] = {QColor("#e0574f"), QColor("#3cc48a"), QColor("#2f9be0")};
    // The dots keep their hues; the state colour's brightness sets their strength.
    g.p.setOpacity(qBound<qreal>(0.3, g.c.valueF(), 1.0));
    for (int i = 0; i < 3; ++i) {
        const qreal a = qDegreesToRadians(90.0 + i * 120);
        g.p.setBrush(dots[i]);
        g.p.drawEllipse(QPointF(g.u.at(0.5, 0.52).x() + g.u.s(0.16) * qCos(a),
                                g.u.at(0.5, 0.52).y() - g.u.s(0.16) * qSin(a)),
                        g.u.s(0.15), g.u.s(0.15));
    }
}

void reset(Ink& g) { arcArrow(g.p, g.u, 0.5, 0.52, 0.26, 120, 270, g.c); }

void apply(Ink& g)
{
    g.line(0.2, 0.5, 0.4, 0.7);
    g.line(0.4, 0.7, 0.8, 0.3);
}

void audio(Ink& g)
{
    g.p.setBrush(g.c);
    g.p.drawEllipse(g.u.box(0.22, 0.6, 0.2, 0.16));
    g.p.drawEllipse(g.u.box(0.56, 0.54, 0.2, 0.16));
    g.p.setBrush(Qt::NoBrush);
    QPainterPath n;
    n.moveTo(g.u.at(0.42, 0.68));
    n.lineTo(g.u.at(0.42, 0.24));
    n.lineTo(g.u.at(0.76, 0.18));
    n.lineTo(g.u.at(0.76, 0.62));
    g.p.drawPath(n);
}

void web(Ink& g)
{
    g.p.drawEllipse(g.u.box(0.2, 0.2, 0.6, 0.6));
    g.p.drawEllipse(g.u.box(0.38, 0.2, 0.24, 0.6));
    g.line(0.2, 0.5, 0.8, 0.5);
}

void files(Ink& g)
{
    g.p.drawRoundedRect(g.u.box(0.32, 0.16, 0.46, 0.56), g.stroke, g.stroke);
    QPainterPath back;
    back.moveTo(g.u.at(0.22, 0.3));
    back.lineTo(g.u.at(0.22, 0.82));
    back.lineTo(g.u.at(0.64, 0.82));
    g.p.drawPath(back);
}

void tablet(Ink& g)
{
    g.p.drawRoundedRect(g.u.box(0.24, 0.12, 0.52, 0.76), g.stroke * 1.5, g.stroke * 1.5);
    g.p.drawPoint(g.u.at(0.5, 0.8));
}

void record(Ink& g)
{
    g.fillOnly();
    g.p.drawEllipse(g.u.box(0.3, 0.3, 0.4, 0.4));
}

void dot(Ink& g)
{
    g.fillOnly();
    g.p.drawEllipse(g.u.box(0.36, 0.36, 0.28, 0.28));
}

// An unknown name is a table mistake: make it obvious on the sheet.
void unknown(Ink& g)
{
    g.p.drawRect(g.u.box(0.2, 0.2, 0.6, 0.6));
    g.line(0.2, 0.2, 0.8, 0.8);
}

// The picture table names its symbols; one line each.
struct NamedGlyph
{
    const char* name;
    void (*draw)(Ink&);
};

const NamedGlyph kGlyphs[] = {
    {"close", close},
    {"min", min},
    {"max", max},
    {"menu", menu},
    {"plus", plus},
    {"minus", minus},
    {"check", check},
    {"convert", convert},
    {"folder", [](Ink& g) { folder(g, false); }},
    {"folder_open", [](Ink& g) { folder(g, true); }},
    {"search", search},
    {"clock", [](Ink& g) { clock(g, false); }},
    {"history", [](Ink& g) { clock(g, true); }},
    {"play", play},
    {"pause", pause},
    {"stop", stop},
    {"next_frame", [](Ink& g) { frameStep(g, true); }},
    {"prev_frame", [](Ink& g) { frameStep(g, false); }},
    {"next", [](Ink& g) { twoTriangles(g, true, true); }},
    {"previous", [](Ink& g) { twoTriangles(g, false, true); }},
    {"faster", [](Ink& g) { twoTriangles(g, true, false); }},
    {"slower", [](Ink& g) { twoTriangles(g, false, false); }},
    {"edit", edit},
    {"settings", settings},
    {"film", film},
    {"format", film},
    {"screen", screen},
    {"size", size},
    {"arrow_right",
     [](Ink& g) {
         chevron(g, {0.4, 0.26}, {0.64, 0.5}, {0.4, 0.74});
     }},
    {"arrow_left",
     [](Ink& g) {
         chevron(g, {0.6, 0.26}, {0.36, 0.5}, {0.6, 0.74});
     }},
    {"arrow_up",
     [](Ink& g) {
         chevron(g, {0.26, 0.6}, {0.5, 0.36}, {0.74, 0.6});
     }},
    {"arrow_down",
     [](Ink& g) {
         chevron(g, {0.26, 0.4}, {0.5, 0.64}, {0.74, 0.4});
     }},
    {"hourglass", hourglass},
    {"question", [](Ink& g) { letter(g, "DejaVu Sans", 0.62, QStringLiteral("?")); }},
    {"info", [](Ink& g) { letter(g, "DejaVu Sans", 0.62, QStringLiteral("i")); }},
    {"warning", [](Ink& g) { letter(g, "DejaVu Sans", 0.62, QStringLiteral("!")); }},
    {"trash", trash},
    {"media_add", mediaAdd},
    {"camera", [](Ink& g) { camera(g, false); }},
    {"burst", [](Ink& g) { camera(g, true); }},
    {"volume", [](Ink& g) { speaker(g, false); }},
    {"mute", [](Ink& g) { speaker(g, true); }},
    {"list", list},
    {"fullscreen", [](Ink& g) { corners(g, true); }},
    {"exit_fullscreen", [](Ink& g) { corners(g, false); }},
    {"rotate_left", [](Ink& g) { rotate(g, false); }},
    {"rotate_right", [](Ink& g) { rotate(g, true); }},
    {"flip_h", [](Ink& g) { flip(g, false); }},
    {"flip_v", [](Ink& g) { flip(g, true); }},
    {"crop", crop},
    {"text", [](Ink& g) { letter(g, "DejaVu Serif", 0.6, QStringLiteral("T")); }},
    {"font", font},
    {"watermark", watermark},
    {"subtitle", subtitle},
    {"trim", trim},
    {"section", section},
    {"color", color},
    {"reset", reset},
    {"apply", apply},
    {"audio", audio},
    {"web", web},
    {"files", files},
    {"tablet", tablet},
    {"record", record},
    {"dot", dot},
};

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
    Ink ink{p, u, c, side, stroke, QPen(c, stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin)};
    p.setPen(ink.pen);
    p.setBrush(Qt::NoBrush);

    void (*draw)(Ink&) = unknown;
    for (const NamedGlyph& glyph : kGlyphs) {
        if (name == QLatin1String(glyph.name)) {
            draw = glyph.draw;
            break;
        }
    }
    draw(ink);
    p.restore();
}

} // namespace skin
