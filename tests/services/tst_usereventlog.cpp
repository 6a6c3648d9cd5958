#include "../Figures.h"
#include "../ResourceCopy.h"

#include "CSingleUserLog.h"
#include "QIAppUtil.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <thread>
#include <vector>

// Events from the library's log file: "startup ..." lines and event lines
// "event=.. value=.. product=.. ... text=..".
static QStringList readLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

static QStringList eventLines(const QString& path)
{
    return readLines(path).filter(QRegularExpression("^event="));
}

static QString field(const QString& line, const QString& key)
{
    const QString text = " text=";
    if (key == "text")
        return line.mid(line.indexOf(text) + text.size());
    const QStringList parts = line.left(line.indexOf(text)).split(' ');
    for (const QString& part : parts) {
        if (part.startsWith(key + '='))
            return part.mid(key.size() + 1);
    }
    return QString();
}

static QString expectedLine(int eventId, int value, const QString& text, int product = 7, int version = 3)
{
    return QString("event=%1 value=%2 product=%3 language=1033 site=111 version=3.2.2.0 "
                   "versionid=%4 reserved=0 account= text=%5")
        .arg(eventId)
        .arg(value)
        .arg(product)
        .arg(version)
        .arg(text);
}

static const QByteArray kIni = "[Softlog]\nproductID=7\nversionID=3\n";

class TestUserEventLog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void startsWithThreadEvent();
    void queuedEventsKeepOrder();
    void severalThreadsLoseNothing();
    void blockSendIsSynchronous();
    void startupRetries_data();
    void startupRetries();
    void queuedAtExitAreSent();
    void idsFromProductInformation_data();
    void idsFromProductInformation();

private:
    static void writeIni(const QByteArray& content);
    // Runs this binary as a fresh process that queues `events` events and
    // returns from main at once.
    int runChild(const QString& logPath, int events, const QByteArray& startupFails = QByteArray());

    ResourceCopy m_resources; // the product information is changed
    QTemporaryDir m_dir;
    QString m_log;
};

void TestUserEventLog::writeIni(const QByteArray& content)
{
    QFile file(QIAppUtil::getResourcePath() + "/versionInfo.ini");
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

int TestUserEventLog::runChild(const QString& logPath, int events, const QByteArray& startupFails)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LUMIVANE_EVENT_LOG", logPath);
    if (startupFails.isNull())
        env.remove("LUMIVANE_EVENT_STARTUP_FAILS");
    else
        env.insert("LUMIVANE_EVENT_STARTUP_FAILS", QString::fromLatin1(startupFails));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {"--child", QString::number(events), QIAppUtil::getResourcePath()});
    if (!child.waitForFinished(120000) || child.exitStatus() != QProcess::NormalExit)
        return -1;
    return child.exitCode();
}

void TestUserEventLog::initTestCase()
{
    QVERIFY(m_resources.isValid());
    QVERIFY(m_dir.isValid());
    writeIni(kIni);
    m_log = m_dir.filePath("parent.log");
    qputenv("LUMIVANE_EVENT_LOG", m_log.toUtf8());
    qunsetenv("LUMIVANE_EVENT_STARTUP_FAILS");
    QVERIFY(CSingleUserLog::getInstance() != nullptr);
    QTRY_VERIFY(!eventLines(m_log).isEmpty());
}

void TestUserEventLog::cleanup() { writeIni(kIni); }

void TestUserEventLog::startsWithThreadEvent()
{
    // One start-up call that succeeds, then the sender thread's own event.
    QCOMPARE(readLines(m_log).mid(0, 2),
             QStringList({"startup call=1 ok", expectedLine(10201, 0, QString())}));
}

void TestUserEventLog::queuedEventsKeepOrder()
{
    const int before = eventLines(m_log).size();
    CSingleUserLog* log = CSingleUserLog::getInstance();
    QCOMPARE(log->AddUserLog(11603, false, 0, "1"), 0);
    QCOMPARE(log->AddUserLog(11600, false, 0, nullptr), 0);
    for (int i = 0; i < 50; ++i)
        log->AddUserLog(30000 + i, false, i, QByteArray::number(i).constData());
    QTRY_COMPARE(eventLines(m_log).size(), before + 52);

    const QStringList sent = eventLines(m_log).mid(before);
    QCOMPARE(sent.at(0), expectedLine(11603, 0, "1"));
    QCOMPARE(sent.at(1), expectedLine(11600, 0, QString()));
    for (int i = 0; i < 50; ++i)
        QCOMPARE(sent.at(2 + i), expectedLine(30000 + i, i, QString::number(i)));
}

