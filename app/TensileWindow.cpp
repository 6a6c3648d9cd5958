#include "TensileWindow.h"

#include "window/EdgeGrip.h"

#include "LogCategories.h"

#include <QMouseEvent>

namespace {
const int kBand = 4; // a resize band covers positions 0..4 in from an edge
}

TensileWindow::TensileWindow(QWidget* parent)
    : QWidget(parent)
{
    // No frameless flag: the platform frame and title bar stay.
    setWindowFlags(Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    setMouseTracking(true);
}

TensileWindow::~TensileWindow() = default;

void TensileWindow::setTitleHeight(int height) { m_nTitleHeight = height; }

void TensileWindow::setCursorAndState(QMouseEvent* event)
{
    const QPoint p = event->screenPos().toPoint();
    m_cursorState = EdgeGrip::zoneAt(geometry(), p, kBand);
    setCursor(EdgeGrip::cursorFor(m_cursorState));
    if (m_cursorState != EdgeGrip::None)
        m_edgeOffset = EdgeGrip::edgeOffset(geometry(), m_cursorState, p);
}

void TensileWindow::setFrameGeomtry(QMouseEvent* event)
{
    if (m_cursorState < 1 || m_cursorState > 8) {
        qCDebug(lcApp) << "m_cursorState --------error!";
        return;
    }
    // No upper bound: the platform keeps the window within its screens.
    const QSize unbounded(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setGeometry(EdgeGrip::dragged(geometry(), m_cursorState, event->screenPos().toPoint(), m_edgeOffset,
                                  minimumSize(), unbounded));
}

void TensileWindow::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = event->screenPos().toPoint();
    const QRect g = geometry();
    m_pressRect = g;
    m_pressRect.setLeft(p.x() - g.left());
    m_pressRect.setTop(p.y() - g.top());
    m_bPressed = true;
    QWidget::mousePressEvent(event);
}

void TensileWindow::mouseReleaseEvent(QMouseEvent* event)
{
    m_bPressed = false;
    m_cursorState = 0;
    QWidget::mouseReleaseEvent(event);
}

void TensileWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_bPressed && !m_bMax) {
        setCursorAndState(event);
        QWidget::mouseMoveEvent(event);
        return;
    }
    const bool leftOnly = event->buttons() == Qt::LeftButton;
    if (m_bPressed && leftOnly && m_cursorState != 0) {
        setFrameGeomtry(event);
        return;
    }
    if (m_bPressed && leftOnly && m_cursorState == 0 && m_pressRect.top() < m_nTitleHeight && !m_bMax) {
        // move() places the outer frame; keep the grabbed client point under
        // the pointer whatever the platform frame is.
        const QPoint offset(m_pressRect.left(), m_pressRect.top());
        const QPoint frame = geometry().topLeft() - pos();
        move(event->screenPos().toPoint() - offset - frame);
    }
    QWidget::mouseMoveEvent(event);
}

void TensileWindow::leaveEvent(QEvent* event)
{
    setCursor(Qt::ArrowCursor);
    QWidget::leaveEvent(event);
}
