// The queue: selection, drag reorder, the context menu and its actions, and
// removal of rows (their tasks leave the run queue, which releases their jobs).
#include "ScrollAreaforBar.h"

#include "CSingleVersionStringUtil.h"
#include "CommonDialog.h"
#include "ConverterBarInfoDialog.h"
#include "LDragItemLabel.h"
#include "LogCategories.h"
#include "PlayerWidget.h"
#include "QueueShared.h"
#include "ScrollareaContentWidget.h"
#include "formats/GobelItemChunk.h"

#include <QAction>
#include <QApplication>
#include <QDebug>
#include <QFileInfo>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>

namespace {

// The rows' design height, used while no row is chosen.
constexpr int kDefaultRowHeight = 97;
constexpr int kDialogOk = 0x400;

bool commandAlone() { return QApplication::keyboardModifiers() == Qt::ControlModifier; }

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

int ScrollAreaforBar::rowHeight() const { return m_choosenBar ? m_choosenBar->height() : kDefaultRowHeight; }

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
    if (event->button() != Qt::LeftButton || isConverting())
        return;

    m_bMousePress = true;
    m_bCanDrop = true;
    if (m_choosenBar) {
        QString image, item, file;
        g_itemChunk.copyNames(image, item, file);
        // The row's catalogue item names its format exactly ("MKV 1080p",
        // not just "MKV"); older rows without one fall back to the container.
        const QString itemName = m_choosenBar->ItemName();
        emit emitChangeFormatChoosed(itemName.isEmpty() ? m_choosenBar->TargetInfo().V_Format : itemName);
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
        // The run queue's order is the queue's; the rows follow it.
        m_run->move(from, to);
        syncRows();
        QLayoutItem* item = Layout->takeAt(from);
        Layout->insertItem(to, item);
        target = to;
    }
    // Rows are found by their geometry: it must follow the new order now.
    m_mainLayout->activate();
}

void ScrollAreaforBar::contextMenuEvent(QContextMenuEvent* event)
{
    const bool onRow = rowIndexAt(event->pos()) >= 0;
    const bool idle = !isConverting();
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
    if (m_barList.isEmpty() || isConverting())
        return;
    for (VideoConvertBar* bar : qAsConst(m_barList)) {
        m_addBatch.remove(addKey(bar));
        m_rows.remove(addKey(bar));
        m_run->remove(*bar->runTask());
        Layout->removeWidget(bar);
        bar->hide();
        bar->deleteLater();
    }
    syncRows();
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
    player->showInFront();
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
    // The task leaves the queue; during a run the run queue releases its job
    // on the opener thread, after the opens and releases already handed to
    // it.
    VideoConvertBar* bar = m_barList.at(index);
    m_run->remove(*bar->runTask());
    // Nothing of the queue hears from the row again.
    disconnect(bar, nullptr, this, nullptr);
}

void ScrollAreaforBar::removeBar(VideoConvertBar* bar)
{
    const int index = m_barList.indexOf(bar);
    if (index < 0)
        return;
    if (m_shiftStartBar == bar)
        m_shiftStartBar = nullptr;
    if (m_choosenBar == bar)
        m_choosenBar = nullptr;
    m_selectedBarList.removeAll(bar);
    if (m_dragLine && (m_dragLine == bar->m_labLine1 || m_dragLine == bar->m_labLine2))
        m_dragLine = nullptr;

    m_addBatch.remove(addKey(bar));
    m_rows.remove(addKey(bar));
    Layout->removeWidget(bar);
    bar->hide();
    DeleteConverter(index);
    syncRows();
    // Later: the request may come from the row's own button.
    bar->deleteLater();
}

void ScrollAreaforBar::afterRemoval()
{
    if (isConverting())
        Check();
    if (m_barList.isEmpty()) {
        // A run left without tasks has ended (Check): the run queue says so.
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
    if (isConverting() && m_bShowDeleteDlg && !confirmRemoval())
        return;
    const QList<VideoConvertBar*> selected = m_selectedBarList;
    for (VideoConvertBar* bar : selected) {
        if (!m_barList.contains(bar)) {
            qCDebug(lcConvert) << "delete bar  error-----!!!";
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

void ScrollAreaforBar::slotRemoveRightMouseBar() { slotRemoveChoosenBar(); }

void ScrollAreaforBar::slotBarItemDelete()
{
    auto* bar = qobject_cast<VideoConvertBar*>(sender());
    if (!bar || !m_barList.contains(bar)) {
        qCDebug(lcConvert) << "delete bar  error-----!!!";
        return;
    }
    m_selectedBarList.removeAll(bar);
    if (isConverting() && m_bShowDeleteDlg && !confirmRemoval())
        return;
    if (bar == m_choosenBar) {
        m_choosenBar = nullptr;
        emit signalHasChoosenBar(false);
    }
    removeBar(bar);
    afterRemoval();
}

void ScrollAreaforBar::slotSetIsShowDeleteDlg(bool checked) { m_bShowDeleteDlg = !checked; }
