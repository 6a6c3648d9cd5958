#include "LDragItemLabel.h"

#include <QMouseEvent>
#include <QPainter>

LDragItemLabel::LDragItemLabel(QWidget* parent)
    : QLabel(parent)
{
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setFocusPolicy(Qt::NoFocus);
    // A leftover drag picture must never keep the program running.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowOpacity(0.7);
    setAttribute(Qt::WA_TranslucentBackground);
}

LDragItemLabel::~LDragItemLabel() = default;

void LDragItemLabel::setPixmaps(QList<QPixmap> pixmaps)
{
    if (pixmaps.isEmpty())
        return;
    m_pixmaps = pixmaps;
    const QPixmap& first = m_pixmaps.first();
    setFixedSize(first.width(), m_pixmaps.count() * (first.height() + 10));
    repaint();
}

void LDragItemLabel::mouseReleaseEvent(QMouseEvent* event)
{
    // The queue drives the drag from its own mouse handling.
    event->accept();
}

void LDragItemLabel::mouseMoveEvent(QMouseEvent* event) { event->accept(); }

void LDragItemLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    for (int i = 0; i < m_pixmaps.count(); ++i) {
        const QPixmap& pixmap = m_pixmaps.at(i);
        painter.drawPixmap(0, i * (pixmap.height() + 10), pixmap);
    }
}
