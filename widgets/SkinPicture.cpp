#include "SkinPicture.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>

namespace {

struct Entry
{
    QDateTime modified;
    qint64 size = -1;
    QImage image;
};

} // namespace

const QImage& skinPicture(const QString& path)
{
    static QHash<QString, Entry> cache;
    const QFileInfo info(path);
    const QDateTime modified = info.exists() ? info.lastModified() : QDateTime();
    const qint64 size = info.exists() ? info.size() : -1;
    Entry& entry = cache[path];
    if (entry.size != size || entry.modified != modified) {
        entry.image = size >= 0 ? QImage(path) : QImage();
        entry.modified = modified;
        entry.size = size;
    }
    return entry.image;
}
