#include "HistoryDialog.h"

#include "ClearnDialog.h"
#include "FormFonts.h"
#include "HistoryBar.h"
#include "HistorytypeBar.h"
#include "LogCategories.h"
#include "QIAppUtil.h"
#include "files/DataFile.h"
#include "history/HistoryFile.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QScrollBar>
#include <QThread>

namespace {
// The entry rows' layout margins above the first row and below the last.
constexpr int kRowsTop = 3;
constexpr int kRowsBottom = 2;
} // namespace

HistoryDialog::HistoryDialog(QWidget* parent, const QString& historyPath)
    : QImageDialog(parent)
    , m_path(historyPath.isEmpty() ? HistoryFile::defaultPath() : historyPath)
{
    setupUi(this);
    fitFormFonts(this);
    setWindowTitle("History");
    setWindowFlags(Qt::Dialog);
    // The native title bar carries the title and the close button.
    m_btnClose->hide();
    m_labTitle->hide();
    m_labTitleIcon->hide();

    const QString res = QIAppUtil::getResourcePath();
    SetImageBackgroud(res + "/image/bg_history.png", true);
    m_labTitleIcon->setPixmap(QPixmap(res + "/exp_image/LOGO_20.png"));
    m_labTitle->setText(tr("History"));
    m_btnClose->setBtnImage(res + "/image/top_btn_close.png");
    m_btnClear->setBtnImage(res + "/image/btn_clear.png");
    m_btnClear->setBtnText(tr("Clear"));
    m_btnClear->resizeFont();
    m_btnClear->setTextStyle(TextColorStyle3);

    m_searchEdit->setPlaceholderText(tr("Search"));
    m_searchEdit->setClearButtonEnabled(true);

    connect(m_btnClear, &QPushButton::clicked, this, &HistoryDialog::OnBtnClear);
    connect(m_btnClose, &QPushButton::clicked, this, &HistoryDialog::OnBtnClose);
    connect(m_searchEdit, &QLineEdit::textChanged, this, &HistoryDialog::slotSearchChange);

    m_scrollAreaforHisbar->setFrameStyle(QFrame::NoFrame);
    m_scrollAreaforType->setFrameStyle(QFrame::NoFrame);
    m_barWidgetContents->setPalette(QPalette(QColor(83, 98, 112)));
    m_barWidgetContents->setAutoFillBackground(true);
    m_typeWidgetContents->setPalette(QPalette(QColor(244, 252, 255)));
    m_typeWidgetContents->setAutoFillBackground(true);

    m_scrollAreaforHisbar->viewport()->installEventFilter(this);
    connect(m_scrollAreaforHisbar->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &HistoryDialog::placeRows);

    InitXml();
    CreateProfiles();

    m_profileLabel->setText(tr("Profiles"));
    m_profileLabel->resizeFont();
    m_profileLabel->move(10, m_btnClear->y() + m_btnClear->height() + 10);
    ResizeChildren(29);
}

HistoryDialog::~HistoryDialog()
{
    m_curTypeBar = nullptr;
    qDeleteAll(m_typeBars);
}

void HistoryDialog::InitXml()
{
    // This program's own changes still under way come first, unless another
    // copy of the program holds the file or the machine is slow: then the
    // window shows what is written and reads again when the rest is, in
    // turn after them on the writer's thread.
    if (!HistoryFile::waitForLater(DataFile::kBriefWaitMs)) {
        QPointer<HistoryDialog> self(this);
        DataFile::changeLater(
            m_path, [] { return true; },
            [self](bool) {
                QMetaObject::invokeMethod(
                    QCoreApplication::instance(),
                    [self] {
                        if (self)
                            self->reloadEntries();
                    },
                    Qt::QueuedConnection);
            });
    }
    // Unusable files are set aside (history.xml.bad) by the read; the window
    // then starts empty.
    HistoryFile file(m_path);
    file.read();
    m_typeInfos = HistoryRecords::fromFile(file);
    for (const HistoryTypeInfo& info : qAsConst(m_typeInfos))
        qCDebug(lcHistory) << "category" << info.m_name;
}

void HistoryDialog::reloadEntries()
{
    if (m_cleared)
        return;
    const int chosen = selectedIndex();
    const QString category = chosen >= 0 ? m_typeInfos.at(chosen).m_name : QString();
    m_curTypeBar = nullptr;
    qDeleteAll(m_typeBars);
    m_typeBars.clear();
    clearHistoryBars();
    InitXml();
    CreateProfiles();
    for (int i = 1; i < m_typeInfos.size(); ++i) {
        if (m_typeInfos.at(i).m_name == category) {
            m_typeBars.first()->setPress(false);
            m_curTypeBar = m_typeBars.at(i);
            m_curTypeBar->setPress(true);
            showHistoryBar();
        }
    }
    showCounts();
}

