#include "PlayerWidget.h"

#include "FormFonts.h"
#include "LogCategories.h"
#include "PlayBtnWidget.h"
#include "PlayListWidget.h"
#include "QIAppUtil.h"
#include "VideoImageWindow.h"
#include "playback/PlaybackMath.h"
#include "window/EdgeGrip.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>

bool PlayerWidget::s_hasInstall = false;
PlayerWidget* PlayerWidget::s_playerWidget = nullptr;
bool PlayerWidget::s_resizeVideo = true;

namespace {

// Short enough that the label never trails the picture by a visible step.
constexpr int kTimeTickMs = 100;
constexpr int kRedrawTickMs = 50;
constexpr int kBarHeight = 50;
// The resize zones reach this many pixels in from each edge.
constexpr int kEdgeBand = 2;

// Width of the virtual desktop and height of the primary screen's
// available area: the bounds the window sizes itself within.
int desktopWidth() { return QGuiApplication::primaryScreen()->virtualGeometry().width(); }

int availableHeight() { return QGuiApplication::primaryScreen()->availableGeometry().height(); }

// The platform frame around a shown window; none is known before the first
// show.
QMargins frameMargins(const QWidget* w)
{
    const QRect inside = w->geometry();
    const QRect outside = w->frameGeometry();
    return QMargins(inside.left() - outside.left(), inside.top() - outside.top(),
                    outside.right() - inside.right(), outside.bottom() - inside.bottom());
}

} // namespace

PlayerWidget* PlayerWidget::GetPlayer()
{
    // Without a parent and never deleted: the window lives to the end of the
    // run, and as a top-level window it keeps the event loop going while open.
    if (!s_playerWidget) {
        s_playerWidget = new PlayerWidget(nullptr);
        s_hasInstall = true;
    }
    return s_playerWidget;
}

PlayerWidget::PlayerWidget(QWidget* parent)
    : QDialog(parent)
{
    setupUi(this);
    fitFormFonts(this);
#ifdef Q_OS_MACOS
    setWindowFlags(Qt::MacWindowToolBarButtonHint);
#else
    // An ordinary top-level window with the platform's own title bar.
    setWindowFlags(Qt::Window);
#endif
    for (QWidget* w : {static_cast<QWidget*>(label), static_cast<QWidget*>(m_btnClose),
                       static_cast<QWidget*>(m_btnMax), static_cast<QWidget*>(m_btnMin),
                       static_cast<QWidget*>(m_labWinIcon), static_cast<QWidget*>(m_videoNameLab)})
        w->hide();
    resize(990, 650);
    setPalette(QPalette(QColor(0, 0, 0)));
    setAutoFillBackground(true);
    setAttribute(Qt::WA_MouseTracking);
    m_playBtnWidget->setFixedHeight(kBarHeight);
    m_messageLabel = new QLabel(this);
    m_messageLabel->setAlignment(Qt::AlignCenter);
    m_messageLabel->setWordWrap(true);
    m_messageLabel->setStyleSheet(QStringLiteral("color: rgb(208, 246, 255); font-size: 15px;"));
    m_messageLabel->hide();
    const QString res = QIAppUtil::getResourcePath();
    m_labWinIcon->setPixmap(QPixmap(res + QStringLiteral("/exp_image/LOGO_16.png")));
    setWindowIcon(QIcon(res + QStringLiteral("/image/IPAD_128.png")));
    Init();
    InitBtn();
    InitConnect();
    m_playListWidget->setVisible(false);
    keepFocusOnWindow();
}

void PlayerWidget::keepFocusOnWindow()
{
    // Space belongs to play and pause: no control may take the focus and
    // turn Space into its own click (the full-screen button did).
    for (QWidget* child : findChildren<QWidget*>())
        child->setFocusPolicy(Qt::NoFocus);
    setFocusPolicy(Qt::StrongFocus);
}

PlayerWidget::~PlayerWidget()
{
    delete m_timeTimer;
    delete m_screenTimer;
    m_engine->release();
}

void PlayerWidget::Init()
{
    m_engine = new EnginePlayer(this);
    m_engine->create(27);
    m_engine->setVolume(m_volume);
    m_playBtnWidget->setVolume(m_volume);
    m_timeTimer = new QTimer(this);
    m_screenTimer = new QTimer(this);
    // One redraw per request: a still picture needs no steady beat.
    m_screenTimer->setSingleShot(true);
}

