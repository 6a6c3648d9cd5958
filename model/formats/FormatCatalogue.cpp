#include "FormatCatalogue.h"

#include "DataFile.h"
#include "UserData.h"

#include <QDomDocument>

#include <memory>

QString FormatCatalogue::recentPath() { return UserData::path(QStringLiteral("format/recent.xml")); }

QList<FormatCatalogue::Item> FormatCatalogue::read(const QString& path, int keepNewest)
{
    const bool own = path == UserData::ownCopyOf(path);
    // Another copy of the program may be saving its recent list meanwhile;
    // the shipped files are never written, so they need no lock.
    std::unique_ptr<DataFile::Lock> lock;
    if (own)
        lock = std::make_unique<DataFile::Lock>(path);
    QDomDocument doc;
    // Kept aside where it can be looked at, never destroyed. A shipped
    // catalogue that cannot be moved stays put.
    if (!DataFile::readOrSetAside(path, doc, DataFile::Limits(),
                                  own ? QStringLiteral(".bad") : QStringLiteral(".broken")))
        return {};
    const QDomElement root = doc.documentElement();
    QList<Item> items;
    for (QDomElement e = root.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        if (e.tagName() == QLatin1String("item"))
            items.append({e.attribute("imagename"), e.attribute("itemname"), e.attribute("relevantfile")});
    }
    if (keepNewest > 0 && items.size() > keepNewest)
        items = items.mid(items.size() - keepNewest);
    return items;
}

bool FormatCatalogue::save(const QString& path, const QList<Item>& items)
{
    QDomDocument doc;
    doc.appendChild(doc.createProcessingInstruction("xml", "version='1.0'"));
    QDomElement root = doc.createElement("default");
    doc.appendChild(root);
    for (const Item& item : items) {
        QDomElement e = doc.createElement("item");
        e.setAttribute("imagename", item.imageName);
        e.setAttribute("itemname", item.itemName);
        e.setAttribute("relevantfile", item.relevantFile);
        root.appendChild(e);
    }
    DataFile::Lock lock(path);
    return DataFile::save(path, doc);
}

bool FormatCatalogue::saveRecent(const QList<Item>& items) { return save(recentPath(), items); }
