#pragma once

// Part of the music library import, which nothing in the program opens
// yet: the dialog is built and tested so that it stays ready for use.
//
// The music library file the import dialog offers tracks from: an XML
// property list whose top dictionary holds the key "Playlists" followed by
// an array of playlist dictionaries, each with a "Name" key.

#include <QString>
#include <QStringList>

namespace MusicLibrary {

// The library file under the home folder: "Music/iTunes/iTunes Music
// Library.xml", else the older "My Documents/My Music/..." place. The first
// place when neither exists.
QString defaultPath();

// The playlist names in file order; empty when the file is missing,
// unreadable, too large or not of that form.
QStringList playlistNames(const QString& path);

// Milliseconds as "mm:ss" under an hour and "hh:mm:ss" from an hour up to a
// day; empty from a day on and for negative times.
QString clockText(qint64 ms);

} // namespace MusicLibrary