void PlayerWidget::InitBtn()
{
    const QString res = QIAppUtil::getResourcePath();
    m_btnClose->setBtnImage(res + QStringLiteral("/image/PlayerImage/top_btn_close.png"));
    m_btnMax->setBtnImage(res + QStringLiteral("/image/PlayerImage/top_btn_max.png"));
    m_btnMin->setBtnImage(res + QStringLiteral("/image/PlayerImage/top_btn_min.png"));
}

void PlayerWidget::InitConnect()
{
    connect(m_playListWidget, &PlayListWidget::emitPlayVideo, this, &PlayerWidget::PlayVideoFile);
    connect(m_playListWidget, &PlayListWidget::emitDeleteVideo, this, &PlayerWidget::DeleteVideo);

    PlayBtnWidget* bar = m_playBtnWidget;
    connect(bar, &PlayBtnWidget::emitBtnPlay, this, &PlayerWidget::OnBtnPlay);
    connect(bar, &PlayBtnWidget::emitBtnPause, this, &PlayerWidget::OnBtnPause);
    connect(bar, &PlayBtnWidget::emitBtnStop, this, &PlayerWidget::OnBtnStop);
    connect(bar, &PlayBtnWidget::emitBtnBack, this, &PlayerWidget::OnBtnBack);
    connect(bar, &PlayBtnWidget::emitBtnFast, this, &PlayerWidget::OnBtnFast);
    connect(bar, &PlayBtnWidget::sendProgressValue, this, &PlayerWidget::ProgressValueChange);
    connect(bar, &PlayBtnWidget::sendVolumeValue, this, &PlayerWidget::VolumeValueChange);
    connect(bar, &PlayBtnWidget::emitBtnVolume, this, &PlayerWidget::OnBtnVolume);
    connect(bar, &PlayBtnWidget::emitBtnFullScreen, this, &PlayerWidget::OnBtnFullScreen);
    connect(bar, &PlayBtnWidget::emitBtnOpenFloder, this, &PlayerWidget::OnBtnOpenFile);
    connect(bar, &PlayBtnWidget::emitBtnListset, this, &PlayerWidget::OnBtnListset);
    connect(bar, &PlayBtnWidget::emitBtnSnapSetting, this, &PlayerWidget::OnBtnSnapSetting);
    connect(bar, &PlayBtnWidget::emitBtnSnapshoot, this, &PlayerWidget::OnBtnSnapshoot);
    connect(bar, &PlayBtnWidget::emitBtnPreVideo, this, &PlayerWidget::OnBtnPreVideo);
    connect(bar, &PlayBtnWidget::emitBtnNextVideo, this, &PlayerWidget::OnBtnNextVideo);

    connect(m_videoWidget, &VideoImageWindow::emitFullScreen, this, &PlayerWidget::repondFullScreen);
    connect(m_videoWidget, &VideoImageWindow::emitShowBtn, this, &PlayerWidget::ShowPlayBtn);
    connect(m_videoWidget, &VideoImageWindow::emitPlayOrPause, this, &PlayerWidget::VideoWidgetPress);

    connect(m_btnClose, &QPushButton::clicked, this, &PlayerWidget::OnBtnClose);
    connect(m_btnMax, &QPushButton::clicked, this, &PlayerWidget::OnBtnMax);
    connect(m_btnMin, &QPushButton::clicked, this, &PlayerWidget::OnBtnMin);

    connect(m_timeTimer, &QTimer::timeout, this, &PlayerWidget::UpdateTime);
    connect(m_engine, &EnginePlayer::position, this, &PlayerWidget::showPosition);
    connect(m_engine, &EnginePlayer::ended, this, &PlayerWidget::playbackEnded);
    connect(m_engine, &EnginePlayer::opened, this, &PlayerWidget::fileOpened);
    connect(m_engine, &EnginePlayer::error, this, [this](EnginePlayer::Operation operation) {
        if (operation == EnginePlayer::Open)
            openFailed();
    });
    connect(m_screenTimer, &QTimer::timeout, this, &PlayerWidget::UpdataScreen);
}

void PlayerWidget::StartPlayVideo(QString path) { m_playListWidget->AddOneVideo(path); }

