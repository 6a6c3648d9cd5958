#include "VideoConvertBar.h"

#include "FormatSettingDialog.h"
#include "GobelConfigure.h"
#include "LogCategories.h"
#include "QIAppUtil.h"
#include "QVideoEditDlg.h"
#include "QueueShared.h"
#include "SkinPicture.h"
#include "clips/SourceProbe.h"
#include "formats/GobelItemChunk.h"
#include "formats/ProfileFile.h"
#include "queue/ConvertJob.h"
#include "queue/FreeMemory.h"
#include "queue/Opener.h"

#include <QAction>
#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QTextLayout>
#include <QThread>
#include <QTimer>

#include <cstring>
#include <limits>

namespace {
// Where the row draws the film frame, and the source's first picture in it.
const QPoint kIconAt(20, 11);
const QRect kThumbRect(33, 16, 86, 67);
// Where a source that cannot be read is told: the frame inside its border
// and sprocket rows.
const QRect kMessageRect(23, 19, 94, 60);

// The status column right of the target panel (230 wide, 400 from the right
// edge) while the edit and settings buttons show: the status line, under
// it up to two lines of reason, and the buttons below both.
constexpr int kStatusLeft = 168;
constexpr int kStatusRightOfClose = 32;
// Clear of the row's rounded border, as far in as the close button.
constexpr int kStatusRight = 16;
constexpr int kStatusTop = 16;
constexpr int kReasonLines = 2;
constexpr int kButtonsTop = 72;
// The status line's size in the row's form, used while the run shows it.
constexpr int kRunStatusWidth = 150;
constexpr int kRunLineHeight = 16;

// The text as it fits in `lines` lines of `width`: whole when it does, else
// cut with "…" at the end of the last line. Breaks are explicit so that what
// is shown is exactly what was measured.
QString fittedText(const QString& text, const QFont& font, int width, int lines)
{
    const QFontMetrics metrics(font);
    if (metrics.horizontalAdvance(text) <= width)
        return text;
    QTextLayout layout(text, font);
    layout.beginLayout();
    QStringList shown;
    for (int i = 0; i < lines; ++i) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        const bool last = i == lines - 1;
        const QString rest = text.mid(line.textStart());
        if (last || metrics.horizontalAdvance(rest) <= width) {
            shown << metrics.elidedText(rest.trimmed(), Qt::ElideRight, width);
            break;
        }
        shown << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    // A wrapped text that fits keeps its own words: the label wraps it.
    const QString joined = shown.join(QLatin1Char('\n'));
    return joined.endsWith(QChar(0x2026)) ? joined : text;
}

// Shows `text` in the label at `rect`, cut only when it does not fit.
void showFitted(QLabel* label, const QString& text, const QRect& rect, int lines)
{
    label->setGeometry(rect);
    label->setWordWrap(lines > 1);
    const QString shown = fittedText(text, label->font(), rect.width(), lines);
    if (label->text() != shown)
        label->setText(shown);
}
} // namespace

VideoConvertBar::VideoConvertBar(QWidget* parent)
    : VideoConvertBar(nullptr, nullptr, parent)
{}

VideoConvertBar::VideoConvertBar(RunQueue* run, std::shared_ptr<RunTask> task, QWidget* parent)
    : BaseBar(parent)
    , m_runTask(task ? std::move(task) : std::make_shared<RunTask>())
    , m_task(m_runTask->record())
    , m_run(run)
{
    static const bool registered = [] {
        qRegisterMetaType<ConvertState>("ConvertState");
        qRegisterMetaType<Convertinfo>("Convertinfo");
        return true;
    }();
    Q_UNUSED(registered);

    // The queue's run queue made the task and runs it; a row made outside a
    // queue runs its task on a run queue of its own.
    if (!m_run) {
        m_ownRun = std::make_unique<RunQueue>();
        m_run = m_ownRun.get();
        m_run->adopt(*m_runTask);
    }

    setupUi(this);
    setMouseTracking(true);
    setbgImage(QIAppUtil::getResourcePath() + "/image/button_list.png");
    Init();
    InitMenu();
    connect(m_runTask.get(), &RunTask::changed, this, &VideoConvertBar::showRun);
}

