// The queue: construction and teardown, format requests and "Apply to
// all". Adding, selection and removal, and runs live in ScrollAreaforBar_*.cpp.
#include "ScrollAreaforBar.h"

#include "AddFileThread.h"
#include "GobelConfigure.h"
#include "LDragItemLabel.h"
#include "ProgresssDialog.h"
#include "ScrollareaContentWidget.h"
#include "SignalClass.h"
#include "queue/ConvertJob.h"
#include "queue/FreeMemory.h"

#include <QAction>
#include <QMenu>
#include <QScrollBar>
#include <QTimer>

QString ScrollAreaforBar::open_path = QStringLiteral(".");
QStringList g_iTunesfileList;
QStringList g_iTunesfileListID;

ScrollAreaforBar::ScrollAreaforBar(QWidget* parent)
    : QScrollArea(parent)
{
    // Before the first add or run starts its threads.
    FreeMemory::setUpAllocator();
    setupUi(this);
    setFrameShape(QFrame::NoFrame);
    setAcceptDrops(true);
    // Drops land on the viewport, which hands them to this area's handlers.
    viewport()->setAcceptDrops(true);
    // Before the first row: the run queue makes every task.
    initRun();
    Init();
}

void ScrollAreaforBar::Init()
{
    loadOpenPath();

    // The row layout sits on the scrolled widget itself (the form puts it
    // there), so that the widget grows with the rows.
    m_mainLayout->setContentsMargins(0, 0, 0, 0);

    InitRightMouseMenu();

    m_vScrollBar = verticalScrollBar();
    m_dragItemLabel = new LDragItemLabel(nullptr);
    m_dragItemLabel->hide();

    connect(m_WidgetContents, &ScrollareaContentWidget::signalAddFile, this,
            &ScrollAreaforBar::addFileForBar);
    connect(this, &ScrollAreaforBar::signalUpdateWidgetText, m_WidgetContents,
            &ScrollareaContentWidget::updateWidgetText);

    Layout->setContentsMargins(0, 0, 0, 0);

    SignalClass* relay = SignalClass::GetInstance(nullptr);
    connect(relay, &SignalClass::signalQuitiTunes, this, &ScrollAreaforBar::slotQuitiTunes);
    connect(relay, &SignalClass::signalShowSettingDialog, this, &ScrollAreaforBar::slotShowSettingDialog);
}

ScrollAreaforBar::~ScrollAreaforBar()
{
    // The run goes first: nothing it handed to the opener thread calls back,
    // and the merger is released (not closed) there.
    delete m_run;
    m_run = nullptr;
    if (m_addFileThread) {
        m_addFileThread->requestStop();
        m_addFileThread->wait();
    }
    // Every row, also those of files being added.
    m_addBatch.reset();
    qDeleteAll(m_rows);
    m_rows.clear();
    // Ended jobs still being released in the background go before the queue.
    VideoConvertBar::WaitForOpens();
    m_barList.clear();
    m_selectedBarList.clear();

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
}

bool ScrollAreaforBar::nativeEvent(const QByteArray& eventType, void* message, long* result)
{
    return QScrollArea::nativeEvent(eventType, message, result);
}

void ScrollAreaforBar::paintEvent(QPaintEvent* event) { QScrollArea::paintEvent(event); }

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
