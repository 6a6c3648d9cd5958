#include "HistoryDialog.h"

#include "ClearnDialog.h"
#include "FormFonts.h"
#include "HistoryBar.h"
#include "HistoryFile.h"
#include "HistorytypeBar.h"
#include "LogCategories.h"
#include "QIAppUtil.h"

#include <QLoggingCategory>
#include <QMessageBox>
#include <QPixmap>

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
    // Unusable files are set aside (history.xml.bad) by the read; the window
    // then starts empty.
    HistoryFile file(m_path);
    file.read();
    m_typeInfos = HistoryRecords::fromFile(file);
    for (const HistoryTypeInfo& info : qAsConst(m_typeInfos))
        qCDebug(lcHistory) << "category" << info.m_name;
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
}

void HistoryDialog::showHistoryBar()
{
    clearHistoryBars();
    int index = -1;
    for (int i = 0; i < m_typeBars.size(); ++i) {
        if (m_typeBars.at(i)->IsPress()) {
            index = i;
            break;
        }
    }
    if (index < 0 || index >= m_typeInfos.size()) {
        qCDebug(lcHistory) << "no category chosen";
        return;
    }
    const HistoryTypeInfo& info = m_typeInfos.at(index);
    for (int j = 0; j < info.m_filePaths.size(); ++j) {
        auto* bar = new HistoryBar;
        m_hisBars.append(bar);
        m_hisBarLayout->addWidget(bar);
        // Shown now, not when the layout gets round to it, so that a search
        // typed next sees every row as visible.
        bar->show();
        bar->setfilepath(info.m_filePaths.at(j));
        bar->setfiledate(info.m_times.at(j));
        connect(bar, &HistoryBar::signalDelete, this, &HistoryDialog::slotHistoryBarDelete);
    }
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
    if (j < 0) {
        qCDebug(lcHistory) << "delete from an unknown row";
        return;
    }
    const int i = m_typeBars.indexOf(m_curTypeBar);
    if (i < 0 || i >= m_typeInfos.size())
        return;
    HistoryTypeInfo& info = m_typeInfos[i];
    const QString path = info.m_filePaths.takeAt(j);
    const QString time = info.m_times.takeAt(j);

    // The row's button is still in its clicked() signal: the row goes later.
    m_hisBars.removeAt(j);
    bar->hide();
    m_hisBarLayout->removeWidget(bar);
    bar->deleteLater();

    m_curTypeBar->setText(info.m_name, info.m_filePaths.size());
    saveXml(info.m_name, path, time);
}

void HistoryDialog::saveXml(const QString& type, const QString& filePath, const QString& time)
{
    // Read afresh: the queue may have added entries since the window opened.
    HistoryFile file(m_path);
    if (!file.read())
        return;
    if (file.removeEntry(type, filePath, time))
        file.save();
}

void HistoryDialog::slotSearchChange(QString text)
{
    for (HistoryBar* bar : qAsConst(m_hisBars))
        bar->setVisible(HistoryRecords::matchesSearch(bar->getFilepath(), text));
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
    const bool cleared = HistoryFile(m_path).clear();

    QStringList problems;
    if (outcome.notRemoved > 0)
        problems << (outcome.notRemoved == 1 ? tr("1 file could not be removed.")
                                             : tr("%1 files could not be removed.").arg(outcome.notRemoved));
    if (!cleared)
        problems << tr("The history file could not be deleted.");
    if (!problems.isEmpty())
        QMessageBox::information(this, tr("Clear"), problems.join('\n'));
    close();
}
