// The editor's playback controls and trim actions: pause, the time and
// redraw ticks, seeking from the sliders, frame steps, play section, trim,
// sound, and which widgets each tool tab shows.
#include "QVideoEditDlg.h"

#include "EnginePlayer.h"
#include "LogCategories.h"
#include "QCropOperateDlg.h"
#include "QDualSlider.h"
#include "QIAppUtil.h"
#include "QSubtitleOperateDlg.h"
#include "QTrimOperatedlgDlg.h"
#include "QWatermarkOperateDlg.h"
#include "ShowMessage.h"
#include "VideoImageWindow.h"
#include "editing/TrimRange.h"
#include "qSliderCtrl.h"

#include <QAction>
#include <QTimer>

#include <algorithm>

// The trim track and the connections of the playback controls, the trim
// panel, the previews' mouse and the snapshot button and menu.
void QVideoEditDlg::InitTrimAndSnapshot()
{
    const QString res = QIAppUtil::getResourcePath() + "/image/VideoEditDlg/";
    const QRect place = m_TrimDSlider->geometry();
    m_TrimDSlider->setBottomImage(res + "TrimDSlider_rste.png");
    m_TrimDSlider->setTopImage(res + "play_trake_rate.png");
    m_TrimDSlider->setStartBtnImage(res + "btn_start_slider.png");
    m_TrimDSlider->setEndBtnImage(res + "btn_end_slider.png");
    m_TrimDSlider->setCircle(true);
    m_TrimDSlider->setCircleLenght(10);
    m_TrimDSlider->setGeometry(place.x(), place.y(), place.width(), m_TrimDSlider->height());
    if (m_editType != EditType_Trim)
        m_TrimDSlider->hide();

    connect(m_btnPause, &QPushButton::clicked, this, &QVideoEditDlg::OnBtnPause);
    connect(m_btnSoundOpen, &QPushButton::clicked, this, &QVideoEditDlg::OnBtnSoundOpen);
    connect(m_btnSoundClose, &QPushButton::clicked, this, &QVideoEditDlg::OnBtnSoundClose);
    connect(m_btnEdit, &QPushButton::clicked, this, &QVideoEditDlg::OnBtnEdit);
    connect(m_soundSlider, &qSliderCtrl::sendProgressValue, this, &QVideoEditDlg::SoundValueChange);
    connect(m_playSlider, &qSliderCtrl::sendProgressValue, this, &QVideoEditDlg::PlayProValueChange);
    connect(m_timeTimer, &QTimer::timeout, this, &QVideoEditDlg::UpdateTime);
    connect(m_engine, &EnginePlayer::position, this, &QVideoEditDlg::showTick);
    connect(m_engine, &EnginePlayer::ended, this, [this] {
        qCDebug(lcEditor) << "paly__finish---";
        stopAtEnd();
    });
    connect(m_screenTimer, &QTimer::timeout, this, &QVideoEditDlg::UpdataScreen);
    connect(m_videoPreviewWidget, &VideoImageWindow::emitMouseMove, this, &QVideoEditDlg::mouseMoveFormVideo);
    connect(m_videoPreviewWidget, &VideoImageWindow::emitMouseDown, this, &QVideoEditDlg::mouseDownFormVideo);
    connect(m_videoPreviewWidget, &VideoImageWindow::emitMouseUp, this, &QVideoEditDlg::mouseUpFormVideo);
    connect(m_videoOrignalWidget, &VideoImageWindow::emitMouseMove, this, &QVideoEditDlg::mouseCropMoveVideo);
    connect(m_videoOrignalWidget, &VideoImageWindow::emitMouseDown, this, &QVideoEditDlg::mouseCropDownVideo);
    connect(m_videoOrignalWidget, &VideoImageWindow::emitMouseUp, this, &QVideoEditDlg::mouseCropUpVideo);
    connect(m_trimPanel, &QTrimOperatedlgDlg::OnPreviousBtn, this, &QVideoEditDlg::OnPreviousStep);
    connect(m_trimPanel, &QTrimOperatedlgDlg::OnNextBtn, this, &QVideoEditDlg::OnNextStep);
    connect(m_trimPanel, &QTrimOperatedlgDlg::OnPlayBtn, this, &QVideoEditDlg::PlaySection);
    connect(m_trimPanel, &QTrimOperatedlgDlg::OnTrimBtn, this, &QVideoEditDlg::OnTrimVideo);
    connect(m_trimPanel, &QTrimOperatedlgDlg::OnResetTrim, this, &QVideoEditDlg::ResetTrimTime);
    connect(m_TrimDSlider, &QDualSlider::sendProgressValue, this, &QVideoEditDlg::setTrimStartValue);
    connect(m_TrimDSlider, &QDualSlider::sendEndProgressValue, this, &QVideoEditDlg::setTrimEndValue);
    connect(m_btnSnapshot, &QPushButton::clicked, this, &QVideoEditDlg::OnScreenshots);
    connect(m_btnSnapshotMenu, &QPushButton::clicked, this, &QVideoEditDlg::OnShowMenu);
    connect(m_openFolderAction, &QAction::triggered, this, &QVideoEditDlg::OpenImgPath);
    connect(m_settingsAction, &QAction::triggered, this, &QVideoEditDlg::ShowPathSettingDlg);
}

