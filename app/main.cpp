#include "CSingleUserLog.h"
#include "EngineLog.h"
#include "MainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFontDatabase>
#include <QThread>

// The skin's texts are laid out for Tahoma; a metric-compatible clone keeps
// them from overflowing their frames. Without one Qt's fallback is used.
static void registerTahoma()
{
    static const char* const folders[] = {
        "/usr/share/fonts/truetype/wine",
        "/usr/share/wine/fonts",
        "/usr/share/fonts/wine",
        "/usr/local/share/wine/fonts",
    };
    for (const char* folder : folders) {
        const QString regular = QString::fromLatin1(folder) + QStringLiteral("/tahoma.ttf");
        if (!QFileInfo::exists(regular))
            continue;
        QFontDatabase::addApplicationFont(regular);
        const QString bold = QString::fromLatin1(folder) + QStringLiteral("/tahomabd.ttf");
        if (QFileInfo::exists(bold))
            QFontDatabase::addApplicationFont(bold);
        return;
    }
}

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    EngineLog::install();
    registerTahoma();

    // The first use reads "versionInfo.ini" and starts the sender thread.
    CSingleUserLog::getInstance()->AddUserLog(11600, false, 0, nullptr);

    // Monotonic: a clock change during the run must not distort the timing.
    QElapsedTimer stopwatch;
    stopwatch.start();

    MainWindow window(nullptr);
    window.show();

    const int result = app.exec();

    const qint64 ms = stopwatch.elapsed();
    const qint64 s = ms / 1000;
    const QByteArray runTime = QStringLiteral("%1 s").arg(s).toLatin1();

    // Every run lasts at least about five seconds.
    if (ms <= 4999)
        QThread::sleep(static_cast<unsigned long>(5 - s));

    CSingleUserLog::getInstance()->AddUserLogBlock(11601, 0, runTime.constData());

    // window, then app, go out of scope here in that order.
    return result;
}
