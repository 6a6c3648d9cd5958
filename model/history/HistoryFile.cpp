#include "HistoryFile.h"

#include "DataFile.h"
#include "UserData.h"

#include <QFile>
#include <QRunnable>
#include <QThreadPool>

#include <algorithm>
#include <vector>

namespace {

// One background thread, so the program's changes keep their order.
class ChangeThread : public QThreadPool
{
public:
    ChangeThread()
    {
        setMaxThreadCount(1);
        setExpiryTimeout(-1);
    }
    // The queued changes are saved before the program ends.
    ~ChangeThread() override { waitForDone(); }
};

Q_GLOBAL_STATIC(ChangeThread, s_changes)

template <typename F>
void later(F job)
{
    s_changes()->start(QRunnable::create(std::move(job)));
}

DataFile::Limits historyLimits()
{
    DataFile::Limits limits;
    limits.maxAttributeLength = HistoryFile::kMaxTextLength;
    return limits;
}

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
}

bool HistoryFile::read()
{
    QDomDocument doc;
    if (!DataFile::readOrSetAside(m_path, doc, historyLimits())) {
        startNew();
        return false;
    }
    const QDomElement root = doc.documentElement();
    if (root.isNull() || root.firstChildElement().isNull()) {
        startNew();
        return false;
    }
    m_doc = doc;
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

void HistoryFile::append(const QString& category, const QString& filePath, const QDateTime& when)
{
    QDomElement type = findCategory(category);
    if (type.isNull()) {
        type = m_doc.createElement("Type");
        type.setAttribute("name", category);
    }
    QDomElement item = m_doc.createElement("item");
    item.setAttribute("filepath", filePath);
    item.setAttribute("time", timeText(when));
    type.appendChild(item);
    // The category used last stands last.
    m_doc.documentElement().appendChild(type);
    keepNewest(type);
}

void HistoryFile::keepNewest(const QDomElement& keep)
{
    struct Entry
    {
        QString time;
        QDomElement item;
    };
    std::vector<Entry> entries;
    int elements = 0;
    QDomElement root = m_doc.documentElement();
    for (QDomElement type = root.firstChildElement(); !type.isNull(); type = type.nextSiblingElement()) {
        ++elements;
        for (QDomElement item = type.firstChildElement(); !item.isNull(); item = item.nextSiblingElement())
            entries.push_back({item.attribute("time"), item});
    }
    elements += int(entries.size());
    if (elements <= kMaxElements)
        return;
    // The time text sorts as the time; equal times keep file order, so the
    // category used longest ago loses first.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.time < b.time; });
    for (auto it = entries.begin(); it != entries.end() && elements > kMaxElements; ++it) {
        QDomNode type = it->item.parentNode();
        type.removeChild(it->item);
        --elements;
        if (type.firstChildElement().isNull() && type != keep) {
            root.removeChild(type);
            --elements;
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
    type.removeChild(item);
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
                type.removeChild(item);
                return true;
            }
        }
    }
    return false;
}

bool HistoryFile::save() { return DataFile::save(m_path, m_doc); }

bool HistoryFile::clear()
{
    // An entry queued just before (a run that has just ended) is written
    // first, so the clear removes it too instead of it coming back after.
    waitForLater(DataFile::kBriefWaitMs);
    startNew();
    // Not in the middle of another copy's save, which would bring it back.
    DataFile::Lock lock(m_path);
    return !QFile::exists(m_path) || QFile::remove(m_path);
}

bool HistoryFile::appendLocked(const QString& path, const QString& category, const QString& filePath,
                               const QDateTime& when)
{
    DataFile::Lock lock(path, DataFile::kWorkerWaitMs);
    // An unusable file is set aside by the read, which starts a new one.
    HistoryFile history(path);
    history.read();
    history.append(category, filePath, when);
    return history.save();
}

bool HistoryFile::removeLocked(const QString& path, const QString& category, const QString& filePath,
                               const QString& time)
{
    DataFile::Lock lock(path, DataFile::kWorkerWaitMs);
    HistoryFile history(path);
    if (!history.read())
        return false;
    return history.removeEntry(category, filePath, time) && history.save();
}

void HistoryFile::appendLater(const QString& path, const QString& category, const QString& filePath,
                              const QDateTime& when)
{
    later([=] { appendLocked(path, category, filePath, when); });
}

void HistoryFile::removeLater(const QString& path, const QString& category, const QString& filePath,
                              const QString& time)
{
    later([=] { removeLocked(path, category, filePath, time); });
}

bool HistoryFile::waitForLater(int msecs) { return s_changes()->waitForDone(msecs); }