void PlayerWidget::showInFront()
{
    // A preview asked for while the window is open, minimised or behind the
    // main window is a preview the person wants to see.
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

QString PlayerWidget::messageText() const
{
    return m_messageLabel->isHidden() ? QString() : m_messageLabel->text();
}

void PlayerWidget::showMessage(const QString& text)
{
    m_messageLabel->setText(text);
    m_messageLabel->setVisible(!text.isEmpty());
    if (!text.isEmpty())
        m_messageLabel->raise();
}

// ---- Playback ---------------------------------------------------------------

void PlayerWidget::startPlaying()
{
    m_playState = 1;
    m_screenTimer->stop();
    m_timeTimer->start(kTimeTickMs);
}

void PlayerWidget::startPaused()
{
    m_playState = 2;
    m_timeTimer->stop();
    // The picture paused on may be one the surface dropped while playing:
    // it is drawn once; after that the surface keeps it.
    requestRedraw();
}

void PlayerWidget::requestRedraw() { m_screenTimer->start(kRedrawTickMs); }

void PlayerWidget::showTime(uint64_t time)
{
    const uint64_t duration = m_engine->duration();
    m_playBtnWidget->setProcessValue(PlaybackMath::progressFraction(time, duration));
    m_playBtnWidget->setTimeLabel(PlaybackMath::timeLabelText(time, duration));
}

void PlayerWidget::refuseFile(int state)
{
    // Nothing of the file may go on: no sound, no picture, no timers.
    m_engine->close();
    resetAfterPlay(state, true);
    showMessage(tr("This file cannot be played. It may be damaged, or its format is one the player "
                   "does not read."));
}

void PlayerWidget::PlayVideoFile(QString fileName)
{
    if (!m_engine->isCreated())
        return;
    // The file before goes at once: nothing of it plays behind the new one.
    m_engine->close();
    m_playBtnWidget->setProcessEnabledChange(true);
    setWindowTitle(fileName.mid(fileName.lastIndexOf(QLatin1Char('/')) + 1));
    showMessage(QString());
    // The file opens on a worker; the window shows it is busy meanwhile and
    // goes on in fileOpened() or openFailed().
    m_loadingFile = fileName;
    setLoading(true);
    m_engine->setFrameView(m_videoWidget);
    m_engine->setCropBorder(false);
    m_engine->openInBackground(fileName);
    m_playBtnWidget->VideoBeginPlay(true);
    startPlaying();
}

void PlayerWidget::setLoading(bool on)
{
    m_loading = on;
    // The window's own busy look, over the picture too.
    const Qt::CursorShape shape = on ? Qt::WaitCursor : Qt::ArrowCursor;
    setCursor(shape);
    m_videoWidget->setCursor(shape);
}

bool PlayerWidget::dropLoading()
{
    if (!m_loading)
        return false;
    m_engine->close();
    setLoading(false);
    resetAfterPlay(4, true);
    return true;
}

void PlayerWidget::openFailed()
{
    if (!m_loading)
        return;
    setLoading(false);
    qCDebug(lcPlayer) << "error :---------OPen file Fail--------";
    refuseFile(4);
    placeWindow(QSize());
}

void PlayerWidget::fileOpened()
{
    if (!m_loading)
        return;
    setLoading(false);
    const bool hasVideo = m_engine->hasVideo();
    if (!hasVideo && !m_engine->hasAudio()) {
        refuseFile(4);
        placeWindow(QSize());
        return;
    }
    m_videoWidget->setHidden(!hasVideo);
    m_playBtnWidget->setBtnScreenEnable(hasVideo);
    m_curFilePath = m_loadingFile;
    if (m_bMaximized)
        s_resizeVideo = false;
    else if (s_resizeVideo)
        ResizeWIndow();
    if (!m_videoWidget->isFullScreen())
        ResizeVideoWindow();
    if (!m_engine->play()) {
        qCDebug(lcPlayer) << "error :---------Play Fail--------";
        refuseFile(5);
        return;
    }
    m_engine->setVolume(m_bMute ? 0 : m_volume);
}

void PlayerWidget::resetAfterPlay(int state, bool leaveFullScreenToo)
{
    m_playState = state;
    m_playBtnWidget->VideoFinished();
    m_screenTimer->stop();
    m_timeTimer->stop();
    if (leaveFullScreenToo && m_videoWidget->isFullScreen()) {
        m_videoWidget->showNormal();
        showNormal();
        m_playBtnWidget->setDialogWindow(false);
        m_playBtnWidget->OnBtnFullScreen(false);
        m_playBtnWidget->show();
    }
    m_videoWidget->hide();
    m_playBtnWidget->setBtnScreenEnable(false);
    m_playBtnWidget->setProcessValue(0);
    m_playBtnWidget->setProcessEnabledChange(false);
}

void PlayerWidget::OnBtnPlay()
{
    if (!m_engine->isCreated() || m_loading)
        return;
    const bool hasVideo = m_engine->hasVideo();
    if (!hasVideo && !m_engine->hasAudio()) {
        m_playBtnWidget->VideoFinished();
        return;
    }
    if (m_engine->isCompleted())
        m_engine->stop();
    if (!m_engine->play()) {
        m_playState = 5;
        qCDebug(lcPlayer) << "error :---------Play Fail--------";
        return;
    }
    // A file without a picture resumes too; it just shows none.
    m_videoWidget->setVisible(hasVideo);
    m_playBtnWidget->setBtnScreenEnable(hasVideo);
    startPlaying();
    m_playBtnWidget->setProcessEnabledChange(true);
}

void PlayerWidget::OnBtnPause()
{
    if (!m_engine->isCreated() || m_loading)
        return;
    if (!m_engine->pause()) {
        qCDebug(lcPlayer) << "error :---------Pause Fail--------";
        return;
    }
    startPaused();
}

void PlayerWidget::VideoWidgetPress()
{
    if (!m_engine->isCreated() || m_loading)
        return;
    if (m_playState == 1) {
        if (!m_engine->pause()) {
            qCDebug(lcPlayer) << "error :---------Pause Fail--------";
            return;
        }
        startPaused();
        m_playBtnWidget->VideoBeginPlay(false);
        return;
    }
    if (!m_engine->play()) {
        m_playState = 5;
        qCDebug(lcPlayer) << "error :---------Play Fail--------";
        return;
    }
    startPlaying();
    m_playBtnWidget->VideoBeginPlay(true);
}

void PlayerWidget::OnBtnStop()
{
    if (!m_engine->isCreated() || dropLoading())
        return;
    if (!m_engine->hasVideo() && !m_engine->hasAudio())
        return;
    if (m_engine->isCompleted())
        return;
    if (!m_engine->stop()) {
        qCDebug(lcPlayer) << "error :---------Stop Fail--------";
        return;
    }
    resetAfterPlay(4, true);
}

void PlayerWidget::OnBtnBack()
{
    if (!m_engine->isCreated() || (m_playState != 1 && m_playState != 2))
        return;
    m_engine->seek(PlaybackMath::backTarget(m_engine->playTime()));
    followSeek();
}

void PlayerWidget::OnBtnFast()
{
    if (!m_engine->isCreated() || (m_playState != 1 && m_playState != 2))
        return;
    const uint64_t time = m_engine->playTime();
    m_engine->seek(PlaybackMath::fastTarget(time, m_engine->duration()));
    followSeek();
}

void PlayerWidget::ProgressValueChange(double fraction)
{
    if (!m_engine->isCreated())
        return;
    m_engine->seek(PlaybackMath::fractionTarget(fraction, m_engine->duration()));
    followSeek();
}

void PlayerWidget::followSeek()
{
    // Paused, no tick runs: the bar and the label take the time of the
    // picture the seek landed on now. Playing, the next tick does it too.
    if (m_playState == 1 || m_playState == 2)
        showTime(m_engine->playTime());
}

void PlayerWidget::VolumeValueChange(double fraction)
{
    m_volume = int(fraction * 100);
    if (!m_playBtnWidget->IsMute() && m_engine->isCreated())
        m_engine->setVolume(m_volume);
}

void PlayerWidget::OnBtnVolume(bool flag)
{
    if (!m_engine->isCreated())
        return;
    m_bMute = flag;
    const int volume = flag ? 0 : m_volume;
    m_engine->setVolume(volume);
    m_playBtnWidget->setVolume(volume);
}

void PlayerWidget::UpdateTime()
{
    if (!m_engine->isCreated())
        return;
    // The answer comes back as playbackEnded() or showPosition().
    m_engine->poll();
}

void PlayerWidget::playbackEnded()
{
    m_playState = 3;
    qCDebug(lcPlayer) << "paly__finish---";
    resetAfterPlay(3, true);
}

void PlayerWidget::showPosition(uint64_t time)
{
    if (time < 1000)
        return;
    showTime(time);
}

void PlayerWidget::UpdataScreen()
{
    // Each redraw runs the whole processing chain on this thread: only when
    // asked for, never as a steady beat while the picture stands still.
    if (m_engine->isCreated() && m_engine->hasVideo() && !m_engine->isCompleted())
        m_engine->showFrame();
}

void PlayerWidget::DeleteVideo()
{
    OnBtnStop();
    if (m_engine->isCreated())
        m_engine->close();
}

void PlayerWidget::closeEvent(QCloseEvent* event)
{
    QDialog::closeEvent(event);
    OnBtnStop();
    m_engine->close();
    hide();
}

void PlayerWidget::OnBtnClose()
{
    OnBtnStop();
    m_engine->close();
    hide();
}

void PlayerWidget::OnBtnMin() { showMinimized(); }

void PlayerWidget::OnBtnOpenFile()
{
    const QStringList files =
        QFileDialog::getOpenFileNames(this, QString(), QStringLiteral("."), QStringLiteral("*.*"), nullptr,
                                      QFileDialog::DontUseNativeDialog);
    if (!files.isEmpty())
        m_playListWidget->AddVideos(files, false);
}

void PlayerWidget::OnBtnListset()
{
    m_playListWidget->setVisible(!m_playListWidget->isVisible());
    ResizeVideoWindow();
}

void PlayerWidget::OnBtnSnapSetting() {}

void PlayerWidget::OnBtnSnapshoot() {}

void PlayerWidget::OnBtnPreVideo() { m_playListWidget->PreVideoPlay(); }

void PlayerWidget::OnBtnNextVideo() { m_playListWidget->NextVideoPlay(); }

// ---- Sizing -----------------------------------------------------------------

void PlayerWidget::ResizeWIndow()
{
    if (!m_engine->isCreated())
        return;
    placeWindow(QSize(m_engine->videoWidth(), m_engine->videoHeight()));
}

void PlayerWidget::placeWindow(const QSize& videoSize)
{
    if (m_bMaximized || isFullScreen() || !s_resizeVideo)
        return;
    const QScreen* screen = windowHandle() ? windowHandle()->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QMargins frame = isVisible() ? frameMargins(this) : QMargins();
    setGeometry(PlaybackMath::playerPlacement(videoSize, minimumSize(), screen->availableGeometry(), frame));
}

void PlayerWidget::ResizeVideoWindow()
{
    if (!m_engine->isCreated())
        return;
    m_videoWidget->setGeometry(QRect(0, 0, width(), height() - m_playBtnWidget->height()));
    m_videoWidget->setVideoSize(m_engine->videoWidth(), m_engine->videoHeight());
}

void PlayerWidget::layoutFrame()
{
    const int W = width();
    const int H = height();
    m_btnClose->move(W - 28, 3);
    m_btnMax->move(W - 51, 3);
    m_btnMin->move(W - 74, 3);
    m_videoNameLab->move((W - m_videoNameLab->width()) / 2, 4);
    const int barHeight = m_playBtnWidget->height();
    m_playBtnWidget->setGeometry(2, H - barHeight - 1, W - 4, barHeight);
    m_messageLabel->setGeometry(40, 0, qMax(0, W - 80), qMax(0, H - barHeight - 1));
}

void PlayerWidget::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    layoutFrame();
    ResizeVideoWindow();
    if (m_moveCount == 4000)
        m_moveCount = 1;
    update();
}

