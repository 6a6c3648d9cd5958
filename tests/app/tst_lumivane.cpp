#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

// Starts the real program, closes its main window the way a window manager
// would (WM_DELETE_WINDOW) and checks the run timing and its usage events.
class TestLumivane : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void runsAtLeastFiveSecondsAndReportsRunTime();

private:
    Window findWindowOf(qint64 pid);
    QString windowTitle(Window window);
    void closeWindow(Window window);

    Display* m_display = nullptr;
};

void TestLumivane::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server (run under xvfb-run)");
    m_display = XOpenDisplay(nullptr);
    QVERIFY(m_display);
    // Other tests share the X server: a window of theirs listed by
    // XQueryTree may be gone by the time it is asked about. Xlib's default
    // handler would end this process for that; the call just fails instead.
    XSetErrorHandler([](Display*, XErrorEvent* error) {
        if (error->error_code != BadWindow)
            qWarning("X error %d", int(error->error_code));
        return 0;
    });
    QVERIFY(QFileInfo(qEnvironmentVariable("LV_PROGRAM")).isExecutable());
}

void TestLumivane::cleanupTestCase()
{
    if (m_display)
        XCloseDisplay(m_display);
}

// A viewable top-level window whose _NET_WM_PID is the program's.
Window TestLumivane::findWindowOf(qint64 pid)
{
    const Atom pidAtom = XInternAtom(m_display, "_NET_WM_PID", False);
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (!XQueryTree(m_display, DefaultRootWindow(m_display), &root, &parent, &children, &count))
        return 0;
    for (unsigned int i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(m_display, children[i], &attributes) || attributes.map_state != IsViewable)
            continue;
        Atom type = 0;
        int format = 0;
        unsigned long items = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(m_display, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                               &items, &after, &data)
                == Success
            && data && items == 1 && format == 32) {
            if (static_cast<qint64>(*reinterpret_cast<unsigned long*>(data)) == pid)
                found = children[i];
        }
        if (data)
            XFree(data);
    }
    if (children)
        XFree(children);
    return found;
}

QString TestLumivane::windowTitle(Window window)
{
    const Atom nameAtom = XInternAtom(m_display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(m_display, "UTF8_STRING", False);
    Atom type = 0;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    QString title;
    if (XGetWindowProperty(m_display, window, nameAtom, 0, 1024, False, utf8, &type, &format, &items, &after,
                           &data)
            == Success
        && data) {
        title = QString::fromUtf8(reinterpret_cast<const char*>(data), int(items));
    }
    if (data)
        XFree(data);
    return title;
}

void TestLumivane::closeWindow(Window window)
{
    XEvent event;
    memset(&event, 0, sizeof(event));
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(m_display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(m_display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(m_display, window, False, NoEventMask, &event);
    XFlush(m_display);
}

void TestLumivane::runsAtLeastFiveSecondsAndReportsRunTime()
{
    const QString program = qEnvironmentVariable("LV_PROGRAM");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString log = dir.filePath("events.log");

    QProcess lumivane;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LUMIVANE_EVENT_LOG", log);
    env.remove("LUMIVANE_EVENT_STARTUP_FAILS");
    env.remove("QT_QPA_PLATFORM");
    lumivane.setProcessEnvironment(env);
    lumivane.setProcessChannelMode(QProcess::ForwardedChannels);
    QElapsedTimer timer;
    timer.start();
    lumivane.start(program, QStringList());
    QVERIFY(lumivane.waitForStarted());

    Window window = 0;
    QTRY_VERIFY_WITH_TIMEOUT((window = findWindowOf(lumivane.processId())) != 0, 20000);

    // The title is the product name of the bundle's product information.
    const QString ini = QFileInfo(program).absolutePath() + "/../Resources/versionInfo.ini";
    const QString productName = QFileInfo::exists(ini)
        ? QSettings(ini, QSettings::IniFormat).value("Info/Product Name").toString()
        : QString();
    QCOMPARE(windowTitle(window), productName);

    closeWindow(window);
    const qint64 closedAt = timer.elapsed();
    QVERIFY(lumivane.waitForFinished(20000));
    QCOMPARE(lumivane.exitStatus(), QProcess::NormalExit);
    QCOMPARE(lumivane.exitCode(), 0);
    QVERIFY2(timer.elapsed() >= 5000, qPrintable(QString::number(timer.elapsed())));

    QFile file(log);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    QVERIFY2(!lines.filter(QRegularExpression("^event=10201 .* text=$")).isEmpty(),
             qPrintable(lines.join('\n')));
    QVERIFY2(!lines.filter(QRegularExpression("^event=11600 .* text=$")).isEmpty(),
             qPrintable(lines.join('\n')));

    // The run time is measured before the minimum-run sleep.
    const QStringList end = lines.filter(QRegularExpression("^event=11601 "));
    QCOMPARE(end.size(), 1);
    const QRegularExpressionMatch match = QRegularExpression(" text=(\\d+) s$").match(end.first());
    QVERIFY2(match.hasMatch(), qPrintable(end.first()));
    QVERIFY(match.captured(1).toLongLong() * 1000 <= closedAt + 1000);
}

QTEST_GUILESS_MAIN(TestLumivane)
#include "tst_lumivane.moc"
