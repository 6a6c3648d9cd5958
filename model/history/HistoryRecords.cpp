#include "history/HistoryRecords.h"

#include "history/HistoryFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace HistoryRecords {

QList<HistoryTypeInfo> fromFile(const HistoryFile& file)
{
    QList<HistoryTypeInfo> result;
    for (const HistoryCategory& category : file.categories()) {
        if (category.entries.isEmpty())
            continue;
        HistoryTypeInfo info;
        info.m_name = category.name;
        for (const HistoryEntry& entry : category.entries) {
            info.m_filePaths.append(entry.filePath);
            info.m_times.append(entry.time);
        }
        result.append(info);
    }
    return result;
}

QString fileName(const QString& path) { return path.mid(path.lastIndexOf('/') + 1); }

bool matchesSearch(const QString& path, const QString& text)
{
    return fileName(path).contains(text, Qt::CaseSensitive);
}

Verdict verdict(const QString& path, const QSet<QString>& busy)
{
    if (path.isEmpty() || !QDir::isAbsolutePath(path))
        return Verdict::Relative;
    const QFileInfo info(path);
    // isSymLink first: the other questions follow links.
    if (info.isSymLink())
        return Verdict::NotAFile;
    if (!info.exists())
        return Verdict::Missing;
    if (!info.isFile())
        return Verdict::NotAFile;
    const QString clean = QDir::cleanPath(path);
    for (const QString& b : busy) {
        if (QDir::cleanPath(b) == clean)
            return Verdict::Busy;
    }
    return Verdict::Removable;
}

ClearOutcome removeRecordedFiles(const QList<HistoryTypeInfo>& types, const QSet<QString>& busy)
{
    ClearOutcome outcome;
    QSet<QString> seen;
    for (const HistoryTypeInfo& type : types) {
        for (const QString& path : type.m_filePaths) {
            if (seen.contains(path))
                continue;
            seen.insert(path);
            switch (verdict(path, busy)) {
            case Verdict::Missing:
                break;
            case Verdict::Removable:
                if (QFile::remove(path))
                    ++outcome.removed;
                else
                    ++outcome.notRemoved;
                break;
            default:
                ++outcome.notRemoved;
                break;
            }
        }
    }
    return outcome;
}

} // namespace HistoryRecords
