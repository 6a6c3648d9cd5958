#include "update/UpdateRestart.h"

#include "LogCategories.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QProcess>

namespace UpdateRestart {
namespace {
QString s_program;
bool s_requested = false;
bool s_connected = false;
} // namespace

void rememberProgram()
{
    if (s_program.isEmpty())
        s_program = QCoreApplication::applicationFilePath();
}

QString program()
{
    rememberProgram();
    return s_program;
}

void requestAtQuit()
{
    rememberProgram();
    s_requested = true;
    if (s_connected)
        return;
    s_connected = true;
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] {
        if (!s_requested)
            return;
        s_requested = false;
        const bool started = QProcess::startDetached(s_program, {});
        qCDebug(lcServices) << "restart" << s_program << started;
    });
}

void cancel() { s_requested = false; }

bool isRequested() { return s_requested; }

} // namespace UpdateRestart