uint64_t QVideoEditDlg::getPlayLen()
{
    if (!m_engine->isCreated() && m_state.trimEnd() == 0)
        return 0;
    return TrimRange::span(m_state.trimStart(), m_state.trimEnd(),
                           m_engine->isCreated() ? m_engine->duration() : 0);
}

void QVideoEditDlg::OnBtnPause()
{
    if (!m_engine->isCreated())
        return;
    if (!m_engine->pause()) {
        qCDebug(lcEditor) << "error :---------Pause Fail--------";
        return;
    }
    m_screenTimer->start(50);
    m_timeTimer->stop();
    m_btnPlay->show();
    m_btnPause->hide();
}

void QVideoEditDlg::stopAtEnd()
{
    m_engine->stop();
    m_timeTimer->stop();
    m_btnPlay->show();
    m_btnPause->hide();
    ShowTime(0);
    m_screenTimer->start(50);
    m_playSlider->setValue(0);
}

void QVideoEditDlg::UpdateTime()
{
    if (!m_engine->isCreated())
        return;
    if (m_state.trimEnd() != 0 && m_engine->playTime() > m_state.trimEnd()) {
        stopAtEnd();
        return;
    }
    // The answer comes back as the end (stopAtEnd()) or showTick().
    m_engine->poll();
}

void QVideoEditDlg::showTick(uint64_t time)
{
    const auto tick = TrimRange::tick(time, m_state.trimStart(), m_state.trimEnd(), m_engine->duration());
    if (!tick)
        return;
    if (tick->hasPercent)
        m_playSlider->setValue(float(tick->percent));
    ShowTime(tick->relMs);
}

void QVideoEditDlg::UpdataScreen()
{
    if (m_engine->isCreated() && m_engine->hasVideo() && !m_engine->isCompleted())
        m_engine->showFrame();
}

void QVideoEditDlg::PlayProValueChange(double x)
{
    if (!m_engine->isCreated())
        return;
    const uint64_t span = getPlayLen();
    m_engine->seek(TrimRange::seekTarget(m_state.trimStart(), span, x));
    ShowTime(uint64_t(x * double(span) / 1000));
}

void QVideoEditDlg::seekToTrimHandle(double x)
{
    if (!m_engine->isCreated())
        return;
    const uint64_t span = getPlayLen();
    m_engine->seek(TrimRange::seekTarget(m_state.trimStart(), span, x));
    m_playSlider->setValue(float(100 * x));
    ShowTime(uint64_t(x * double(span) / 1000));
}

void QVideoEditDlg::setTrimStartValue(double x) { seekToTrimHandle(x); }

void QVideoEditDlg::setTrimEndValue(double x) { seekToTrimHandle(x); }

void QVideoEditDlg::frameStep(int direction)
{
    if (!m_engine->isCreated())
        return;
    OnBtnPause();
    const int p = int(m_playSlider->getValue() + 0.5);
    const float s = m_TrimDSlider->getStartValue();
    const float e = m_TrimDSlider->getEndValue();
    const bool onStart = m_TrimDSlider->GetFocusInStartBtn();
    // With the handles together the focused one cannot step past the other.
    if (s == e && ((direction < 0 && !onStart) || (direction > 0 && onStart)))
        return;
    const float f = onStart ? s : e;
    const uint64_t span = getPlayLen();
    if (int(f * 100 + 0.5f) != p)
        m_engine->seek(TrimRange::seekTargetSingle(m_state.trimStart(), span, f));
    m_engine->frameStep(direction);
    uint64_t t = m_engine->playTime();
    qCDebug(lcEditor) << (direction < 0 ? "OnPreviousStep()------" : "OnNextStep()------") << t;
    if (t == 0 || span == 0)
        return;
    // A step never leaves the trim range: one frame before its start goes
    // back to the start, past its end back to the end.
    const uint64_t last = m_state.trimStart() + span;
    if (t < m_state.trimStart() || t > last) {
        t = t < m_state.trimStart() ? m_state.trimStart() : last;
        m_engine->seek(t);
    }
    const uint64_t r = t - m_state.trimStart();
    const double percent = double(r) * 100.0 / double(span);
    m_playSlider->setValue(float(percent));
    if (m_TrimDSlider->GetFocusInStartBtn())
        m_TrimDSlider->setStartValue(float(percent));
    else
        m_TrimDSlider->setEndValue(float(percent));
    ShowTime(r / 1000);
}

void QVideoEditDlg::OnPreviousStep() { frameStep(-1); }

void QVideoEditDlg::OnNextStep() { frameStep(+1); }

