#pragma once

// Where the data the person produces lives. The shipped Resources folder is
// read-only data; history, the default and recent format files, each
// profile's current values and the snapshot settings are kept in the
// per-user data folder (QStandardPaths::AppDataLocation, for example
// ~/.local/share/Lumivane), so a program installed where the user cannot
// write still remembers them.
//
// Relative paths are the same in both places ("history/history.xml",
// "format/default.xml", "format/XML/MP4 Video.xml", ...).

#include <QString>

class UserData
{
public:
    UserData() = delete;

    // The per-user data folder, without a trailing "/".
    static QString folder();

    // The person's copy of a data file: where it is written, and read once
    // it exists. On first use a shipped copy, when there is one, is copied
    // there first (the seed), so the person's file starts from it.
    static QString path(const QString& relative);

    // The file to read: the person's copy when there is one, else the
    // shipped copy. Nothing is copied.
    static QString readPath(const QString& relative);

    // The shipped copy in the Resources folder.
    static QString shippedPath(const QString& relative);

    // Where to write a file that was read from `path`: a file of the
    // shipped Resources maps to the person's copy; any other path is
    // written where it is.
    static QString ownCopyOf(const QString& path);
};