void HistoryDialog::CreateProfiles()
{
    for (const HistoryTypeInfo& info : qAsConst(m_typeInfos)) {
        auto* bar = new HistorytypeBar;
        bar->setText(info.m_name, info.m_filePaths.size());
        m_typeBars.append(bar);
        m_typebarLayout->addWidget(bar);
        connect(bar, &BaseBar::SignalBarItemPress, this, &HistoryDialog::slotTypebarPress);
    }
    if (!m_typeBars.isEmpty()) {
        m_curTypeBar = m_typeBars.first();
        m_curTypeBar->setPress(true);
        showHistoryBar();
    }
}

void HistoryDialog::clearHistoryBars()
{
    qDeleteAll(m_hisBars);
    m_hisBars.clear();
    m_shown.clear();
    m_first = 0;
}

int HistoryDialog::selectedIndex() const
{
    for (int i = 0; i < m_typeBars.size(); ++i) {
        if (m_typeBars.at(i)->IsPress())
            return i < m_typeInfos.size() ? i : -1;
    }
    return -1;
}

void HistoryDialog::showCounts()
{
    // Each category counts the entries the search leaves, so no count
    // promises rows the list does not show.
    for (int i = 0; i < m_typeBars.size() && i < m_typeInfos.size(); ++i) {
        const HistoryTypeInfo& info = m_typeInfos.at(i);
        int count = 0;
        for (const QString& path : info.m_filePaths)
            count += HistoryRecords::matchesSearch(path, m_search) ? 1 : 0;
        m_typeBars.at(i)->setText(info.m_name, count);
    }
}

void HistoryDialog::filterEntries()
{
    m_shown.clear();
    m_first = 0;
    const int index = selectedIndex();
    if (index < 0)
        return;
    const QStringList& paths = m_typeInfos.at(index).m_filePaths;
    for (int j = 0; j < paths.size(); ++j) {
        if (HistoryRecords::matchesSearch(paths.at(j), m_search))
            m_shown.append(j);
    }
}

int HistoryDialog::rowPitch() const
{
    // A row without its strip has no height; the column still steps.
    return qMax(m_rowHeight, 16) + m_hisBarLayout->spacing();
}

void HistoryDialog::placeRows()
{
    const int index = selectedIndex();
    const int count = index < 0 ? 0 : m_shown.size();
    const int pitch = rowPitch();
    const int rows = qMin(count, m_scrollAreaforHisbar->viewport()->height() / pitch + 2);
    while (m_hisBars.size() > rows)
        delete m_hisBars.takeLast();
    while (m_hisBars.size() < rows) {
        auto* bar = new HistoryBar;
        m_hisBars.append(bar);
        m_hisBarLayout->addWidget(bar);
        // Shown now, not when the layout gets round to it.
        bar->show();
        m_rowHeight = bar->height();
        connect(bar, &HistoryBar::signalDelete, this, &HistoryDialog::slotHistoryBarDelete);
    }
    const int scrolled = m_scrollAreaforHisbar->verticalScrollBar()->value();
    m_first = qBound(0, (scrolled - kRowsTop) / rowPitch(), count - rows);
    // The margins stand for the rows above and below the viewport, so the
    // column keeps the height of all of them.
    m_hisBarLayout->setContentsMargins(1, kRowsTop + m_first * rowPitch(), 1,
                                       kRowsBottom + (count - m_first - rows) * rowPitch());
    for (int k = 0; k < rows; ++k) {
        const int entry = m_shown.at(m_first + k);
        HistoryBar* bar = m_hisBars.at(k);
        const QString& path = m_typeInfos.at(index).m_filePaths.at(entry);
        if (bar->getFilepath() != path || bar->getFilepath().isNull())
            bar->setfilepath(path);
        bar->setfiledate(m_typeInfos.at(index).m_times.at(entry));
    }
    if (!m_placing) {
        // The column's new layout at once, so no frame shows rows with the
        // texts of their new place at the old one. A scroll this causes
        // places the rows again, inside.
        m_placing = true;
        m_hisLayout->activate();
        m_placing = false;
    }
}

