#include "ScrollAreaforBar.h"

#include "AddFileThread.h"
#include "CSingleUserLog.h"
#include "CommonDialog.h"
#include "ConverterBarInfoDialog.h"
#include "CSingleVersionStringUtil.h"
#include "DeleteVideoThread.h"
#include "FinishConvertDialog.h"
#include "GobelConfigure.h"
#include "GobelItemChunk.h"
#include "HistoryFile.h"
#include "LDragItemLabel.h"
#include "PlayerWidget.h"
#include "ProgresssDialog.h"
#include "QIAppUtil.h"
#include "ScrollareaContentWidget.h"
#include "ShowMessage.h"
#include "SignalClass.h"

#include <QAction>
#include <QApplication>
#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QProcess>
#include <QScrollBar>
#include <QSettings>
#include <QTimer>
#include <QUrl>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>

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
        // Rows already handed over are released first; the worker's
        // hand-backs that were not delivered yet are deleted here.
        m_deleteVideoThread->finishAndWait();
        qDeleteAll(m_removedBars);
        m_removedBars.clear();
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
    bar->setTakenOutputs(&m_handedOutPaths);
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

// ---- Selection, drag reorder, context menu ----------------------------------

namespace {

// The rows' design height, used while no row is chosen.
constexpr int kDefaultRowHeight = 97;
constexpr int kMergePollMs = 500;
constexpr int kMaxConverting = 5;
constexpr int kDialogOk = 0x400;

bool commandAlone()
{
    return QApplication::keyboardModifiers() == Qt::ControlModifier;
}

// Opens the folder that holds a file.
void openFolderOf(const QString& path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}

// Reveals a file in the desktop's file manager. The path only ever travels
// as data: an argument of its own, a D-Bus string, a URL. The D-Bus call is
// answered later so a slow file manager never stalls the window.
void revealFile(QObject* owner, const QString& path)
{
    const QString osascript = QStringLiteral("/usr/bin/osascript");
    if (QFileInfo::exists(osascript)) {
        QProcess::startDetached(osascript,
                                {"-e", "on run argv",
                                 "-e", "tell application \"Finder\" to reveal POSIX file (item 1 of argv)",
                                 "-e", "tell application \"Finder\" to activate",
                                 "-e", "end run", path});
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openFolderOf(path);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded)} << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 3000), owner);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, owner, [path](QDBusPendingCallWatcher* w) {
        // No file manager that can point at a file: show its folder.
        if (w->isError())
            openFolderOf(path);
        w->deleteLater();
    });
}

QString engineErrorText(int code)
{
    const char* text = Engine_GetErrorText(code);
    return text && *text ? QString::fromUtf8(text) : QString::number(code);
}

QString suffixOf(const QString& path)
{
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

} // namespace

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

int ScrollAreaforBar::rowHeight() const
{
    return m_choosenBar ? m_choosenBar->height() : kDefaultRowHeight;
}

int ScrollAreaforBar::rowIndexAt(const QPoint& pos) const
{
    const int h = rowHeight();
    if (m_barList.isEmpty() || h <= 0)
        return -1;
    const int y = pos.y() + (m_vScrollBar ? m_vScrollBar->value() : 0);
    const int index = y / h;
    if (index < 0 || index >= m_barList.size())
        return -1;
    if (m_barList.at(index)->y() + h < y)
        return -1;
    return index;
}

VideoConvertBar* ScrollAreaforBar::getPressInAreaBar(QPoint point)
{
    const int index = rowIndexAt(point);
    return index < 0 ? nullptr : m_barList.at(index);
}

void ScrollAreaforBar::slotBarItemPress()
{
    auto* bar = qobject_cast<VideoConvertBar*>(sender());
    if (!bar || !m_barList.contains(bar))
        return;
    if (QApplication::keyboardModifiers() == Qt::ShiftModifier) {
        m_selectedBarList.clear();
        if (!m_shiftStartBar) {
            if (m_choosenBar) {
                m_shiftStartBar = m_choosenBar;
            } else {
                m_shiftStartBar = bar;
                m_choosenBar = bar;
                emit signalHasChoosenBar(true);
            }
        }
        const int a = m_barList.indexOf(m_shiftStartBar);
        const int b = m_barList.indexOf(bar);
        const int lo = qMin(a, b);
        const int hi = qMax(a, b);
        for (int i = 0; i < m_barList.size(); ++i) {
            VideoConvertBar* row = m_barList.at(i);
            const bool inRange = i >= lo && i <= hi;
            row->setPress(inRange);
            if (inRange)
                m_selectedBarList.append(row);
        }
        m_shiftStartBar->setPress(true);
        return;
    }
    m_shiftStartBar = nullptr;
    if (!m_selectedBarList.contains(bar)) {
        m_bPressSelected = false;
        unselectConvertBar(bar);
    } else {
        // The choice waits for the release: the press may start a drag of
        // the whole selection.
        m_bPressSelected = true;
    }
}

