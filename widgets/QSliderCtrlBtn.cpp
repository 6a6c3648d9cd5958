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
    if (m_sprite.frame() == SpriteState::Pressed)
        return;
    m_sprite.setFrame(SpriteState::Pressed);
    repaint();
}

void QSliderCtrlBtn::setStateNormal()
{
    m_sprite.setFrame(SpriteState::Normal);
    repaint();
}

bool QSliderCtrlBtn::getMove() const { return true; }

void QSliderCtrlBtn::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_nPressX = event->screenPos().toPoint().x() - mapToGlobal(QPoint(0, 0)).x();
        if (m_sprite.press(isEnabled()))
            repaint();
        if (isEnabled())
            emit mouseDown(event, m_nPressX);
    }
    QPushButton::mousePressEvent(event);
}

void QSliderCtrlBtn::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_sprite.release(isEnabled()))
        repaint();
    QPushButton::mouseReleaseEvent(event);
}

void QSliderCtrlBtn::mouseMoveEvent(QMouseEvent* event)
{
    // The owner moves the handle; the push button's own drag tracking would
    // only fight it, so moves stop here.
    if (m_sprite.frame() == SpriteState::Pressed)
        emit mouseMove(event, m_nPressX);
}

void QSliderCtrlBtn::enterEvent(QEvent* event)
{
    setCursor(Qt::PointingHandCursor);
    if (m_sprite.enter(isEnabled()))
        repaint();
    QPushButton::enterEvent(event);
}

void QSliderCtrlBtn::leaveEvent(QEvent* event)
{
    if (m_sprite.leave(isEnabled()))
        repaint();
    QPushButton::leaveEvent(event);
}

void QSliderCtrlBtn::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        m_sprite.enable(isEnabled());
    QPushButton::changeEvent(event);
}

void QSliderCtrlBtn::paintEvent(QPaintEvent*)
{
    if (!m_pImage)
        return;
    QPainter painter(this);
    const int w = width();
    const int frame = m_sprite.frame();
    if (w == 0 || frame < 0 || frame > 3) {
        painter.drawImage(QPoint(0, 0), *m_pImage);
        return;
    }
    const int x = frame * w;
    painter.drawImage(QPoint(0, 0), *m_pImage, QRect(x, 0, m_pImage->width() - x, m_pImage->height()));
}
