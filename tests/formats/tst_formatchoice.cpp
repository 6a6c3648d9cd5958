#include "../ResourceCopy.h"

#include "QIAppUtil.h"
#include "files/DataFile.h"
#include "formats/GobelItemChunk.h"
#include "formats/ProfileFile.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QtTest>

// The current format choice: the default-format file and the reading of a
// profile's current values (its standard preset where it has none).
class TstFormatChoice : public QObject
{
    Q_OBJECT

private:
    ResourceCopy m_resources; // a profile is shipped by the test
    static QString resources() { return QIAppUtil::getResourcePath(); }
    static void writeFile(const QString& path, const QByteArray& data)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(data);
    }
    static QByteArray readFile(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void initTestCase() { QVERIFY(m_resources.isValid()); }

    void init()
    {
        g_itemChunk.setDefaultinfo();
        g_itemChunk.m_convertinfo = Convertinfo();
        QFile::remove(GobelItemChunk::defaultXmlPath());
    }

    void builtInDefaults()
    {
        GobelItemChunk chunk;
        QCOMPARE(chunk.imagename, QString("MP4.png"));
        QCOMPARE(chunk.itemname, QString("MP4"));
        QCOMPARE(chunk.relevantfile, QString("MP4 Video.xml"));
        QVERIFY(!chunk.m_bEnableSelect);
        QVERIFY(chunk.m_convertinfo.V_Format.isEmpty());
    }

    void initWithoutFileWritesDefaults()
    {
        g_itemChunk.Init();
        QDomDocument doc;
        QVERIFY(doc.setContent(readFile(GobelItemChunk::defaultXmlPath())));
        const QDomElement item = doc.documentElement().firstChildElement();
        QCOMPARE(doc.documentElement().tagName(), QString("default"));
        QCOMPARE(item.tagName(), QString("item"));
        QCOMPARE(item.attribute("imagename"), QString("MP4.png"));
        QCOMPARE(item.attribute("itemname"), QString("MP4"));
        QCOMPARE(item.attribute("relevantfile"), QString("MP4 Video.xml"));
    }

    void initReadsFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("profile");
        QTest::addColumn<bool>("fileKept");
        QTest::addColumn<bool>("setAside");
        QTest::newRow("item") << QByteArray("<default><item imagename=\"AVI.png\" itemname=\"AVI\" "
                                            "relevantfile=\"AVI Video.xml\"/></default>")
                              << "AVI"
                              << "AVI Video.xml" << true << false;
        QTest::newRow("other tag") << QByteArray("<default><entry itemname=\"AVI\"/></default>") << "MP4"
                                   << "MP4 Video.xml" << true << false;
        QTest::newRow("empty root") << QByteArray("<default/>") << "MP4"
                                    << "MP4 Video.xml" << false << false;
        // A choice that would make every conversion fail falls back to the
        // built-in one; the person's file is kept aside.
        QTest::newRow("no itemname") << QByteArray("<default><item imagename=\"AVI.png\" "
                                                   "relevantfile=\"AVI Video.xml\"/></default>")
                                     << "MP4"
                                     << "MP4 Video.xml" << false << true;
        QTest::newRow("missing profile") << QByteArray("<default><item imagename=\"X.png\" itemname=\"X\" "
                                                       "relevantfile=\"No Such Profile.xml\"/></default>")
                                         << "MP4"
                                         << "MP4 Video.xml" << false << true;
        QTest::newRow("broken") << QByteArray("<default><item") << "MP4"
                                << "MP4 Video.xml" << false << true;
        QTest::newRow("deeply nested") << "<default>" + QByteArray("<item>").repeated(30000) + "</default>"
                                       << "MP4"
                                       << "MP4 Video.xml" << false << true;
    }

    void initReadsFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, item);
        QFETCH(QString, profile);
        QFETCH(bool, fileKept);
        QFETCH(bool, setAside);
        const QString path = GobelItemChunk::defaultXmlPath();
        QFile::remove(path + ".bad");
        writeFile(path, content);
        g_itemChunk.Init();
        QCOMPARE(g_itemChunk.itemname, item);
        QCOMPARE(g_itemChunk.relevantfile, profile);
        const QByteArray after = readFile(path);
        QCOMPARE(after == content, fileKept);
        if (!fileKept)
            QVERIFY(after.contains("itemname=\"MP4\""));
        QCOMPARE(readFile(path + ".bad"), setAside ? content : QByteArray());
    }

    // The shipped default profile must give a complete H.264/AAC MP4 preset
    // whose values the settings dialog can offer.
    void shippedDefaultProfile()
    {
        g_itemChunk.getConvertXMLInfo();
        const Convertinfo& info = g_itemChunk.m_convertinfo;
        QVERIFY(info.isVideo);
        QCOMPARE(info.V_Encoder, QString("H264"));
        QCOMPARE(info.A_Encoder, QString("AAC"));
        QCOMPARE(info.V_Format, QString("MP4"));
        QCOMPARE(info.V_Extend, QString("mp4"));

        QDomDocument doc;
        QVERIFY(doc.setContent(readFile(GobelItemChunk::profilePath("MP4 Video.xml"))));
        const QDomElement root = doc.documentElement();
        const QDomElement lists = root.firstChildElement();
        QCOMPARE(lists.tagName(), QString("ATTRIBUTE_VALUE"));
        const QStringList keys{"V_Encoder", "V_Resolution", "V_FrameRate",  "V_BitRate",
                               "A_Encoder", "A_Channel",    "A_SampleRate", "A_BitRate"};
        const QStringList presets{"HIGH_QUALITY_VALUE", "STANDARD_QUALITY_VALUE", "SMALL_QUALITY_VALUE",
                                  "TEMP_QUALITY_VALUE"};
        QCOMPARE(lists.nextSiblingElement().tagName(), presets.at(0));
        for (const QString& preset : presets) {
            const QDomElement e = root.firstChildElement(preset);
            QVERIFY2(!e.isNull(), qPrintable(preset));
            for (const QString& key : keys)
                QVERIFY2(lists.attribute(key).split(',').contains(e.attribute(key)),
                         qPrintable(preset + " " + key + "=" + e.attribute(key)));
        }
    }

    void profileReading_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("isVideo");
        QTest::addColumn<QString>("bitRate");
        QTest::addColumn<QString>("format");
        const QByteArray tail = "<VIDIO_FOMAT_INFO V_Format=\"MP3\" V_Extend=\"mp3\"/></P>";
        QTest::newRow("audio") << QByteArray("<P OnlyAudio=\"Y\"><STANDARD_QUALITY_VALUE A_BitRate=\"128\"/>")
                + tail << false << "128"
                               << "MP3";
        QTest::newRow("lower-case y is video")
            << QByteArray("<P OnlyAudio=\"y\"><STANDARD_QUALITY_VALUE A_BitRate=\"128\"/>") + tail << true
            << "128"
            << "MP3";
        QTest::newRow("later preset wins") << QByteArray("<P><STANDARD_QUALITY_VALUE A_BitRate=\"96\"/>"
                                                         "<STANDARD_QUALITY_VALUE A_BitRate=\"192\"/>")
                + tail << true << "192"
                                           << "MP3";
        QTest::newRow("current values over the standard ones")
            << QByteArray(
                   "<P><TEMP_QUALITY_VALUE A_BitRate=\"64\"/><STANDARD_QUALITY_VALUE A_BitRate=\"128\"/>")
                + tail
            << true << "64"
            << "MP3";
        // Broken or missing parts leave the previous values in place.
        QTest::newRow("broken") << QByteArray("<P><STANDARD") << false << "old"
                                << "OLD";
        QTest::newRow("no preset") << QByteArray("<P>") + tail << true << "old"
                                   << "MP3";
    }

    void profileReading()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, isVideo);
        QFETCH(QString, bitRate);
        QFETCH(QString, format);
        writeFile(GobelItemChunk::profilePath("Test Profile.xml"), content);
        g_itemChunk.relevantfile = "Test Profile.xml";
        g_itemChunk.m_convertinfo.A_BitRate = "old";
        g_itemChunk.m_convertinfo.V_Format = "OLD";
        g_itemChunk.m_convertinfo.F_Name = "shown";
        g_itemChunk.getConvertXMLInfo();
        QCOMPARE(g_itemChunk.m_convertinfo.isVideo, isVideo);
        QCOMPARE(g_itemChunk.m_convertinfo.A_BitRate, bitRate);
        QCOMPARE(g_itemChunk.m_convertinfo.V_Format, format);
        QCOMPARE(g_itemChunk.m_convertinfo.F_Name, QString("shown"));
    }

    // What a task's settings saved, and its rows show, is what a merge
    // switched on afterwards writes.
    void mergeTakesTheSavedValues()
    {
        const QString path = GobelItemChunk::profilePath("Saved Profile.xml");
        writeFile(path,
                  "<P><STANDARD_QUALITY_VALUE V_Resolution=\"1280*720\"/>"
                  "<TEMP_QUALITY_VALUE V_Resolution=\"1280*720\"/>"
                  "<VIDIO_FOMAT_INFO V_Format=\"MP4\" V_Extend=\"mp4\"/></P>");
        Convertinfo task;
        QVERIFY(ProfileFile::read(path, QStringLiteral("TEMP_QUALITY_VALUE"), task));
        task.V_Resolution = "640*480";
        QVERIFY(ProfileFile::writeCurrent(path, task));
        QVERIFY(DataFile::waitForChanges(30000));
        g_itemChunk.relevantfile = "Saved Profile.xml";
        g_itemChunk.getConvertXMLInfo();
        QCOMPARE(g_itemChunk.m_convertinfo.V_Resolution, QString("640*480"));
        QCOMPARE(g_itemChunk.m_convertinfo.V_Format, QString("MP4"));
    }

    void missingProfileKeepsValues()
    {
        g_itemChunk.getConvertXMLInfo();
        const Convertinfo before = g_itemChunk.m_convertinfo;
        g_itemChunk.relevantfile = "No Such Profile.xml";
        g_itemChunk.getConvertXMLInfo();
        QCOMPARE(g_itemChunk.m_convertinfo.V_Format, before.V_Format);
        QCOMPARE(g_itemChunk.m_convertinfo.V_BitRate, before.V_BitRate);
    }
};

QTEST_GUILESS_MAIN(TstFormatChoice)
#include "tst_formatchoice.moc"
