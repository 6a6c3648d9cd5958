#include "QSliderCtrlBtn.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

QSliderCtrlBtn::QSliderCtrlBtn(QWidget* parent)
    : QPushButton(parent)
{}

QSliderCtrlBtn::~QSliderCtrlBtn() = default;

bool QSliderCtrlBtn::setBtnImage(QString path)
{
    m_pImage = std::make_unique<QImage>(path);
    if (m_pImage->isNull())
        return false;
    resize(m_pImage->width() / 4, m_pImage->height());
    return true;
}

void QSliderCtrlBtn::setStatePress()
{
    if (m_nState == 2)
        return;
    m_nState = 2;
    repaint();
}

void QSliderCtrlBtn::setStateNormal()
{
    m_nState = 0;
    repaint();
}

bool QSliderCtrlBtn::getMove() const { return true; }

void QSliderCtrlBtn::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_nPressX = event->screenPos().toPoint().x() - mapToGlobal(QPoint(0, 0)).x();
        if (!isEnabled()) {
            m_nState = 3;
        } else {
            if (m_nState != 2) {
                m_nState = 2;
                repaint();
            }
            emit mouseDown(event, m_nPressX);
        }
    }
    QPushButton::mousePressEvent(event);
}

void QSliderCtrlBtn::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        if (!isEnabled()) {
            m_nState = 3;
        } else if (m_nState == 2) {
            m_nState = 0;
            repaint();
        }
    }
    QPushButton::mouseReleaseEvent(event);
}

void QSliderCtrlBtn::mouseMoveEvent(QMouseEvent* event)
{
    // The owner moves the handle; the push button's own drag tracking would
    // only fight it, so moves stop here.
    if (m_nState == 2)
        emit mouseMove(event, m_nPressX);
}

void QSliderCtrlBtn::enterEvent(QEvent* event)
{
    setCursor(Qt::PointingHandCursor);
    if (!isEnabled()) {
        m_nState = 3;
    } else if (m_nState != 1) {
        m_nState = 1;
        repaint();
    }
    QPushButton::enterEvent(event);
}

void QSliderCtrlBtn::leaveEvent(QEvent* event)
{
    if (!isEnabled()) {
        m_nState = 3;
    } else if (m_nState == 1) {
        m_nState = 0;
        repaint();
    }
    QPushButton::leaveEvent(event);
}

void QSliderCtrlBtn::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        m_nState = isEnabled() ? 0 : 3;
    QPushButton::changeEvent(event);
}

void QSliderCtrlBtn::paintEvent(QPaintEvent*)
{
    if (!m_pImage)
        return;
    QPainter painter(this);
    const int w = width();
    if (w == 0 || m_nState < 0 || m_nState > 3) {
        painter.drawImage(QPoint(0, 0), *m_pImage);
        return;
    }
    const int x = m_nState * w;
    painter.drawImage(QPoint(0, 0), *m_pImage, QRect(x, 0, m_pImage->width() - x, m_pImage->height()));
}
