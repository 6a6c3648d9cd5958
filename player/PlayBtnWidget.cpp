#include "PlayBtnWidget.h"

#include "QIAppUtil.h"
#include "SanpSsetDialog.h"

#include <QAction>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPixmap>

namespace {

const char* const kHiddenTime = "00:00:00 / 00:00:00";

QString playerImage(const char* name)
{
    return QIAppUtil::getResourcePath() + QStringLiteral("/image/PlayerImage/") + QLatin1String(name);
}

void setupBar(qSliderCtrl* slider)
{
    slider->setBottomImage(playerImage("line.png"));
    slider->setTopImage(playerImage("line1.png"));
    slider->setCircle(true);
    slider->setCircleLenght(3);
}

} // namespace

PlayBtnWidget::PlayBtnWidget(QWidget* parent)
    : QWidget(parent)
{
    setupUi(this);
    setMouseTracking(true);
    setLayout(mainLayout);

    const struct
    {
        QImageButton* button;
        const char* image;
    } images[] = {
        {m_btnBack, "PLAY_BTN_Deceleration.png"},
        {m_btnFast, "PLAY_BTN_Aceleration.png"},
        {m_btnStop, "Play_Stop_btn.png"},
        {m_btnPreVideo, "Play_previous_btn.png"},
        {m_btnPlay, "Play_pase_PLAY_btn.png"},
        {m_btnPause, "Play_pase_btn.png"},
        {m_btnNextVideo, "Play_next_btn.png"},
        {m_btnVolume, "Play_mute_on_btn.png"},
        {m_btnMute, "Play_mute_btn.png"},
        {m_btnSnapSetting, "Burst_shooting.png"},
        {m_btnOpenFloder, "Play_btn_Open_files.png"},
        {m_btnSnapshoot, "Play_btn_Snapshot.png"},
        {m_btnFullScreen, "Play_btn_Full_Screen1.png"},
        {m_btnCloseList, "Play_btn_playlist.png"},
        {m_btnOpenList, "Play_btn_playlist1.png"},
        {m_btnNormalScreen, "play_btn_Exit_Full_Screen.png"},
    };
    for (const auto& entry : images)
        entry.button->setBtnImage(playerImage(entry.image));

    setupBar(m_videoProSlider);
    m_videoProSlider->setEnabledPull(false);
    setupBar(m_volumeSlider);
    m_volumeSlider->resize(100, 10);

    QFont timeFont(QStringLiteral("Tahoma"));
    timeFont.setPointSize(10);
    m_timeLabel->setFont(timeFont);
    QPalette timePalette = m_timeLabel->palette();
    timePalette.setColor(QPalette::Active, QPalette::WindowText, QColor(208, 246, 255));
    timePalette.setColor(QPalette::Inactive, QPalette::WindowText, QColor(208, 246, 255));
    timePalette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(118, 116, 108));
    m_timeLabel->setPalette(timePalette);
    m_btnPlay->setMouseTracking(true);
    m_btnPause->setMouseTracking(true);

    m_bottomPixmap = new QPixmap(playerImage("bottom.PNG"));
    for (QWidget* w : {static_cast<QWidget*>(m_btnNormalScreen), static_cast<QWidget*>(m_btnCloseList),
                       static_cast<QWidget*>(m_btnPause), static_cast<QWidget*>(m_btnMute),
                       static_cast<QWidget*>(m_btnOpenList), static_cast<QWidget*>(m_btnSnapshoot),
                       static_cast<QWidget*>(m_btnSnapSetting), static_cast<QWidget*>(m_btnOpenFloder)})
        w->hide();

    m_menu = new QMenu(this);
    m_actOpenFolder = new QAction(tr("Open Floder"), this);
    m_actSetting = new QAction(tr("Settings"), this);
    m_menu->addAction(m_actOpenFolder);
    m_menu->addAction(m_actSetting);
    connect(m_actOpenFolder, &QAction::triggered, this, &PlayBtnWidget::OnActOpenFolder);
    connect(m_actSetting, &QAction::triggered, this, &PlayBtnWidget::OnActSetting);

    // The previous and next buttons seek like back and fast.
    connect(m_btnBack, &QPushButton::clicked, this, &PlayBtnWidget::emitBtnBack);
    connect(m_btnPreVideo, &QPushButton::clicked, this, &PlayBtnWidget::emitBtnBack);
    connect(m_btnFast, &QPushButton::clicked, this, &PlayBtnWidget::emitBtnFast);
    connect(m_btnNextVideo, &QPushButton::clicked, this, &PlayBtnWidget::emitBtnFast);
    connect(m_btnStop, &QPushButton::clicked, this, &PlayBtnWidget::emitBtnStop);
    connect(m_btnPlay, &QPushButton::clicked, this, &PlayBtnWidget::OnBtnPalyOrPause);
    connect(m_btnPause, &QPushButton::clicked, this, &PlayBtnWidget::OnBtnPalyOrPause);
    connect(m_btnVolume, &QPushButton::clicked, this, &PlayBtnWidget::OnBtnMute);
    connect(m_btnMute, &QPushButton::clicked, this, &PlayBtnWidget::OnBtnMute);
    connect(m_btnSnapSetting, &QPushButton::clicked, this, &PlayBtnWidget::OnBtnSnapSetting);
    connect(m_btnOpenFloder, &QPushButton::clicked, this, &PlayBtnWidget::emitBtnOpenFloder);
    connect(m_btnSnapshoot, &QPushButton::clicked, this, &PlayBtnWidget::emitBtnSnapshoot);
    connect(m_btnFullScreen, &QPushButton::clicked, this, &PlayBtnWidget::emitBtnFullScreen);
    connect(m_btnNormalScreen, &QPushButton::clicked, this, &PlayBtnWidget::emitBtnFullScreen);
    connect(m_btnCloseList, &QPushButton::clicked, this, &PlayBtnWidget::OnListSet);
    connect(m_btnOpenList, &QPushButton::clicked, this, &PlayBtnWidget::OnListSet);
    connect(m_videoProSlider, &qSliderCtrl::sendProgressValue, this, &PlayBtnWidget::sendProgressValue);
    connect(m_volumeSlider, &qSliderCtrl::sendProgressValue, this, &PlayBtnWidget::sendVolumeValue);
}