void PlayerWidget::paintEvent(QPaintEvent*) { layoutFrame(); }

// ---- Full screen ------------------------------------------------------------

void PlayerWidget::enterFullScreen(bool setWindowState)
{
    if (setWindowState)
        showFullScreen();
    m_videoWidget->showFullScreen();
    m_playBtnWidget->setDialogWindow(true);
    m_playBtnWidget->hide();
    m_playBtnWidget->OnBtnFullScreen(true);
}

void PlayerWidget::leaveFullScreen(bool setWindowState)
{
    if (setWindowState)
        showNormal();
    m_videoWidget->showNormal();
    m_playBtnWidget->setDialogWindow(false);
    m_playBtnWidget->show();
    m_playBtnWidget->OnBtnFullScreen(false);
}

void PlayerWidget::OnBtnFullScreen()
{
    if (isFullScreen())
        leaveFullScreen(true);
    else
        enterFullScreen(true);
}

void PlayerWidget::repondFullScreen()
{
    if (m_videoWidget->isFullScreen())
        enterFullScreen(true);
    else
        leaveFullScreen(true);
}

void PlayerWidget::ShowPlayBtn(bool flag)
{
    // The surface sees no moves over the bar: keep the bar while the
    // pointer is on it, or it would vanish under the user's hand.
    if (!flag && m_playBtnWidget->underMouse())
        return;
    m_playBtnWidget->setVisible(flag);
}

