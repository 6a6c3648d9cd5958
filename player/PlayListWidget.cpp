#include "PlayListWidget.h"

#include "LogCategories.h"
#include "PlayerVideobar.h"
#include "QIAppUtil.h"

#include <QAction>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

namespace {
constexpr int kDropIntervalMs = 2000;
} // namespace

PlayListWidget::PlayListWidget(QWidget* parent)
    : QScrollArea(parent)
{
    setupUi(this);
    m_scroWidget->SetImageBackgroud(QIAppUtil::getResourcePath() + QStringLiteral("/image/playlist_bg.PNG"),
                                    false);
    setAcceptDrops(true);

    m_menu = new QMenu(this);
    m_actDelete = new QAction(tr("Delete"), this);
    m_actDeleteAll = new QAction(tr("Delete ALL"), this);
    m_actPlay = new QAction(tr("Play"), this);
    m_menu->addAction(m_actDelete);
    m_menu->addAction(m_actDeleteAll);
    m_menu->addAction(m_actPlay);
    connect(m_actDelete, &QAction::triggered, this, &PlayListWidget::OnDeleteVideo);
    connect(m_actDeleteAll, &QAction::triggered, this, &PlayListWidget::OnDeleteVideoALL);
    connect(m_actPlay, &QAction::triggered, this, &PlayListWidget::OnPlayAction);

    m_dropTimer = new QTimer(this);
    connect(m_dropTimer, &QTimer::timeout, this, &PlayListWidget::aaa);
    m_dropTimer->start(kDropIntervalMs);
}

PlayListWidget::~PlayListWidget()
{
    delete m_menu;
    delete m_actDelete;
    delete m_actDeleteAll;
    delete m_actPlay;
}

PlayerVideobar* PlayListWidget::addRow(const QString& path)
{
    auto* row = new PlayerVideobar(this);
    m_barList.append(row);
    m_listlayout->addWidget(row);
    connect(row, &PlayerVideobar::emitDoublePressEvent, this, &PlayListWidget::VideoPlay);
    connect(row, &PlayerVideobar::emitPressEvent, this, &PlayListWidget::PopMenu);
    connect(row, &PlayerVideobar::emitDelete, this, &PlayListWidget::DeleteVideo);
    row->setVideoName(path);
    return row;
}

// Rows go through deleteLater: the request to remove one may come from the
// row's own button or from a menu opened on it, still on the call stack.
void PlayListWidget::removeRow(PlayerVideobar* row)
{
    m_barList.removeOne(row);
    m_listlayout->removeWidget(row);
    row->hide();
    if (m_menuBar == row)
        m_menuBar = nullptr;
    row->deleteLater();
}

void PlayListWidget::mark(PlayerVideobar* row)
{
    row->setWidgetState(2);
    row->setBtnPlayHidden(false);
}

void PlayListWidget::unmark(PlayerVideobar* row)
{
    row->setWidgetState(0);
    row->setBtnPlayHidden(true);
}

void PlayListWidget::AddOneVideo(QString path)
{
    for (PlayerVideobar* row : qAsConst(m_barList))
        unmark(row);
    for (PlayerVideobar* row : qAsConst(m_barList)) {
        if (row->getVideoName() == path) {
            mark(row);
            m_curFilePath = path;
            emit emitPlayVideo(path);
            return;
        }
    }
    mark(addRow(path));
    m_curFilePath = path;
    emit emitPlayVideo(path);
}

void PlayListWidget::AddVideos(QStringList list, bool play)
{
    if (list.isEmpty())
        return;
    const QString first = list.first();
    for (PlayerVideobar* row : qAsConst(m_barList))
        list.removeOne(row->getVideoName());
    for (const QString& path : qAsConst(list))
        addRow(path);
    if (!play)
        return;
    for (PlayerVideobar* row : qAsConst(m_barList)) {
        if (row->widgetState() == 2)
            unmark(row);
    }
    for (PlayerVideobar* row : qAsConst(m_barList)) {
        if (row->getVideoName() == first)
            mark(row);
    }
    emit emitPlayVideo(first);
}

