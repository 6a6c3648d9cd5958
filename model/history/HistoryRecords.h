#pragma once

// What the history window knows without a widget: the categories it lists,
// the search, and which recorded files Clear may delete.

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

class HistoryFile;

// One category of the history as the window lists it.
struct HistoryTypeInfo
{
    QString m_name;
    QStringList m_filePaths; // oldest first
    QStringList m_times; // same length and order, shown as stored
};

namespace HistoryRecords {

// The categories of a read history file that hold entries, in file order;
// two categories with the same name stay two.
QList<HistoryTypeInfo> fromFile(const HistoryFile& file);

// The part of a path after its last "/" (the whole path without one).
QString fileName(const QString& path);

// Whether a row shows under the search text: a case-sensitive match in the
// file name only; an empty text matches everything.
bool matchesSearch(const QString& path, const QString& text);

// Why Clear leaves a recorded file alone, or Removable.
enum class Verdict {
    Removable,
    Missing, // nothing there any more
    Relative, // not a path we wrote
    NotAFile, // a folder, a link or anything but a regular file
    Busy, // the output of a conversion under way
};

// Clear deletes only what the program made: absolute paths of existing
// regular files that no running conversion is writing (busy, compared as
// cleaned paths). Links are never followed.
Verdict verdict(const QString& path, const QSet<QString>& busy);

struct ClearOutcome
{
    int removed = 0;
    int notRemoved = 0; // left alone on purpose or refused by the system
};

// Deletes the recorded files Clear may delete, each path once. Missing
// files count as neither.
ClearOutcome removeRecordedFiles(const QList<HistoryTypeInfo>& types, const QSet<QString>& busy);

} // namespace HistoryRecords
