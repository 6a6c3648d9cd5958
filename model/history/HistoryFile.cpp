#include "history/HistoryFile.h"

#include "files/DataFile.h"
#include "files/UserData.h"

#include <QFile>

#include <algorithm>
#include <functional>
#include <limits>
#include <utility>
#include <vector>

namespace {

DataFile::Limits historyLimits()
{
    DataFile::Limits limits;
    limits.maxAttributeLength = HistoryFile::kMaxTextLength;
    return limits;
}

static_assert(HistoryFile::kMaxBytes < DataFile::Limits{}.maxBytes, "the reader takes what the writer keeps");
static_assert(2 * HistoryFile::kMaxElements <= DataFile::Limits{}.maxElements,
              "the reader takes what the writer keeps");

// Bytes a text takes at most in the written file: UTF-8, in the form the
// data-file writer stores it, with the references the DOM writer puts for
// markup characters, tabs and line ends.
qint64 textBytes(const QString& text)
{
    qint64 bytes = 0;
    for (const QChar c : DataFile::stored(text)) {
        switch (c.unicode()) {
        case '"':
            bytes += 6; // &quot;
            break;
        case '&':
        case '\t':
        case '\n':
        case '\r':
            bytes += 5; // &amp; &#x9;
            break;
        case '<':
        case '>':
            bytes += 4; // &lt;
            break;
        default:
            bytes += c.unicode() < 0x80 ? 1 : c.unicode() < 0x800 ? 2 : 3;
        }
    }
    return bytes;
}

// Bytes a node takes at most in the written file (indent 4 per level): both
// indents and tags of an element, its attributes, value and children, and
// room for brackets and line ends. An upper bound: kept under kMaxBytes, the
// file is too.
qint64 nodeBytes(const QDomNode& node, int depth)
{
    constexpr qint64 kMarkup = 16;
    qint64 bytes = 8 * depth + kMarkup + 2 * textBytes(node.nodeName());
    // A "]]>" inside a section is written as two sections.
    bytes += node.isCDATASection() ? 5 * qint64(node.nodeValue().size()) : textBytes(node.nodeValue());
    const QDomNamedNodeMap attributes = node.attributes();
    for (int i = 0; i < attributes.count(); ++i) {
        const QDomNode attribute = attributes.item(i);
        bytes += 4 + textBytes(attribute.nodeName()) + textBytes(attribute.nodeValue());
    }
    if (node.isDocumentType()) {
        const QDomDocumentType type = node.toDocumentType();
        bytes += kMarkup + textBytes(type.publicId()) + textBytes(type.systemId())
            + textBytes(type.internalSubset());
    }
    for (QDomNode child = node.firstChild(); !child.isNull(); child = child.nextSibling())
        bytes += nodeBytes(child, depth + 1);
    return bytes;
}

qint64 documentBytes(const QDomDocument& doc)
{
    qint64 bytes = 0;
    for (QDomNode child = doc.firstChild(); !child.isNull(); child = child.nextSibling())
        bytes += nodeBytes(child, 0);
    return bytes;
}

// Depth of a category and of an entry in the file.
constexpr int kCategoryDepth = 1;
constexpr int kEntryDepth = 2;

} // namespace

QString HistoryFile::defaultPath() { return UserData::path(QStringLiteral("history/history.xml")); }

HistoryFile::HistoryFile(const QString& path)
    : m_path(path)
{
    startNew();
}

