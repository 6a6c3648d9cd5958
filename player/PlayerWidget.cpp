#include "PlayerWidget.h"

#include "FormFonts.h"
#include "LogCategories.h"
#include "PlayBtnWidget.h"
#include "PlayListWidget.h"
#include "PlaybackMath.h"
#include "QIAppUtil.h"
#include "VideoImageWindow.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

bool PlayerWidget::s_hasInstall = false;
PlayerWidget* PlayerWidget::s_playerWidget = nullptr;
bool PlayerWidget::s_resizeVideo = true;

namespace {

constexpr int kTimeTickMs = 500;
constexpr int kRedrawTickMs = 50;
constexpr int kPlaylistWidth = 230;
constexpr int kBarHeight = 50;

// Width of the virtual desktop and height of the primary screen's
// available area: the bounds the window sizes itself within.
int desktopWidth() { return QGuiApplication::primaryScreen()->virtualGeometry().width(); }

int availableHeight() { return QGuiApplication::primaryScreen()->availableGeometry().height(); }

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
    const QString res = QIAppUtil::getResourcePath();
    m_labWinIcon->setPixmap(QPixmap(res + QStringLiteral("/exp_image/LOGO_16.png")));
    setWindowIcon(QIcon(res + QStringLiteral("/image/IPAD_128.png")));
    Init();
    InitBtn();
    InitConnect();
    m_playListWidget->setVisible(false);
}

PlayerWidget::~PlayerWidget()
{
    delete m_timeTimer;
    delete m_screenTimer;
    if (m_player) {
        Player_Close(m_player);
        Player_Release(m_player);
    }
}

void PlayerWidget::Init()
{
    m_player = Player_Create(27);
    Player_SetAudioVolume(m_player, m_volume);
    m_playBtnWidget->setVolume(m_volume);
    m_timeTimer = new QTimer(this);
    m_screenTimer = new QTimer(this);
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
    connect(m_screenTimer, &QTimer::timeout, this, &PlayerWidget::UpdataScreen);
}

void PlayerWidget::StartPlayVideo(QString path) { m_playListWidget->AddOneVideo(path); }

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
    m_screenTimer->start(kRedrawTickMs);
    m_timeTimer->stop();
}

