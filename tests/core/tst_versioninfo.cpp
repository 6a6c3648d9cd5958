#include "../ResourceCopy.h"

#include "CSingleVersionStringUtil.h"
#include "QIAppUtil.h"

#include <QCoreApplication>
#include <QFile>
#include <QtTest>

#include <memory>

// The test changes "versionInfo.ini" in a copy of Resources of its own.
class TestVersionInfo : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase()
    {
        m_resources.reset();
        delete m_app;
    }
    void init();
    void missingFileReadsEmptyOnce();
    void values_data();
    void values();
    void outOfRangeDoesNotReread_data();
    void outOfRangeDoesNotReread();
    void readOnceUntilCleared();

private:
    static QString iniPath() { return QString::fromStdString(CSingleVersionStringUtil::GetIniFileName()); }
    static void writeIni(const QByteArray& content);

    QCoreApplication* m_app = nullptr;
    std::unique_ptr<ResourceCopy> m_resources;
};

static const QByteArray kIni = "[Info]\n"
                               "Product Name=Media Converter\n"
                               "Help=\n"
                               "format=\"*.mp4 *.mkv, *.avi\"\n"
                               "[Link]\n"
                               "home=https://www.example.com/\n"
                               "newVersion=https://www.example.com/a,b\n"
                               "download_zip=\"https://www.example.com/a,b\"\n"
                               "[Softlog]\n"
                               "productID=7\n"
                               "versionID=3\n";

void TestVersionInfo::writeIni(const QByteArray& content)
{
    QFile file(iniPath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
}

void TestVersionInfo::initTestCase()
{
    static int argc = 1;
    static char arg0[] = "tst_versioninfo";
    static char* argv[] = {arg0, nullptr};
    m_app = new QCoreApplication(argc, argv);
    m_resources = std::make_unique<ResourceCopy>();
    QVERIFY(m_resources->isValid());
    QCOMPARE(iniPath(), QIAppUtil::getResourcePath() + "/versionInfo.ini");
}

void TestVersionInfo::init()
{
    CSingleVersionStringUtil::ClearLinkMap();
    QFile::remove(iniPath());
}

void TestVersionInfo::missingFileReadsEmptyOnce()
{
    QVERIFY(!CSingleVersionStringUtil::Check());
    for (int i = 0; i < kAddressTypeCount; ++i)
        QCOMPARE(CSingleVersionStringUtil::GetLinkAddress(tagAddressType(i)), QString());

    // The run keeps the empty table even when the file turns up later.
    writeIni(kIni);
    QVERIFY(CSingleVersionStringUtil::Check());
    QCOMPARE(CSingleVersionStringUtil::GetLinkAddress(ADDR_PRODUCT_NAME), QString());
}

void TestVersionInfo::values_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("value");
    QTest::newRow("key with a blank") << int(ADDR_PRODUCT_NAME) << "Media Converter";
    QTest::newRow("product id") << int(ADDR_SOFTLOG_PRODUCT_ID) << "7";
    QTest::newRow("version id") << int(ADDR_SOFTLOG_VERSION_ID) << "3";
    QTest::newRow("home") << int(ADDR_LINK_HOME) << "https://www.example.com/";
    QTest::newRow("empty value") << int(ADDR_INFO_HELP) << "";
    QTest::newRow("missing key") << int(ADDR_LINK_SUPPORT) << "";
    QTest::newRow("reserved") << int(ADDR_RESERVED_22) << "";
    QTest::newRow("unquoted comma is a list") << int(ADDR_LINK_NEW_VERSION) << "";
    QTest::newRow("quoted comma") << int(ADDR_LINK_DOWNLOAD_ZIP) << "https://www.example.com/a,b";
    QTest::newRow("quoted filter") << int(ADDR_INFO_FORMAT) << "*.mp4 *.mkv, *.avi";
}

void TestVersionInfo::values()
{
    QFETCH(int, position);
    QFETCH(QString, value);
    writeIni(kIni);
    QCOMPARE(CSingleVersionStringUtil::GetLinkAddress(tagAddressType(position)), value);
}

void TestVersionInfo::outOfRangeDoesNotReread_data()
{
    QTest::addColumn<int>("position");
    QTest::newRow("25") << 25;
    QTest::newRow("-1") << -1;
    QTest::newRow("1000") << 1000;
}

void TestVersionInfo::outOfRangeDoesNotReread()
{
    QFETCH(int, position);
    writeIni(kIni);
    QCOMPARE(CSingleVersionStringUtil::GetLinkAddress(tagAddressType(position)), QString());
    writeIni("[Info]\nProduct Name=Other\n");
    QCOMPARE(CSingleVersionStringUtil::GetLinkAddress(tagAddressType(position)), QString());
    QCOMPARE(CSingleVersionStringUtil::GetLinkAddress(ADDR_PRODUCT_NAME), QString("Media Converter"));
}

void TestVersionInfo::readOnceUntilCleared()
{
    writeIni(kIni);
    QCOMPARE(CSingleVersionStringUtil::GetLinkAddress(ADDR_PRODUCT_NAME), QString("Media Converter"));

    writeIni("[Info]\nProduct Name=Other\n[Softlog]\nproductID=9\n");
    QCOMPARE(CSingleVersionStringUtil::GetLinkAddress(ADDR_PRODUCT_NAME), QString("Media Converter"));
    QCOMPARE(CSingleVersionStringUtil::GetLinkAddress(ADDR_SOFTLOG_PRODUCT_ID), QString("7"));

    CSingleVersionStringUtil::ClearLinkMap();
    QCOMPARE(CSingleVersionStringUtil::GetLinkAddress(ADDR_PRODUCT_NAME), QString("Other"));
    QCOMPARE(CSingleVersionStringUtil::GetLinkAddress(ADDR_SOFTLOG_PRODUCT_ID), QString("9"));
    QCOMPARE(CSingleVersionStringUtil::GetLinkAddress(ADDR_SOFTLOG_VERSION_ID), QString());
}

QTEST_APPLESS_MAIN(TestVersionInfo)
#include "tst_versioninfo.moc"
