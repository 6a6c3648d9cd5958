#include "HistoryFile.h"

#include "DataFile.h"
#include "UserData.h"

#include <QFile>

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
    if (!DataFile::readOrSetAside(m_path, doc)) {
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
    startNew();
    return !QFile::exists(m_path) || QFile::remove(m_path);
}