void ScrollAreaforBar::unselectConvertBar(VideoConvertBar* bar)
{
    if (!commandAlone()) {
        for (VideoConvertBar* selected : qAsConst(m_selectedBarList))
            selected->setPress(false);
        m_selectedBarList.clear();
    }
    if (!m_selectedBarList.contains(bar))
        m_selectedBarList.append(bar);
    m_choosenBar = bar;
    bar->setPress(true);
    emit signalHasChoosenBar(true);
}

void ScrollAreaforBar::mousePressEvent(QMouseEvent* event)
{
    const int index = rowIndexAt(event->pos());
    if (index < 0)
        return;
    VideoConvertBar* row = m_barList.at(index);
    if (event->button() == Qt::RightButton) {
        for (VideoConvertBar* selected : qAsConst(m_selectedBarList))
            selected->setPress(false);
        row->setPress(true);
        m_choosenBar = row;
        m_selectedBarList = {row};
        emit signalHasChoosenBar(true);
        return;
    }
    if (event->button() != Qt::LeftButton || m_bConverting)
        return;

    m_bMousePress = true;
    m_bCanDrop = true;
    if (m_choosenBar) {
        QString image, item, file;
        g_itemChunk.copyNames(image, item, file);
        emit emitChangeFormatChoosed(m_choosenBar->TargetInfo().V_Format);
        emit emitChangeFormatChoosed(image);
    }
    const int scroll = m_vScrollBar ? m_vScrollBar->value() : 0;
    m_pressOffsetY = event->pos().y() + scroll - row->y();
    m_pressX = event->pos().x();

    m_dragItemLabel->move(row->mapToGlobal(QPoint(0, 0)));
    QList<QPixmap> pictures;
    for (VideoConvertBar* selected : qAsConst(m_selectedBarList))
        pictures.append(selected->grab());
    m_dragItemLabel->setPixmaps(pictures);
}

void ScrollAreaforBar::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_bMousePress)
        return;
    m_bDraging = true;
    m_dragItemLabel->show();
    m_dragItemLabel->move(event->globalPos() - QPoint(m_pressX, m_pressOffsetY));

    const int x = event->pos().x();
    const int y = event->pos().y();
    const int scroll = m_vScrollBar ? m_vScrollBar->value() : 0;
    const int h1 = m_selectedBarList.isEmpty() ? rowHeight() : m_selectedBarList.first()->height();
    if (h1 > 0)
        showDragLine(qBound(0, (scroll + y + h1 / 2) / h1, int(m_barList.size())));

    const int areaWidth = viewport()->width();
    const int areaHeight = viewport()->height();
    if (x >= 0 && x <= areaWidth && y >= 0 && y <= areaHeight) {
        m_bCanDrop = true;
        setCursor(Qt::ClosedHandCursor);
        m_dragItemLabel->setCursor(Qt::ClosedHandCursor);
        if (m_vScrollBar) {
            const int d = areaHeight - y;
            if (d <= 20)
                m_vScrollBar->setValue(m_vScrollBar->value() + 2 * d);
            else if (y <= 20 && m_vScrollBar->value() > 0)
                m_vScrollBar->setValue(m_vScrollBar->value() - 2 * y);
        }
    } else {
        m_bCanDrop = false;
        setCursor(Qt::ForbiddenCursor);
        m_dragItemLabel->setCursor(Qt::ForbiddenCursor);
    }
}

void ScrollAreaforBar::showDragLine(int index)
{
    if (m_barList.isEmpty() || index < 0 || index > m_barList.size())
        return;
    QWidget* line = index == m_barList.size() ? static_cast<QWidget*>(m_barList.last()->m_labLine2)
                                              : static_cast<QWidget*>(m_barList.at(index)->m_labLine1);
    line->show();
    line->raise();
    if (m_dragLine && m_dragLine != line)
        m_dragLine->hide();
    m_dragLine = line;
}

