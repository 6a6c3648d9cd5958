// The editor window: loading a clip, its programs and streams, the time
// label, play and stop, the trim range and the stream choice.
#include "QVideoEditDlg.h"

#include "EnginePlayer.h"
#include "LogCategories.h"
#include "QDualSlider.h"
#include "QIAppUtil.h"
#include "QImageButton.h"
#include "QSubtitleOperateDlg.h"
#include "VideoImageWindow.h"
#include "editing/TrimRange.h"

#include <QApplication>
#include <QFileInfo>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <memory>

namespace {

QString utf8(const char* text) { return text ? QString::fromUtf8(text) : QString(); }

// "A1(title)[lang]": prefix with the 1-based number, the title in
// parentheses, the language in brackets when there is one.
QString streamEntry(const char* prefix, int number, const QString& title, const QString& language)
{
    QString entry = QString::fromLatin1(prefix).arg(number) + title + QLatin1Char(')');
    if (!language.isEmpty())
        entry += QStringLiteral("[%1]").arg(language);
    return entry;
}

} // namespace

bool QVideoEditDlg::SetVideoFile(QString path, unsigned width, unsigned height)
{
    if (!m_engine->isCreated())
        return false;
    if (!m_engine->isCompleted())
        m_engine->stop();
    m_playSlider->setEnabledPull(true);
    if (!m_engine->open(path, width, height)) {
        showOpenFailed();
        return false;
    }
    clipOpened(path, std::nullopt);
    return true;
}

bool QVideoEditDlg::OpenVideoFile(QString path, unsigned width, unsigned height)
{
    if (!m_engine->isCreated())
        return false;
    m_engine->close();
    m_playSlider->setEnabledPull(true);
    // The player's file and the clip's facts are read on workers while this
    // thread goes on serving the program's other windows, with the wait
    // cursor and no input. The previews get their pictures once the editor
    // shows (showEvent): the first one, with the task's subtitles and
    // watermarks, is made by the engine's own thread as playback starts.
    bool opened = false;
    bool playerDone = false;
    auto infoDone = std::make_shared<std::atomic<int>>(-1);
    QObject context;
    connect(m_engine, &EnginePlayer::opened, &context, [&] { opened = playerDone = true; });
    connect(m_engine, &EnginePlayer::error, &context, [&](EnginePlayer::Operation operation) {
        if (operation == EnginePlayer::Open)
            playerDone = true;
    });
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The first audio stream, which the clip's lists choose when it has
    // sound, is chosen before the open: the file is read for it once.
    m_engine->setAudioStream(0);
    m_engine->openInBackground(path, width, height);
    playerDone = playerDone || !m_engine->isOpening();
    QThreadPool::globalInstance()->start([info = m_info, file = path.toUtf8(), infoDone] {
        infoDone->store(Info_Open(info, file.constData()) != 0 ? 1 : 0);
        // Wakes this thread's loop below, which looks at what is done.
        QMetaObject::invokeMethod(
            qApp, [] {}, Qt::QueuedConnection);
    });
    while (!playerDone || infoDone->load() < 0)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
    QApplication::restoreOverrideCursor();
    if (!opened) {
        showOpenFailed();
        return false;
    }
    m_previewOnShow = true;
    clipOpened(path, infoDone->load() == 1);
    return true;
}

void QVideoEditDlg::showOpenFailed()
{
    m_screenTimer->stop();
    m_timeTimer->stop();
    m_btnPlay->show();
    m_btnPause->hide();
    ShowTime(0);
    m_playSlider->setValue(0);
    m_playSlider->setEnabledPull(false);
    m_videoPreviewWidget->hide();
}

void QVideoEditDlg::clipOpened(const QString& path, std::optional<bool> infoOpened)
{
    // A new clip starts from the default picture.
    SetDefaultEditSettings();
    m_videoPath = path;
    ResizeVideoWindow();
    if (!m_previewOnShow)
        startPreview();
    m_engine->setCropBorder(false);
    m_engine->setVolume(int(m_volume));
    // The output frame comes from the first clip and stays.
    const int w = m_engine->videoWidth();
    const int h = m_engine->videoHeight();
    if (m_outputWidth == 0)
        m_outputWidth = w;
    if (m_outputHeight == 0)
        m_outputHeight = h;
    ShowTime(0);
    m_screenTimer->start(50);
    if (!infoOpened) {
        const QByteArray file = path.toUtf8();
        infoOpened = Info_Open(m_info, file.constData()) != 0;
    }
    if (*infoOpened) {
        SetProgram();
        setAudioSubtlCount();
    }
    m_state.changeSubtitleStreams(getSubtlCount());
    selectTab(m_btnTrim, EditType_Trim);
    IsNoVideoSet();
    m_state.changeTrim(0, 0);
    setFileName(path);
    if (!m_previewOnShow)
        OnBtnPlay();
}