VideoConvertBar::~VideoConvertBar()
{
    // The task may outlive the row in a run queue; the row hears no more.
    disconnect(m_runTask.get(), nullptr, this, nullptr);
    delete m_settingDialog;
    m_settingDialog = nullptr;
    delete m_actFullTime;
    m_actFullTime = nullptr;
    delete m_actCustomTime;
    m_actCustomTime = nullptr;
    delete m_timeMenu;
    m_timeMenu = nullptr;
    delete m_thumbnail;
    m_thumbnail = nullptr;
    delete m_waitImage;
    m_waitImage = nullptr;
    // With the task (unless a run queue still holds it) goes its job: one
    // still opening is waited for, an open one is released now.
}

void VideoConvertBar::Init()
{
    const QString res = QIAppUtil::getResourcePath();

    m_btnDelete->setBtnImage(res + "/image/newimage/btn_video_close.png");
    m_btnDelete->setToolTip(tr("Close"));
    m_btnDelete->show();

    m_convertImage->SetBackImage(res + "/image/newimage/pic_arrow.png");
    m_convertImage->SetProgressImage(res + "/image/newimage/pic_arrow_progress.png");

    m_settingFormat->setBtnImage(res + "/image/newimage/btn_settings.png");
    m_settingFormat->setToolTip(tr("Setting"));

    m_progressLab->hide();

    m_btnEditVideo->setBtnImage(res + "/image/newimage/btn_edit.png");
    m_btnEditVideo->setToolTip(tr("Editing"));

    m_btnStopConvert->hide();

    m_btnPreviewPlay->setBtnImage(res + "/image/newimage/Video_Preview_Play.png");

    m_retainTime->hide();

    // Why the last conversion failed, under the failure text.
    m_failReason = new QLabel(this);
    m_failReason->setObjectName(QStringLiteral("m_failReason"));
    m_failReason->setAlignment(Qt::AlignCenter);
    m_failReason->setStyleSheet(QStringLiteral("color: rgb(200, 60, 60);"));
    m_failReason->setFont(m_retainTime->font());
    m_failReason->resize(m_retainTime->width() + 30, m_retainTime->height());
    m_failReason->hide();
    // Texts are laid out beside the buttons; should a text still reach one,
    // the button stays on top and answers the click.
    m_btnEditVideo->raise();
    m_settingFormat->raise();

    delete m_waitImage;
    m_waitImage = new QImage(res + "/image/newimage/btn_wait_convert.png");
    m_waitConvertImage->setPixmap(QPixmap::fromImage(*m_waitImage));
    m_waitConvertImage->setGeometry(0, 0, m_waitImage->width(), m_waitImage->height());
    m_waitConvertImage->hide();

    m_labLine1->hide();
    m_labLine2->hide();

    connect(m_btnDelete, &QPushButton::clicked, this, &VideoConvertBar::signalDeleteItem);
    connect(m_btnEditVideo, &QPushButton::clicked, this, &VideoConvertBar::OnEditVideo);
    connect(m_btnStopConvert, &QPushButton::clicked, this, &VideoConvertBar::PauseConvert);
    connect(m_settingFormat, &QPushButton::clicked, this, &VideoConvertBar::SlotShowSettingDialog);
    connect(m_btnPreviewPlay, &QPushButton::clicked, this, &VideoConvertBar::SlotPreviewPlay);
    connect(m_laterInfoWidget, &VideoInfo::emitVideoNameChanged, this, &VideoConvertBar::slotChangeVideoName);
    connect(this, &VideoConvertBar::emitSetVideoName, m_laterInfoWidget, &VideoInfo::slotSetVideoName);
    // The probe emits this on the add thread; the row lives on the GUI
    // thread, so the panels are filled there.
    connect(this, &VideoConvertBar::emitSetEditInfo, this, &VideoConvertBar::slotSetEditInfo);
    connect(this, &VideoConvertBar::emitStartTimer, this, &VideoConvertBar::slotStartTimer);
    connect(this, &VideoConvertBar::emitStartConvert, this, &VideoConvertBar::slotStartConvert);
}

void VideoConvertBar::InitMenu()
{
    m_timeMenu = new QMenu(this);
    m_actFullTime = new QAction(QStringLiteral("Full time"), this);
    m_actCustomTime = new QAction(QStringLiteral("Customize time "), this);
    m_timeMenu->addAction(m_actFullTime);
    m_timeMenu->addAction(m_actCustomTime);
    m_timeMenu->addSeparator();
    connect(m_actCustomTime, &QAction::triggered, this, &VideoConvertBar::SlotCutTime);
    connect(m_actFullTime, &QAction::triggered, this, &VideoConvertBar::SlotRestFullTime);
}

