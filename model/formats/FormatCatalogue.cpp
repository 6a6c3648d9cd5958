#include "formats/FormatCatalogue.h"

#include "files/DataFile.h"
#include "files/UserData.h"

#include <QDomDocument>

#include <memory>

QString FormatCatalogue::recentPath() { return UserData::path(QStringLiteral("format/recent.xml")); }

namespace {

using Item = FormatCatalogue::Item;

// The person's own files may be written by a copy of the program; the
// shipped ones never are.
bool isOwn(const QString& path) { return path == UserData::ownCopyOf(path); }

// The items of the catalogue at path. A file that cannot be used reads as
// empty and is set aside under asideSuffix, unless that is empty: kept
// aside where it can be looked at, never destroyed.
QList<Item> readItems(const QString& path, const QString& asideSuffix)
{
    // Of a damaged file, the items before its fault are read.
    QDomDocument doc;
    if (asideSuffix.isEmpty())
        DataFile::read(path, doc);
    else
        DataFile::readOrSetAside(path, doc, DataFile::Limits(), asideSuffix);
    const QDomElement root = doc.documentElement();
    QList<Item> items;
    for (QDomElement e = root.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        if (e.tagName() == QLatin1String("item"))
            items.append({e.attribute("imagename"), e.attribute("itemname"), e.attribute("relevantfile")});
    }
    return items;
}

bool write(const QString& path, const QList<Item>& items)
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
    return DataFile::save(path, doc);
}

} // namespace

QList<FormatCatalogue::Item> FormatCatalogue::read(const QString& path, int keepNewest)
{
    // Another copy of the program may be saving its recent list meanwhile;
    // the shipped files are never written, so they need no lock.
    const bool own = isOwn(path);
    std::unique_ptr<DataFile::Lock> lock;
    if (own)
        lock = std::make_unique<DataFile::Lock>(path);
    // Without the lock nothing is moved: the other copy may be replacing
    // the file. A shipped catalogue that cannot be moved stays put.
    const QString aside = !own ? QStringLiteral(".broken")
        : lock->isLocked()     ? QStringLiteral(".bad")
                               : QString();
    QList<Item> items = readItems(path, aside);
    if (keepNewest > 0 && items.size() > keepNewest)
        items = items.mid(items.size() - keepNewest);
    return items;
}

bool FormatCatalogue::save(const QString& path, const QList<Item>& items)
{
    return DataFile::changeNowOrLater(path, [path, items] { return write(path, items); });
}

void FormatCatalogue::addRecent(const Item& item, const QString& path)
{
    DataFile::changeNowOrLater(path, [path, item] {
        // What this window listed when it opened is not used: another copy
        // may have added since.
        QList<Item> items = readItems(path, QStringLiteral(".bad"));
        for (const Item& listed : qAsConst(items)) {
            if (listed.imageName == item.imageName)
                return true;
        }
        items.append(item);
        if (items.size() > kMaxRecent)
            items = items.mid(items.size() - kMaxRecent);
        return write(path, items);
    });
}
