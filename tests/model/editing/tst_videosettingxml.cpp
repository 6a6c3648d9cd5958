// The small XML settings files without a window: the snapshot settings in
// the per-user "VideoCaptureSetting.xml" (the editor's two values and any
// attribute), and the per-device lookups in a shipped "VideoSetting.xml",
// here a hand-written one in a Resources folder of the test's own.

#include "QIAppUtil.h"
#include "editing/QVideoSettingXml.h"
#include "files/UserData.h"

#include <QDateTime>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Two device formats: a video one with two quality levels, and a sound-only
// one whose video values are in the file but are not handed out.
const QByteArray kDeviceValues = R"(<?xml version="1.0" encoding="UTF-8"?>
<DEVICES>
    <!-- a comment is not a format -->
    <Item DevFormat="Phone MP4" OnlyAudio="N">
        <ATTRIBUTE_VALUE V_Encoder="H264, MPEG-4" V_Resolution="Original,640*360 ,1280*720"
            V_FrameRate="Original, 25,29.97" V_BitRate=" Auto ,800, ,1500" A_Encoder="AAC"
            A_Channel="2,1" A_SampleRate="44100,48000" A_BitRate="128,,192"/>
        <HighQuality V_Encoder="H264" V_Resolution="1280*720" V_FrameRate="Original" V_BitRate="1500"
            A_Encoder="AAC" A_Channel="2" A_SampleRate="48000" A_BitRate="192"/>
        <LowQuality V_Encoder=" MPEG-4 " V_Resolution="640*360" V_FrameRate=" 25 " A_Encoder="AAC"
            A_Channel="1" A_SampleRate="44100" A_BitRate="96"/>
        <VIDIO_FOMAT_INFO V_Format="MP4" V_Extend="mp4"/>
    </Item>
    <Item DevFormat="Player MP3" OnlyAudio="Y">
        <ATTRIBUTE_VALUE V_Encoder="H264" V_Resolution="640*360" V_FrameRate="25" V_BitRate="800"
            A_Encoder="MP3" A_Channel="2" A_SampleRate="44100" A_BitRate="128,320"/>
        <HighQuality V_Encoder="H264" V_Resolution="640*360" V_FrameRate="25" V_BitRate="800"
            A_Encoder="MP3" A_Channel="2" A_SampleRate="44100" A_BitRate="320"/>
    </Item>
    <Item DevFormat="Bare"/>
</DEVICES>
)";

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Each lookup as one text, "none" when it answers none.
QString formatAllText(const std::optional<VideoFormatAllInfo>& info)
{
    if (!info)
        return "none";
    const QStringList lists[] = {info->V_Encoder, info->V_Resolution, info->V_FrameRate,  info->V_BitRate,
                                 info->A_Encoder, info->A_Channel,    info->A_SampleRate, info->A_BitRate};
    QStringList parts{info->onlyAudio ? "audio" : "video"};
    for (const QStringList& list : lists)
        parts << list.join('|');
    return parts.join(" / ");
}

QString qualityText(const std::optional<VideoQualitySet>& q)
{
    if (!q)
        return "none";
    return QStringList{q->onlyAudio ? "audio" : "video",
                       q->V_Encoder,
                       q->V_Resolution,
                       q->V_FrameRate,
                       q->V_BitRate,
                       q->A_Encoder,
                       q->A_Channel,
                       q->A_SampleRate,
                       q->A_BitRate}
        .join(" / ");
}

QString fileFormatText(const std::optional<VideoFileFormatInfo>& f)
{
    return f ? f->V_Format + " / " + f->V_Extend : QString("none");
}

} // namespace

class TestVideoSettingXml : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void settingsCreatedWithDefaults();
    void settingsLeftAloneWhenComplete();
    void settingsBrokenFileKeptAside();
    void settingsSetters();
    void settingsWaitForAnotherInstance();

    void itemValues_data();
    void itemValues();
    void itemValueRoundTrip();

    void units_data();
    void units();
    void deviceLookups_data();
    void deviceLookups();

private:
    static QByteArray readSettings();
    static void writeSettings(const QByteArray& content);

    QTemporaryDir m_resources;
};

void TestVideoSettingXml::initTestCase()
{
    QVERIFY(m_resources.isValid());
    QIAppUtil::setResourcePath(m_resources.path());
}

