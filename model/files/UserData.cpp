#include "files/UserData.h"

#include "QIAppUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

QString UserData::folder() { return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation); }

QString UserData::shippedPath(const QString& relative)
{
    return QIAppUtil::getResourcePath() + QLatin1Char('/') + relative;
}

QString UserData::path(const QString& relative)
{
    const QString own = folder() + QLatin1Char('/') + relative;
    if (!QFileInfo::exists(own)) {
        const QString shipped = shippedPath(relative);
        if (QFileInfo(shipped).isFile() && QDir().mkpath(QFileInfo(own).absolutePath())) {
            // The copy keeps the shipped file's read-only mode: make it ours.
            if (QFile::copy(shipped, own))
                QFile::setPermissions(own, QFile::permissions(own) | QFile::WriteOwner | QFile::ReadOwner);
        }
    }
    return own;
}

QString UserData::readPath(const QString& relative)
{
    const QString own = folder() + QLatin1Char('/') + relative;
    return QFileInfo::exists(own) ? own : shippedPath(relative);
}

QString UserData::ownCopyOf(const QString& path)
{
    const QString shipped = QIAppUtil::getResourcePath() + QLatin1Char('/');
    if (QIAppUtil::getResourcePath().isEmpty() || !path.startsWith(shipped))
        return path;
    return path.isEmpty() ? path : folder() + QLatin1Char('/') + path.mid(shipped.size());
}
