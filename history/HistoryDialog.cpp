#include "HistoryDialog.h"

#include "DataFile.h"
#include "HistoryFile.h"

#include "QIAppUtil.h"
#include "QImageButton.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QTextStream>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtDebug>

HistoryDialog::HistoryDialog(QWidget *parent) : QImageDialog(parent, Qt::Dialog)
{
    setWindowTitle(tr("History"));
    setFixedSize(560, 400);

    m_tree = new QTreeWidget(this);
    m_tree->setColumnCount(2);
    m_tree->setHeaderLabels({tr("File"), tr("Time")});
    m_tree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_tree->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_tree->setRootIsDecorated(true);

    const QString res = QIAppUtil::getResourcePath();
    m_btnClose = new QImageButton(this);
    m_btnClose->setBtnImage(res + "/image/btn_OK.png");
    m_btnClose->setBtnText(tr("Close"));
    m_btnClose->setTextStyle(TextColorStyle3);
    m_btnClose->setCursor(Qt::PointingHandCursor);
    connect(m_btnClose, &QPushButton::clicked, this, &QDialog::close);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addWidget(m_tree);
    layout->addWidget(m_btnClose, 0, Qt::AlignRight);

    InitXml();
    fillTree();
}

HistoryDialog::~HistoryDialog() = default;

QString HistoryDialog::historyFilePath()
{
    return HistoryFile::defaultPath();
}

void HistoryDialog::InitXml()
{
    m_categories.clear();
    // The file's own policy: an unreadable one is set aside, never deleted.
    HistoryFile history(historyFilePath());
    history.read();
    for (const HistoryCategory &c : history.categories()) {
        Category category;
        category.name = c.name;
        for (const HistoryEntry &e : c.entries)
            category.entries.append({e.filePath, e.time});
        if (!category.entries.isEmpty())
            m_categories.append(category);
    }
}

void HistoryDialog::saveXml()
{
    QDomDocument doc;
    doc.appendChild(doc.createProcessingInstruction("xml", "version='1.0'"));
    QDomElement root = doc.createElement("history");
    doc.appendChild(root);
    for (const Category &category : qAsConst(m_categories)) {
        QDomElement c = doc.createElement("Type");
        c.setAttribute("name", category.name);
        for (const Entry &entry : category.entries) {
            QDomElement e = doc.createElement("item");
            e.setAttribute("filepath", entry.filepath);
            e.setAttribute("time", entry.time);
            c.appendChild(e);
        }
        root.appendChild(c);
    }
    DataFile::save(historyFilePath(), doc);
}

void HistoryDialog::fillTree()
{
    m_tree->clear();
    for (const Category &category : qAsConst(m_categories)) {
        auto *top = new QTreeWidgetItem(
            m_tree, {QStringLiteral("%1 (%2)").arg(category.name).arg(category.entries.size())});
        for (const Entry &entry : category.entries)
            new QTreeWidgetItem(top, {entry.filepath, entry.time});
        top->setExpanded(true);
    }
}