QByteArray TestVideoSettingXml::readSettings() { return readAll(QVideoSettingXml::fileName()); }

void TestVideoSettingXml::writeSettings(const QByteArray& content)
{
    QFile file(QVideoSettingXml::fileName());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

void TestVideoSettingXml::settingsCreatedWithDefaults()
{
    QFile::remove(QVideoSettingXml::fileName());
    const QString folder = UserData::folder() + "/Screenshots";
    QCOMPARE(QVideoSettingXml::getCaptrueImaSavePath(), folder);
    QCOMPARE(QVideoSettingXml::getCaptureImgSuffix(), QString("JPEG"));
    const QByteArray content = readSettings();
    QVERIFY2(!content.startsWith("<?xml"), content.constData());
    QDomDocument doc;
    QVERIFY(doc.setContent(content));
    QCOMPARE(doc.documentElement().tagName(), QString("ROOTITEM"));
    const QDomElement shots = doc.documentElement().firstChildElement("Screenshots");
    QCOMPARE(shots.attribute("IMG_Folder"), folder);
    QCOMPARE(shots.attribute("IMG_SUFFIX"), QString("JPEG"));
    QCOMPARE(doc.documentElement().elementsByTagName("Screenshots").count(), 1);
}

void TestVideoSettingXml::settingsLeftAloneWhenComplete()
{
    // Only the first element counts; other content survives a fill-in, and a
    // complete file is not rewritten at all.
    writeSettings("<ROOTITEM><Other keep=\"1\"/><Screenshots IMG_SUFFIX=\"\" IMG_Folder=\"/tmp/shots\"/>"
                  "<Screenshots IMG_SUFFIX=\"BMP\"/></ROOTITEM>");
    QCOMPARE(QVideoSettingXml::getCaptureImgSuffix(), QString("JPEG"));
    QCOMPARE(QVideoSettingXml::getCaptrueImaSavePath(), QString("/tmp/shots"));
    const QByteArray filled = readSettings();
    QVERIFY(filled.contains("keep=\"1\""));
    QVERIFY(filled.contains("IMG_SUFFIX=\"BMP\""));
    QVERIFY(filled.contains("IMG_SUFFIX=\"JPEG\""));

    const QDateTime written = QFileInfo(QVideoSettingXml::fileName()).lastModified();
    QFile::setPermissions(QVideoSettingXml::fileName(), QFileDevice::ReadOwner);
    QCOMPARE(QVideoSettingXml::getCaptureImgSuffix(), QString("JPEG"));
    QCOMPARE(QVideoSettingXml::getCaptrueImaSavePath(), QString("/tmp/shots"));
    QFile::setPermissions(QVideoSettingXml::fileName(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QCOMPARE(QFileInfo(QVideoSettingXml::fileName()).lastModified(), written);
    QCOMPARE(readSettings(), filled);
}

void TestVideoSettingXml::settingsBrokenFileKeptAside()
{
    const QString path = QVideoSettingXml::fileName();
    QFile::remove(path + ".bad");
    writeSettings("<ROOTITEM><Screenshots IMG_SUFFIX=\"PNG\"");
    QVERIFY(!QVideoSettingXml::setCaptureImgSuffix("BMP")); // not stored into a broken file
    QCOMPARE(QVideoSettingXml::getCaptureImgSuffix(), QString("JPEG"));
    QFile aside(path + ".bad");
    QVERIFY(aside.open(QIODevice::ReadOnly));
    QCOMPARE(aside.readAll(), QByteArray("<ROOTITEM><Screenshots IMG_SUFFIX=\"PNG\""));
    QVERIFY(readSettings().contains("IMG_SUFFIX=\"JPEG\""));
}

void TestVideoSettingXml::settingsSetters()
{
    QFile::remove(QVideoSettingXml::fileName());
    QVERIFY(QVideoSettingXml::setCaptureImgSuffix("PNG"));
    QVERIFY(QVideoSettingXml::setCaptrueImaPath("/tmp/elsewhere"));
    QCOMPARE(QVideoSettingXml::getCaptureImgSuffix(), QString("PNG"));
    QCOMPARE(QVideoSettingXml::getCaptrueImaSavePath(), QString("/tmp/elsewhere"));
}

void TestVideoSettingXml::settingsWaitForAnotherInstance()
{
    // Another instance in the middle of its read-modify-write: nothing is
    // written past its lock, and the values are still read.
    writeSettings("<ROOTITEM><Screenshots IMG_Folder=\"/tmp/shots\"/></ROOTITEM>");
    const QByteArray before = readSettings();
    QLockFile other(QVideoSettingXml::fileName() + ".lock");
    QVERIFY(other.tryLock(0));
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!QVideoSettingXml::setCaptureImgSuffix("PNG"));
    QCOMPARE(QVideoSettingXml::getCaptureImgSuffix(), QString("JPEG"));
    QCOMPARE(QVideoSettingXml::getCaptrueImaSavePath(), QString("/tmp/shots"));
    QCOMPARE(readSettings(), before);
    // Each call gives up after a short wait.
    QVERIFY2(clock.elapsed() < 3 * 1500, qPrintable(QString::number(clock.elapsed())));
    other.unlock();
    QVERIFY(QVideoSettingXml::setCaptureImgSuffix("PNG"));
    QCOMPARE(QVideoSettingXml::getCaptureImgSuffix(), QString("PNG"));
}

void TestVideoSettingXml::itemValues_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("element");
    QTest::addColumn<QString>("attribute");
    QTest::addColumn<QString>("value"); // what GetItemValue gives, with "dflt" as default
    QTest::addColumn<QString>("written"); // the element afterwards; empty: the file is untouched
    const QByteArray file = "<ROOTITEM><Screenshots IMG_SUFFIX=\"PNG\"/><Player Volume=\"\" Speed=\"2\"/>"
                            "<Player Volume=\"9\"/></ROOTITEM>";
    QTest::newRow("set value") << file << "Player"
                               << "Speed"
                               << "2"
                               << "";
    QTest::newRow("empty attribute gives the default, kept empty") << file << "Player"
                                                                   << "Volume"
                                                                   << "dflt"
                                                                   << "";
    QTest::newRow("absent attribute gives the default, not added") << file << "Player"
                                                                   << "Mute"
                                                                   << "dflt"
                                                                   << "";
    QTest::newRow("missing element added with the default") << file << "Window"
                                                            << "Left"
                                                            << "dflt"
                                                            << "Left=dflt";
    QTest::newRow("no file: made with the element") << QByteArray() << "Window"
                                                    << "Left"
                                                    << "dflt"
                                                    << "Left=dflt";
    QTest::newRow("element names are case-sensitive") << file << "player"
                                                      << "Speed"
                                                      << "dflt"
                                                      << "Speed=dflt";
    QTest::newRow("a name XML cannot hold") << file << "Two words"
                                            << "Speed"
                                            << "dflt"
                                            << "";
    QTest::newRow("empty attribute name") << file << "Player"
                                          << ""
                                          << "dflt"
                                          << "";
}

void TestVideoSettingXml::itemValues()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, element);
    QFETCH(QString, attribute);
    QFETCH(QString, value);
    QFETCH(QString, written);
    const QString path = QVideoSettingXml::fileName();
    QFile::remove(path);
    if (!before.isNull())
        writeSettings(before);
    const QDateTime stamp = QDateTime::currentDateTime().addSecs(-60);
    if (!before.isNull()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly) && file.setFileTime(stamp, QFileDevice::FileModificationTime));
    }

    QCOMPARE(QVideoSettingXml::GetItemValue(element, attribute, "dflt"), value);

    if (written.isEmpty()) {
        QCOMPARE(readSettings(), before);
        QCOMPARE(QFileInfo(path).lastModified(), before.isNull() ? QDateTime() : stamp);
        return;
    }
    QDomDocument doc;
    QVERIFY(doc.setContent(readSettings()));
    const QDomElement added = doc.documentElement().lastChildElement();
    QCOMPARE(added.tagName(), element);
    const QDomNamedNodeMap attributes = added.attributes();
    QCOMPARE(attributes.count(), 1);
    QCOMPARE(attributes.item(0).nodeName() + "=" + attributes.item(0).nodeValue(), written);
    if (!before.isNull()) // the rest of the file is still there
        QCOMPARE(doc.documentElement().elementsByTagName("Player").count(), 2);
}

