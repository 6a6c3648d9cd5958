#include "AddVideoDialog.h"

#include "FormFonts.h"
#include "LogCategories.h"
#include "QCheckHeaderView.h"
#include "QIAppUtil.h"
#include "library/MusicLibrary.h"

#include <QAbstractItemView>
#include <QFile>
#include <QSortFilterProxyModel>

AddVideoDialog::AddVideoDialog(QWidget* parent, const QString& libraryPath)
    : QImageDialog(parent)
    , m_libraryPath(libraryPath)
    , m_model(new VideoResourceModel(this))
    , m_proxyModel(new QSortFilterProxyModel(this))
{
    setupUi(this);
    fitFormFonts(this);
    setWindowFlags(Qt::Dialog);
    m_btnClose->hide();
    m_headerView = new QCheckHeaderView(Qt::Horizontal, this);
    SetImageBackgroud(QIAppUtil::getResourcePath() + "/image/bg_addDialog.png", true);
    InitBtn();
    InitView();
    readiTunesXML();
}

AddVideoDialog::~AddVideoDialog()
{
    // The view may not outlive the list it shows.
    m_model->setDatalist(nullptr);
}

void AddVideoDialog::InitBtn()
{
    const QString res = QIAppUtil::getResourcePath();
    const struct
    {
        QImageButton* button;
        const char* image;
        QString text;
    } buttons[] = {
        {m_btnCancel, "/image/BTN_Cancel.png", tr("Cancel")},
        {m_btnOk, "/image/btn_OK.png", tr("OK")},
        {m_btnDown, "/image/btn_all_message.png", QString()},
        {m_btnClose, "/image/top_btn_close.png", QString()},
        {m_btnLocation, "/image/BTN_Cancel.png", tr("Local File")},
    };
    for (const auto& b : buttons) {
        b.button->setBtnImage(res + b.image);
        if (!b.text.isEmpty()) {
            b.button->setBtnText(b.text);
            b.button->resizeFont();
            b.button->setTextStyle(TextColorStyle3);
        }
    }
    connect(m_btnClose, &QPushButton::clicked, this, &QDialog::close);
    connect(m_btnOk, &QPushButton::clicked, this, &AddVideoDialog::OnBtnOK);
    connect(m_btnCancel, &QPushButton::clicked, this, &AddVideoDialog::OnBtnCancel);
    connect(m_btnDown, &QPushButton::clicked, this, &AddVideoDialog::OnBtnDown);
    connect(m_btnLocation, &QPushButton::clicked, this, &AddVideoDialog::OnBtnLocalFile);
    connect(m_searchEdit, &QLineEdit::textChanged, this, &AddVideoDialog::searchTextChanged);
    connect(m_comboBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &AddVideoDialog::slotRefreshView);
    m_btnOk->setEnabled(false);
}

void AddVideoDialog::InitView()
{
    m_searchLab->setText(tr("Search:"));
    m_searchLab->resizeFont();
    m_sourceLab->setText(tr("Source:"));
    m_sourceLab->resizeFont();

    const QString res = QIAppUtil::getResourcePath();
    m_headerView->setBackgroundImage(res + "/image/header_bg.png");
    m_headerView->setSlipImage(res + "/image/header_slip.png");
    m_headerView->setSelBackgroundImage(res + "/image/header_select_bg.png");
    m_headerView->setCheckVisable(false);
    m_headerView->setStretchLastSection(true);
    m_headerView->setTextColor(Qt::white);
    m_tableView->setHorizontalHeader(m_headerView);

    m_proxyModel->setSourceModel(m_model);
    m_proxyModel->setFilterCaseSensitivity(Qt::CaseInsensitive);

    m_tableView->setFrameShape(QFrame::NoFrame);
    m_tableView->setModel(m_proxyModel);
    m_tableView->verticalHeader()->hide();
    m_tableView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tableView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tableView->setStyleSheet(
        "QTableView::item{selection-background-color:rgb(165,219,241);min-height: 5px;}");
    m_tableView->horizontalHeader()->setMinimumHeight(19);
    m_tableView->horizontalHeader()->setStyleSheet(
        "QHeaderView::section  { background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #a5d2f1, "
        "stop:0.3 #9dd6e3, stop:1 #96cddc); color: white; border: 1px solid #1A7889; }");
    m_tableView->setShowGrid(false);
    m_tableView->setFocusPolicy(Qt::NoFocus);
    m_tableView->verticalHeader()->setDefaultSectionSize(20);
    m_tableView->horizontalHeader()->setDefaultSectionSize(120);
    connect(m_tableView, &QAbstractItemView::clicked, this, &AddVideoDialog::ShowBtnOKEnable);
}