void QVideoEditDlg::PlaySection()
{
    if (m_engine->isCreated())
        m_engine->seek(
            TrimRange::seekTargetSingle(m_state.trimStart(), getPlayLen(), m_TrimDSlider->getStartValue()));
    OnBtnPlay();
}

void QVideoEditDlg::OnTrimVideo()
{
    const uint64_t d = m_engine->duration();
    if (d == 0)
        return;
    const auto range = TrimRange::apply(m_state.trimStart(), m_state.trimEnd(), d,
                                        m_TrimDSlider->getStartValue(), m_TrimDSlider->getEndValue());
    if (!range) {
        ShowMessage(tr("Trim too short"), QString());
        return;
    }
    qCDebug(lcEditor) << "trim start" << m_state.trimStart() << "->" << range->start;
    qCDebug(lcEditor) << "trim end" << m_state.trimEnd() << "->" << range->end;
    OnBtnStop();
    m_state.changeTrim(range->start, range->end);
    TrimChangeSetting();
}

void QVideoEditDlg::ResetTrimTime()
{
    // The whole clip again, wherever the handles stand: no trim end.
    OnBtnStop();
    m_state.changeTrim(0, 0);
    TrimChangeSetting();
}

void QVideoEditDlg::OnBtnSoundOpen()
{
    m_btnSoundOpen->hide();
    m_btnSoundClose->show();
    const float v = m_soundSlider->getValue();
    m_volume = v == 0.0f ? 100.0f : v;
    qCDebug(lcEditor) << "volume kept" << m_volume;
    m_soundSlider->setValue(0);
    if (m_engine->isCreated())
        m_engine->setVolume(0);
}

void QVideoEditDlg::OnBtnSoundClose()
{
    m_btnSoundOpen->show();
    m_btnSoundClose->hide();
    if (m_volume == 0.0f)
        m_volume = 100.0f;
    qCDebug(lcEditor) << "volume back" << m_volume;
    m_soundSlider->setValue(m_volume);
    if (m_engine->isCreated())
        m_engine->setVolume(int(m_volume));
}

void QVideoEditDlg::SoundValueChange(double x)
{
    m_volume = float(100 * x);
    m_btnSoundOpen->setVisible(x > 0);
    m_btnSoundClose->setVisible(!(x > 0));
    if (m_engine->isCreated())
        m_engine->setVolume(int(m_volume));
}

void QVideoEditDlg::setPreviewDlg(bool preview)
{
    m_previewMode = preview;
    for (QWidget* w : {static_cast<QWidget*>(m_trimPanel), static_cast<QWidget*>(m_cropPanel),
                       static_cast<QWidget*>(m_watermarkPanel), static_cast<QWidget*>(m_subtitlePanel),
                       static_cast<QWidget*>(m_TrimDSlider), static_cast<QWidget*>(m_btnTrim),
                       static_cast<QWidget*>(m_btnCrop), static_cast<QWidget*>(m_btnWatermark),
                       static_cast<QWidget*>(m_btnSubtitle), static_cast<QWidget*>(m_btnOk),
                       static_cast<QWidget*>(m_btnCancel)})
        w->setVisible(!preview);
    m_btnEffect->hide();
    m_btnEdit->setVisible(preview);
    m_labName->setVisible(preview);
    if (preview) {
        setEditType(EditType_Crop);
        m_cropPanel->hide();
        m_cropBorder = false;
        m_engine->setCropBorder(false);
    } else {
        selectTab(m_btnTrim, EditType_Trim);
        IsNoVideoSet();
    }
}

void QVideoEditDlg::OnBtnEdit() { setPreviewDlg(false); }

void QVideoEditDlg::setTypeCtrlShow(bool show)
{
    for (QWidget* w : {static_cast<QWidget*>(m_trimPanel), static_cast<QWidget*>(m_cropPanel),
                       static_cast<QWidget*>(m_watermarkPanel), static_cast<QWidget*>(m_subtitlePanel),
                       static_cast<QWidget*>(m_TrimDSlider)})
        w->setVisible(show);
}

void QVideoEditDlg::setTypeBtnShow(bool show)
{
    for (QWidget* w : {m_btnTrim, m_btnCrop, m_btnWatermark, m_btnSubtitle})
        w->setVisible(show);
    m_btnEffect->hide();
}

void QVideoEditDlg::setCropVeiwDlg(bool on)
{
    if (on) {
        m_videoOrignalWidget->setGeometry(10, 80, 385, 255);
        m_videoPreviewWidget->setGeometry(405, 80, 385, 255);
        m_videoOrignalWidget->show();
        m_labOriginal->show();
        m_labOutput->show();
    } else {
        m_labOriginal->hide();
        m_labOutput->hide();
        m_videoOrignalWidget->hide();
        m_videoPreviewWidget->setGeometry(140, 80, 520, 255);
    }
    ResizeVideoWindow();
}

void QVideoEditDlg::OnInitpreviewTime(uint64_t, uint64_t) {}

void QVideoEditDlg::OnClose() {}

void QVideoEditDlg::OnClickeAspectRadio() { radRatioTypeChange(); }
