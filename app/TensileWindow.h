#pragma once

#include <QPoint>
#include <QRect>
#include <QWidget>

class QMouseEvent;

// Base of a top-level window that can be resized from its four edges and
// four corners (5-pixel bands, pointer shape showing the direction) and
// moved by dragging inside a band at its top. Keeps the maximise
// bookkeeping for subclasses.
class TensileWindow : public QWidget
{
    Q_OBJECT
public:
    explicit TensileWindow(QWidget* parent = nullptr);
    ~TensileWindow() override;

    void setTitleHeight(int height);

protected:
    // Zones: 0 none, 1 left, 2 top-left, 3 top, 4 top-right, 5 right,
    // 6 bottom-right, 7 bottom, 8 bottom-left.
    void setCursorAndState(QMouseEvent* event);
    void setFrameGeomtry(QMouseEvent* event);

    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

    bool m_bMax = false;
    QRect m_normalGeometry;
    int m_nTitleHeight = 37;
    QPoint m_edgeOffset;
    int m_cursorState = 0;
    QRect m_pressRect;
    bool m_bPressed = false;
};