void PlayerWidget::keyPressEvent(QKeyEvent* event)
{
    // Every key stops here, so Esc never closes the window.
    event->accept();
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        // What the bar's play/pause button does, as it shows it; nothing
        // while the file still opens.
        if (m_playState >= 1 && m_playState <= 4 && !m_loading)
            m_playBtnWidget->OnBtnPalyOrPause();
        return;
    }
    if (event->key() == Qt::Key_Escape && isFullScreen()) {
        OnBtnFullScreen();
        m_playBtnWidget->OnBtnFullScreen(false);
    }
}

void PlayerWidget::changeEvent(QEvent* event)
{
    if (event->type() != QEvent::WindowStateChange) {
        QDialog::changeEvent(event);
        return;
    }
    // Follow the state the window is in now, whoever changed it: the
    // surface and the bar go with the window.
    if (isFullScreen())
        enterFullScreen(false);
    else if (!isMinimized())
        leaveFullScreen(false);
}

// ---- Maximise, drag and edge resizing ---------------------------------------

void PlayerWidget::OnBtnMax()
{
    if (!m_bMaximized) {
        m_normalRect = geometry();
        setGeometry(0, 0, desktopWidth(), availableHeight());
    } else {
        setGeometry(m_normalRect);
    }
    ResizeVideoWindow();
    m_bMaximized = !m_bMaximized;
}