void QVideoEditDlg::startPreview()
{
    // Edited frames to the output preview, unedited ones to the source preview.
    m_engine->setFrameView(m_videoPreviewWidget);
    m_engine->setSourceFrameView(m_videoOrignalWidget);
}

void QVideoEditDlg::showEvent(QShowEvent* event)
{
    QImageDialog::showEvent(event);
    if (!m_previewOnShow)
        return;
    m_previewOnShow = false;
    startPreview();
    OnBtnPlay();
}

void QVideoEditDlg::ResizeVideoWindow()
{
    if (!m_engine->isCreated())
        return;
    int w = m_engine->videoWidth();
    int h = m_engine->videoHeight();
    int ax = m_engine->aspectX();
    int ay = m_engine->aspectY();
    // The processed pictures come at the output frame's size, not the
    // source's: the output preview takes their shape.
    int ow = m_engine->outputWidth();
    int oh = m_engine->outputHeight();
    if (m_engine->duration() == 0)
        w = h = ax = ay = ow = oh = 0;
    if (ax != 0 && ay != 0)
        m_videoOrignalWidget->setVideoSize(ax, ay);
    else
        m_videoOrignalWidget->setVideoSize(w, h);
    m_videoPreviewWidget->setVideoSize(ow, oh);
}

void QVideoEditDlg::SetProgram()
{
    if (!m_info)
        return;
    const int count = Info_GetProgrCount(m_info);
    int choice = -1;
    for (int i = 0; i < count; ++i) {
        Info_SetProgrIndex(m_info, i);
        if (choice == -1 && (Info_GetVideoCount(m_info) != 0 || Info_GetAudioCount(m_info) != 0))
            choice = i;
        // Asked for whether or not the debug line is written.
        const QString programName = utf8(Info_GetProgrName(m_info));
        qCDebug(lcEditor) << "program" << i << programName;
    }
    m_programIndex = choice;
    Info_SetProgrIndex(m_info, choice);
}

void QVideoEditDlg::setAudioSubtlCount()
{
    if (!m_info)
        return;
    QStringList audio;
    const int audioCount = Info_GetAudioCount(m_info);
    for (int i = 0; i < audioCount; ++i) {
        Info_SetAudioIndex(m_info, i);
        audio << streamEntry("A%1(", i + 1, utf8(Info_GetAudioTitle(m_info)),
                             utf8(Info_GetAudioLanguage(m_info)));
        qCDebug(lcEditor) << audio.last();
    }
    QStringList subtitles{QStringLiteral("[Disable]")};
    const int subtitleCount = Info_GetSubtlCount(m_info);
    for (int i = 0; i < subtitleCount; ++i) {
        Info_SetSubtlIndex(m_info, i);
        subtitles << streamEntry("S%1(", i + 1, utf8(Info_GetSubtlTitle(m_info)),
                                 utf8(Info_GetSubtlLanguage(m_info)));
    }
    subtitles << QStringLiteral("[CC]");

    if (audioCount > 0) {
        Info_SetAudioIndex(m_info, 0);
        m_subtitlePanel->setAudioCmb(audio, 0);
    }
    if (subtitleCount > 0) {
        Info_SetSubtlIndex(m_info, 0);
        m_subtitlePanel->setSubtlCmb(subtitles, 1);
    } else {
        m_subtitlePanel->setSubtlCmb(subtitles, 0);
    }
    if (audioCount > 0)
        m_engine->setAudioStream(0);
    if (subtitleCount > 0)
        m_engine->setSubtitleStream(0);
}

