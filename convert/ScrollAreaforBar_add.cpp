// The queue: adding files from the open-file dialog, a drop or the library
// import, probed by the add worker while the add-progress dialog counts.
#include "ScrollAreaforBar.h"

#include "AddFileThread.h"
#include "CSingleUserLog.h"
#include "CSingleVersionStringUtil.h"
#include "LogCategories.h"
#include "ProgresssDialog.h"
#include "ScrollareaContentWidget.h"
#include "ShowMessage.h"

#include <QDebug>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QSettings>
#include <QUrl>

namespace {
const char* const kSettingsOrganisation = "kestrova";
const char* const kSettingsApplication = "Tessalune";
const char* const kLastPathKey = "last_path";
} // namespace

void ScrollAreaforBar::loadOpenPath()
{
    QSettings settings(kSettingsOrganisation, kSettingsApplication);
    const QString lastPath = settings.value(kLastPathKey).toString();
    open_path = lastPath.isEmpty() ? QStringLiteral(".") : lastPath;
}

bool ScrollAreaforBar::iSSupportFile(QString path)
{
    // The accepted-input value is used as written: the suffix must occur in
    // it, case-sensitively. An empty value accepts everything.
    const QString accepted = CSingleVersionStringUtil::GetLinkAddress(ADDR_INFO_FORMAT);
    if (accepted.isEmpty())
        return true;
    return accepted.contains(QFileInfo(path).suffix(), Qt::CaseSensitive);
}

bool ScrollAreaforBar::IshasFileinItemlist(QString path)
{
    if (path.isEmpty())
        return true;
    for (VideoConvertBar* bar : qAsConst(m_barList)) {
        if (bar->File() == path)
            return true;
    }
    return false;
}

bool ScrollAreaforBar::isAdding() const
{
    return m_addBatch.hasWaiting() || (m_addFileThread && m_addFileThread->isRunning());
}

void ScrollAreaforBar::PerpareAddFile(int count)
{
    if (!m_addFileThread) {
        m_addFileThread = new AddFileThread(nullptr);
        connect(m_addFileThread, &AddFileThread::signalProbed, this, &ScrollAreaforBar::slotProbed);
        connect(m_addFileThread, &AddFileThread::signalSetProgress, this, &ScrollAreaforBar::slotSetProgress);
        connect(m_addFileThread, &QThread::finished, this, &ScrollAreaforBar::slotAddThreadFinished);
    }
    if (!m_progressDialog) {
        m_progressDialog = new ProgresssDialog(this);
        connect(m_progressDialog, &ProgresssDialog::signalStopAddFile, this,
                &ScrollAreaforBar::slotStopAddFile);
    }
    m_progressDialog->setLast(false);
    m_progressDialog->setALLfileCount(count);
    m_progressDialog->setCountingfileindex(0, QString());

    // Rows of an earlier add that never arrived are not this add's; a late
    // result of that add finds another generation.
    dropPendingBars();
}

void ScrollAreaforBar::slotAddNewVideoItem(QString filepath)
{
    // The path reaches the task through the worker's probe.
    const RunQueue::TaskPointer task = m_run->create();
    auto* bar = new VideoConvertBar(m_run, task, this);
    bar->hide();
    m_rows.insert(task->id(), bar);
    m_addBatch.append(filepath, task->id());
    connect(bar, &BaseBar::SignalBarItemPress, this, &ScrollAreaforBar::slotBarItemPress);
    connect(bar, &VideoConvertBar::signalDeleteItem, this, &ScrollAreaforBar::slotBarItemDelete);
    connect(bar, &VideoConvertBar::emitVideoPlay, this, &ScrollAreaforBar::respondVideoPlayEmit);
    connect(bar, &VideoConvertBar::signalShowMergeSetting, this,
            &ScrollAreaforBar::signalShowMergeSettingdlg);
    connect(bar, &VideoConvertBar::seedEditSetting, this, &ScrollAreaforBar::setEditSetting);
    connect(bar, &VideoConvertBar::seedWaterSetting, this, &ScrollAreaforBar::setWaterSetting);
    m_WidgetContents->setImageHide(true);
    emit signalHasVideo(true);
}

void ScrollAreaforBar::startAddWorker()
{
    if (m_addFileThread->isRunning()) {
        // The worker is still ending an earlier add (its last pause, or a
        // probe under way at a cancel): this add starts when it has ended.
        m_addDeferred = true;
        return;
    }
    m_addDeferred = false;
    const QSize picture = VideoConvertBar::thumbnailPixels(devicePixelRatioF());
    m_addFileThread->setWork(m_addBatch, uint32_t(picture.width()), uint32_t(picture.height()));
    m_addFileThread->start();
}

void ScrollAreaforBar::runAdd()
{
    if (m_addBatch.isEmpty())
        return;
    startAddWorker();
    m_progressDialog->exec();
}

