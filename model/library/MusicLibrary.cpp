#include "library/MusicLibrary.h"

#include "files/DataFile.h"

#include <QDir>
#include <QDomDocument>
#include <QFileInfo>
#include <QTime>

namespace MusicLibrary {

QString defaultPath()
{
    const QString home = QDir::homePath();
    const QString music = home + "/Music/iTunes/iTunes Music Library.xml";
    if (QFileInfo::exists(music))
        return music;
    const QString older = home + "/My Documents/My Music/iTunes/iTunes Music Library.xml";
    return QFileInfo::exists(older) ? older : music;
}

QStringList playlistNames(const QString& path)
{
    QStringList names;
    // A library lists every track: far more than the program's own files.
    DataFileLimits limits;
    limits.maxBytes = 256 * 1024 * 1024;
    limits.maxElements = 20000000;
    QDomDocument doc;
    if (DataFile::read(path, doc, limits) != DataFile::Read::Ok)
        return names;
    const QDomElement top = doc.documentElement().firstChildElement();
    QDomElement key = top.firstChildElement();
    while (!key.isNull() && !(key.tagName() == "key" && key.text() == "Playlists"))
        key = key.nextSiblingElement();
    const QDomElement array = key.nextSiblingElement();
    if (key.isNull() || array.tagName() != "array")
        return names;
    for (QDomElement list = array.firstChildElement(); !list.isNull(); list = list.nextSiblingElement()) {
        for (QDomElement e = list.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
            if (e.tagName() == "key" && e.text() == "Name")
                names.append(e.nextSiblingElement().text());
        }
    }
    return names;
}

QString clockText(qint64 ms)
{
    if (ms < 0 || ms >= qint64(24) * 3600 * 1000)
        return QString();
    const qint64 s = ms / 1000;
    const QTime time(int(s / 3600), int((s / 60) % 60), int(s % 60), int(ms % 1000));
    return time.toString(s < 3600 ? "mm:ss" : "hh:mm:ss");
}

} // namespace MusicLibrary