// ---- Probe ------------------------------------------------------------------

QImage* VideoConvertBar::CopyThumbnail(const unsigned char* block, uint32_t width, uint32_t height)
{
    QByteArray pixels;
    if (!SourceProbe::checkThumbnail(block, width, height, pixels))
        return nullptr;
    return thumbnailImage(pixels, width, height);
}

QImage* VideoConvertBar::thumbnailImage(const QByteArray& pixels, uint32_t width, uint32_t height)
{
    if (pixels.isEmpty() || qint64(pixels.size()) != qint64(width) * qint64(height) * 4)
        return nullptr;
    // The picture wraps the worker's pixels, which the image keeps alive:
    // copying a 1080p picture on the GUI thread costs tens of milliseconds.
    auto* holder = new QByteArray(pixels);
    auto* image = new QImage(
        reinterpret_cast<const uchar*>(holder->constData()), int(width), int(height), int(width) * 4,
        QImage::Format_RGB32, [](void* info) { delete static_cast<QByteArray*>(info); }, holder);
    if (image->isNull()) {
        // A picture that was not made took no ownership.
        delete image;
        delete holder;
        return nullptr;
    }
    return image;
}

QSize VideoConvertBar::thumbnailPixels(qreal devicePixelRatio)
{
    return kThumbRect.size() * qMax<qreal>(devicePixelRatio, 1.0);
}

void VideoConvertBar::setFile(QString path)
{
    logAddedFile(path);
    const QSize picture = thumbnailPixels(devicePixelRatioF());
    setProbedFile(SourceProbe::probe(path, uint32_t(picture.width()), uint32_t(picture.height())));
}

void VideoConvertBar::setProbedFile(const SourceFacts& facts)
{
    applyFacts(facts);
    setConvertFormat();
    emit emitSetEditInfo();
}

void VideoConvertBar::setProbedFile(const SourceFacts& facts, const TaskFormat& format)
{
    applyFacts(facts);
    m_task.applyFormat(format);
    emit emitSetEditInfo();
}

void VideoConvertBar::applyFacts(const SourceFacts& facts)
{
    m_task.applyFacts(facts);

    delete m_thumbnail;
    m_thumbnail = thumbnailImage(facts.thumbnail, facts.thumbnailWidth, facts.thumbnailHeight);
    if (m_thumbnail && m_thumbnail->width() > thumbnailPixels(devicePixelRatioF()).width()) {
        // A picture probed at the source's size: only the drawn size stays.
        auto* small = new QImage(m_thumbnail->scaled(thumbnailPixels(devicePixelRatioF())));
        delete m_thumbnail;
        m_thumbnail = small;
    }
    // Made at the drawn size in device pixels: drawn 1:1 into the row.
    if (m_thumbnail)
        m_thumbnail->setDevicePixelRatio(qreal(m_thumbnail->width()) / kThumbRect.width());
}

void VideoConvertBar::getConvertedFileInfo() { getConvertedFileInfo(SourceFacts()); }

void VideoConvertBar::getConvertedFileInfo(const SourceFacts& facts) { m_task.takeSourceRates(facts); }

void VideoConvertBar::slotSetEditInfo()
{
    const ConvertTask& task = m_task;
    const QString targetName = SourceProbe::stemOf(task.name()) + "." + task.target().V_Extend.toLower();
    if (task.probeFailed()) {
        // Nothing was learnt of the file: no facts are made up for it, and
        // the play button would hide the text that says so.
        m_beforeInfoWidget->SetVideoInfo(task.name(), false, task.sizeText(), QString(),
                                         task.suffix().toUpper(), QString());
        m_laterInfoWidget->SetVideoInfo(targetName, true, QString(), QString(),
                                        task.target().V_Format.toUpper(), QString());
        m_btnPreviewPlay->hide();
        setToolTip(tr("This file cannot be read: %1").arg(task.path()));
    } else {
        const QString duration = getTime(task.totalUs());
        m_beforeInfoWidget->SetVideoInfo(task.name(), false, task.sizeText(), duration,
                                         task.suffix().toUpper(),
                                         task.width() ? task.sourceResolutionText() : QString());
        m_laterInfoWidget->SetVideoInfo(targetName, true, QString(), duration,
                                        task.target().V_Format.toUpper(), task.targetResolutionText());
        UpdateFileLength();
    }
}