void TestUserEventLog::severalThreadsLoseNothing()
{
    const int before = eventLines(m_log).size();
    const int threads = 4;
    const int perThread = 200;
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([t] {
            for (int i = 0; i < perThread; ++i)
                CSingleUserLog::getInstance()->AddUserLog(40000 + t, false, i, "x");
        });
    }
    for (std::thread& worker : workers)
        worker.join();
    QTRY_COMPARE(eventLines(m_log).size(), before + threads * perThread);

    // Each thread's events arrive in the order it queued them.
    QVector<int> next(threads, 0);
    for (const QString& line : eventLines(m_log).mid(before)) {
        const int t = field(line, "event").toInt() - 40000;
        QVERIFY2(t >= 0 && t < threads, qPrintable(line));
        QCOMPARE(field(line, "value").toInt(), next[t]++);
    }
}

void TestUserEventLog::blockSendIsSynchronous()
{
    CSingleUserLog::getInstance()->AddUserLogBlock(11601, 0, "3 s");
    QCOMPARE(readLines(m_log).last(), expectedLine(11601, 0, "3 s"));
}

void TestUserEventLog::startupRetries_data()
{
    QTest::addColumn<QByteArray>("fails");
    QTest::addColumn<QStringList>("startup");
    QTest::newRow("first call succeeds") << QByteArray("0") << QStringList{"startup call=1 ok"};
    QTest::newRow("fails twice") << QByteArray(
        "2") << QStringList{"startup call=1 failed", "startup call=2 failed", "startup call=3 ok"};
    QTest::newRow("always fails") << QByteArray(
        "1000") << QStringList{"startup call=1 failed", "startup call=2 failed", "startup call=3 failed"};
}

void TestUserEventLog::startupRetries()
{
    QFETCH(QByteArray, fails);
    QFETCH(QStringList, startup);
    const QString log = m_dir.filePath(QString("startup-%1.log").arg(QString(fails)));
    QCOMPARE(runChild(log, 0, fails), 0);

    // The thread carries on after the last call, whatever it reported.
    QCOMPARE(readLines(log), startup + QStringList{expectedLine(10201, 0, QString())});
}

void TestUserEventLog::queuedAtExitAreSent()
{
    const QString log = m_dir.filePath("exit.log");
    const int events = 500;
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(runChild(log, events), 0);
    // Sent back to back, not one a poll: a sender that slept between them
    // would take 500 x 0.5 s. How long it takes is a figure.
    QVERIFY2(timer.elapsed() < 60000, qPrintable(QString::number(timer.elapsed())));
    figures::report("services.event_log_exit_time", timer.elapsed() / 1000.0, "s", 2);

    const QStringList sent = eventLines(log);
    QCOMPARE(sent.size(), events + 1);
    QCOMPARE(sent.count(expectedLine(10201, 0, QString())), 1);
    QStringList queued = sent;
    queued.removeAll(expectedLine(10201, 0, QString()));
    for (int i = 0; i < events; ++i)
        QCOMPARE(queued.at(i), expectedLine(20000, i, QString("child %1").arg(i)));
}

void TestUserEventLog::idsFromProductInformation_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<int>("product");
    QTest::addColumn<int>("version");
    QTest::newRow("both") << QByteArray("[Softlog]\nproductID=12\nversionID=34\n") << 12 << 34;
    QTest::newRow("product id absent") << QByteArray("[Softlog]\nversionID=34\n") << 0 << 34;
    QTest::newRow("not numbers") << QByteArray("[Softlog]\nproductID=12a\nversionID=\n") << 0 << 0;
    QTest::newRow("no file") << QByteArray() << 0 << 0;
}

void TestUserEventLog::idsFromProductInformation()
{
    QFETCH(QByteArray, ini);
    QFETCH(int, product);
    QFETCH(int, version);
    if (ini.isNull())
        QVERIFY(QFile::remove(QIAppUtil::getResourcePath() + "/versionInfo.ini"));
    else
        writeIni(ini);
    const QString log = m_dir.filePath(QString("ids-%1.log").arg(QTest::currentDataTag()));
    QCOMPARE(runChild(log, 1), 0);
    // The child's event may overtake the thread's own 10201.
    QStringList sent = eventLines(log);
    sent.sort();
    QCOMPARE(sent,
             QStringList({expectedLine(10201, 0, QString(), product, version),
                          expectedLine(20000, 0, "child 0", product, version)}));
}

// The child queues its events right after start-up and leaves main at once:
// whatever is still queued must be sent during process exit.
static int childMain(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int events = QByteArray(argv[2]).toInt();
    // The parent's copy of Resources, with the product information it wrote.
    QIAppUtil::setResourcePath(QString::fromLocal8Bit(argv[3]));
    CSingleUserLog* log = CSingleUserLog::getInstance();
    for (int i = 0; i < events; ++i)
        log->AddUserLog(20000, false, i, QByteArray("child ").append(QByteArray::number(i)).constData());
    return 0;
}

int main(int argc, char** argv)
{
    if (argc >= 4 && std::strcmp(argv[1], "--child") == 0)
        return childMain(argc, argv);
    QCoreApplication app(argc, argv);
    TestUserEventLog test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_usereventlog.moc"
