#include "QueueShared.h"

#include "CSingleUserLog.h"
#include "QIAppUtil.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QUrl>

namespace {

void openFolderOf(const QString& path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}

} // namespace

void logAddedFile(const QString& path)
{
    const QFileInfo fileInfo(path);
    const QString size = QIAppUtil::size2String(static_cast<unsigned long long>(fileInfo.size()));
    CSingleUserLog::getInstance()->AddUserLog(11602, false, 0,
                                              QString("file size: " + size).toLatin1().constData());
    CSingleUserLog::getInstance()->AddUserLog(
        11604, false, 0, QString("file format: " + fileInfo.suffix()).toLatin1().constData());
}

// The path only ever travels as data: an argument of its own, a D-Bus
// string, a URL. The D-Bus call is answered later so a slow file manager
// never stalls the window.
void revealFile(QObject* owner, const QString& path)
{
    const QString osascript = QStringLiteral("/usr/bin/osascript");
    if (QFileInfo::exists(osascript)) {
        QProcess::startDetached(osascript,
                                {"-e", "on run argv", "-e",
                                 "tell application \"Finder\" to reveal POSIX file (item 1 of argv)", "-e",
                                 "tell application \"Finder\" to activate", "-e", "end run", path});
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openFolderOf(path);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded)} << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 3000), owner);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, owner, [path](QDBusPendingCallWatcher* w) {
        // No file manager that can point at a file: show its folder.
        if (w->isError())
            openFolderOf(path);
        w->deleteLater();
    });
}