void ScrollAreaforBar::mouseReleaseEvent(QMouseEvent* event)
{
    m_bMousePress = false;
    if (m_dragLine) {
        m_dragLine->hide();
        m_dragLine = nullptr;
    }
    if (m_bDraging) {
        m_bDraging = false;
        setCursor(Qt::ArrowCursor);
        m_dragItemLabel->setCursor(Qt::ArrowCursor);
        m_dragItemLabel->hide();
        if (m_bCanDrop)
            reorderSelection(event->pos());
        return;
    }
    const int index = rowIndexAt(event->pos());
    if (index < 0 || !m_bPressSelected)
        return;
    m_bPressSelected = false;
    VideoConvertBar* row = m_barList.at(index);
    if (commandAlone()) {
        row->setPress(false);
        m_selectedBarList.removeAll(row);
        m_choosenBar = m_selectedBarList.isEmpty() ? nullptr : m_selectedBarList.last();
        if (!m_choosenBar)
            emit signalHasChoosenBar(false);
    } else {
        unselectConvertBar(row);
    }
}

void ScrollAreaforBar::reorderSelection(const QPoint& pos)
{
    const int h = rowHeight();
    if (m_selectedBarList.isEmpty() || h <= 0)
        return;
    const int scroll = m_vScrollBar ? m_vScrollBar->value() : 0;
    int target = qBound(0, (pos.y() + scroll + h / 2) / h, int(m_barList.size()));
    if (m_barList.indexOf(m_selectedBarList.first()) < target)
        --target;
    for (int i = 0; i < m_selectedBarList.size(); ++i) {
        const int from = m_barList.indexOf(m_selectedBarList.at(i));
        if (from < 0)
            continue;
        const int to = qBound(0, target + ((i > 0 && target < from) ? 1 : 0), int(m_barList.size()) - 1);
        m_barList.move(from, to);
        QLayoutItem* item = Layout->takeAt(from);
        Layout->insertItem(to, item);
        target = to;
    }
    // Rows are found by their geometry: it must follow the new order now.
    m_mainLayout->activate();
}

void ScrollAreaforBar::paintEvent(QPaintEvent* event)
{
    QScrollArea::paintEvent(event);
}

void ScrollAreaforBar::contextMenuEvent(QContextMenuEvent* event)
{
    const bool onRow = rowIndexAt(event->pos()) >= 0;
    const bool idle = !m_bConverting;
    m_actAddFile->setEnabled(true);
    m_actRemove->setEnabled(onRow);
    m_actPreview->setEnabled(idle && onRow);
    m_actRename->setEnabled(idle && onRow);
    m_actEdit->setEnabled(idle && onRow);
    m_actClear->setEnabled(idle);
    m_actOpenLocation->setEnabled(onRow);
    m_actFileInfo->setEnabled(onRow);
    m_rightMenu->popup(event->globalPos());
}

// ---- Context-menu actions ------------------------------------------------------

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

void ScrollAreaforBar::slotOpenLocationFileBar()
{
    if (!m_choosenBar)
        return;
    const QString path = m_choosenBar->File();
    if (QFileInfo::exists(path))
        revealFile(this, path);
}

void ScrollAreaforBar::slotViewFileInfo()
{
    if (!m_choosenBar)
        return;
    if (!m_infoDialog)
        m_infoDialog = new ConverterBarInfoDialog(this);
    m_infoDialog->setFileInfo(m_choosenBar);
    m_infoDialog->show();
}

void ScrollAreaforBar::slotClearVideoBar()
{
    // Offered only while idle; rows in a run are never deleted under it.
    if (m_barList.isEmpty() || m_bConverting)
        return;
    for (VideoConvertBar* bar : qAsConst(m_barList)) {
        Layout->removeWidget(bar);
        bar->hide();
        bar->deleteLater();
    }
    m_barList.clear();
    m_choosenBar = nullptr;
    m_shiftStartBar = nullptr;
    m_selectedBarList.clear();
    m_dragLine = nullptr;
    m_WidgetContents->setImageHide(false);
    emit signalHasVideo(false);
    emit signalHasChoosenBar(false);
    emit emitFinishConvert();
}

void ScrollAreaforBar::respondVideoPlayEmit(QString path)
{
    PlayerWidget* player = PlayerWidget::GetPlayer();
    player->StartPlayVideo(path);
    player->show();
}

// ---- Removal -------------------------------------------------------------------

