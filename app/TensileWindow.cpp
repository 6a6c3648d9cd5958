#include "TensileWindow.h"

#include "LogCategories.h"

#include <QDebug>
#include <QMouseEvent>

#include <QLoggingCategory>

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
    const QRect g = geometry();
    const int L = g.left(), T = g.top(), R = g.right(), B = g.bottom();
    const QPoint p = event->screenPos().toPoint();
    const int x = p.x(), y = p.y();

    const bool nearLeft = L <= x && x <= L + kBand;
    const bool nearRight = R - kBand <= x && x <= R;
    const bool nearTop = T <= y && y <= T + kBand;
    const bool nearBottom = B - kBand <= y && y <= B;
    const bool midX = L + kBand < x && x < R - kBand;
    const bool midY = T + kBand < y && y < B - kBand;

    if (nearLeft && midY) {
        m_cursorState = 1;
        setCursor(Qt::SizeHorCursor);
        m_edgeOffset.setX(x - L);
    } else if (nearLeft && nearTop) {
        m_cursorState = 2;
        setCursor(Qt::SizeFDiagCursor);
        m_edgeOffset = QPoint(x - L, T - y);
    } else if (midX && nearTop) {
        m_cursorState = 3;
        setCursor(Qt::SizeVerCursor);
        m_edgeOffset.setY(T - y);
    } else if (nearRight && nearTop) {
        m_cursorState = 4;
        setCursor(Qt::SizeBDiagCursor);
        m_edgeOffset = QPoint(R - x, T - y);
    } else if (nearRight && midY) {
        m_cursorState = 5;
        setCursor(Qt::SizeHorCursor);
        m_edgeOffset.setX(R - x);
    } else if (nearRight && nearBottom) {
        m_cursorState = 6;
        setCursor(Qt::SizeFDiagCursor);
        m_edgeOffset = QPoint(R - x, B - y);
    } else if (midX && nearBottom) {
        m_cursorState = 7;
        setCursor(Qt::SizeVerCursor);
        m_edgeOffset.setY(B - y);
    } else if (nearLeft && nearBottom) {
        m_cursorState = 8;
        setCursor(Qt::SizeBDiagCursor);
        m_edgeOffset = QPoint(x - L, B - y);
    } else {
        m_cursorState = 0;
        setCursor(Qt::ArrowCursor);
    }
}

void TensileWindow::setFrameGeomtry(QMouseEvent* event)
{
    const QRect g = geometry();
    int L = g.left(), T = g.top(), R = g.right(), B = g.bottom();
    const int minW = minimumWidth();
    const int minH = minimumHeight();
    const QPoint p = event->screenPos().toPoint();
    const int x = p.x(), y = p.y();
    const int dx = m_edgeOffset.x(), dy = m_edgeOffset.y();

    if (m_cursorState < 1 || m_cursorState > 8) {
        qCDebug(lcApp) << "m_cursorState --------error!";
        setGeometry(g);
        return;
    }

    const bool moveLeft = m_cursorState == 1 || m_cursorState == 2 || m_cursorState == 8;
    const bool moveRight = m_cursorState == 4 || m_cursorState == 5 || m_cursorState == 6;
    const bool moveTop = m_cursorState == 2 || m_cursorState == 3 || m_cursorState == 4;
    const bool moveBottom = m_cursorState == 6 || m_cursorState == 7 || m_cursorState == 8;

    // Each grabbed edge keeps the distance to the pointer it had when the
    // press began, so the first move does not make the edge jump.
    if (moveLeft && R - (x - dx) > minW)
        L = x - dx;
    if (moveRight && (x + dx) - L > minW)
        R = x + dx;
    if (moveTop && B - (y + dy) > minH)
        T = y + dy;
    if (moveBottom)
        B = y + dy; // the minimum size bounds it when the geometry is set

    setGeometry(QRect(QPoint(L, T), QPoint(R, B)));
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
