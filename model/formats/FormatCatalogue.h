#pragma once

// Format catalogues: the shipped "format/<type>.xml" files each strip of the
// format panel shows, and the person's recent list "format/recent.xml".
//
//   <default>
//       <item imagename="MP4.png" itemname="MP4" relevantfile="MP4 Video.xml"/>
//       ...
//   </default>

#include <QList>
#include <QString>

class FormatCatalogue
{
public:
    FormatCatalogue() = delete;

    // One tile: its picture, its name and the profile it stands for.
    struct Item
    {
        QString imageName;
        QString itemName;
        QString relevantFile;
        bool operator==(const Item& other) const
        {
            return imageName == other.imageName && itemName == other.itemName
                && relevantFile == other.relevantFile;
        }
    };

    // The recent list keeps this many, the newest last.
    static constexpr int kMaxRecent = 10;

    // Where the recent list is kept (the person's copy).
    static QString recentPath();

    // The "item" elements of the catalogue at path, in file order; with
    // keepNewest > 0 only that many from the end. A file that cannot be used
    // is set aside and reads as empty, or, when it is only not well-formed,
    // as the items before its fault: the person's copy as ".bad", a shipped
    // one as ".broken". A missing or empty file is empty.
    static QList<Item> read(const QString& path, int keepNewest = 0);

    // Writes items as the catalogue at path, whole or not at all, under the
    // file's lock, in turn (DataFile::changeNowOrLater): at once when that is
    // free, else on the background thread. False when written at once and
    // it failed; the previous file is then kept.
    static bool save(const QString& path, const QList<Item>& items);

    // Adds item last to the recent list as the file holds it now (another
    // running copy's additions stay) and keeps the newest kMaxRecent; a list
    // that holds the picture already is left alone. Read, added and written
    // under the file's lock, in turn like save.
    static void addRecent(const Item& item, const QString& path = recentPath());
};