void TestVideoSettingXml::itemValueRoundTrip()
{
    const QString path = QVideoSettingXml::fileName();
    QFile::remove(path);
    writeSettings("<ROOTITEM><Other keep=\"1\"/><Player Speed=\"2\"/><Player Speed=\"3\"/></ROOTITEM>");
    QVERIFY(QVideoSettingXml::SetItemValue("Player", "Volume", "7"));
    QVERIFY(QVideoSettingXml::SetItemValue("Player", "Speed", "4"));
    QVERIFY(QVideoSettingXml::SetItemValue("Window", "Left", "a & <b>"));
    QCOMPARE(QVideoSettingXml::GetItemValue("Player", "Volume", "dflt"), QString("7"));
    QCOMPARE(QVideoSettingXml::GetItemValue("Player", "Speed", "dflt"), QString("4"));
    QCOMPARE(QVideoSettingXml::GetItemValue("Window", "Left", "dflt"), QString("a & <b>"));
    // The second element of a name and other elements are kept as they were;
    // the live values share the file.
    QVERIFY(QVideoSettingXml::setCaptureImgSuffix("BMP"));
    QCOMPARE(QVideoSettingXml::GetItemValue("Screenshots", "IMG_SUFFIX", "dflt"), QString("BMP"));
    const QByteArray text = readSettings();
    QVERIFY2(!text.startsWith("<?xml"), text.constData());
    QVERIFY(text.contains("Speed=\"3\""));
    QVERIFY(text.contains("keep=\"1\""));

    // Nothing is stored into a broken file, nor under a name XML cannot hold.
    QVERIFY(!QVideoSettingXml::SetItemValue("Player", "with space", "1"));
    QVERIFY(!QVideoSettingXml::SetItemValue("", "Speed", "1"));
    QCOMPARE(readSettings(), text);
    writeSettings("<ROOTITEM><Player");
    QVERIFY(!QVideoSettingXml::SetItemValue("Player", "Speed", "5"));
    QCOMPARE(readSettings(), QByteArray("<ROOTITEM><Player"));
}