void PlayerWidget::mouseDoubleClickEvent(QMouseEvent*) { OnBtnMax(); }

void PlayerWidget::mousePressEvent(QMouseEvent* event)
{
    const QPoint cursor = event->globalPos();
    m_pressOffset = cursor - geometry().topLeft();
    if (event->button() == Qt::LeftButton)
        m_bLeftPressed = true;
}

void PlayerWidget::mouseReleaseEvent(QMouseEvent*) { m_bLeftPressed = false; }

void PlayerWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (isFullScreen())
        return;
    // Resizing follows the cursor only while the button is held, also
    // when the window is maximised.
    if (m_bLeftPressed && m_cursorState != 0) {
        setFrameGeomtry(event);
        return;
    }
    if (!m_bLeftPressed && !m_bMaximized)
        setCursorAndState(event);
    if (m_bLeftPressed && m_pressOffset.y() > 0 && !m_bMaximized)
        setGeometry(QRect(event->globalPos() - m_pressOffset, size()));
}

void PlayerWidget::setCursorAndState(QMouseEvent* event)
{
    const QPoint cursor = event->globalPos();
    m_cursorState = EdgeGrip::zoneAt(geometry(), cursor, kEdgeBand);
    setCursor(m_loading && m_cursorState == 0 ? Qt::WaitCursor : EdgeGrip::cursorFor(m_cursorState));
    m_edgeOffset = EdgeGrip::edgeOffset(geometry(), m_cursorState, cursor);
}

void PlayerWidget::setFrameGeomtry(QMouseEvent* event)
{
    if (m_moveCount++ % 2 == 1)
        return;
    if (m_cursorState < 1 || m_cursorState > 8) {
        qCDebug(lcPlayer) << "m_cursorState --------error!";
        return;
    }
    const QSize maximum(desktopWidth() - 4, availableHeight());
    setGeometry(EdgeGrip::dragged(geometry(), m_cursorState, event->globalPos(), m_edgeOffset, minimumSize(),
                                  maximum));
    ResizeVideoWindow();
    if (m_moveCount == 4000)
        m_moveCount = 1;
    update();
}