void QVideoEditDlg::IsNoVideoSet()
{
    if (!m_engine->isCreated() || m_engine->hasVideo() || !m_engine->hasAudio())
        return;
    // A sound-only clip keeps only the Trim tab, and has no picture to snap.
    m_btnCrop->hide();
    m_btnEffect->hide();
    m_btnWatermark->hide();
    m_btnSubtitle->hide();
    m_btnSnapshot->setEnabled(false);
}

void QVideoEditDlg::setFileName(QString path)
{
    const QFileInfo info(path);
    m_labName->setText(info.exists() ? info.fileName() : tr("Unkown"));
}

QString QVideoEditDlg::timeText(uint64_t ms)
{
    // A day or more has no time of day: the text stays empty.
    return getTime(ms * 1000);
}

void QVideoEditDlg::ShowTime(uint64_t ms)
{
    uint64_t total = 0;
    if (m_state.trimEnd() != 0)
        total = (m_state.trimEnd() - m_state.trimStart()) / 1000;
    else if (m_engine->isCreated())
        total = m_engine->duration() / 1000;
    QString text = timeText(ms);
    if (total != 0)
        text += QStringLiteral(" / ") + timeText(total);
    m_labPlayTime->setText(text);
}

void QVideoEditDlg::OnBtnPlay()
{
    if (!m_engine->isCreated())
        return;
    if (!m_engine->hasVideo() && !m_engine->hasAudio()) {
        m_btnPlay->show();
        m_btnPause->hide();
        ShowTime(0);
        return;
    }
    // With a trim set playback starts inside it; after a stop the engine
    // stands at 0, before the trim start.
    if (m_state.trimEnd() != 0) {
        const uint64_t t = m_engine->playTime();
        if (t < m_state.trimStart() || t >= m_state.trimEnd())
            m_engine->seek(m_state.trimStart());
    }
    if (!m_engine->play()) {
        qCDebug(lcEditor) << "error :---------Play Fail--------";
        return;
    }
    m_videoPreviewWidget->show();
    m_btnPlay->hide();
    m_btnPause->show();
    m_screenTimer->stop();
    m_timeTimer->start(100);
    m_playSlider->setEnabledPull(true);
    const uint64_t playTime = m_engine->playTime();
    qCDebug(lcEditor) << "play time" << playTime;
}

void QVideoEditDlg::OnBtnStop()
{
    if (!m_engine->isCreated())
        return;
    m_engine->stop();
    m_screenTimer->start(50);
    m_timeTimer->stop();
    m_btnPlay->show();
    m_btnPause->hide();
    ShowTime(0);
    m_playSlider->setValue(0);
}

void QVideoEditDlg::VideoFinished()
{
    m_btnPlay->show();
    m_btnPause->hide();
    ShowTime(0);
}

void QVideoEditDlg::SetTrimTime(uint64_t start, uint64_t end, bool reset)
{
    m_state.changeTrim(start, end);
    if (reset)
        TrimChangeSetting();
}

void QVideoEditDlg::TrimChangeSetting()
{
    ShowTime(0);
    m_TrimDSlider->setStartValue(0);
    m_TrimDSlider->setEndValue(100);
    m_playSlider->setValue(0);
    m_engine->seek(
        TrimRange::seekTargetSingle(m_state.trimStart(), getPlayLen(), m_TrimDSlider->getStartValue()));
}

// ---- Stream choice ------------------------------------------------------------------

void QVideoEditDlg::OnSelChangeAudio(int index)
{
    if (Info_SetAudioIndex(m_info, index) == 1)
        m_engine->setAudioStream(index);
}

void QVideoEditDlg::OnSelChangeSubtl(int index)
{
    const auto n = uint32_t(Info_GetSubtlCount(m_info));
    const auto i = uint32_t(index);
    bool done = false;
    if (i <= n) {
        done = Info_SetSubtlIndex(m_info, index - 1) == 1;
        if (done)
            m_engine->setSubtitleStream(index - 1);
    } else if (i == n + 1) {
        done = Info_EnableClosedCaption(m_info, 1) == 1;
        if (done)
            m_engine->enableClosedCaption(true);
    } else if (Info_SetSubtlIndex(m_info, -1) == 1) {
        m_engine->setSubtitleFile(m_subtitlePanel->getSubtlPath());
        done = true;
    }
    // A new source takes the style again.
    if (done)
        sendSubtitleStyle();
}