void TestVideoSettingXml::units_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("key"); // empty: analysisTextInfo(text) without a key
    QTest::addColumn<QStringList>("items");
    QTest::newRow("frame rate") << "25"
                                << "V_FrameRate" << QStringList{"25 fps"};
    QTest::newRow("video bit rate") << "800"
                                    << "V_BitRate" << QStringList{"800 kbps"};
    QTest::newRow("audio bit rate") << "128"
                                    << "A_BitRate" << QStringList{"128 kbps"};
    QTest::newRow("sample rate") << "44100"
                                 << "A_SampleRate" << QStringList{"44100 HZ"};
    QTest::newRow("other keys take no unit") << "H264"
                                             << "V_Encoder" << QStringList{"H264"};
    QTest::newRow("unknown key") << "2"
                                 << "X" << QStringList{"2"};
    QTest::newRow("Original and Auto kept") << "Original,Auto,25"
                                            << "V_FrameRate" << QStringList{"Original", "Auto", "25 fps"};
    QTest::newRow("only exact Original") << "original"
                                         << "V_BitRate" << QStringList{"original kbps"};
    QTest::newRow("spaces trimmed, blanks dropped") << " 44100 , ,48000,, "
                                                    << "A_SampleRate" << QStringList{"44100 HZ", "48000 HZ"};
    QTest::newRow("only blanks") << " , ,"
                                 << "A_BitRate" << QStringList();
    QTest::newRow("without a key") << " a, b c ,,d "
                                   << "" << QStringList{"a", "b c", "d"};
    QTest::newRow("empty text") << ""
                                << "" << QStringList();
}

void TestVideoSettingXml::units()
{
    QFETCH(QString, text);
    QFETCH(QString, key);
    QFETCH(QStringList, items);
    if (key.isEmpty()) {
        QCOMPARE(QVideoSettingXml::analysisTextInfo(text), items);
        return;
    }
    QCOMPARE(QVideoSettingXml::analysisTextInfo(text, key), items);
    // addUnit alone: a single value, trimmed; a blank one stays blank.
    if (!text.contains(','))
        QCOMPARE(QVideoSettingXml::addUnit("  " + text + " ", key), items.value(0));
    QCOMPARE(QVideoSettingXml::addUnit("   ", key), QString());
}

