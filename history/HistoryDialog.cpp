#include "HistoryDialog.h"

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
    return QIAppUtil::getResourcePath() + "/history/history.xml";
}

void HistoryDialog::InitXml()
{
    m_categories.clear();
    const QString path = historyFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());

    QFile file(path);
    if (!file.exists())
        return;
    QDomDocument doc;
    const bool ok = file.open(QIODevice::ReadOnly | QIODevice::Text) && doc.setContent(&file);
    file.close();
    const QDomElement root = doc.documentElement();
    if (!ok || root.isNull() || root.firstChildElement().isNull()) {
        QFile::remove(path);
        return;
    }
    for (QDomElement c = root.firstChildElement(); !c.isNull(); c = c.nextSiblingElement()) {
        Category category;
        category.name = c.attribute("name");
        for (QDomElement e = c.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
            category.entries.append({e.attribute("filepath"), e.attribute("time")});
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
    QFile file(historyFilePath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        qWarning("error::ParserXML->writeOperateXml->file.open\n");
        return;
    }
    QTextStream out(&file);
    out.setCodec("utf-8");
    doc.save(out, 4);
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
