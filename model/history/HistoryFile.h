#pragma once

// The conversion history file, shared by the queue (which appends one entry
// per started conversion) and the history window (which lists, removes and
// clears). The file:
//
//   <?xml version='1.0'?>
//   <history>
//       <Type name="MP4">                      one category per format name,
//           <item filepath="/o/a.mp4" time="2016-03-05 14:07:09"/>
//       </Type>                                the latest used last
//   </history>
//
// Anything else the file holds is kept. The history keeps its newest
// entries: an append drops the oldest ones (by their time) once entries and
// categories together pass kMaxElements, half the data-file reader's element
// limit, and any save once the file would pass kMaxBytes, three quarters of
// the reader's size limit; no text longer than the reader takes is written.
// So a file the program writes is always one it can read back.
//
// A HistoryFile object works on the caller's thread; nothing is cached
// between two of them. The program's own changes (the queue's appends, the
// window's removals and Clear) go through the data-file changes in turn
// (DataFile::changeLater): one after another in the order asked for, each a
// read–change–save under the data-file lock, so two running copies of the
// program keep each other's entries, a Clear removes what was queued before
// it, and the GUI thread never waits for the lock.

#include "files/DataFile.h"

#include <QDateTime>
#include <QDomDocument>
#include <QList>
#include <QString>

struct HistoryEntry
{
    QString filePath;
    QString time;
};

struct HistoryCategory
{
    QString name;
    QList<HistoryEntry> entries; // oldest first
};

class HistoryFile
{
public:
    // Entries plus categories the writer keeps.
    static constexpr int kMaxElements = 10000;
    // Bytes the written file takes at most: a quarter under the reader's
    // limit, whatever the paths hold.
    static constexpr qint64 kMaxBytes = 3 * 1024 * 1024;
    // Characters in one name, path or time read: real paths are at most a
    // few thousand; a file holding a longer one is set aside.
    static constexpr int kMaxTextLength = 4096;

    // The person's history file in the per-user data folder.
    static QString defaultPath();

    explicit HistoryFile(const QString& path = defaultPath());

    QString path() const { return m_path; }

    // Loads the file. One policy for a file that cannot be used: a missing
    // or zero-byte file, or one whose root holds no element, is an empty
    // history; a file that cannot be opened, is not a regular file, is not
    // well-formed, is over the data-file limits or holds a text longer than
    // kMaxTextLength is set aside as history.xml.bad (or .bad.1, ... when an
    // earlier one is kept; the person is told) and the history starts
    // empty, except that of a file within the limits that is not
    // well-formed (cut short, say) the entries before the fault are kept.
    // True when entries were read.
    bool read();

    // No category in the history (nothing read, or an unusable file).
    bool isEmpty() const;

    // Every child element of the root in file order as a category, every
    // child element of a category as an entry.
    QList<HistoryCategory> categories() const;

    // Adds an entry at the end of the first category with this name (made
    // when there is none) and moves that category last, then drops the
    // oldest entries past kMaxElements or kMaxBytes (and the categories they
    // empty). Not saved yet. False, nothing added, for a name or path longer
    // than kMaxTextLength as the file stores it, which no real one is.
    bool append(const QString& category, const QString& filePath,
                const QDateTime& when = QDateTime::currentDateTime());

    // Removes entry `position` (as categories() lists it) of the first
    // category with this name. False when there is no such entry. Not saved.
    bool removeEntry(const QString& category, int position);

    // Removes the first entry holding exactly this path and time from the
    // categories with this name, in file order. A window that read the file
    // earlier names its entry so: positions and the order of categories may
    // have changed since (the queue appends and moves categories last), the
    // pair has not. False when no entry matches. Not saved.
    bool removeEntry(const QString& category, const QString& filePath, const QString& time);

    // Writes the whole history through the data-file writer, first dropping
    // the oldest entries past kMaxBytes; false (the old file kept, the
    // person told once) when it could not be written.
    bool save();

    // "yyyy-MM-dd hh:mm:ss"
    static QString timeText(const QDateTime& when);

    // Read, append and save under the lock (a damaged file set aside
    // first); the file is left alone when the lock cannot be taken.
    static bool appendLocked(const QString& path, const QString& category, const QString& filePath,
                             const QDateTime& when);
    // Read, remove (by path and time) and save under the lock; an
    // unusable file is set aside as read() does, and nothing is removed
    // from a file none of whose entries could be read.
    static bool removeLocked(const QString& path, const QString& category, const QString& filePath,
                             const QString& time);
    // Deletes the file under the lock.
    static bool clearLocked(const QString& path);

    // The same, queued for the background thread; `when` is taken now.
    static void appendLater(const QString& path, const QString& category, const QString& filePath,
                            const QDateTime& when = QDateTime::currentDateTime());
    static void removeLater(const QString& path, const QString& category, const QString& filePath,
                            const QString& time);
    // The history window's Clear, in turn after every change queued before
    // it, so none of them comes back (DataFile::changeNowOrLater); `done`
    // is told whether the file is gone.
    static void clearInTurn(const QString& path, DataFile::Done done = {});
    // Waits until the queued changes are saved (tests; the end of the
    // program waits by itself). False when msecs ran out first.
    static bool waitForLater(int msecs = -1);

private:
    void startNew();
    void count();
    void keepNewest(const QDomElement& keep, int maxElements);
    void dropEntry(const QDomElement& item);
    QDomElement findCategory(const QString& name) const;
    static bool appendTo(const QString& path, const QString& category, const QString& filePath,
                         const QDateTime& when);
    static bool removeFrom(const QString& path, const QString& category, const QString& filePath,
                           const QString& time);
    static bool remove(const QString& path);

    QString m_path;
    QDomDocument m_doc;
    // Kept up to date by every change: what the written file takes at most,
    // and the categories and entries it holds.
    qint64 m_bytes = 0;
    int m_elements = 0;
};