PlayBtnWidget::~PlayBtnWidget()
{
    delete m_menu;
    delete m_actOpenFolder;
    delete m_actSetting;
    delete m_snapSetDlg;
    delete m_bottomPixmap;
}

void PlayBtnWidget::setTimeLabel(QString text) { m_timeLabel->setText(text); }

bool PlayBtnWidget::IsMute() const { return m_btnVolume->isHidden(); }

void PlayBtnWidget::setVolume(double value) { m_volumeSlider->setValue(float(value)); }

void PlayBtnWidget::setProcessValue(double fraction)
{
    m_videoProSlider->setValue(float(100.0 * fraction));
    if (fraction > 0.0001) {
        m_timeLabel->show();
    } else {
        m_timeLabel->hide();
        m_timeLabel->setText(QLatin1String(kHiddenTime));
    }
}

void PlayBtnWidget::VideoFinished()
{
    m_btnPause->hide();
    m_btnPlay->show();
    m_timeLabel->setText(QLatin1String(kHiddenTime));
    m_timeLabel->hide();
}

void PlayBtnWidget::VideoBeginPlay(bool playing)
{
    m_btnPause->setVisible(playing);
    m_btnPlay->setVisible(!playing);
}

void PlayBtnWidget::setProcessEnabledChange(bool enabled) { m_videoProSlider->setEnabledPull(enabled); }

