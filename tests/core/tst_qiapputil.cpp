#include "GobelConfigure.h"
#include "QIAppUtil.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

class TestQIAppUtil : public QObject
{
    Q_OBJECT

private slots:
    void resourcePathFromBundleLayout();
    void size2String_data();
    void size2String();
    void getTime_data();
    void getTime();
    void defaultOutputFolder();
};

void TestQIAppUtil::resourcePathFromBundleLayout()
{
    static int argc = 1;
    static char arg0[] = "tst_qiapputil";
    static char* argv[] = {arg0, nullptr};
    auto* app = new QCoreApplication(argc, argv);
    const QString exeDir = QCoreApplication::applicationDirPath();
    QVERIFY(exeDir.endsWith(QLatin1String(".app/Contents/MacOS")));

    const QString first = QIAppUtil::getResourcePath();
    QCOMPARE(first, QDir(exeDir + QLatin1String("/../Resources")).absolutePath());
    QVERIFY(!first.endsWith(QLatin1Char('/')));

    // Fixed for the run: no application is asked the second time.
    delete app;
    QCOMPARE(QIAppUtil::getResourcePath(), first);
}

void TestQIAppUtil::size2String_data()
{
    QTest::addColumn<quint64>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << Q_UINT64_C(0) << "0 B";
    QTest::newRow("1 KiB stays bytes") << Q_UINT64_C(1024) << "1024 B";
    QTest::newRow("just over 1 KiB") << Q_UINT64_C(1025) << "1.00 KB";
    QTest::newRow("1.5 KiB") << Q_UINT64_C(1536) << "1.50 KB";
    QTest::newRow("1 MiB stays KB") << Q_UINT64_C(1048576) << "1024.00 KB";
    QTest::newRow("just over 1 MiB") << Q_UINT64_C(1048577) << "1.00 MB";
    QTest::newRow("1 GiB stays MB") << Q_UINT64_C(1073741824) << "1024.00 MB";
    QTest::newRow("just over 1 GiB") << Q_UINT64_C(1073741825) << "1.00 GB";
    QTest::newRow("1 TiB") << Q_UINT64_C(1099511627776) << "1024.00 GB";
    QTest::newRow("largest count") << Q_UINT64_C(18446744073709551615) << "17179869184.00 GB";
}

void TestQIAppUtil::size2String()
{
    QFETCH(quint64, bytes);
    QFETCH(QString, text);
    QCOMPARE(QIAppUtil::size2String(bytes), text);
}

void TestQIAppUtil::getTime_data()
{
    QTest::addColumn<quint64>("microseconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << Q_UINT64_C(0) << "00:00:00";
    QTest::newRow("fraction dropped") << Q_UINT64_C(1999999) << "00:00:01";
    QTest::newRow("one hour") << Q_UINT64_C(3600000000) << "01:00:00";
    QTest::newRow("mixed") << Q_UINT64_C(3723000000) << "01:02:03";
    QTest::newRow("last second of a day") << Q_UINT64_C(86399000000) << "23:59:59";
    QTest::newRow("24 hours") << Q_UINT64_C(86400000000) << "";
    QTest::newRow("past 32-bit seconds") << Q_UINT64_C(2147483648000000) << "";
    // 2^32 s + 1 s would wrap to 00:00:01 in 32 bits.
    QTest::newRow("wraps in 32 bits") << Q_UINT64_C(4294967297000000) << "";
    QTest::newRow("largest count") << Q_UINT64_C(18446744073709551615) << "";
}

void TestQIAppUtil::getTime()
{
    QFETCH(quint64, microseconds);
    QFETCH(QString, text);
    QCOMPARE(::getTime(microseconds), text);
    QCOMPARE(convertTime(microseconds).isValid(), !text.isEmpty());
}

void TestQIAppUtil::defaultOutputFolder()
{
    QCOMPARE(g_Configure.m_bMerge, false);
    QCOMPARE(g_Configure.m_strOutputFolder,
             QStandardPaths::writableLocation(QStandardPaths::DesktopLocation) + "/Lumivane");

    // A fresh home without user-dirs: the Desktop is $HOME/Desktop.
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    const GobelConfigure fresh;
    qputenv("HOME", oldHome);
    if (oldConfig.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", oldConfig);
    QCOMPARE(fresh.m_strOutputFolder, home.path() + "/Desktop/Lumivane");
    QCOMPARE(fresh.m_bMerge, false);
}

QTEST_APPLESS_MAIN(TestQIAppUtil)
#include "tst_qiapputil.moc"
