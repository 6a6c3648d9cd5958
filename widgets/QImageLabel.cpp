#include "QImageLabel.h"

#include <QPainter>

QImageLabel::QImageLabel(QWidget* parent)
    : QLabel(parent)
{}

QImageLabel::~QImageLabel() = default;

void QImageLabel::SetBackImage(QString path)
{
    m_pBackImage = std::make_unique<QImage>(path);
    setPixmap(QPixmap::fromImage(*m_pBackImage));
    setGeometry(0, 0, m_pBackImage->width(), m_pBackImage->height());
}

void QImageLabel::SetProgress(int percent)
{
    m_nProgress = percent;
    update();
}

void QImageLabel::SetProgressImage(QString path) { m_pProgressPixmap = std::make_unique<QPixmap>(path); }

void QImageLabel::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!m_pProgressPixmap)
        return;
    // Show the overlay's own left part rather than a squeezed copy of it.
    const double fraction = m_nProgress / 100.0;
    const int targetWidth = int(fraction * width());
    const int sourceWidth = int(fraction * m_pProgressPixmap->width());
    if (targetWidth <= 0 || sourceWidth <= 0)
        return;
    QPainter painter(this);
    painter.drawPixmap(QRect(0, 0, targetWidth, height()), *m_pProgressPixmap,
                       QRect(0, 0, sourceWidth, m_pProgressPixmap->height()));
}
