#pragma once

// The one way the program reads and writes its XML data files (history,
// default and recent formats, profile values, snapshot settings).
//
// Writing: UTF-8, indent 4, through a save file that replaces the old file
// only when every byte reached the disk. A failed write keeps the old file,
// returns false and is reported to the failure handler once per call.
//
// Reading: bounded in size, element depth and element count, so a hostile or
// damaged file can neither exhaust the stack nor take minutes to load.

#include <QString>

#include <functional>

class QDomDocument;
class QIODevice;

// What a data file may hold; far above any file the program writes.
struct DataFileLimits
{
    qint64 maxBytes = 4 * 1024 * 1024;
    int maxDepth = 32;
    int maxElements = 20000;
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
        Unreadable, // cannot be opened
        Damaged, // not well-formed XML, or over the limits
    };

    // Parses the file into doc (no namespace processing) within limits.
    static Read read(const QString& path, QDomDocument& doc, const Limits& limits = Limits());

    // read, with the one policy for a file that cannot be used: one that
    // cannot be opened, is damaged or over the limits is set aside as
    // path + ".bad". True only when doc holds the file.
    static bool readOrSetAside(const QString& path, QDomDocument& doc);

    // Writes doc atomically, creating the folder. False (and the handler is
    // told) when the file could not be written; the old file is then intact.
    static bool save(const QString& path, const QDomDocument& doc);

    // The stream part of save: writes doc into an open device and tells
    // whether the stream and the device took it all.
    static bool writeTo(QIODevice& device, const QDomDocument& doc);

    // Renames an unusable file to path + suffix, replacing an older one, so
    // that the person keeps it. False when it could not be moved.
    static bool setAside(const QString& path, const QString& suffix = QStringLiteral(".bad"));

    // Called with the path after every failed save (on the saving thread).
    // The program installs one that tells the person; null restores the
    // default, which only warns.
    using FailureHandler = std::function<void(const QString& path)>;
    static void setFailureHandler(FailureHandler handler);
};