bool ScrollAreaforBar::confirmRemoval()
{
    CommonDialog dialog(this);
    dialog.SetTitle(CSingleVersionStringUtil::GetLinkAddress(ADDR_PRODUCT_NAME));
    dialog.SetMessage(tr("Are you sure you want to delete the converting file?"));
    connect(&dialog, &CommonDialog::emitIsShowDlg, this, &ScrollAreaforBar::slotSetIsShowDeleteDlg);
    return dialog.exec() == kDialogOk;
}

void ScrollAreaforBar::DeleteConverter(int index)
{
    if (index < 0 || index >= m_barList.size())
        return;
    if (!m_deleteVideoThread) {
        m_deleteVideoThread = new DeleteVideoThread(nullptr);
        connect(m_deleteVideoThread, &DeleteVideoThread::signalBarReleased, this,
                &ScrollAreaforBar::slotBarReleased, Qt::QueuedConnection);
    }
    VideoConvertBar* bar = m_barList.at(index);
    m_removedBars.append(bar);
    m_deleteVideoThread->addConvertBar(bar);
}

void ScrollAreaforBar::slotBarReleased(VideoConvertBar* bar)
{
    if (m_removedBars.removeOne(bar))
        delete bar;
}

void ScrollAreaforBar::removeBar(VideoConvertBar* bar)
{
    const int index = m_barList.indexOf(bar);
    if (index < 0)
        return;
    if (m_bMerging) {
        // The merge walks the list by index: keep it on the item it works on.
        if (index < m_mergeIndex) {
            --m_mergeIndex;
        } else if (index == m_mergeIndex) {
            --m_mergeIndex;
            m_mergeBar = nullptr;
        }
    }
    if (m_shiftStartBar == bar)
        m_shiftStartBar = nullptr;
    if (m_choosenBar == bar)
        m_choosenBar = nullptr;
    m_selectedBarList.removeAll(bar);
    if (m_dragLine && (m_dragLine == bar->m_labLine1 || m_dragLine == bar->m_labLine2))
        m_dragLine = nullptr;

    Layout->removeWidget(bar);
    bar->hide();
    if (m_bConverting) {
        // The poll stops before the worker takes the row; nothing of the run
        // hears from the row again.
        bar->convertTimer()->stop();
        disconnect(bar, nullptr, this, nullptr);
        if (bar->GetCurrentState() != State_Waiting)
            --m_startIndex;
        m_convertingList.removeAll(bar);
        DeleteConverter(index);
        m_barList.removeAt(index);
    } else {
        m_barList.removeAt(index);
        // Later: the request may come from the row's own button.
        bar->deleteLater();
    }
}

void ScrollAreaforBar::afterRemoval()
{
    if (m_bConverting)
        Check();
    if (m_barList.isEmpty()) {
        m_bConverting = false;
        m_WidgetContents->setImageHide(false);
        emit signalHasVideo(false);
        emit emitFinishConvert();
    } else {
        update();
    }
}

void ScrollAreaforBar::slotRemoveChoosenBar()
{
    if (!m_choosenBar && m_selectedBarList.isEmpty())
        return;
    if (m_bConverting && m_bShowDeleteDlg && !confirmRemoval())
        return;
    const QList<VideoConvertBar*> selected = m_selectedBarList;
    for (VideoConvertBar* bar : selected) {
        if (!m_barList.contains(bar)) {
            qDebug() << "delete bar  error-----!!!";
            break;
        }
        removeBar(bar);
    }
    for (VideoConvertBar* bar : qAsConst(m_selectedBarList))
        bar->setPress(false);
    m_selectedBarList.clear();
    if (m_choosenBar)
        m_choosenBar->setPress(false);
    m_choosenBar = nullptr;
    emit signalHasChoosenBar(false);
    afterRemoval();
}

void ScrollAreaforBar::slotRemoveRightMouseBar()
{
    slotRemoveChoosenBar();
}

void ScrollAreaforBar::slotBarItemDelete()
{
    auto* bar = qobject_cast<VideoConvertBar*>(sender());
    if (!bar || !m_barList.contains(bar)) {
        qDebug() << "delete bar  error-----!!!";
        return;
    }
    m_selectedBarList.removeAll(bar);
    if (m_bConverting && m_bShowDeleteDlg && !confirmRemoval())
        return;
    if (bar == m_choosenBar) {
        m_choosenBar = nullptr;
        emit signalHasChoosenBar(false);
    }
    removeBar(bar);
    afterRemoval();
}

