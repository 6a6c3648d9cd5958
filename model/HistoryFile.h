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
// Anything else the file holds is kept. Everything runs on the caller's
// thread; nothing is cached between two HistoryFile objects.

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
    // The person's history file in the per-user data folder.
    static QString defaultPath();

    explicit HistoryFile(const QString& path = defaultPath());

    QString path() const { return m_path; }

    // Loads the file. One policy for a file that cannot be used: a missing
    // or zero-byte file, or one whose root holds no element, is an empty
    // history; a file that cannot be opened, is not well-formed or is over
    // the data-file limits is renamed to history.xml.bad (kept for the
    // person) and the history starts empty. True when entries were read.
    bool read();

    // No category in the history (nothing read, or an unusable file).
    bool isEmpty() const;

    // Every child element of the root in file order as a category, every
    // child element of a category as an entry.
    QList<HistoryCategory> categories() const;

    // Adds an entry at the end of the first category with this name (made
    // when there is none) and moves that category last. Not saved yet.
    void append(const QString& category, const QString& filePath,
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

    // Writes the whole history through the data-file writer; false (the old
    // file kept, the person told once) when it could not be written.
    bool save();

    // Deletes the file (the history window's Clear).
    bool clear();

    // "yyyy-MM-dd hh:mm:ss"
    static QString timeText(const QDateTime& when);

private:
    void startNew();
    QDomElement findCategory(const QString& name) const;

    QString m_path;
    QDomDocument m_doc;
};
