#include "update/UpdateCacheFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace UpdateCacheFolder {

QString defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
        + QStringLiteral("/Lumivane/update");
}

static QString errnoText(const QString& what)
{
    return what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
}

int openFolder(const QString& path, QString* error)
{
    const QString clean = QDir::cleanPath(path);
    const QString parent = QFileInfo(clean).path();
    if (!QDir().mkpath(parent)) {
        *error = QStringLiteral("cannot create %1").arg(parent);
        return -1;
    }
    const QByteArray native = QFile::encodeName(clean);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        *error = errnoText(clean);
        return -1;
    }
    const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        *error = errnoText(clean);
        return -1;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
        ::close(fd);
        *error = QStringLiteral("%1 is not a folder of this user").arg(clean);
        return -1;
    }
    if ((st.st_mode & 077) != 0 && ::fchmod(fd, 0700) != 0) {
        *error = errnoText(clean);
        ::close(fd);
        return -1;
    }
    return fd;
}

int openImage(int folderFd, const QString& name, QString* error)
{
    const QByteArray native = QFile::encodeName(name);
    const int fd =
        ::openat(folderFd, native.constData(), O_RDWR | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        *error = errnoText(name);
        return -1;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        ::close(fd);
        *error = QStringLiteral("%1 is not a file of this user").arg(name);
        return -1;
    }
    return fd;
}

bool removeImage(const QString& folder, const QString& name)
{
    QString error;
    const int dir = openFolder(folder, &error);
    if (dir < 0)
        return false;
    const int rc = ::unlinkat(dir, QFile::encodeName(name).constData(), 0);
    const bool gone = rc == 0 || errno == ENOENT;
    ::close(dir);
    return gone;
}

void removeOtherImages(const QString& folder, const QString& keep)
{
    const QStringList names =
        QDir(folder).entryList({QStringLiteral("*_temp.tar")}, QDir::Files | QDir::System);
    for (const QString& name : names) {
        if (name != keep)
            removeImage(folder, name);
    }
}

} // namespace UpdateCacheFolder