void AddVideoDialog::readiTunesXML()
{
    m_playlists.clear();
    const QString path = m_libraryPath.isEmpty() ? MusicLibrary::defaultPath() : m_libraryPath;
    qCDebug(lcLibraryImport) << "library" << path;
    for (const QString& name : MusicLibrary::playlistNames(path))
        m_playlists.append({name});
    qCDebug(lcLibraryImport) << "--------------" << m_playlists.size();
    for (int i = 0; i < m_playlists.size(); ++i) {
        const QString& name = m_playlists.at(i).m_listName;
        if (!name.isEmpty() && m_comboBox->itemText(i) != name)
            m_comboBox->addItem(name);
    }
}

void AddVideoDialog::showList(const QList<modelItem*>& items)
{
    // The list changes only inside a model reset.
    m_model->setDatalist(nullptr);
    m_dataList = items;
    m_model->setDatalist(&m_dataList);
}

void AddVideoDialog::setModelDateList(QList<modelItem*>* items)
{
    m_playlistMap.clear();
    {
        const QSignalBlocker quiet(m_comboBox);
        m_comboBox->clear();
    }
    if (items) {
        for (modelItem* item : *items) {
            auto it = m_playlistMap.find(item->m_playlistName);
            if (it == m_playlistMap.end()) {
                m_playlistMap.insert(item->m_playlistName, {item});
                const QSignalBlocker quiet(m_comboBox);
                m_comboBox->addItem(item->m_playlistName.isEmpty() ? tr("Unnamed Playlist")
                                                                   : item->m_playlistName);
            } else {
                it->append(item);
            }
        }
    }
    QList<modelItem*> first;
    if (!m_playlistMap.isEmpty()) {
        first = m_playlistMap.first();
        const QSignalBlocker quiet(m_comboBox);
        const QString key = m_playlistMap.firstKey();
        m_comboBox->setCurrentText(key.isEmpty() ? tr("Unnamed Playlist") : key);
    }
    showList(first);
}

void AddVideoDialog::slotRefreshView(int)
{
    if (m_playlistMap.isEmpty())
        return;
    // "Unnamed Playlist" stands for the tracks without a playlist name, as
    // when the list was given.
    const QString text = m_comboBox->currentText();
    const bool unnamed = text == tr("Unnamed Playlist") && !m_playlistMap.contains(text);
    showList(m_playlistMap.value(unnamed ? QString() : text));
}

void AddVideoDialog::refresh()
{
    readiTunesXML();
    if (m_playlists.size() > 1)
        slotRefreshView(m_comboBox->currentIndex());
    m_btnOk->setEnabled(false);
}

void AddVideoDialog::OnBtnOK()
{
    const QModelIndexList rows = m_tableView->selectionModel()->selectedRows();
    QStringList paths;
    for (const QModelIndex& index : rows) {
        const int row = m_proxyModel->mapToSource(index).row();
        if (row < 0 || row >= m_dataList.size())
            continue;
        const QString path = m_dataList.at(row)->m_itemPath;
        qCDebug(lcLibraryImport) << "OnBtnOK(): -=-" << path;
        if (QFile::exists(path))
            paths << path;
    }
    if (!paths.isEmpty())
        emit signalAddVideo(paths);
    if (!rows.isEmpty())
        close();
}

void AddVideoDialog::OnBtnCancel() { close(); }

void AddVideoDialog::OnBtnDown() { m_comboBox->showPopup(); }

void AddVideoDialog::OnBtnLocalFile()
{
    close();
    emit signalOpenLocalFile();
}

void AddVideoDialog::searchTextChanged(QString text)
{
    // Typed text is matched as it stands: "C++" is no pattern.
    m_proxyModel->setFilterFixedString(text);
}

void AddVideoDialog::ShowBtnOKEnable() { m_btnOk->setEnabled(true); }