void PlayBtnWidget::setDialogWindow(bool fullScreen)
{
#ifdef Q_OS_MACOS
    setWindowFlags(fullScreen ? Qt::FramelessWindowHint : Qt::WindowFlags());
#else
    // Changing the flags would give the bar a native window of its own,
    // which is not drawn over the OpenGL picture; it stays a plain child
    // and is hidden the way a flag change hides it.
    hide();
#endif
    m_bFullScreenMode = fullScreen;
}

void PlayBtnWidget::setBtnScreenEnable(bool enabled)
{
    m_btnFullScreen->setEnabled(enabled);
    m_btnNormalScreen->setEnabled(enabled);
}

void PlayBtnWidget::OnBtnFullScreen(bool isFull)
{
    if (!m_btnFullScreen->isEnabled())
        return;
    m_btnFullScreen->setVisible(!isFull);
    m_btnNormalScreen->setVisible(isFull);
}

void PlayBtnWidget::setHiddenAbout(bool hidden)
{
    for (QWidget* w : {static_cast<QWidget*>(m_videoProSlider), static_cast<QWidget*>(m_timeLabel),
                       static_cast<QWidget*>(m_btnFast), static_cast<QWidget*>(m_btnBack)})
        w->setHidden(hidden);
    m_videoProSlider->setValue(0);
    m_timeLabel->setText(QStringLiteral("00:00 / 00:00"));
    m_btnPlay->setVisible(hidden);
    m_btnPause->setVisible(!hidden);
}

bool PlayBtnWidget::getBtnPalyHide() const { return m_btnPlay->isHidden(); }

void PlayBtnWidget::OnBtnPalyOrPause()
{
    if (m_btnPause->isHidden()) {
        m_btnPause->show();
        m_btnPlay->hide();
        emit emitBtnPlay();
    } else {
        m_btnPause->hide();
        m_btnPlay->show();
        emit emitBtnPause();
    }
}

void PlayBtnWidget::OnBtnMute()
{
    m_btnMute->setVisible(m_btnMute->isHidden());
    m_btnVolume->setVisible(m_btnVolume->isHidden());
    emit emitBtnVolume(m_btnVolume->isHidden());
}

void PlayBtnWidget::OnListSet()
{
    if (m_bFullScreenMode)
        return;
    m_btnOpenList->setVisible(m_btnOpenList->isHidden());
    m_btnCloseList->setVisible(m_btnCloseList->isHidden());
    emit emitBtnListset();
}

void PlayBtnWidget::OnBtnSnapSetting() { m_menu->popup(QCursor::pos()); }

void PlayBtnWidget::OnActOpenFolder() {}

void PlayBtnWidget::OnActSetting()
{
    if (!m_snapSetDlg)
        m_snapSetDlg = new SanpSsetDialog(this);
    m_snapSetDlg->show();
}

void PlayBtnWidget::keyPressEvent(QKeyEvent* event)
{
    event->accept();
    if (event->key() == Qt::Key_Escape && m_btnFullScreen->isHidden())
        emit emitBtnFullScreen();
}

void PlayBtnWidget::enterEvent(QEvent*) { setCursor(Qt::ArrowCursor); }

void PlayBtnWidget::paintEvent(QPaintEvent*)
{
    const int W = width();
    m_btnCloseList->move(W - 70, 23);
    m_btnOpenList->move(W - 70, 23);
    m_btnFullScreen->move(W - 30, 23);
    m_btnNormalScreen->move(W - 30, 23);
    m_btnOpenFloder->move(W - 150, 23);
    m_btnSnapSetting->move(W - 194, 19);
    m_btnSnapshoot->move(W - 221, 19);
    const QImageButton* volume = m_btnVolume->isHidden() ? m_btnMute : m_btnVolume;
    m_volumeSlider->move(volume->geometry().right() + 9, 30);
    m_timeLabel->move(17, 14);
    QPainter painter(this);
    painter.drawPixmap(rect(), *m_bottomPixmap);
}