void VideoConvertBar::refreshTargetPanel()
{
    m_laterInfoWidget->SetVideoFormat(m_task.target().V_Format.toUpper());
    m_laterInfoWidget->SetVideoSize(m_task.targetResolutionText());
    UpdateFileLength();
}

int VideoConvertBar::GetNumberFromString(QString text)
{
    QString digits;
    for (const QChar c : text) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits.append(c);
    }
    if (digits.isEmpty())
        return 1;
    bool ok = false;
    const int value = digits.toInt(&ok);
    return ok ? value : 0;
}

void VideoConvertBar::UpdateFileLength()
{
    m_laterInfoWidget->SetVideoLength(
        m_task.probeFailed() ? QString() : QIAppUtil::size2String(m_task.estimatedOutputBytes()));

    QStringList parts =
        m_laterInfoWidget->m_videoNameLab->getName().split(QLatin1Char('.'), Qt::KeepEmptyParts);
    parts.removeLast();
    if (!parts.isEmpty())
        emit emitSetVideoName(parts.join(QLatin1Char('.')) + "." + m_task.target().V_Extend.toLower());
}

void VideoConvertBar::slotChangeVideoName(QString name) { m_task.setName(name); }

// ---- Format values ------------------------------------------------------------

void VideoConvertBar::setConvertFormat()
{
    QString image, item, file;
    g_itemChunk.copyNames(image, item, file);
    if (!m_task.chooseFormat(item, file))
        return;
    clearFailure();
    if (!getConvertXMLInfo()) {
        qCDebug(lcConvert) << "getConvertXMLInfo() error!!";
        return;
    }
    // On the add thread the row is not shown yet and its panels are filled
    // by slotSetEditInfo on the GUI thread right after the probe.
    if (QThread::currentThread() != thread())
        return;
    refreshTargetPanel();
}

bool VideoConvertBar::getConvertXMLInfo() { return m_task.readProfile(); }

// The profile is shared by every task of its format; the person's copy is
// replaced whole or not at all.
void VideoConvertBar::saveSettingXml(QString path) { m_task.saveProfile(path); }

void VideoConvertBar::setConvertinfo(Convertinfo info)
{
    m_task.setQualityValues(info);
    clearFailure();
    saveSettingXml(GobelItemChunk::profilePath(m_task.profile()));
    refreshTargetPanel();
}

void VideoConvertBar::SlotShowSettingDialog()
{
    if (g_Configure.m_bMerge) {
        emit signalShowMergeSetting();
        return;
    }
    if (!m_settingDialog) {
        m_settingDialog = new FormatSettingDialog(this);
        connect(m_settingDialog, &FormatSettingDialog::signalChangeConvertInfo, this,
                &VideoConvertBar::setConvertinfo);
    }
    Convertinfo shown = m_task.target();
    m_settingDialog->setConvertinfo(shown);
    m_settingDialog->setXmlfile(QIAppUtil::getResourcePath() + "/format/XML/" + m_task.profile());
    m_settingDialog->exec();
}

// ---- Run side -----------------------------------------------------------------

namespace {

QString resourceImage(const char* relative) { return QIAppUtil::getResourcePath() + QLatin1String(relative); }

} // namespace

QString VideoConvertBar::FreeOutputPath(const QString& folder, const QString& name, const QString& extension,
                                        const QSet<QString>* taken)
{
    return RunOutputs::freePath(folder, name, extension, taken);
}

ConvertState VideoConvertBar::GetCurrentState() const
{
    switch (m_runTask->state().stage) {
    case RunSchedule::Stage::Waiting:
        return State_Waiting;
    case RunSchedule::Stage::Paused:
        return State_Paused;
    case RunSchedule::Stage::Converting:
        return State_Converting;
    case RunSchedule::Stage::Finished:
        return State_Finished;
    case RunSchedule::Stage::Idle:
        break;
    }
    return State_Ready;
}

void VideoConvertBar::SetConvertState(ConvertState state)
{
    switch (state) {
    case State_Waiting:
        m_run->wait(*m_runTask);
        break;
    case State_Paused:
        m_run->park(*m_runTask);
        break;
    case State_Converting:
        m_run->resume(*m_runTask);
        break;
    case State_Finished:
        m_run->finish(*m_runTask);
        break;
    default:
        break;
    }
    update();
}