void PlayListWidget::playRow(PlayerVideobar* row)
{
    row->setWidgetState(2);
    m_curFilePath = row->getVideoName();
    emit emitPlayVideo(m_curFilePath);
    row->setBtnPlayHidden(false);
}

void PlayListWidget::NextVideoPlay()
{
    if (m_barList.isEmpty())
        return;
    for (int i = 0; i < m_barList.size(); ++i) {
        if (m_barList[i]->widgetState() == 2) {
            unmark(m_barList[i]);
            playRow(m_barList[(i + 1) % m_barList.size()]);
            return;
        }
    }
    playRow(m_barList.first());
}

void PlayListWidget::PreVideoPlay()
{
    if (m_barList.isEmpty())
        return;
    for (int i = 0; i < m_barList.size(); ++i) {
        if (m_barList[i]->widgetState() == 2) {
            unmark(m_barList[i]);
            playRow(m_barList[(i + m_barList.size() - 1) % m_barList.size()]);
            return;
        }
    }
    playRow(m_barList.last());
}

void PlayListWidget::setPlayHidden()
{
    for (PlayerVideobar* row : qAsConst(m_barList)) {
        if (row->widgetState() == 2)
            row->setBtnPlayHidden(true);
    }
}

void PlayListWidget::VideoPlay()
{
    auto* sender = qobject_cast<PlayerVideobar*>(this->sender());
    qCDebug(lcPlayer) << "VideoPlay";
    if (!sender)
        return;
    for (PlayerVideobar* row : qAsConst(m_barList)) {
        if (row != sender)
            unmark(row);
    }
    m_curFilePath = sender->getVideoName();
    emit emitPlayVideo(m_curFilePath);
}

void PlayListWidget::PopMenu()
{
    m_menuBar = qobject_cast<PlayerVideobar*>(sender());
    // Not exec(): the row the menu acts on may be deleted by its entries.
    m_menu->popup(QCursor::pos());
}

void PlayListWidget::OnPlayAction()
{
    if (!m_menuBar)
        return;
    for (PlayerVideobar* row : qAsConst(m_barList)) {
        if (row != m_menuBar)
            unmark(row);
    }
    mark(m_menuBar);
    m_curFilePath = m_menuBar->getVideoName();
    emit emitPlayVideo(m_curFilePath);
}

void PlayListWidget::OnDeleteVideo()
{
    if (!m_menuBar)
        return;
    if (m_menuBar->getVideoName() == m_curFilePath) {
        m_curFilePath.clear();
        emit emitDeleteVideo();
    }
    removeRow(m_menuBar);
    m_menuBar = nullptr;
}

void PlayListWidget::OnDeleteVideoALL()
{
    const QList<PlayerVideobar*> rows = m_barList;
    for (PlayerVideobar* row : rows)
        removeRow(row);
    m_menuBar = nullptr;
    emit emitDeleteVideo();
}

void PlayListWidget::DeleteVideo()
{
    auto* row = qobject_cast<PlayerVideobar*>(sender());
    if (row && m_barList.contains(row))
        removeRow(row);
    emit emitDeleteVideo();
}

void PlayListWidget::aaa()
{
    if (!m_bHasDrop)
        return;
    const QStringList paths = m_dropPaths;
    AddVideos(paths, false);
    m_dropPaths.clear();
    m_bHasDrop = false;
}

void PlayListWidget::enterEvent(QEvent*) { setCursor(Qt::ArrowCursor); }

void PlayListWidget::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasFormat(QStringLiteral("text/uri-list")))
        event->acceptProposedAction();
    else
        event->ignore();
}

void PlayListWidget::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    for (const QUrl& url : urls) {
        const QString path = url.toLocalFile();
        m_dropPaths.append(path);
        qCDebug(lcPlayer) << path;
    }
    if (!urls.isEmpty())
        m_bHasDrop = true;
}