void PlayerWidget::PlayVideoFile(QString fileName)
{
    if (!m_player)
        return;
    if (!Player_IsCompleted(m_player))
        Player_Stop(m_player);
    m_playBtnWidget->setProcessEnabledChange(true);
    setWindowTitle(fileName.mid(fileName.lastIndexOf(QLatin1Char('/')) + 1));
    const QByteArray utf8 = fileName.toUtf8();
    if (!Player_Open(m_player, utf8.constData())) {
        m_playState = 5;
        qCDebug(lcPlayer) << "error :---------OPen file Fail--------";
        resetAfterPlay(4, false);
        return;
    }
    const bool hasVideo = Player_HasVideo(m_player) != 0;
    m_videoWidget->setHidden(!hasVideo);
    m_playBtnWidget->setBtnScreenEnable(hasVideo);
    m_curFilePath = fileName;
    if (m_bMaximized)
        s_resizeVideo = false;
    else if (s_resizeVideo)
        ResizeWIndow();
    if (!m_videoWidget->isFullScreen())
        ResizeVideoWindow();
    Player_SetVideoFrameHandle(m_player, VideoImageWindow::VideoFrameLoops, m_videoWidget);
    Player_EnableVideoCropBorder(m_player, 0);
    if (!Player_Play(m_player)) {
        m_playState = 5;
        qCDebug(lcPlayer) << "error :---------Play Fail--------";
        return;
    }
    Player_SetAudioVolume(m_player, m_bMute ? 0 : m_volume);
    m_playBtnWidget->VideoBeginPlay(true);
    startPlaying();
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
    if (!m_player)
        return;
    const bool hasVideo = Player_HasVideo(m_player) != 0;
    if (!hasVideo && !Player_HasAudio(m_player)) {
        m_playBtnWidget->VideoFinished();
        return;
    }
    if (Player_IsCompleted(m_player))
        Player_Stop(m_player);
    if (!Player_Play(m_player)) {
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
    if (!m_player)
        return;
    if (!Player_Pause(m_player)) {
        qCDebug(lcPlayer) << "error :---------Pause Fail--------";
        return;
    }
    startPaused();
}

void PlayerWidget::VideoWidgetPress()
{
    if (!m_player)
        return;
    if (m_playState == 1) {
        if (!Player_Pause(m_player)) {
            qCDebug(lcPlayer) << "error :---------Pause Fail--------";
            return;
        }
        startPaused();
        m_playBtnWidget->VideoBeginPlay(false);
        return;
    }
    if (!Player_Play(m_player)) {
        m_playState = 5;
        qCDebug(lcPlayer) << "error :---------Play Fail--------";
        return;
    }
    startPlaying();
    m_playBtnWidget->VideoBeginPlay(true);
}

void PlayerWidget::OnBtnStop()
{
    if (!m_player)
        return;
    if (!Player_HasVideo(m_player) && !Player_HasAudio(m_player))
        return;
    if (Player_IsCompleted(m_player))
        return;
    if (!Player_Stop(m_player)) {
        qCDebug(lcPlayer) << "error :---------Stop Fail--------";
        return;
    }
    resetAfterPlay(4, true);
}

void PlayerWidget::OnBtnBack()
{
    if (!m_player || (m_playState != 1 && m_playState != 2))
        return;
    Player_Seek(m_player, playback::backTarget(Player_GetPlayTime(m_player)));
}

void PlayerWidget::OnBtnFast()
{
    if (!m_player || (m_playState != 1 && m_playState != 2))
        return;
    const uint64_t time = Player_GetPlayTime(m_player);
    Player_Seek(m_player, playback::fastTarget(time, Player_GetDuration(m_player)));
}

void PlayerWidget::ProgressValueChange(double fraction)
{
    if (!m_player)
        return;
    Player_Seek(m_player, playback::fractionTarget(fraction, Player_GetDuration(m_player)));
}

void PlayerWidget::VolumeValueChange(double fraction)
{
    m_volume = int(fraction * 100);
    if (!m_playBtnWidget->IsMute() && m_player)
        Player_SetAudioVolume(m_player, m_volume);
}

void PlayerWidget::OnBtnVolume(bool flag)
{
    if (!m_player)
        return;
    m_bMute = flag;
    const int volume = flag ? 0 : m_volume;
    Player_SetAudioVolume(m_player, volume);
    m_playBtnWidget->setVolume(volume);
}

void PlayerWidget::UpdateTime()
{
    if (!m_player)
        return;
    if (Player_IsCompleted(m_player)) {
        m_playState = 3;
        qCDebug(lcPlayer) << "paly__finish---";
        resetAfterPlay(3, true);
        return;
    }
    const uint64_t duration = Player_GetDuration(m_player);
    const uint64_t time = Player_GetPlayTime(m_player);
    if (time < 1000)
        return;
    m_playBtnWidget->setProcessValue(playback::progressFraction(time, duration));
    m_playBtnWidget->setTimeLabel(playback::timeLabelText(time, duration));
}

void PlayerWidget::UpdataScreen()
{
    if (m_player && Player_HasVideo(m_player) && !Player_IsCompleted(m_player))
        Player_ShowVideoFrame(m_player);
}

void PlayerWidget::DeleteVideo()
{
    OnBtnStop();
    if (m_player)
        Player_Close(m_player);
}

void PlayerWidget::closeEvent(QCloseEvent* event)
{
    QDialog::closeEvent(event);
    OnBtnStop();
    Player_Close(m_player);
    hide();
}

void PlayerWidget::OnBtnClose()
{
    OnBtnStop();
    Player_Close(m_player);
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
    if (!m_player)
        return;
    // Unsigned as the bounds are: a desktop smaller than the margins leaves
    // the size uncapped rather than negative.
    const unsigned videoW = unsigned(Player_GetVideoWidth(m_player));
    const unsigned videoH = unsigned(Player_GetVideoHeight(m_player));
    const unsigned D = unsigned(desktopWidth());
    const unsigned A = unsigned(availableHeight());
    unsigned w = videoW + kPlaylistWidth + 2;
    if (w > D - 304)
        w = D - 304;
    unsigned h = videoH + 84;
    if (h > A - 200)
        h = A - 200;
    const unsigned x = (D - w) >> 1;
    const unsigned y = (A - h) >> 1;
    setGeometry(int(x), int(y), int(w), int(h));
}

void PlayerWidget::ResizeVideoWindow()
{
    if (!m_player)
        return;
    m_videoWidget->setGeometry(QRect(0, 0, width(), height() - m_playBtnWidget->height()));
    m_videoWidget->setVideoSize(Player_GetVideoWidth(m_player), Player_GetVideoHeight(m_player));
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
    if (event->key() == Qt::Key_Escape && isFullScreen()) {
        OnBtnFullScreen();
        m_playBtnWidget->OnBtnFullScreen(false);
    }
}

void PlayerWidget::changeEvent(QEvent* event)
{
    qCDebug(lcPlayer) << "ffffff---" << event->type() << (m_bLeftPressed ? "true" : "false");
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
    const QRect g = geometry();
    const int L = g.left(), T = g.top(), R = g.right(), B = g.bottom();
    const int x = event->globalPos().x(), y = event->globalPos().y();
    const bool atLeft = L <= x && x <= L + 2;
    const bool atRight = R - 2 <= x && x <= R;
    const bool midX = L + 2 < x && x < R - 2;
    const bool atTop = T <= y && y <= T + 2;
    const bool atBottom = B - 2 <= y && y <= B;
    const bool midY = T + 2 < y && y < B - 4;

    struct Zone
    {
        bool hit;
        int state;
        Qt::CursorShape cursor;
    };
    const Zone zones[] = {
        // clang-format off
        {atLeft && midY, 1, Qt::SizeHorCursor},    {atLeft && atTop, 2, Qt::SizeFDiagCursor},
        {midX && atTop, 3, Qt::SizeVerCursor},     {atRight && atTop, 4, Qt::SizeBDiagCursor},
        {atRight && midY, 5, Qt::SizeHorCursor},   {atRight && atBottom, 6, Qt::SizeFDiagCursor},
        {midX && atBottom, 7, Qt::SizeVerCursor},  {atLeft && atBottom, 8, Qt::SizeBDiagCursor},
        // clang-format on
    };
    m_cursorState = 0;
    Qt::CursorShape shape = Qt::ArrowCursor;
    for (const Zone& zone : zones) {
        if (zone.hit) {
            m_cursorState = zone.state;
            shape = zone.cursor;
            break;
        }
    }
    setCursor(shape);
    const bool leftEdge = m_cursorState == 1 || m_cursorState == 2 || m_cursorState == 8;
    const bool topEdge = m_cursorState >= 2 && m_cursorState <= 4;
    m_edgeOffset = QPoint(x - (leftEdge ? L : R), y - (topEdge ? T : B));
}

void PlayerWidget::setFrameGeomtry(QMouseEvent* event)
{
    if (m_moveCount++ % 2 == 1)
        return;
    if (m_cursorState < 1 || m_cursorState > 8) {
        qCDebug(lcPlayer) << "m_cursorState --------error!";
        return;
    }
    const QPoint cursor = event->globalPos() - m_edgeOffset;
    const QRect current = geometry();
    QRect next = current;
    switch (m_cursorState) {
    case 1:
    case 2:
    case 8:
        next.setLeft(cursor.x());
        break;
    case 4:
    case 5:
    case 6:
        next.setRight(cursor.x());
        break;
    default:
        break;
    }
    switch (m_cursorState) {
    case 2:
    case 3:
    case 4:
        next.setTop(cursor.y());
        break;
    case 6:
    case 7:
    case 8:
        next.setBottom(cursor.y());
        break;
    default:
        break;
    }
    QRect result = current;
    const int widthSpan = next.right() - next.left();
    if (widthSpan > minimumWidth() && widthSpan < desktopWidth() - 4) {
        result.setLeft(next.left());
        result.setRight(next.right());
    }
    const int heightSpan = next.bottom() - next.top();
    if (heightSpan > minimumHeight() && heightSpan < availableHeight()) {
        result.setTop(next.top());
        result.setBottom(next.bottom());
    }
    setGeometry(result);
    ResizeVideoWindow();
    if (m_moveCount == 4000)
        m_moveCount = 1;
    update();
}