void VideoConvertBar::SetConverting(bool converting) { m_run->showProgress(*m_runTask, converting); }

void VideoConvertBar::slotStartConvert() { m_run->showConverting(*m_runTask); }

QString VideoConvertBar::FailureText() const { return tr("Conversion failed"); }

void VideoConvertBar::SetFailed(const QString& detail) { m_run->setFailed(*m_runTask, detail); }

void VideoConvertBar::clearFailure()
{
    // Also reached from the add thread for a new row, which never failed.
    if (!HasFailed())
        return;
    m_run->clearFailure(*m_runTask);
}

void VideoConvertBar::WaitForOpens() { ConvertJob::waitForOpens(); }

void VideoConvertBar::GiveBackMemory()
{
    Opener::run([] { FreeMemory::giveBack(); });
}

bool VideoConvertBar::IsOpening() const { return m_run && m_run->isOpening(*m_runTask); }

void VideoConvertBar::AbandonOpen() { m_runTask->job().abandonOpen(); }

void VideoConvertBar::StartConvertMedia() { m_run->start(*m_runTask); }

void VideoConvertBar::ConverTime() { m_run->poll(*m_runTask); }

void VideoConvertBar::PauseConvert()
{
    m_run->pause(*m_runTask);
    emit emitChangeConvertState(GetCurrentState());
    repaint();
}

void VideoConvertBar::SetConvertProgress(float progress) { m_run->setProgress(*m_runTask, progress); }

void VideoConvertBar::Recover() { m_run->recover(*m_runTask); }

void VideoConvertBar::showRun(RunTask::Change change)
{
    using Change = RunTask::Change;
    const RunState& state = m_runTask->state();
    const bool merge = m_run && m_run->request().merge;
    switch (change) {
    case Change::Waiting:
        m_retainTime->setToolTip(QString());
        m_failReason->clear();
        m_strReason.clear();
        m_failReason->hide();
        m_progressLab->setText(QString("%1%").arg(double(state.percent)));
        m_progressLab->show();
        m_btnEditVideo->hide();
        m_settingFormat->hide();
        m_waitConvertImage->show();
        m_retainTime->setText(tr("Waitting"));
        m_retainTime->show();
        break;
    case Change::Opened:
        // A taken name gave the output a number: the row names the real file.
        m_laterInfoWidget->slotSetVideoName(QFileInfo(m_task.outputPath()).fileName());
        return;
    case Change::Started:
        m_laterInfoWidget->SetEnableRename(false);
        m_videoImageWidget->setEnabled(false);
        m_waitConvertImage->hide();
        if (!merge)
            m_btnStopConvert->show();
        m_btnStopConvert->setBtnImage(resourceImage("/image/newimage/btn_pause_convert.png"));
        return;
    case Change::Paused:
        m_retainTime->setText(tr("Resume"));
        m_btnStopConvert->setBtnImage(resourceImage("/image/newimage/btn_start_convert.png"));
        break;
    case Change::Resumed:
        m_btnStopConvert->setBtnImage(resourceImage("/image/newimage/btn_pause_convert.png"));
        break;
    case Change::Progress:
        m_convertImage->SetProgress(int(state.percent));
        repaint();
        return;
    case Change::Written:
        // The run queue has listed the output.
        m_convertImage->SetProgress(100);
        repaint();
        return;
    case Change::Finished:
        m_retainTime->hide();
        m_btnEditVideo->show();
        m_settingFormat->show();
        m_btnStopConvert->hide();
        m_laterInfoWidget->SetEnableRename(true);
        m_videoImageWidget->setEnabled(true);
        showEndedEarly();
        break;
    case Change::Failed:
        m_waitConvertImage->hide();
        m_btnStopConvert->hide();
        m_btnEditVideo->show();
        m_settingFormat->show();
        m_laterInfoWidget->SetEnableRename(true);
        m_videoImageWidget->setEnabled(true);
        showFailure();
        return;
    case Change::FailureShown:
        showFailure();
        return;
    case Change::Ended:
        emit emitNotifyFinish();
        return;
    case Change::Recovered:
        setEnabled(!state.beingMerged);
        m_retainTime->hide();
        m_laterInfoWidget->SetEnableRename(true);
        m_videoImageWidget->setEnabled(true);
        m_waitConvertImage->hide();
        m_btnStopConvert->hide();
        m_btnEditVideo->show();
        m_settingFormat->show();
        m_progressLab->hide();
        m_convertImage->SetProgress(0);
        // A failure stays in view after the run, until the task runs again.
        if (state.failed) {
            m_progressLab->setText(tr("Failed"));
            m_progressLab->show();
            m_retainTime->setText(FailureText());
            m_retainTime->show();
            m_failReason->show();
        }
        showEndedEarly();
        layoutStatus();
        return;
    case Change::FailureCleared:
        m_strReason.clear();
        m_failReason->clear();
        m_failReason->setToolTip(QString());
        m_failReason->hide();
        m_retainTime->setToolTip(QString());
        m_retainTime->hide();
        m_progressLab->hide();
        layoutStatus();
        update();
        return;
    case Change::MergeItem:
        // The merge works on the task: its row takes no input.
        setEnabled(!state.beingMerged);
        return;
    }
    // A change of stage: a merge shows no wait or pause button.
    if (merge) {
        m_waitConvertImage->hide();
        m_btnStopConvert->hide();
    }
    update();
}

