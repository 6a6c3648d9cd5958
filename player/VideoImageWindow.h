#pragma once

#include "ui_VideoImageWindow.h"

#include <QPoint>
#include <QRect>
#include <QWidget>

class QMouseEvent;
class QTimer;
class QVideoShowWidget;

// The black area on which an engine player's pictures appear: it holds one
// frame view, placed inside itself with the video's aspect ratio, receives
// the engine's frames through VideoFrameLoops, keeps a full-screen state
// whose timer tells the owner when to hide the playback controls, and
// reports mouse input as signals.
class VideoImageWindow : public QWidget, public Ui::VideoImageWindow
{
    Q_OBJECT
public:
    explicit VideoImageWindow(QWidget* parent = nullptr);
    ~VideoImageWindow() override;

    // The frame handler given to every engine player, with a surface as the
    // user pointer. Runs on whatever thread the engine calls it from.
    static int VideoFrameLoops(void* user, void* frame);
    int DrawVideoFrame(void* frame);

    int setVideoSize(int width, int height);
    void showFullScreen();
    void showNormal();
    // The surface's own full-screen state. A child widget's window state
    // can be rewritten by the toolkit when its top-level window changes
    // state, so the surface keeps the state itself.
    bool isFullScreen() const { return m_fullScreen; }
    QRect getVideoRect() const;
    WId getWId();

    void showImage(uchar* data, uint width, uint height, uint stride);
    void showYUVImage(uchar** planes, uint width, uint height, uint* strides);

    QVideoShowWidget* videoView() const { return m_view; }
    QSize videoSize() const { return QSize(m_videoWidth, m_videoHeight); }
    bool controlsTimerActive() const;

signals:
    void emitFullScreen();
    void emitShowBtn(bool flag);
    void emitPlayOrPause();
    void emitMouseMove(QMouseEvent* e);
    void emitMouseDown(QMouseEvent* e);
    void emitMouseUp(QMouseEvent* e);
    void emitMouseLeave();

public slots:
    void OnTimer();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void setFullScreenState(bool full);
    void refit();

    QVideoShowWidget* m_view = nullptr;
    int m_videoWidth = 0;
    int m_videoHeight = 0;
    QPoint m_pressPos;
    QTimer* m_controlsTimer = nullptr;
    double m_hideBudget = 2.0;
    bool m_fullScreen = false;
};