QString HistoryFile::timeText(const QDateTime& when)
{
    return when.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

void HistoryFile::startNew()
{
    m_doc = QDomDocument();
    m_doc.appendChild(m_doc.createProcessingInstruction("xml", "version='1.0'"));
    m_doc.appendChild(m_doc.createElement("history"));
    count();
}

void HistoryFile::count()
{
    m_bytes = documentBytes(m_doc);
    m_elements = 0;
    const QDomElement root = m_doc.documentElement();
    for (QDomElement type = root.firstChildElement(); !type.isNull(); type = type.nextSiblingElement()) {
        ++m_elements;
        for (QDomElement item = type.firstChildElement(); !item.isNull(); item = item.nextSiblingElement())
            ++m_elements;
    }
}

bool HistoryFile::read()
{
    QDomDocument doc;
    // A damaged file is set aside; the entries before its fault stay.
    DataFile::readOrSetAside(m_path, doc, historyLimits());
    const QDomElement root = doc.documentElement();
    if (root.isNull() || root.firstChildElement().isNull()) {
        startNew();
        return false;
    }
    m_doc = doc;
    count();
    return true;
}

bool HistoryFile::isEmpty() const { return m_doc.documentElement().firstChildElement().isNull(); }

QList<HistoryCategory> HistoryFile::categories() const
{
    QList<HistoryCategory> result;
    const QDomElement root = m_doc.documentElement();
    for (QDomElement type = root.firstChildElement(); !type.isNull(); type = type.nextSiblingElement()) {
        HistoryCategory category;
        category.name = type.attribute("name");
        for (QDomElement item = type.firstChildElement(); !item.isNull(); item = item.nextSiblingElement())
            category.entries.append({item.attribute("filepath"), item.attribute("time")});
        result.append(category);
    }
    return result;
}

QDomElement HistoryFile::findCategory(const QString& name) const
{
    const QDomElement root = m_doc.documentElement();
    for (QDomElement e = root.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        if (e.attribute("name") == name)
            return e;
    }
    return QDomElement();
}

bool HistoryFile::append(const QString& category, const QString& filePath, const QDateTime& when)
{
    // The reader would set the whole file aside for it.
    if (DataFile::stored(category).size() > kMaxTextLength
        || DataFile::stored(filePath).size() > kMaxTextLength)
        return false;
    QDomElement type = findCategory(category);
    const bool made = type.isNull();
    if (made) {
        type = m_doc.createElement("Type");
        type.setAttribute("name", category);
    }
    QDomElement item = m_doc.createElement("item");
    item.setAttribute("filepath", filePath);
    item.setAttribute("time", timeText(when));
    type.appendChild(item);
    // The category used last stands last.
    m_doc.documentElement().appendChild(type);
    m_bytes += made ? nodeBytes(type, kCategoryDepth) : nodeBytes(item, kEntryDepth);
    m_elements += made ? 2 : 1;
    keepNewest(type, kMaxElements);
    return true;
}

void HistoryFile::dropEntry(const QDomElement& item)
{
    m_bytes -= nodeBytes(item, kEntryDepth);
    --m_elements;
    item.parentNode().removeChild(item);
}

void HistoryFile::keepNewest(const QDomElement& keep, int maxElements)
{
    const auto over = [this, maxElements] { return m_elements > maxElements || m_bytes > kMaxBytes; };
    if (!over())
        return;
    std::vector<QDomElement> items;
    // The time text sorts as the time; equal times keep file order, so the
    // category used longest ago loses first.
    using Age = std::pair<QString, int>;
    std::vector<Age> ages;
    QDomElement root = m_doc.documentElement();
    for (QDomElement type = root.firstChildElement(); !type.isNull(); type = type.nextSiblingElement()) {
        for (QDomElement item = type.firstChildElement(); !item.isNull(); item = item.nextSiblingElement()) {
            ages.emplace_back(item.attribute("time"), int(items.size()));
            items.push_back(item);
        }
    }
    // Oldest on top: at the bound an append drops one or two, so they are
    // picked without sorting them all.
    std::make_heap(ages.begin(), ages.end(), std::greater<Age>());
    while (!ages.empty() && over()) {
        std::pop_heap(ages.begin(), ages.end(), std::greater<Age>());
        const QDomElement item = items[size_t(ages.back().second)];
        ages.pop_back();
        QDomNode type = item.parentNode();
        dropEntry(item);
        if (type.firstChildElement().isNull() && type != keep) {
            m_bytes -= nodeBytes(type, kCategoryDepth);
            --m_elements;
            root.removeChild(type);
        }
    }
}

bool HistoryFile::removeEntry(const QString& category, int position)
{
    QDomElement type = findCategory(category);
    if (type.isNull() || position < 0)
        return false;
    QDomElement item = type.firstChildElement();
    for (int i = 0; i < position && !item.isNull(); ++i)
        item = item.nextSiblingElement();
    if (item.isNull())
        return false;
    dropEntry(item);
    return true;
}

bool HistoryFile::removeEntry(const QString& category, const QString& filePath, const QString& time)
{
    const QDomElement root = m_doc.documentElement();
    for (QDomElement type = root.firstChildElement(); !type.isNull(); type = type.nextSiblingElement()) {
        if (type.attribute("name") != category)
            continue;
        for (QDomElement item = type.firstChildElement(); !item.isNull(); item = item.nextSiblingElement()) {
            if (item.attribute("filepath") == filePath && item.attribute("time") == time) {
                dropEntry(item);
                return true;
            }
        }
    }
    return false;
}

bool HistoryFile::save()
{
    // A file read at the reader's limits is written back longer, indented:
    // kept to kMaxBytes it stays readable. Removing entries only lowers
    // their number, which the reader takes up to twice kMaxElements.
    keepNewest(QDomElement(), std::numeric_limits<int>::max());
    return DataFile::save(m_path, m_doc);
}

bool HistoryFile::appendTo(const QString& path, const QString& category, const QString& filePath,
                           const QDateTime& when)
{
    // An unusable file is set aside by the read, which starts a new one.
    HistoryFile history(path);
    history.read();
    return history.append(category, filePath, when) && history.save();
}

bool HistoryFile::removeFrom(const QString& path, const QString& category, const QString& filePath,
                             const QString& time)
{
    HistoryFile history(path);
    if (!history.read())
        return false;
    return history.removeEntry(category, filePath, time) && history.save();
}

bool HistoryFile::remove(const QString& path) { return !QFile::exists(path) || QFile::remove(path); }

bool HistoryFile::appendLocked(const QString& path, const QString& category, const QString& filePath,
                               const QDateTime& when)
{
    return DataFile::changeLocked(path, [&] { return appendTo(path, category, filePath, when); });
}

bool HistoryFile::removeLocked(const QString& path, const QString& category, const QString& filePath,
                               const QString& time)
{
    return DataFile::changeLocked(path, [&] { return removeFrom(path, category, filePath, time); });
}

bool HistoryFile::clearLocked(const QString& path)
{
    return DataFile::changeLocked(path, [&] { return remove(path); });
}

void HistoryFile::appendLater(const QString& path, const QString& category, const QString& filePath,
                              const QDateTime& when)
{
    DataFile::changeLater(path, [=] { return appendTo(path, category, filePath, when); });
}

void HistoryFile::removeLater(const QString& path, const QString& category, const QString& filePath,
                              const QString& time)
{
    DataFile::changeLater(path, [=] { return removeFrom(path, category, filePath, time); });
}

void HistoryFile::clearInTurn(const QString& path, DataFile::Done done)
{
    // Deleting a file is quick enough for the GUI thread when its turn has
    // come already.
    DataFile::changeNowOrLater(
        path, [path] { return remove(path); }, std::move(done));
}

bool HistoryFile::waitForLater(int msecs) { return DataFile::waitForChanges(msecs); }
