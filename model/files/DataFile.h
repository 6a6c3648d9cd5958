#pragma once

// The one way the program reads and writes its XML data files (history,
// default and recent formats, profile values, snapshot settings).
//
// Writing: UTF-8, indent 4, through a save file that replaces the old file
// only when every byte reached the disk. A failed write keeps the old file,
// returns false and is reported to the failure handler once per call.
//
// Reading: bounded in size, element depth, element count and attribute
// length, so a hostile or damaged file can neither exhaust the stack nor
// take minutes to load or show. Only regular files are opened: a pipe,
// device or folder in a data file's place is refused without blocking.
//
// Any text a file name may hold goes through: a character XML cannot hold
// is written in a form the reader turns back into it (see stored), so the
// writer never writes what its reader refuses.
//
// Changing: a read–change–save of a file that another running copy of the
// program may change as well is made under DataFile::Lock, never without
// it. The program's own changes go one after another, in the order they
// were asked for, through changeLater and changeNowOrLater.

#include <QString>

#include <functional>
#include <memory>

class QDomDocument;
class QIODevice;
class QLockFile;

// What a data file may hold; far above any file the program writes.
struct DataFileLimits
{
    qint64 maxBytes = 4 * 1024 * 1024;
    int maxDepth = 32;
    int maxElements = 20000;
    // Characters in one attribute value; paths and value lists are far
    // shorter.
    int maxAttributeLength = 64 * 1024;
};

class DataFile
{
public:
    DataFile() = delete;

    using Limits = DataFileLimits;

    enum class Read {
        Ok,
        Missing, // no file at the path
        Empty, // a zero-byte file: nothing to keep
        Unreadable, // cannot be opened, or not a regular file
        Damaged, // not well-formed XML, or over the limits
    };

    // Parses the file into doc (no namespace processing) within limits,
    // every stored text restored. Something other than a regular file is
    // Unreadable, and told. A file within the limits that is not
    // well-formed (cut short, or written with a raw control character by an
    // older copy) is Damaged, and doc holds what stood before the fault:
    // the elements whose start tags were read whole, with their attributes,
    // text and comments.
    static Read read(const QString& path, QDomDocument& doc, const Limits& limits = Limits());

    // Whether nothing or a regular file (or a link to one) is at path.
    static bool isRegularOrMissing(const QString& path);

    // read, with the one policy for a file that cannot be used: one that
    // cannot be opened, is damaged or over the limits is set aside (see
    // setAside) under `suffix`. True only when doc holds the file; after a
    // damaged one it holds what stood before the fault, as read does.
    static bool readOrSetAside(const QString& path, QDomDocument& doc, const Limits& limits = Limits(),
                               const QString& suffix = QStringLiteral(".bad"));

    // Writes doc atomically, creating the folder. False (and the handler is
    // told) when the file could not be written; the old file is then intact.
    static bool save(const QString& path, const QDomDocument& doc);

    // The stream part of save: writes doc into an open device, every text
    // stored, and tells whether the stream and the device took it all.
    static bool writeTo(QIODevice& device, const QDomDocument& doc);

    // Characters XML 1.0 cannot hold even as references (controls other
    // than tab and line ends, U+FFFE, U+FFFF, unpaired surrogates) are
    // written as kEscape and four upper-case hex digits, and so is kEscape
    // itself. A private-use character: a file written before holds it by no
    // accident, and only an escape of a character that needs one is read
    // back, so any other text after kEscape reads as it was written.
    static constexpr ushort kEscape = 0xE01B;
    // The form text takes in the file; text itself when nothing needs it.
    static QString stored(const QString& text);
    // The reverse.
    static QString restored(const QString& text);

    // Renames an unusable file to path + suffix, or, when that name is
    // taken by an earlier one, to path + suffix + ".1", ".2", ..., so that
    // the person keeps every one. The notice handler is told. False when it
    // could not be moved.
    static bool setAside(const QString& path, const QString& suffix = QStringLiteral(".bad"));

    // The name setAside would give the file now.
    static QString asideName(const QString& path, const QString& suffix = QStringLiteral(".bad"));

    // Called with the path after every failed save (on the saving thread).
    // The program installs one that tells the person; null restores the
    // default, which only warns.
    using FailureHandler = std::function<void(const QString& path)>;
    static void setFailureHandler(FailureHandler handler);

    // Called (on the reading thread) when a data file was set aside, with
    // the name it now has, or refused for not being a regular file, with an
    // empty name. The program installs one that tells the person; null
    // restores the default, which only warns.
    using NoticeHandler = std::function<void(const QString& path, const QString& keptAs)>;
    static void setNoticeHandler(NoticeHandler handler);

    // For tests: called on the reading thread with the path before a data
    // file is opened; a hook that waits holds the reader there. Null: none.
    using ReadHook = std::function<void(const QString& path)>;
    static void setReadHook(ReadHook hook);

    // How long a lock waits for another copy of the program: on a worker
    // thread past kStaleLockMs, so it ends holding the lock even when a copy
    // that hung left it; on the GUI thread only a moment.
    static constexpr int kStaleLockMs = 30000;
    static constexpr int kWorkerWaitMs = 2 * kStaleLockMs;
    static constexpr int kBriefWaitMs = 200;
    // kBriefWaitMs on the application's main thread, else kWorkerWaitMs.
    static constexpr int kWaitByThread = -1;

    // Holds path + ".lock" (a QLockFile) while it lives: two copies of the
    // program then never interleave their read–change–save of one file. A
    // lock left by a copy that died is taken over. When the wait runs out
    // isLocked() is false and the file must not be changed: a change that
    // would otherwise be lost is left to changeLater, whose wait outlasts a
    // copy that hung.
    class Lock
    {
    public:
        explicit Lock(const QString& path, int waitMs = kWaitByThread);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;
        bool isLocked() const;

    private:
        std::unique_ptr<QLockFile> m_file;
    };

    // A read–change–save of one file, made while its lock is held; true
    // when the change was made (or nothing needed changing).
    using Change = std::function<bool()>;
    // Told whether a change was made: on the asking thread when it was made
    // at once, else on the background thread.
    using Done = std::function<void(bool made)>;

    // Waits (kWorkerWaitMs) for path's lock on the calling thread and makes
    // the change while holding it. A lock that cannot be taken leaves the
    // file alone: false, and the failure handler is told.
    static bool changeLocked(const QString& path, const Change& change);

    // changeLocked on the one background thread, after every change asked
    // for before it through changeLater or changeNowOrLater.
    static void changeLater(const QString& path, Change change, Done done = {});

    // What the GUI thread can afford: the change is made at once when
    // nothing asked for earlier is still to be made and the lock is free at
    // once; otherwise it is left to changeLater, in turn. False only when it
    // was made at once and failed.
    static bool changeNowOrLater(const QString& path, Change change, Done done = {});

    // Waits until the changes asked for so far are made (tests; the end of
    // the program waits by itself). False when msecs ran out first.
    static bool waitForChanges(int msecs = -1);
};