void TestVideoSettingXml::deviceLookups_data()
{
    QTest::addColumn<QByteArray>("file"); // null: no file shipped
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("all");
    QTest::addColumn<QString>("quality");
    QTest::addColumn<QString>("fileFormat");
    QTest::newRow("found") << kDeviceValues << "Phone MP4"
                           << "HighQuality"
                           << "video / H264|MPEG-4 / Original|640*360|1280*720 / Original|25 fps|29.97 fps / "
                              "Auto|800 kbps|1500 kbps / AAC / 2|1 / 44100 HZ|48000 HZ / 128 kbps|192 kbps"
                           << "video / H264 / 1280*720 / Original / 1500 kbps / AAC / 2 / 48000 HZ / 192 kbps"
                           << "MP4 / mp4";
    // Only the values with a unit are trimmed; a missing one stays blank.
    QTest::newRow("second level")
        << kDeviceValues << "Phone MP4"
        << "LowQuality"
        << "video / H264|MPEG-4 / Original|640*360|1280*720 / Original|25 fps|29.97 fps / "
           "Auto|800 kbps|1500 kbps / AAC / 2|1 / 44100 HZ|48000 HZ / 128 kbps|192 kbps"
        << "video /  MPEG-4  / 640*360 / 25 fps /  / AAC / 1 / 44100 HZ / 96 kbps"
        << "MP4 / mp4";
    QTest::newRow("audio only") << kDeviceValues << "Player MP3"
                                << "HighQuality"
                                << "audio /  /  /  /  / MP3 / 2 / 44100 HZ / 128 kbps|320 kbps"
                                << "audio /  /  /  /  / MP3 / 2 / 44100 HZ / 320 kbps"
                                << "none";
    QTest::newRow("missing elements") << kDeviceValues << "Bare"
                                      << "HighQuality"
                                      << "none"
                                      << "none"
                                      << "none";
    QTest::newRow("missing level")
        << kDeviceValues << "Phone MP4"
        << "MiddleQuality"
        << "video / H264|MPEG-4 / Original|640*360|1280*720 / Original|25 fps|29.97 fps / "
           "Auto|800 kbps|1500 kbps / AAC / 2|1 / 44100 HZ|48000 HZ / 128 kbps|192 kbps"
        << "none"
        << "MP4 / mp4";
    QTest::newRow("empty level")
        << kDeviceValues << "Phone MP4"
        << ""
        << "video / H264|MPEG-4 / Original|640*360|1280*720 / Original|25 fps|29.97 fps / "
           "Auto|800 kbps|1500 kbps / AAC / 2|1 / 44100 HZ|48000 HZ / 128 kbps|192 kbps"
        << "none"
        << "MP4 / mp4";
    QTest::newRow("format not listed") << kDeviceValues << "phone mp4"
                                       << "HighQuality"
                                       << "none"
                                       << "none"
                                       << "none";
    QTest::newRow("empty format") << kDeviceValues << ""
                                  << "HighQuality"
                                  << "none"
                                  << "none"
                                  << "none";
    QTest::newRow("missing file") << QByteArray() << "Phone MP4"
                                  << "HighQuality"
                                  << "none"
                                  << "none"
                                  << "none";
    QTest::newRow("unparsable file") << kDeviceValues.left(kDeviceValues.size() / 2) << "Phone MP4"
                                     << "HighQuality"
                                     << "none"
                                     << "none"
                                     << "none";
}

void TestVideoSettingXml::deviceLookups()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, format);
    QFETCH(QString, tag);
    QFETCH(QString, all);
    QFETCH(QString, quality);
    QFETCH(QString, fileFormat);
    const QString path = QVideoSettingXml::formatFileName();
    QCOMPARE(path, m_resources.filePath("VideoSetting.xml"));
    QFile::remove(path);
    if (!file.isNull()) {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(file);
    }
    QCOMPARE(formatAllText(QVideoSettingXml::GetFormatAllInfo(format)), all);
    QCOMPARE(qualityText(QVideoSettingXml::GetQuality(tag, format)), quality);
    QCOMPARE(fileFormatText(QVideoSettingXml::GetFormatInfo(format)), fileFormat);
    // The last answers stay in the static members, a none as an empty one.
    QCOMPARE(QVideoSettingXml::m_fileFormatInfo.V_Extend, fileFormat == "none" ? QString() : QString("mp4"));
    if (all != "none")
        QCOMPARE(formatAllText(QVideoSettingXml::m_formatInfo), all);
    // The shipped file is only read.
    QCOMPARE(readAll(path), file.isNull() ? QByteArray() : file);
}

QTEST_GUILESS_MAIN(TestVideoSettingXml)
#include "tst_videosettingxml.moc"