bool HistoryDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_scrollAreaforHisbar->viewport() && event->type() == QEvent::Resize)
        placeRows();
    return QImageDialog::eventFilter(watched, event);
}

void HistoryDialog::showHistoryBar()
{
    clearHistoryBars();
    if (selectedIndex() < 0) {
        qCDebug(lcHistory) << "no category chosen";
        return;
    }
    // The search holds for whichever category is shown.
    filterEntries();
    m_scrollAreaforHisbar->verticalScrollBar()->setValue(0);
    placeRows();
}

void HistoryDialog::slotTypebarPress()
{
    auto* bar = qobject_cast<HistorytypeBar*>(sender());
    if (!bar)
        return;
    if (m_curTypeBar && m_curTypeBar != bar)
        m_curTypeBar->setPress(false);
    m_curTypeBar = bar;
    m_curTypeBar->setPress(true);
    showHistoryBar();
}

void HistoryDialog::slotHistoryBarDelete()
{
    auto* bar = qobject_cast<HistoryBar*>(sender());
    const int j = m_hisBars.indexOf(bar);
    if (j < 0 || m_first + j >= m_shown.size()) {
        qCDebug(lcHistory) << "delete from an unknown row";
        return;
    }
    const int i = m_typeBars.indexOf(m_curTypeBar);
    if (i < 0 || i >= m_typeInfos.size())
        return;
    HistoryTypeInfo& info = m_typeInfos[i];
    const int entry = m_shown.takeAt(m_first + j);
    const QString path = info.m_filePaths.takeAt(entry);
    const QString time = info.m_times.takeAt(entry);
    for (int& shown : m_shown) {
        if (shown > entry)
            --shown;
    }

    // The row's button is still in its clicked() signal: the row goes later.
    m_hisBars.removeAt(j);
    bar->hide();
    m_hisBarLayout->removeWidget(bar);
    bar->deleteLater();
    placeRows();

    showCounts();
    saveXml(info.m_name, path, time);
}

void HistoryDialog::saveXml(const QString& type, const QString& filePath, const QString& time)
{
    // Read afresh in the background, under the lock: the queue, or another
    // copy of the program, may have added entries since the window opened.
    HistoryFile::removeLater(m_path, type, filePath, time);
}

void HistoryDialog::slotSearchChange(QString text)
{
    m_search = text;
    showCounts();
    filterEntries();
    m_scrollAreaforHisbar->verticalScrollBar()->setValue(0);
    placeRows();
}

void HistoryDialog::OnBtnClose() { close(); }

void HistoryDialog::OnBtnClear()
{
    if (m_typeInfos.isEmpty())
        return;
    bool removeFiles = false;
    {
        ClearnDialog dialog(this);
        if (dialog.exec() != ClearnDialog::ResultOk)
            return;
        removeFiles = dialog.IsRemoveFile();
    }
    HistoryRecords::ClearOutcome outcome;
    if (removeFiles)
        outcome = HistoryRecords::removeRecordedFiles(m_typeInfos,
                                                      m_busyOutputs ? m_busyOutputs() : QSet<QString>());

    m_curTypeBar = nullptr;
    qDeleteAll(m_typeBars);
    m_typeBars.clear();
    m_typeInfos.clear();
    clearHistoryBars();
    m_btnClear->setEnabled(false);
    m_cleared = true;

    // In turn after the entries queued before it (a run that has just
    // ended), which it then removes too; told here on the GUI thread, at
    // once or when the background thread has made it.
    const int notRemoved = outcome.notRemoved;
    QPointer<HistoryDialog> self(this);
    HistoryFile::clearInTurn(m_path, [self, notRemoved](bool cleared) {
        const auto finish = [self, notRemoved, cleared] {
            if (self)
                self->clearDone(notRemoved, cleared);
            else if (!cleared)
                qCWarning(lcHistory) << "the history file could not be deleted";
        };
        if (QThread::currentThread() == QCoreApplication::instance()->thread())
            finish();
        else
            QMetaObject::invokeMethod(QCoreApplication::instance(), finish, Qt::QueuedConnection);
    });
}

void HistoryDialog::clearDone(int notRemoved, bool cleared)
{
    QStringList problems;
    if (notRemoved > 0)
        problems << (notRemoved == 1 ? tr("1 file could not be removed.")
                                     : tr("%1 files could not be removed.").arg(notRemoved));
    if (!cleared)
        problems << tr("The history file could not be deleted.");
    if (!problems.isEmpty())
        QMessageBox::information(this, tr("Clear"), problems.join('\n'));
    close();
}
