#include "update/ExeUpdateScriptThread.h"

#include "LogCategories.h"
#include "QIAppUtil.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>
#include <QStandardPaths>

ExeUpdateScriptThread::ExeUpdateScriptThread(QObject* parent)
    : QThread(parent)
{}

QString ExeUpdateScriptThread::scriptPath()
{
    return QIAppUtil::getResourcePath() + QStringLiteral("/update_script.sh");
}

QString ExeUpdateScriptThread::bundlePath()
{
    // The executable folder is the bundle's Contents/MacOS.
    QDir dir(QCoreApplication::applicationDirPath());
    dir.cdUp();
    dir.cdUp();
    return dir.absolutePath();
}

QStringList ExeUpdateScriptThread::scriptArguments(const QString& script, const QString& image)
{
    const QString home = QStandardPaths::standardLocations(QStandardPaths::HomeLocation).value(0);
    return {script, image, bundlePath(), home};
}

QString ExeUpdateScriptThread::scriptReason(const QByteArray& output)
{
    // The script's last word on why it stopped; tar's own lines around it
    // are for the log only.
    static const QByteArray prefix("update_script: ");
    const QList<QByteArray> lines = output.split('\n');
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        if (line->startsWith(prefix))
            return QString::fromUtf8(line->mid(prefix.size())).trimmed();
    }
    return QString();
}

void ExeUpdateScriptThread::run()
{
    m_ok = false;
    m_error.clear();
    const QString script = scriptPath();
    if (!QFileInfo(m_imagePath).isFile()) {
        m_error = tr("The downloaded update is missing.");
        return;
    }
    if (!QFileInfo(script).isFile()) {
        m_error = tr("The install script of this copy is missing, so the update was not installed.");
        return;
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("/bin/sh"), scriptArguments(script, m_imagePath));
    if (!process.waitForStarted()) {
        m_error = tr("The install script could not be started.");
        return;
    }
    if (!process.waitForFinished(kScriptTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        m_error = tr("The install script did not finish, so the update was not installed.");
        return;
    }
    const QByteArray output = process.readAll();
    qCDebug(lcServices).noquote() << output;
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString reason =
            process.exitStatus() == QProcess::NormalExit ? scriptReason(output) : QString();
        if (!reason.isEmpty())
            m_error = tr("The update could not be installed because %1. The installed version is unchanged.")
                          .arg(reason);
        else
            m_error = tr("The update could not be installed (the install script failed with code %1). "
                         "The installed version is unchanged.")
                          .arg(process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1);
        return;
    }
    m_ok = true;
}

#include "moc_ExeUpdateScriptThread.cpp"