void VideoConvertBar::showFailure()
{
    const QString& detail = m_runTask->state().failure;
    m_convertImage->SetProgress(0);
    m_progressLab->setText(tr("Failed"));
    m_progressLab->show();
    m_retainTime->setText(FailureText());
    m_retainTime->setToolTip(detail);
    m_retainTime->show();
    m_strReason = detail;
    m_failReason->setText(detail);
    m_failReason->setToolTip(detail);
    m_failReason->show();
    layoutStatus();
    update();
}

void VideoConvertBar::showEndedEarly()
{
    const QString& endedEarly = m_runTask->state().endedEarly;
    if (endedEarly.isEmpty())
        return;
    m_strReason = endedEarly;
    m_failReason->setText(endedEarly);
    m_failReason->setToolTip(endedEarly + QLatin1Char('\n')
                             + tr("The source ended before its stated length"));
    m_failReason->show();
    layoutStatus();
}

void VideoConvertBar::layoutStatus()
{
    const int W = width();
    const bool buttons = m_btnEditVideo->isVisibleTo(this) || m_settingFormat->isVisibleTo(this);
    const bool reason = m_failReason->isVisibleTo(this);
    const bool texts = m_retainTime->isVisibleTo(this) || reason;
    if (!buttons || !texts) {
        // During a run the buttons are hidden and the status line sits
        // where they would be.
        m_btnEditVideo->move(W - 135, 55);
        m_settingFormat->move(W - 100, 55);
        const int statusY = reason ? 60 : 70;
        m_retainTime->setGeometry(W - 179, statusY, kRunStatusWidth, kRunLineHeight);
        m_failReason->setWordWrap(false);
        m_failReason->setGeometry(W - 194, statusY + kRunLineHeight, kRunStatusWidth + 30, kRunLineHeight);
        if (reason && m_failReason->text() != m_strReason)
            m_failReason->setText(m_strReason);
        return;
    }
    const int lineHeight = m_retainTime->fontMetrics().height();
    // The first line stays clear of the close button in the corner.
    const QRect statusRect(W - kStatusLeft, kStatusTop, kStatusLeft - kStatusRightOfClose, lineHeight);
    const QRect reasonRect(W - kStatusLeft, statusRect.bottom() + 3, kStatusLeft - kStatusRight,
                           lineHeight * kReasonLines);
    if (m_retainTime->isVisibleTo(this)) {
        m_retainTime->setGeometry(statusRect);
        if (HasFailed())
            showFitted(m_retainTime, FailureText(), statusRect, 1);
    }
    if (reason)
        showFitted(m_failReason, m_strReason, reasonRect, kReasonLines);
    m_btnEditVideo->move(W - 135, kButtonsTop);
    m_settingFormat->move(W - 100, kButtonsTop);
}

void VideoConvertBar::DeleteConvert()
{
    // The run queue lets go of the task and releases its job on the opener
    // thread.
    m_run->leave(*m_runTask);
}

void VideoConvertBar::slotStartTimer() { m_run->watch(*m_runTask); }

// ---- Events and painting -----------------------------------------------------------

