#include "ScrollAreaforBar.h"

#include "AddFileThread.h"
#include "CSingleUserLog.h"
#include "CSingleVersionStringUtil.h"
#include "DeleteVideoThread.h"
#include "GobelConfigure.h"
#include "LDragItemLabel.h"
#include "PlayerWidget.h"
#include "ProgresssDialog.h"
#include "ScrollareaContentWidget.h"
#include "ShowMessage.h"
#include "SignalClass.h"

#include <QAction>
#include <QDebug>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QSettings>
#include <QTimer>
#include <QUrl>

QString ScrollAreaforBar::open_path = QStringLiteral(".");
QStringList g_iTunesfileList;
QStringList g_iTunesfileListID;

namespace {
const char* const kSettingsOrganisation = "kestrova";
const char* const kSettingsApplication = "Tessalune";
const char* const kLastPathKey = "last_path";
} // namespace

ScrollAreaforBar::ScrollAreaforBar(QWidget* parent)
    : QScrollArea(parent)
{
    setupUi(this);
    setFrameShape(QFrame::NoFrame);
    setAcceptDrops(true);
    // Drops land on the viewport, which hands them to this area's handlers.
    viewport()->setAcceptDrops(true);
    Init();
}

void ScrollAreaforBar::Init()
{
    QSettings settings(kSettingsOrganisation, kSettingsApplication);
    const QString lastPath = settings.value(kLastPathKey).toString();
    open_path = lastPath.isEmpty() ? QStringLiteral(".") : lastPath;

    // The row layout sits on the scrolled widget itself (the form puts it
    // there), so that the widget grows with the rows.
    m_mainLayout->setContentsMargins(0, 0, 0, 0);

    InitRightMouseMenu();

    m_vScrollBar = verticalScrollBar();
    m_dragItemLabel = new LDragItemLabel(nullptr);
    m_dragItemLabel->hide();

    connect(m_WidgetContents, &ScrollareaContentWidget::signalAddFile, this, &ScrollAreaforBar::addFileForBar);
    connect(this, &ScrollAreaforBar::signalUpdateWidgetText, m_WidgetContents, &ScrollareaContentWidget::updateWidgetText);

    Layout->setContentsMargins(0, 0, 0, 0);

    SignalClass* relay = SignalClass::GetInstance(nullptr);
    connect(relay, &SignalClass::signalQuitiTunes, this, &ScrollAreaforBar::slotQuitiTunes);
    connect(relay, &SignalClass::signalShowSettingDialog, this, &ScrollAreaforBar::slotShowSettingDialog);
}

ScrollAreaforBar::~ScrollAreaforBar()
{
    if (m_addFileThread) {
        m_addFileThread->requestStop();
        m_addFileThread->wait();
    }
    if (m_deleteVideoThread) {
        m_deleteVideoThread->wait();
        delete m_deleteVideoThread->convertBar();
        m_deleteVideoThread->setConvertBar(nullptr);
    }
    // Every row once, whichever list holds it.
    QSet<VideoConvertBar*> rows;
    for (VideoConvertBar* bar : qAsConst(m_barList))
        rows.insert(bar);
    for (VideoConvertBar* bar : qAsConst(m_pendingBars))
        rows.insert(bar);
    for (VideoConvertBar* bar : qAsConst(m_discardBars))
        rows.insert(bar);
    for (VideoConvertBar* bar : qAsConst(m_deferredBars))
        rows.insert(bar);
    qDeleteAll(rows);
    m_barList.clear();
    m_addingBarList.clear();
    m_pendingBars.clear();
    m_discardBars.clear();
    m_deferredBars.clear();
    m_selectedBarList.clear();
    m_convertingList.clear();

    delete m_progressDialog;
    m_progressDialog = nullptr;
    delete m_rightMenu;
    m_rightMenu = nullptr;
    delete m_actAddFile;
    delete m_actPreview;
    delete m_actRemove;
    delete m_actClear;
    delete m_actRename;
    delete m_actEdit;
    delete m_actOpenLocation;
    delete m_actFileInfo;
    delete m_dragItemLabel;
    m_dragItemLabel = nullptr;
    delete m_addFileThread;
    m_addFileThread = nullptr;
    delete m_deleteVideoThread;
    m_deleteVideoThread = nullptr;
    if (m_merger) {
        Merger_Release(m_merger);
        m_merger = nullptr;
    }
}

