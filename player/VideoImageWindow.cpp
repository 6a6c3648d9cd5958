#include "VideoImageWindow.h"

#include "QVideoShowWidget.h"

#include <orvalta.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace {
constexpr int kControlsTickMs = 100;
constexpr double kHideBudgetSeconds = 2.0;
} // namespace

VideoImageWindow::VideoImageWindow(QWidget* parent)
    : QWidget(parent)
{
    setupUi(this);
    m_view = m_mediaWidget_OS;
    m_mediaWidget_WN->hide();
    setPalette(QPalette(QColor(0, 0, 0)));
    setMouseTracking(true);
    m_controlsTimer = new QTimer(this);
    connect(m_controlsTimer, &QTimer::timeout, this, &VideoImageWindow::OnTimer);
}

VideoImageWindow::~VideoImageWindow() = default;

int VideoImageWindow::VideoFrameLoops(void* user, void* frame)
{
    return static_cast<VideoImageWindow*>(user)->DrawVideoFrame(frame);
}

int VideoImageWindow::DrawVideoFrame(void* frame)
{
    const int format = Frame_GetVideoFormat(frame);
    const int width = Frame_GetVideoWidth(frame);
    const int height = Frame_GetVideoHeight(frame);
    if (format == ORV_FRAME_YUV420P) {
        uint strides[3] = {uint(Frame_GetVideoStride0(frame)), uint(Frame_GetVideoStride1(frame)),
                           uint(Frame_GetVideoStride2(frame))};
        uchar* planes[3] = {Frame_GetVideoData0(frame), Frame_GetVideoData1(frame),
                            Frame_GetVideoData2(frame)};
        if (m_view->acceptsFrames())
            m_view->showYUVImage(planes, uint(width), uint(height), strides);
        return 1;
    }
    if (format == ORV_FRAME_BGRA) {
        const uint stride = uint(Frame_GetVideoStride0(frame));
        uchar* data = Frame_GetVideoData0(frame);
        if (m_view->acceptsFrames())
            m_view->showImage(data, uint(width), uint(height), stride);
        return 1;
    }
    return 0;
}

int VideoImageWindow::setVideoSize(int width, int height)
{
    if (width < 1 || height < 1)
        return 0;
    m_videoWidth = width;
    m_videoHeight = height;
    const int W = this->width();
    const int H = this->height();
    const float videoAspect = float(double(width) / double(height));
    const float windowAspect = float(double(W) / double(H));
    int pw = W;
    int ph = H;
    if (videoAspect > windowAspect)
        ph = int(double(height) * W / width);
    else if (videoAspect < windowAspect)
        pw = int(double(width) * H / height);
    m_view->setGeometry((W - pw) / 2, (H - ph) / 2, pw, ph);
    return 1;
}

void VideoImageWindow::refit() { setVideoSize(m_videoWidth, m_videoHeight); }

void VideoImageWindow::setFullScreenState(bool full)
{
    m_fullScreen = full;
    Qt::WindowStates state = windowState();
    if (full)
        state |= Qt::WindowFullScreen;
    else
        state &= ~Qt::WindowFullScreen;
    setWindowState(state);
}

void VideoImageWindow::showFullScreen()
{
    m_controlsTimer->start(kControlsTickMs);
    setFullScreenState(true);
    refit();
}

void VideoImageWindow::showNormal()
{
    m_controlsTimer->stop();
    setFullScreenState(false);
    refit();
}

QRect VideoImageWindow::getVideoRect() const { return m_view->geometry(); }

WId VideoImageWindow::getWId() { return m_mediaWidget_WN->winId(); }

bool VideoImageWindow::controlsTimerActive() const { return m_controlsTimer->isActive(); }

void VideoImageWindow::showImage(uchar* data, uint width, uint height, uint stride)
{
    if (m_view->acceptsFrames())
        m_view->showImage(data, width, height, stride);
}

void VideoImageWindow::showYUVImage(uchar** planes, uint width, uint height, uint* strides)
{
    if (m_view->acceptsFrames())
        m_view->showYUVImage(planes, width, height, strides);
}

void VideoImageWindow::mousePressEvent(QMouseEvent* event)
{
    emit emitMouseDown(event);
    m_pressPos = event->globalPos();
}

void VideoImageWindow::mouseReleaseEvent(QMouseEvent* event)
{
    emit emitMouseUp(event);
    if (event->globalPos() == m_pressPos)
        emit emitPlayOrPause();
}

void VideoImageWindow::mouseDoubleClickEvent(QMouseEvent*)
{
    if (isFullScreen()) {
        m_controlsTimer->stop();
        setFullScreenState(false);
    } else {
        m_controlsTimer->start(kControlsTickMs);
        setFullScreenState(true);
    }
    refit();
    emit emitFullScreen();
}

void VideoImageWindow::mouseMoveEvent(QMouseEvent* event)
{
    emit emitMouseMove(event);
    if (!isFullScreen())
        return;
    m_controlsTimer->stop();
    m_hideBudget = kHideBudgetSeconds;
    m_controlsTimer->start(kControlsTickMs);
    emit emitShowBtn(true);
}

void VideoImageWindow::keyPressEvent(QKeyEvent* event)
{
    // Keys stop here: the owner window must not see Esc as "close".
    event->accept();
    if (event->key() != Qt::Key_Escape || !isFullScreen())
        return;
    m_controlsTimer->stop();
    setFullScreenState(false);
    refit();
    emit emitFullScreen();
}

void VideoImageWindow::OnTimer()
{
    if (m_hideBudget < 1e-10) {
        m_controlsTimer->stop();
        emit emitShowBtn(false);
        return;
    }
    m_hideBudget -= 0.1;
}

void VideoImageWindow::enterEvent(QEvent*)
{
    // The player window's wait cursor stays while its file opens.
    if (cursor().shape() != Qt::WaitCursor)
        setCursor(Qt::ArrowCursor);
}

void VideoImageWindow::leaveEvent(QEvent*) { emit emitMouseLeave(); }

void VideoImageWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0, 0, 0));
}