void VideoConvertBar::mouseMoveEvent(QMouseEvent* event)
{
    // Left unhandled so that every move over a row reaches the queue, which
    // drags rows with it.
    QWidget::mouseMoveEvent(event);
}

void VideoConvertBar::enterEvent(QEvent* event) { BaseBar::enterEvent(event); }

void VideoConvertBar::leaveEvent(QEvent* event) { BaseBar::leaveEvent(event); }

void VideoConvertBar::paintProgress()
{
    const RunState& state = m_runTask->state();
    const float p = state.percent;
    const double elapsed = state.ticks * 0.5;
    const bool hasEstimate = p > 0.0f;
    float remaining = 0.0f;
    if (hasEstimate)
        remaining = static_cast<float>((100.0 / p) * elapsed - elapsed);
    qCDebug(lcConvert) << "retiantime = " << remaining << "   " << state.ticks;

    if (state.stage != RunSchedule::Stage::Paused) {
        if (hasEstimate && remaining >= 0.0f && remaining < 86400.0f) {
            const auto us = static_cast<unsigned long long>(static_cast<double>(remaining) * 1000000.0);
            m_retainTime->setText(tr("Remainning:%1").arg(getTime(us)));
        } else {
            m_retainTime->setText(tr("Remainning:--:--:--"));
        }
        m_progressLab->setText(QString::number(p, 'f', 1) + "%");
    }
}

void VideoConvertBar::paintEvent(QPaintEvent* event)
{
    BaseBar::paintEvent(event);
    const int W = width();
    const int H = height();

    m_btnDelete->move(W - 28, 10);

    if (m_runTask->state().showsProgress)
        paintProgress();

    {
        QPainter painter(this);
        const QImage& icon = skinPicture(QIAppUtil::getResourcePath() + "/image/video_icon.png");
        painter.drawImage(kIconAt, icon);
        const QRect thumbRect = kThumbRect;
        if (m_thumbnail) {
            painter.drawImage(thumbRect, *m_thumbnail);
        } else if (m_task.probeFailed()) {
            // The message takes the picture's place inside the film frame,
            // over the frame's own shading, so the frame's film sign does
            // not show through it; the sprocket rows stay.
            const QRect place = kMessageRect;
            const qreal ratio = icon.devicePixelRatio();
            const auto shade = [&icon, ratio](int y) {
                const QPoint at(qRound(4 * ratio), qRound(y * ratio));
                return icon.valid(at) ? icon.pixelColor(at) : QColor(40, 44, 52);
            };
            QLinearGradient fill(place.topLeft(), place.bottomLeft());
            fill.setColorAt(0, shade(place.top() - kIconAt.y()));
            fill.setColorAt(1, shade(place.bottom() - kIconAt.y()));
            painter.fillRect(place, fill);
            const QString message = m_task.probeDenied() ? tr("No permission to read this file")
                                                         : tr("Not a media file, or damaged");
            const QRect inner = place.adjusted(4, 2, -4, -2);
            const int flags = Qt::AlignCenter | Qt::TextWordWrap;
            QFont font = painter.font();
            font.setBold(true);
            // A step smaller until the wrapped lines fit inside the frame.
            const bool points = font.pointSizeF() > 0;
            for (qreal size = points ? font.pointSizeF() : font.pixelSize(); size > 6; size -= 0.5) {
                if (points)
                    font.setPointSizeF(size);
                else
                    font.setPixelSize(qRound(size));
                if (QFontMetrics(font).boundingRect(inner, flags, message).height() <= inner.height())
                    break;
            }
            painter.setFont(font);
            painter.setPen(QColor(220, 80, 80));
            painter.drawText(inner, flags, message);
        }
    }

    m_btnPreviewPlay->move(60, (H - m_btnPreviewPlay->height()) / 2);
    m_btnStopConvert->move(W - 120, 30);
    m_waitConvertImage->move(W - 120, 30);
    layoutStatus();
    m_convertImage->move((W - m_convertImage->width()) / 2, (H - m_convertImage->height()) / 2);
    m_progressLab->move((W - m_progressLab->width()) / 2, (H - m_progressLab->height()) / 2);
    m_laterInfoWidget->move(W - 400, 0);
    m_labLine1->setFixedSize(W, 3);
    m_labLine2->setFixedSize(W, 3);
}
