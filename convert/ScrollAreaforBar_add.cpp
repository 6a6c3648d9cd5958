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
    return !m_pendingBars.isEmpty() || (m_addFileThread && m_addFileThread->isRunning());
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

    // Rows of an earlier add that never arrived are not this add's.
    dropPendingBars();
    m_addingBarList.clear();
}

VideoConvertBar* ScrollAreaforBar::createBar()
{
    auto* bar = new VideoConvertBar(this);
    bar->hide();
    m_addingBarList.append(bar);
    m_pendingBars.insert(bar);
    connect(bar, &BaseBar::SignalBarItemPress, this, &ScrollAreaforBar::slotBarItemPress);
    connect(bar, &VideoConvertBar::signalDeleteItem, this, &ScrollAreaforBar::slotBarItemDelete);
    connect(bar, &VideoConvertBar::emitVideoPlay, this, &ScrollAreaforBar::respondVideoPlayEmit);
    connect(bar, &VideoConvertBar::signalShowMergeSetting, this,
            &ScrollAreaforBar::signalShowMergeSettingdlg);
    connect(bar, &VideoConvertBar::seedEditSetting, this, &ScrollAreaforBar::setEditSetting);
    connect(bar, &VideoConvertBar::seedWaterSetting, this, &ScrollAreaforBar::setWaterSetting);
    m_WidgetContents->setImageHide(true);
    emit signalHasVideo(true);
    return bar;
}

void ScrollAreaforBar::slotAddNewVideoItem(QString filepath)
{
    // The path reaches the row through the worker's probe.
    Q_UNUSED(filepath);
    createBar();
}

void ScrollAreaforBar::startAddWorker(const QList<VideoConvertBar*>& bars, const QStringList& files)
{
    if (m_addFileThread->isRunning()) {
        // The worker is still ending an earlier add (its last pause, or a
        // probe under way at a cancel): this add starts when it has ended.
        m_deferredBars = bars;
        m_deferredFiles = files;
        return;
    }
    m_workerBars = bars;
    const QSize picture = VideoConvertBar::thumbnailPixels(devicePixelRatioF());
    m_addFileThread->setWork(files, uint32_t(picture.width()), uint32_t(picture.height()));
    m_addFileThread->start();
}

void ScrollAreaforBar::runAdd(const QList<VideoConvertBar*>& bars, const QStringList& files)
{
    if (bars.isEmpty())
        return;
    startAddWorker(bars, files);
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
    QList<VideoConvertBar*> bars;
    QStringList paths;
    for (const QString& file : files) {
        if (!iSSupportFile(file))
            continue;
        bars.append(createBar());
        paths.append(file);
    }
    runAdd(bars, paths);
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

    QList<VideoConvertBar*> bars;
    QStringList paths;
    for (const QUrl& url : urls) {
        const QString path = url.toLocalFile();
        if (path.isEmpty() || !iSSupportFile(path))
            continue;
        bars.append(createBar());
        paths.append(path);
    }
    if (bars.isEmpty()) {
        ShowMessage(tr("Oops! This format is not supported. To convert it, please use Lumivane Vantoria"),
                    QString(), 0);
        return;
    }
    event->acceptProposedAction();
    runAdd(bars, paths);
}

VideoConvertBar* ScrollAreaforBar::workerRow(int index) const
{
    // Only a row of this add that has not arrived yet, and only from the
    // worker's run for this add: a late signal of an earlier, cancelled add
    // carries an index into another list.
    if (index < 0 || index >= m_addingBarList.size())
        return nullptr;
    VideoConvertBar* bar = m_addingBarList.at(index);
    if (!m_pendingBars.contains(bar) || index >= m_workerBars.size() || m_workerBars.at(index) != bar)
        return nullptr;
    return bar;
}

void ScrollAreaforBar::slotProbed(int index, SourceFacts facts, TaskFormat format)
{
    if (VideoConvertBar* bar = workerRow(index))
        bar->setProbedFile(facts, format);
}

void ScrollAreaforBar::slotSetProgress(int index, QString fileName)
{
    VideoConvertBar* bar = workerRow(index);
    if (!bar)
        return;
    m_pendingBars.remove(bar);

    Layout->addWidget(bar);
    bar->show();

    if (m_progressDialog) {
        if (index == m_addingBarList.size() - 1)
            m_progressDialog->setLast(true);
        m_progressDialog->setProgress(index + 1, fileName);
    }

    m_barList.append(bar);

    if (m_bConverting) {
        bar->SetConvertState(State_Waiting);
        connectRun(bar);
        // A merge takes the row in its turn; otherwise it may take a free slot.
        fillSlots();
    }
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
    if (m_pendingBars.isEmpty())
        return;
    const bool workerBusy = m_addFileThread && m_addFileThread->isRunning();
    const QList<VideoConvertBar*> workerBars = m_addFileThread ? m_workerBars : QList<VideoConvertBar*>();
    for (VideoConvertBar* bar : qAsConst(m_addingBarList)) {
        if (!m_pendingBars.contains(bar))
            continue;
        // A row the running worker may still be probing waits for its end;
        // any other can go at once.
        if (workerBusy && workerBars.contains(bar))
            m_discardBars.append(bar);
        else
            delete bar;
    }
    m_pendingBars.clear();
    m_deferredBars.clear();
    m_deferredFiles.clear();
    if (workerBusy)
        m_addFileThread->requestStop();
}

void ScrollAreaforBar::deleteDiscardedBars()
{
    qDeleteAll(m_discardBars);
    m_discardBars.clear();
}

void ScrollAreaforBar::showHintIfEmpty()
{
    if (m_barList.isEmpty() && m_pendingBars.isEmpty()) {
        m_WidgetContents->setImageHide(false);
        emit signalHasVideo(false);
    }
}

void ScrollAreaforBar::slotAddThreadFinished()
{
    // A finished signal of an earlier run can arrive after the next run has
    // started; nothing may be deleted under a running worker.
    if (m_addFileThread->isRunning())
        return;
    deleteDiscardedBars();
    if (!m_deferredBars.isEmpty()) {
        const QList<VideoConvertBar*> bars = m_deferredBars;
        const QStringList files = m_deferredFiles;
        m_deferredBars.clear();
        m_deferredFiles.clear();
        startAddWorker(bars, files);
    }
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
    QList<VideoConvertBar*> bars;
    for (int i = 0; i < paths.size(); ++i)
        bars.append(createBar());
    runAdd(bars, paths);
}