void ScrollAreaforBar::addFileForBar()
{
    const QString accepted = CSingleVersionStringUtil::GetLinkAddress(ADDR_INFO_FORMAT);
    const QStringList files = QFileDialog::getOpenFileNames(this, QString(), open_path, accepted, nullptr,
                                                            QFileDialog::DontUseNativeDialog);
    if (!files.isEmpty())
        open_path = QFileInfo(files.first()).absolutePath();
    QSettings(kSettingsOrganisation, kSettingsApplication).setValue(kLastPathKey, open_path);
    if (files.isEmpty())
        return;

    PerpareAddFile(files.size());
    for (const QString& file : files) {
        if (iSSupportFile(file))
            slotAddNewVideoItem(file);
    }
    runAdd();
}

void ScrollAreaforBar::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasFormat(QStringLiteral("text/uri-list")))
        event->acceptProposedAction();
    const QList<QUrl> urls = event->mimeData()->urls();
    for (const QUrl& url : urls) {
        // A URL that is not a local file gives an empty path, which is
        // never a file we can add.
        const QString path = url.toLocalFile();
        if (!path.isEmpty() && iSSupportFile(path)) {
            event->accept();
            break;
        }
        event->ignore();
    }
}

void ScrollAreaforBar::dropEvent(QDropEvent* event)
{
    qCDebug(lcConvert) << "scroll drop down";
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty())
        return;
    CSingleUserLog::getInstance()->AddUserLog(11603, false, 0, "2");
    PerpareAddFile(urls.size());

    for (const QUrl& url : urls) {
        const QString path = url.toLocalFile();
        if (!path.isEmpty() && iSSupportFile(path))
            slotAddNewVideoItem(path);
    }
    if (m_addBatch.isEmpty()) {
        ShowMessage(tr("Oops! This format is not supported. To convert it, please use Lumivane Vantoria"),
                    QString(), 0);
        return;
    }
    event->acceptProposedAction();
    runAdd();
}

void ScrollAreaforBar::slotProbed(int generation, int index, SourceFacts facts, TaskFormat format)
{
    if (VideoConvertBar* bar = rowOf(m_addBatch.takeProbe(generation, index)))
        bar->setProbedFile(facts, format);
}

void ScrollAreaforBar::slotSetProgress(int index, QString fileName)
{
    // The worker sends a file's progress step right after its facts, so
    // only a row whose facts this add took may arrive.
    VideoConvertBar* bar = rowOf(m_addBatch.takeDelivery(index));
    if (!bar)
        return;

    Layout->addWidget(bar);
    bar->show();

    if (m_progressDialog) {
        if (m_addBatch.isLast(index))
            m_progressDialog->setLast(true);
        m_progressDialog->setProgress(index + 1, fileName);
    }

    // The task takes its place in the queue; during a run it joins the run.
    m_run->append(bar->runTask());
    syncRows();
    // A merge takes the task in its turn; otherwise it may take a free slot.
    if (isConverting())
        fillSlots();
    update();
}

void ScrollAreaforBar::slotStopAddFile()
{
    if (m_addFileThread)
        m_addFileThread->requestStop();
    dropPendingBars();
    showHintIfEmpty();
}

void ScrollAreaforBar::dropPendingBars()
{
    // The worker probes files, never rows, and whatever it still sends for
    // this add carries an old generation: the rows can go at once.
    const bool undelivered = m_addBatch.hasWaiting();
    for (AddBatch::Key key : m_addBatch.reset())
        dropRow(key);
    m_addDeferred = false;
    if (undelivered && m_addFileThread && m_addFileThread->isRunning())
        m_addFileThread->requestStop();
}

void ScrollAreaforBar::dropRow(RunTask::Id id)
{
    VideoConvertBar* bar = m_rows.take(id);
    if (!bar)
        return;
    m_run->remove(*bar->runTask());
    delete bar;
}

void ScrollAreaforBar::syncRows()
{
    m_barList.clear();
    for (const RunQueue::TaskPointer& task : m_run->queue()) {
        if (VideoConvertBar* bar = rowOf(task->id()))
            m_barList.append(bar);
    }
}

void ScrollAreaforBar::showHintIfEmpty()
{
    if (m_barList.isEmpty() && !m_addBatch.hasWaiting()) {
        m_WidgetContents->setImageHide(false);
        emit signalHasVideo(false);
    }
}

void ScrollAreaforBar::slotAddThreadFinished()
{
    // A finished signal of an earlier run can arrive after the next run has
    // started, which must not be started twice.
    if (m_addFileThread->isRunning())
        return;
    if (m_addDeferred)
        startAddWorker();
}

void ScrollAreaforBar::slotAddItunesItems(QStringList listpath)
{
    QStringList paths;
    for (const QString& path : listpath) {
        if (!IshasFileinItemlist(path))
            paths.append(path);
    }
    if (paths.isEmpty())
        return;
    PerpareAddFile(paths.size());
    for (const QString& path : qAsConst(paths))
        slotAddNewVideoItem(path);
    runAdd();
}