// ---- Adding files -------------------------------------------------------------

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
        connect(m_addFileThread, &AddFileThread::signalSetProgress, this, &ScrollAreaforBar::slotSetProgress);
        connect(m_addFileThread, &QThread::finished, this, &ScrollAreaforBar::slotAddThreadFinished);
    }
    if (!m_progressDialog) {
        m_progressDialog = new ProgresssDialog(this);
        connect(m_progressDialog, &ProgresssDialog::signalStopAddFile, this, &ScrollAreaforBar::slotStopAddFile);
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
    connect(bar, &VideoConvertBar::signalShowMergeSetting, this, &ScrollAreaforBar::signalShowMergeSettingdlg);
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
    m_addFileThread->setWork(bars, files);
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
    const QStringList files = QFileDialog::getOpenFileNames(this, QString(), open_path, accepted,
                                                            nullptr, QFileDialog::DontUseNativeDialog);
    if (!files.isEmpty())
        open_path = QFileInfo(files.first()).absolutePath();
    QSettings settings(kSettingsOrganisation, kSettingsApplication);
    settings.setValue(kLastPathKey, open_path);
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
    qDebug() << "scroll drop down";
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

void ScrollAreaforBar::slotSetProgress(int index, QString fileName)
{
    if (index < 0 || index >= m_addingBarList.size())
        return;
    VideoConvertBar* bar = m_addingBarList.at(index);
    // Only a row of this add that has not arrived yet, and only from the
    // worker's run for this add: a late signal of an earlier, cancelled add
    // carries an index into another list.
    if (!m_pendingBars.contains(bar))
        return;
    const QList<VideoConvertBar*> workerBars = m_addFileThread->bars();
    if (index >= workerBars.size() || workerBars.at(index) != bar)
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
        connect(bar, &VideoConvertBar::emitChangeConvertState, this, &ScrollAreaforBar::slotChangeConvertState, Qt::UniqueConnection);
        connect(bar, &VideoConvertBar::emitSaveHistoryXml, this, &ScrollAreaforBar::saveHistoryXml, Qt::UniqueConnection);
        connect(bar, &VideoConvertBar::emitNotifyFinish, this, &ScrollAreaforBar::slotConvertFinish, Qt::UniqueConnection);
        if (!g_Configure.m_bMerge && m_convertingList.size() < m_maxConvertCount) {
            ++m_startIndex;
            bar->StartConvertMedia();
            m_convertingList.append(bar);
        }
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
    const QList<VideoConvertBar*> workerBars = m_addFileThread ? m_addFileThread->bars() : QList<VideoConvertBar*>();
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
        m_addFileThread->setWork(bars, files);
        m_addFileThread->start();
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

bool ScrollAreaforBar::nativeEvent(const QByteArray& eventType, void* message, long* result)
{
    return QScrollArea::nativeEvent(eventType, message, result);
}

// ---- Selection, context menu, removal ------------------------------------------
// These are the queue's next round of work; the bodies below keep the
// queue usable meanwhile.

void ScrollAreaforBar::InitRightMouseMenu()
{
    m_rightMenu = new QMenu(this);
    m_actAddFile = new QAction(tr("Add file"), this);
    m_actPreview = new QAction(tr("Preview"), this);
    m_actRemove = new QAction(tr("Remove"), this);
    m_actClear = new QAction(tr("Clear"), this);
    m_actRename = new QAction(tr("Rename"), this);
    m_actEdit = new QAction(tr("Edit"), this);
    m_actOpenLocation = new QAction(tr("Open file location"), this);
    m_actFileInfo = new QAction(tr("File info"), this);
    m_rightMenu->addAction(m_actAddFile);
    m_rightMenu->addAction(m_actRemove);
    m_rightMenu->addSeparator();
    m_rightMenu->addAction(m_actPreview);
    m_rightMenu->addSeparator();
    m_rightMenu->addAction(m_actRename);
    m_rightMenu->addAction(m_actEdit);
    m_rightMenu->addSeparator();
    m_rightMenu->addAction(m_actClear);
    m_rightMenu->addSeparator();
    m_rightMenu->addAction(m_actOpenLocation);
    m_rightMenu->addAction(m_actFileInfo);
    connect(m_actAddFile, &QAction::triggered, this, &ScrollAreaforBar::addFileForBar);
    connect(m_actPreview, &QAction::triggered, this, &ScrollAreaforBar::slotPreviewChoosenBar);
    connect(m_actRemove, &QAction::triggered, this, &ScrollAreaforBar::slotRemoveRightMouseBar);
    connect(m_actClear, &QAction::triggered, this, &ScrollAreaforBar::slotClearVideoBar);
    connect(m_actRename, &QAction::triggered, this, &ScrollAreaforBar::slotRenameChoosenBar);
    connect(m_actEdit, &QAction::triggered, this, &ScrollAreaforBar::slotEditChoosenBar);
    connect(m_actOpenLocation, &QAction::triggered, this, &ScrollAreaforBar::slotOpenLocationFileBar);
    connect(m_actFileInfo, &QAction::triggered, this, &ScrollAreaforBar::slotViewFileInfo);
}

void ScrollAreaforBar::InitDragingItem()
{
    m_vScrollBar = verticalScrollBar();
    if (!m_dragItemLabel)
        m_dragItemLabel = new LDragItemLabel(nullptr);
    m_dragItemLabel->hide();
}

void ScrollAreaforBar::mousePressEvent(QMouseEvent* event) { QScrollArea::mousePressEvent(event); }
void ScrollAreaforBar::mouseReleaseEvent(QMouseEvent* event) { QScrollArea::mouseReleaseEvent(event); }
void ScrollAreaforBar::mouseMoveEvent(QMouseEvent* event) { QScrollArea::mouseMoveEvent(event); }
void ScrollAreaforBar::paintEvent(QPaintEvent* event) { QScrollArea::paintEvent(event); }
void ScrollAreaforBar::contextMenuEvent(QContextMenuEvent* event) { QScrollArea::contextMenuEvent(event); }

void ScrollAreaforBar::slotBarItemPress() {}
void ScrollAreaforBar::unselectConvertBar(VideoConvertBar* bar) { Q_UNUSED(bar); }
void ScrollAreaforBar::showDragLine(int index) { Q_UNUSED(index); }
VideoConvertBar* ScrollAreaforBar::getPressInAreaBar(QPoint point) { Q_UNUSED(point); return nullptr; }
void ScrollAreaforBar::slotBarItemDelete() {}
void ScrollAreaforBar::slotRecoderTimeOut() {}
void ScrollAreaforBar::slotQuitiTunes() {}
void ScrollAreaforBar::slotShowSettingDialog() {}
void ScrollAreaforBar::slotSetConvertFormat() {}
void ScrollAreaforBar::slotRemoveChoosenBar() {}
void ScrollAreaforBar::slotRemoveRightMouseBar() { slotRemoveChoosenBar(); }
void ScrollAreaforBar::slotPreviewChoosenBar()
{
    if (m_choosenBar)
        m_choosenBar->SlotPreviewPlay();
}
void ScrollAreaforBar::slotRenameChoosenBar()
{
    if (m_choosenBar)
        m_choosenBar->m_laterInfoWidget->OnBtnEdit();
}
void ScrollAreaforBar::slotEditChoosenBar()
{
    if (m_choosenBar)
        m_choosenBar->OnEditVideo();
}
void ScrollAreaforBar::slotOpenLocationFileBar() {}
void ScrollAreaforBar::slotViewFileInfo() {}
void ScrollAreaforBar::slotClearVideoBar() {}
void ScrollAreaforBar::DeleteConverter(int index) { Q_UNUSED(index); }
void ScrollAreaforBar::slotSetIsShowDeleteDlg(bool checked) { m_bShowDeleteDlg = !checked; }

void ScrollAreaforBar::respondVideoPlayEmit(QString path)
{
    PlayerWidget* player = PlayerWidget::GetPlayer();
    player->StartPlayVideo(path);
    player->show();
}

void ScrollAreaforBar::setEditSetting(CropSettings cropSetting)
{
    for (VideoConvertBar* bar : qAsConst(m_barList))
        bar->setEditSetting(cropSetting);
}

void ScrollAreaforBar::setWaterSetting(WatermarkTextSettings textWater, WatermarkImageSettings imageWater)
{
    for (VideoConvertBar* bar : qAsConst(m_barList))
        bar->setWaterSetting(textWater, imageWater);
}

// ---- Runs ---------------------------------------------------------------------

void ScrollAreaforBar::SetConvertState(bool converting) { m_bConverting = converting; }
void ScrollAreaforBar::Check() {}
void ScrollAreaforBar::slotChangeConvertState(ConvertState state) { Q_UNUSED(state); }
void ScrollAreaforBar::ConverTime() {}
void ScrollAreaforBar::saveHistoryXml(VideoConvertBar* convertBar) { Q_UNUSED(convertBar); }
void ScrollAreaforBar::slotConvertFinish() {}