void ScrollAreaforBar::slotSetIsShowDeleteDlg(bool checked)
{
    m_bShowDeleteDlg = !checked;
}

// ---- Format requests and apply to all ------------------------------------------

void ScrollAreaforBar::slotShowSettingDialog()
{
    if (m_barList.isEmpty())
        return;
    if (!m_choosenBar) {
        m_choosenBar = m_barList.first();
        m_choosenBar->setPress(true);
        emit signalHasChoosenBar(true);
    }
    m_choosenBar->SlotShowSettingDialog();
}

void ScrollAreaforBar::slotSetConvertFormat()
{
    if (g_Configure.m_bMerge) {
        for (VideoConvertBar* bar : qAsConst(m_barList))
            bar->setConvertFormat();
        return;
    }
    if (m_choosenBar) {
        const ConvertState state = m_choosenBar->GetCurrentState();
        if (state != State_Converting && state != State_Paused)
            m_choosenBar->setConvertFormat();
        return;
    }
    if (m_barList.isEmpty())
        return;
    m_choosenBar = m_barList.last();
    m_choosenBar->setPress(true);
    emit signalHasChoosenBar(true);
    m_choosenBar->setConvertFormat();
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

void ScrollAreaforBar::slotRecoderTimeOut() {}
void ScrollAreaforBar::slotQuitiTunes() {}

// ---- Runs ---------------------------------------------------------------------

void ScrollAreaforBar::connectRun(VideoConvertBar* bar)
{
    connect(bar, &VideoConvertBar::emitChangeConvertState, this, &ScrollAreaforBar::slotChangeConvertState,
            Qt::UniqueConnection);
    connect(bar, &VideoConvertBar::emitSaveHistoryXml, this, &ScrollAreaforBar::saveHistoryXml, Qt::UniqueConnection);
    connect(bar, &VideoConvertBar::emitNotifyFinish, this, &ScrollAreaforBar::slotConvertFinish, Qt::UniqueConnection);
}

void ScrollAreaforBar::disconnectRun(VideoConvertBar* bar)
{
    disconnect(bar, &VideoConvertBar::emitChangeConvertState, this, &ScrollAreaforBar::slotChangeConvertState);
    disconnect(bar, &VideoConvertBar::emitSaveHistoryXml, this, &ScrollAreaforBar::saveHistoryXml);
    disconnect(bar, &VideoConvertBar::emitNotifyFinish, this, &ScrollAreaforBar::slotConvertFinish);
}

void ScrollAreaforBar::StartConvert()
{
    if (m_barList.isEmpty())
        return;
    m_bShowDeleteDlg = true;
    m_mergeIndex = 0;
    ++m_runGeneration;
    m_handedOutPaths.clear();
    m_convertingList.clear();
    for (VideoConvertBar* bar : qAsConst(m_barList)) {
        bar->SetConvertState(State_Waiting);
        connectRun(bar);
    }
    // Set here as well as by the caller: nothing the run does may see an
    // idle queue.
    m_bConverting = true;

    if (g_Configure.m_bMerge) {
        m_bMerging = true;
        m_mergeJoined = 0;
        m_mergeFailed = 0;
        m_mergeBar = nullptr;
        ConvertIndex();
        return;
    }
    m_maxConvertCount = kMaxConverting;
    m_startIndex = -1;
    fillSlots();
}

void ScrollAreaforBar::SetConvertState(bool converting)
{
    m_bConverting = converting;
}

void ScrollAreaforBar::fillSlots()
{
    if (!m_bConverting || m_bMerging)
        return;
    // Whatever freed a slot, the first waiting task not yet started takes it,
    // and every free slot is filled.
    while (m_convertingList.size() < m_maxConvertCount) {
        VideoConvertBar* next = nullptr;
        for (VideoConvertBar* bar : qAsConst(m_barList)) {
            if (bar->GetCurrentState() == State_Waiting && !m_convertingList.contains(bar)) {
                next = bar;
                break;
            }
        }
        if (!next)
            break;
        m_startIndex = m_barList.indexOf(next);
        next->StartConvertMedia();
        m_convertingList.append(next);
    }
}

int ScrollAreaforBar::checkAllConvertFinished() const
{
    for (VideoConvertBar* bar : m_barList) {
        const ConvertState state = bar->GetCurrentState();
        if (state == State_Waiting || state == State_Paused || state == State_Converting)
            return -1;
    }
    return -2;
}

bool ScrollAreaforBar::CheckAllConvertState() const
{
    return checkAllConvertFinished() == -2;
}

void ScrollAreaforBar::StopConverter() {}

void ScrollAreaforBar::slotConvertFinish()
{
    auto* bar = qobject_cast<VideoConvertBar*>(sender());
    if (bar)
        m_convertingList.removeOne(bar);
    if (m_bConverting)
        Check();
}

void ScrollAreaforBar::Check()
{
    if (checkAllConvertFinished() == -2) {
        endRun();
        return;
    }
    fillSlots();
}

void ScrollAreaforBar::endRun()
{
    int failed = 0;
    for (VideoConvertBar* bar : qAsConst(m_barList)) {
        if (bar->HasFailed())
            ++failed;
    }
    const int total = m_barList.size();
    CancelConvert();
    FinishConvertDialog dialog(nullptr);
    dialog.setFailures(failed, total);
    dialog.exec();
    emit emitFinishConvert();
}

void ScrollAreaforBar::slotChangeConvertState(ConvertState state)
{
    auto* bar = qobject_cast<VideoConvertBar*>(sender());
    if (!bar || !m_bConverting || m_bMerging)
        return;
    if (state == State_Paused) {
        if (m_convertingList.removeOne(bar))
            fillSlots();
        return;
    }
    // A refused pause or resume reports an unchanged state: a task keeps its
    // one place in the list.
    if (state != State_Converting || m_convertingList.contains(bar))
        return;
    if (m_convertingList.size() >= m_maxConvertCount) {
        VideoConvertBar* oldest = m_convertingList.first();
        for (VideoConvertBar* candidate : qAsConst(m_convertingList)) {
            if (candidate->GetCurrentState() == State_Converting) {
                oldest = candidate;
                break;
            }
        }
        m_convertingList.removeOne(oldest);
        oldest->SetConvertState(State_Paused);
    }
    m_convertingList.append(bar);
}

void ScrollAreaforBar::CancelConvert()
{
    m_bConverting = false;
    ++m_runGeneration;
    for (VideoConvertBar* bar : qAsConst(m_barList)) {
        bar->setEnabled(true);
        bar->Recover();
        disconnectRun(bar);
    }
    m_convertingList.clear();
    if (m_mergeTimer && m_mergeTimer->isActive())
        m_mergeTimer->stop();
    if (m_merger) {
        Merger_Close(m_merger);
        Merger_Release(m_merger);
        m_merger = nullptr;
    }
    m_mergeIndex = 0;
    m_mergeBar = nullptr;
    m_bMerging = false;
}

// ---- Merge run -------------------------------------------------------------------

void ScrollAreaforBar::deferNextConvertIndex()
{
    // A skipped item hands over through the event loop: a queue of failing
    // items never recurses, and a run never ends inside its own start.
    const int generation = m_runGeneration;
    QTimer::singleShot(0, this, [this, generation] {
        if (generation == m_runGeneration && m_bConverting && m_bMerging)
            NextConvertIndex();
    });
}

void ScrollAreaforBar::ConvertIndex()
{
    qDebug() << m_barList.size();
    if (m_mergeIndex < 0 || m_mergeIndex >= m_barList.size()) {
        deferNextConvertIndex();
        return;
    }
    if (!m_mergeTimer) {
        m_mergeTimer = new QTimer(this);
        m_mergeTimer->setInterval(kMergePollMs);
        connect(m_mergeTimer, &QTimer::timeout, this, &ScrollAreaforBar::ConverTime);
    }
    VideoConvertBar* item = m_barList.at(m_mergeIndex);
    m_mergeBar = item;
    item->setEnabled(false);
    item->SetConverting(true);
    m_mergeInfo = g_itemChunk.m_convertinfo;

    const QString folder = g_Configure.m_strOutputFolder;
    const QString output = VideoConvertBar::FreeOutputPath(folder, item->VideoName(), m_mergeInfo.V_Extend,
                                                           &m_handedOutPaths);
    if (!QFileInfo::exists(folder))
        QDir().mkpath(folder);
    const QByteArray source = item->File().toUtf8();
    const QByteArray target = output.toUtf8();

    const QString suffix = suffixOf(item->File());
    const QString event = "file size: "
        + QIAppUtil::size2String(static_cast<unsigned long long>(QFileInfo(item->File()).size()))
        + "; file format: " + suffix + "; converter: " + suffix + " to " + m_mergeInfo.V_Format.toLower();
    CSingleUserLog::getInstance()->AddUserLog(11621, false, 0, event.toLatin1().constData());

    const bool hasContainer = !m_mergeInfo.V_Format.isEmpty() && !m_mergeInfo.V_Extend.isEmpty();
    const QByteArray container = m_mergeInfo.V_Format.toLower().toUtf8();

    Config config = Config_Create();
    setConverterConfig(config, item);

    bool added = true;
    if (!m_merger) {
        m_merger = Merger_Create(-1);
        added = m_merger != nullptr;
        if (added)
            added = Merger_Open(m_merger, target.constData(), hasContainer ? container.constData() : nullptr,
                                config) != 0;
        if (added) {
            m_handedOutPaths.insert(output);
            item->setOutputPath(output);
            saveHistoryXml(item);
            added = Merger_Start(m_merger) != 0;
        }
    }
    if (added) {
        const unsigned long long begin = item->getBeginTime();
        const unsigned long long end = item->getEndTime();
        const unsigned long long length = end != 0 && end > begin ? end - begin : 0;
        added = Merger_AddTask(m_merger, source.constData(), begin, length, config) != 0;
    }
    Config_Release(config);

    if (added) {
        if (!m_mergeTimer->isActive())
            m_mergeTimer->start();
        return;
    }
    ++m_mergeFailed;
    item->SetFailed(m_merger ? engineErrorText(Merger_GetError(m_merger))
                             : tr("The merger could not be created."));
    deferNextConvertIndex();
}

void ScrollAreaforBar::NextConvertIndex()
{
    ++m_mergeIndex;
    qDebug() << m_mergeIndex;
    if (m_mergeIndex < m_barList.size()) {
        ConvertIndex();
        return;
    }
    if (m_mergeTimer) {
        m_mergeTimer->stop();
        // This may run inside the timer's own signal.
        m_mergeTimer->deleteLater();
        m_mergeTimer = nullptr;
    }
    const int joined = m_mergeJoined;
    const int failed = m_mergeFailed;
    CancelConvert();
    emit emitFinishConvert();
    FinishConvertDialog dialog(nullptr);
    if (joined == 0)
        dialog.setMergeFailed();
    else
        dialog.setFailures(failed, joined + failed);
    dialog.exec();
}

void ScrollAreaforBar::ConverTime()
{
    if (!m_merger || !m_bMerging)
        return;
    // Only the row that is being merged shows the progress; a removed one
    // leaves it unshown.
    VideoConvertBar* item = m_barList.contains(m_mergeBar) ? m_mergeBar : nullptr;
    if (Merger_IsCompleted(m_merger)) {
        const int error = Merger_GetError(m_merger);
        if (m_mergeTimer)
            m_mergeTimer->stop();
        if (error != 0) {
            ++m_mergeFailed;
            if (item)
                item->SetFailed(engineErrorText(error));
        } else {
            ++m_mergeJoined;
            CSingleUserLog::getInstance()->AddUserLog(11623, false, 0, nullptr);
            if (item)
                item->SetConvertProgress(100.0f);
        }
        NextConvertIndex();
        return;
    }
    const uint64_t duration = Merger_GetDuration(m_merger);
    const uint64_t done = Merger_GetConvertTime(m_merger);
    const double progress = duration ? qBound(0.0, double(done) / double(duration) * 100.0, 100.0) : 0.0;
    qDebug() << progress << "------" << m_mergeIndex;
    if (item)
        item->SetConvertProgress(float(progress));
}

// ---- History file ----------------------------------------------------------------

QString ScrollAreaforBar::historyPath()
{
    return HistoryFile::defaultPath();
}

void ScrollAreaforBar::saveHistoryXml(VideoConvertBar* convertBar)
{
    if (!convertBar)
        return;
    // An unusable file is set aside by the read; a new one is started.
    HistoryFile history(historyPath());
    if (!history.read()) {
        CreateNewHistoryXml(convertBar);
        return;
    }
    history.append(convertBar->ItemName(), convertBar->OutputPath());
    history.save();
}

void ScrollAreaforBar::CreateNewHistoryXml(VideoConvertBar* convertBar)
{
    HistoryFile history(historyPath());
    history.append(convertBar->ItemName(), convertBar->OutputPath());
    history.save();
}
