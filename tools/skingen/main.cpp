// skingen <Resources dir>        draw every picture of the table into the folder
// skingen --sheet out.png [text [zoom]]
//                                draw a contact sheet of the pictures whose path
//                                contains text, for a person to look at
#include "skin.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringList>
#include <cstdio>

namespace {

int writeAll(const QString& root)
{
    int failures = 0;
    for (int i = 0; i < skin::kPictureCount; ++i) {
        const skin::Picture& pic = skin::kPictures[i];
        const QString path = root + QString::fromLatin1(pic.path);
        const QImage img = skin::renderPicture(pic);
        if (img.isNull() || !QDir().mkpath(QFileInfo(path).absolutePath()) || !img.save(path, "PNG")) {
            std::fprintf(stderr, "skingen: cannot draw %s\n", pic.path);
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

// Pictures meant for the dark window chrome are shown on that ground.
bool onDarkGround(const skin::Picture& pic)
{
    const QString style = QString::fromLatin1(pic.style);
    if (style == "tool")
        return QString::fromLatin1(pic.tint) != "light";
    return QStringList{"ghost", "window", "switch", "drop", "logo", "primary"}.contains(style);
}

void checker(QPainter& p, const QRectF& r)
{
    p.fillRect(r, QColor("#9aa3ad"));
    for (int y = int(r.top()); y < r.bottom(); y += 8)
        for (int x = int(r.left()) + ((y / 8) % 2) * 8; x < r.right(); x += 16)
            p.fillRect(QRectF(x, y, 8, 8).intersected(r), QColor("#a9b2bb"));
}

int writeSheet(const QString& out, const QString& filter, int zoomAll)
{
    const int sheetW = 1500, pad = 14, labelH = 16, maxW = sheetW - 2 * pad;
    struct Cell
    {
        const skin::Picture* pic;
        QImage img;
        QRect r;
    };
    QVector<Cell> cells;
    int x = pad, y = pad, rowH = 0;
    for (int i = 0; i < skin::kPictureCount; ++i) {
        const skin::Picture& pic = skin::kPictures[i];
        if (!filter.isEmpty() && !QString::fromLatin1(pic.path).contains(filter))
            continue;
        QImage img = skin::renderPicture(pic);
        // Small pictures are shown enlarged so their detail can be judged.
        const int zoom = qMax(zoomAll, img.width() <= 130 && img.height() <= 40 ? 2 : 1);
        QSize s = img.size() * zoom;
        if (s.width() > maxW)
            s = s.scaled(maxW, 10000, Qt::KeepAspectRatio);
        const int cellW = qMax(s.width(), 120);
        if (x + cellW > sheetW - pad) {
            x = pad;
            y += rowH + labelH + pad;
            rowH = 0;
        }
        cells.push_back({&pic, img, QRect(QPoint(x, y), s)});
        x += cellW + pad;
        rowH = qMax(rowH, s.height());
    }
    QImage sheet(sheetW, y + rowH + labelH + pad, QImage::Format_ARGB32);
    sheet.fill(QColor("#e4e8ec"));
    QPainter p(&sheet);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    QFont f("DejaVu Sans");
    f.setPixelSize(10);
    p.setFont(f);
    for (const Cell& c : cells) {
        if (onDarkGround(*c.pic))
            p.fillRect(c.r, skin::pal::ink2);
        else
            checker(p, c.r);
        p.drawImage(c.r, c.img);
        p.setPen(QColor("#30363d"));
        p.drawText(QRect(c.r.left(), c.r.bottom() + 2, qMax(c.r.width(), 120) + pad, labelH),
                   Qt::AlignLeft | Qt::AlignTop,
                   QString::fromLatin1(c.pic->path).section('/', -2)
                       + QString(" %1x%2").arg(c.img.width()).arg(c.img.height()));
    }
    p.end();
    return sheet.save(out) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() >= 2 && args[0] == "--sheet")
        return writeSheet(args[1], args.value(2), qMax(1, args.value(3).toInt()));
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: skingen <Resources dir> | skingen --sheet out.png [path text]\n");
        return 2;
    }
    return writeAll(args[0]);
}
