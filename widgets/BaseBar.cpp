#include "BaseBar.h"

#include "SkinPicture.h"

#include <QHash>
#include <QPainter>
#include <QPair>

// One screen copy of each strip for all rows: a strip is a few MB wide, and
// a copy per row made the queue's memory grow with every file.
QPixmap BaseBar::sharedPicture(const QString& path)
{
    static QHash<QString, QPair<qint64, QPixmap>> strips;
    const QImage& image = skinPicture(path);
    QPair<qint64, QPixmap>& strip = strips[path];
    if (strip.second.isNull() || strip.first != image.cacheKey())
        strip = qMakePair(image.cacheKey(), QPixmap::fromImage(image));
    return strip.second;
}

BaseBar::BaseBar(QWidget* parent)
    : QWidget(parent)
{}

BaseBar::~BaseBar() = default;

void BaseBar::setbgImage(QString path)
{
    // Every row of a list has the same strip: decoded and converted once.
    m_pBgPixmap = std::make_unique<QPixmap>(sharedPicture(path));
    setFixedHeight(m_pBgPixmap->height());
    repaint();
}

void BaseBar::setPress(bool pressed)
{
    m_nState = pressed ? 2 : 0;
    repaint();
}

bool BaseBar::IsPress() const { return m_nState == 2; }

void BaseBar::mousePressEvent(QMouseEvent* event)
{
    if (m_nState != 2) {
        m_nState = 2;
        repaint();
    }
    emit SignalBarItemPress();
    QWidget::mousePressEvent(event);
}

void BaseBar::enterEvent(QEvent* event)
{
    if (m_nState != 1 && m_nState != 2) {
        m_nState = 1;
        repaint();
    }
    QWidget::enterEvent(event);
}

void BaseBar::leaveEvent(QEvent* event)
{
    if (m_nState == 1) {
        m_nState = 0;
        repaint();
    }
    QWidget::leaveEvent(event);
}

void BaseBar::paintEvent(QPaintEvent*)
{
    if (!m_pBgPixmap)
        return;
    const int q = m_pBgPixmap->width() / 4;
    const int k = m_nState == 1 ? 1 : (m_nState == 2 ? 2 : 0);
    QPainter painter(this);
    painter.drawPixmap(QRect(0, 0, width(), height()), *m_pBgPixmap,
                       QRect(k * q, 0, q + 1, m_pBgPixmap->height()));
}
