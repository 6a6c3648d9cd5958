// The shipped format catalogue and its profiles, checked against what the
// engine encodes, and the codec-name tables they rely on.
#include "formats/AVCodecAnalysis.h"

#include <QCoreApplication>
#include <QDomDocument>
#include <QFile>
#include <QHash>
#include <QImageReader>
#include <QSet>
#include <QtTest>

namespace {

QString resources() { return QCoreApplication::applicationDirPath() + "/../Resources"; }

const QStringList kCatalogues{"video", "audio", "hd3d", "webshare", "devices"};
const QStringList kKeys{"V_Encoder", "V_Resolution", "V_FrameRate",  "V_BitRate",
                        "A_Encoder", "A_Channel",    "A_SampleRate", "A_BitRate"};
const QStringList kElements{"ATTRIBUTE_VALUE",     "HIGH_QUALITY_VALUE", "STANDARD_QUALITY_VALUE",
                            "SMALL_QUALITY_VALUE", "TEMP_QUALITY_VALUE", "VIDIO_FOMAT_INFO"};

// Ids the engine encodes as asked, without a fallback encoder.
const QSet<qint32> kVideoIds{13, 28, 5, 1145656920, 17, 8, 25, 2, 1, 141, 18, 19, 22};
const QSet<qint32> kAudioIds{86016, 86018, 86017, 86019, 86023, 86024, 86021, 65549, 86028, 65536};

// Container argument -> muxer, as the engine resolves it.
QString muxerOf(const QString& format)
{
    static const QHash<QString, QString> aliases{
        {"wmv", "asf"},  {"wma", "asf"}, {"mkv", "matroska"}, {"mka", "matroska"}, {"aac", "adts"},
        {"m4a", "ipod"}, {"m4v", "mp4"}, {"ts", "mpegts"},    {"m2ts", "mpegts"},  {"mts", "mpegts"},
        {"mpg", "mpeg"}, {"ogv", "ogg"}, {"oga", "ogg"}};
    static const QSet<QString> muxers{"mp4", "mov",    "avi",  "asf",  "matroska",   "webm",       "flv",
                                      "swf", "mpegts", "mpeg", "vob",  "mpeg1video", "mpeg2video", "h264",
                                      "3gp", "3g2",    "ogg",  "dv",   "mp3",        "wav",        "flac",
                                      "ac3", "adts",   "amr",  "ipod", "mp2"};
    const QString name = aliases.value(format.toLower(), format.toLower());
    return muxers.contains(name) ? name : QString();
}

// Codecs each muxer takes as they are (otherwise the engine swaps in its default).
struct Fit
{
    QStringList video, audio;
};
const QHash<QString, Fit>& fits()
{
    static const QHash<QString, Fit> table{
        {"mp4", {{"H264", "MPEG-4"}, {"AAC", "MP3", "AC3"}}},
        {"mov", {{"H264", "MPEG-4", "MJPEG"}, {"AAC", "MP3", "PCM", "AC3"}}},
        {"matroska", {{"H264", "MPEG-4", "VP8"}, {"AAC", "AC3", "MP3", "FLAC", "VORBIS"}}},
        {"avi", {{"MPEG-4", "XVID", "H264", "MSMPEG4V3", "MJPEG"}, {"MP3", "AC3", "PCM"}}},
        {"asf", {{"WMV2", "WMV1", "MSMPEG4V3"}, {"WMAV2", "WMAV1"}}},
        {"flv", {{"FLV", "H264"}, {"MP3"}}},
        {"webm", {{"VP8"}, {"VORBIS"}}},
        {"mpeg", {{"MPEG-2", "MPEG-1"}, {"MP2", "AC3"}}},
        {"mpegts", {{"H264", "MPEG-2"}, {"AAC", "AC3", "MP2", "MP3"}}},
        {"3gp", {{"H263", "MPEG-4", "H264"}, {"AAC"}}},
        {"ogg", {{"VP8"}, {"VORBIS"}}},
        {"dv", {{"DVVIDEO"}, {"PCM"}}},
        {"mp3", {{}, {"MP3"}}},
        {"adts", {{}, {"AAC"}}},
        {"ipod", {{}, {"AAC"}}},
        {"wav", {{}, {"PCM"}}},
        {"flac", {{}, {"FLAC"}}},
        {"ac3", {{}, {"AC3"}}},
        {"mp2", {{}, {"MP2"}}},
    };
    return table;
}

// Audio encoder limits: lowest and highest rate (0 = a fixed set), channels.
struct AudioLimit
{
    int minRate, maxRate, maxChannels;
    QList<int> rates;
};
const QHash<QString, AudioLimit>& audioLimits()
{
    static const QHash<QString, AudioLimit> table{
        // clang-format off
        {"AAC", {7350, 96000, 8, {}}},         {"MP3", {8000, 48000, 2, {}}},
        {"MP2", {16000, 48000, 2, {}}},        {"AC3", {0, 0, 6, {32000, 44100, 48000}}},
        {"WMAV1", {8000, 48000, 2, {}}},       {"WMAV2", {8000, 48000, 2, {}}},
        {"VORBIS", {0, 0, 8, {44100, 48000}}}, {"FLAC", {1, 655350, 8, {}}},
        {"PCM", {1, 655350, 8, {}}},
        // clang-format on
    };
    return table;
}

bool isWord(const QString& v) { return v == "Original" || v == "Auto"; }

int number(const QString& v)
{
    bool ok = false;
    const int n = v.toInt(&ok);
    return ok ? n : -1;
}

} // namespace

class TestCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void catalogueFiles();
    void profiles_data();
    void profiles();
    void codecNames_data();
    void codecNames();
    void frameRates_data();
    void frameRates();
};

// Icon names are the Recent list's key, so they must be unique; the program
// writes recent.xml and default.xml itself.
void TestCatalogue::catalogueFiles()
{
    QVERIFY(!QFile::exists(resources() + "/format/recent.xml"));
    QVERIFY(!QFile::exists(resources() + "/format/default.xml"));
    QSet<QString> icons;
    QHash<QString, QString> videoAndAudioItems; // item name -> profile
    QSet<QString> formats;
    for (const QString& cat : kCatalogues) {
        QFile f(resources() + "/format/" + cat + ".xml");
        QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(f.fileName()));
        QDomDocument doc;
        QVERIFY2(doc.setContent(&f), qPrintable(cat));
        QSet<QString> names;
        for (QDomElement e = doc.documentElement().firstChildElement("item"); !e.isNull();
             e = e.nextSiblingElement("item")) {
            const QString icon = e.attribute("imagename"), name = e.attribute("itemname");
            QVERIFY2(!icons.contains(icon), qPrintable(icon));
            icons.insert(icon);
            QVERIFY2(!names.contains(name.toUpper()), qPrintable(name));
            names.insert(name.toUpper());
            QDomDocument profile;
            QFile pf(resources() + "/format/XML/" + e.attribute("relevantfile"));
            QVERIFY2(pf.open(QIODevice::ReadOnly) && profile.setContent(&pf), qPrintable(pf.fileName()));
            const QString format =
                profile.documentElement().firstChildElement("VIDIO_FOMAT_INFO").attribute("V_Format");
            formats.insert(format);
            if (cat == "video" || cat == "audio") {
                // A task's container name selects its item, so that item must be this container.
                QCOMPARE(name, format);
                videoAndAudioItems.insert(name, e.attribute("relevantfile"));
            }
            if (cat == "video" && name == "MP4") {
                QCOMPARE(icon, QString("MP4.png"));
                QCOMPARE(e.attribute("relevantfile"), QString("MP4 Video.xml"));
            }
        }
        QVERIFY2(!names.isEmpty(), qPrintable(cat));
    }
    QVERIFY(videoAndAudioItems.contains("MP4"));
    for (const QString& format : formats)
        QVERIFY2(videoAndAudioItems.contains(format), qPrintable(format));
}

void TestCatalogue::profiles_data()
{
    QTest::addColumn<QString>("icon");
    QTest::addColumn<QString>("profile");
    for (const QString& cat : kCatalogues) {
        QFile f(resources() + "/format/" + cat + ".xml");
        QDomDocument doc;
        if (!f.open(QIODevice::ReadOnly) || !doc.setContent(&f))
            continue; // reported by catalogueFiles
        for (QDomElement e = doc.documentElement().firstChildElement("item"); !e.isNull();
             e = e.nextSiblingElement("item"))
            QTest::newRow(qPrintable(cat + "/" + e.attribute("itemname")))
                << e.attribute("imagename") << e.attribute("relevantfile");
    }
}

void TestCatalogue::profiles()
{
    QFETCH(QString, icon);
    QFETCH(QString, profile);

    // The tile draws icons up to 65 x 70 unscaled.
    QImageReader reader(resources() + "/format/image/" + icon);
    const QSize size = reader.size();
    QVERIFY2(size.isValid(), qPrintable(icon));
    QVERIFY(size.width() <= 65 && size.height() <= 70);

    QFile f(resources() + "/format/XML/" + profile);
    QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(profile));
    QDomDocument doc;
    QVERIFY(doc.setContent(&f));
    const QDomElement root = doc.documentElement();
    const QString onlyAudio = root.attribute("OnlyAudio");
    QVERIFY(onlyAudio == "Y" || onlyAudio == "N");
    const bool audioOnly = onlyAudio == "Y";

    // Six elements, in the order the settings dialog counts presets.
    QStringList tags;
    for (QDomElement e = root.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        tags << e.tagName();
    QCOMPARE(tags, kElements);

    const QDomElement listsElement = root.firstChildElement("ATTRIBUTE_VALUE");
    QHash<QString, QStringList> lists;
    for (const QString& key : kKeys)
        lists[key] = listsElement.attribute(key).split(',');
    QList<QDomElement> presets;
    for (int i = 1; i <= 4; ++i)
        presets << root.firstChildElement(kElements[i]);
    for (const QDomElement& preset : presets)
        for (const QString& key : kKeys)
            QVERIFY2(lists[key].contains(preset.attribute(key)),
                     qPrintable(preset.tagName() + " " + key + "=" + preset.attribute(key)));

    const QDomElement info = root.firstChildElement("VIDIO_FOMAT_INFO");
    const QString muxer = muxerOf(info.attribute("V_Format"));
    QVERIFY2(!muxer.isEmpty(), qPrintable(info.attribute("V_Format")));
    QVERIFY(!info.attribute("V_Extend").isEmpty() && !info.attribute("V_Extend").startsWith('.'));
    QVERIFY(fits().contains(muxer));
    const Fit& fit = fits()[muxer];

    // Every codec offered: a table row, encoded without fallback, taken by the container.
    for (const QString& name : lists["A_Encoder"]) {
        QVERIFY2(kAudioIds.contains(AVCodecAnalysis::GetAudioCodec(name)), qPrintable(name));
        QVERIFY2(fit.audio.contains(name.toUpper()), qPrintable(name + " in " + muxer));
        const AudioLimit& limit = audioLimits()[name.toUpper()];
        for (const QString& rate : lists["A_SampleRate"]) {
            const int hz = number(rate);
            QVERIFY2(rate == "Original" || hz > 0, qPrintable(rate));
            if (hz > 0)
                QVERIFY2(limit.rates.isEmpty() ? hz >= limit.minRate && hz <= limit.maxRate
                                               : limit.rates.contains(hz),
                         qPrintable(name + " at " + rate));
        }
    }
    for (const QString& v : lists["A_Channel"])
        QVERIFY2(v == "Original" || number(v) > 0, qPrintable(v));
    for (const QString& v : lists["A_BitRate"])
        QVERIFY2(isWord(v) || number(v) > 0, qPrintable(v));
    if (lists["A_Encoder"].contains("VORBIS")) {
        // libvorbis refuses rates and bit rates outside its tuned range.
        for (const QString& v : lists["A_BitRate"])
            QVERIFY2(v == "Auto" || (number(v) >= 96 && number(v) <= 224), qPrintable(v));
    }
    if (muxer == "flv")
        QCOMPARE(QSet<QString>(lists["A_SampleRate"].begin(), lists["A_SampleRate"].end()),
                 QSet<QString>({"44100", "22050", "11025"}));
    if (muxer == "dv") {
        QCOMPARE(lists["A_SampleRate"], QStringList{"48000"});
        QCOMPARE(lists["A_Channel"], QStringList{"2"});
        QCOMPARE(lists["V_FrameRate"], QStringList({"25", "29.97"}));
    }
    for (const QDomElement& preset : presets) {
        const AudioLimit& limit = audioLimits()[preset.attribute("A_Encoder").toUpper()];
        const int channels = number(preset.attribute("A_Channel"));
        QVERIFY2(channels <= limit.maxChannels, qPrintable(preset.tagName()));
    }

    if (audioOnly)
        return;
    QVERIFY(!fit.video.isEmpty());
    const QStringList mpegRates{"23.976", "24", "25", "29.97", "30", "50", "59.94", "60"};
    for (const QString& name : lists["V_Encoder"]) {
        QVERIFY2(kVideoIds.contains(AVCodecAnalysis::GetVideoCodec(name)), qPrintable(name));
        QVERIFY2(fit.video.contains(name.toUpper()), qPrintable(name + " in " + muxer));
        if (name.startsWith("MPEG-1") || name.startsWith("MPEG-2")) {
            for (const QString& rate : lists["V_FrameRate"])
                QVERIFY2(rate == "Original" || mpegRates.contains(rate), qPrintable(rate));
        }
    }
    for (const QString& v : lists["V_Resolution"]) {
        if (v == "Original")
            continue;
        const QStringList wh = v.split('*');
        QCOMPARE(wh.size(), 2);
        const int w = number(wh[0]), h = number(wh[1]);
        QVERIFY2(w >= 16 && h >= 16 && w <= 8192 && h <= 8192 && w % 2 == 0 && h % 2 == 0, qPrintable(v));
    }
    for (const QString& v : lists["V_FrameRate"])
        QVERIFY2(v == "Original" || v.toDouble() > 0, qPrintable(v));
    for (const QString& v : lists["V_BitRate"])
        QVERIFY2(isWord(v) || number(v) > 0, qPrintable(v));
    const QStringList h263Sizes{"128*96", "176*144", "352*288", "704*576", "1408*1152"};
    for (const QDomElement& preset : presets) {
        if (preset.attribute("V_Encoder") == "H263")
            QVERIFY2(h263Sizes.contains(preset.attribute("V_Resolution")), qPrintable(preset.tagName()));
    }
}

void TestCatalogue::codecNames_data()
{
    QTest::addColumn<bool>("video");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("id");
    QTest::newRow("h264") << true << "h264" << 28;
    QTest::newRow("H264") << true << "H264" << 28;
    QTest::newRow("x264") << true << "x264" << 0;
    QTest::newRow("H.264") << true << "H.264" << 0;
    QTest::newRow("H264 space") << true << "H264 " << 0;
    QTest::newRow("XVID") << true << "XVID" << 1145656920;
    QTest::newRow("SWF") << true << "SWF" << 69645;
    QTest::newRow("VC-1") << true << "vc-1" << 71;
    QTest::newRow("AAC as video") << true << "AAC" << 0;
    QTest::newRow("empty video") << true << "" << 0;
    QTest::newRow("pcm_s24be") << false << "pcm_s24be" << 65549;
    QTest::newRow("PCM_S24BE") << false << "PCM_S24BE" << 65549;
    QTest::newRow("PCM") << false << "PCM" << 65536;
    QTest::newRow("OGG") << false << "OGG" << 86021;
    QTest::newRow("VORBIS") << false << "vorbis" << 86021;
    QTest::newRow("MP3") << false << "MP3" << 86017;
    QTest::newRow("H264 as audio") << false << "H264" << 0;
    QTest::newRow("empty audio") << false << "" << 0;
}

void TestCatalogue::codecNames()
{
    QFETCH(bool, video);
    QFETCH(QString, name);
    QFETCH(int, id);
    // A found id first, so a miss must reset the stored result.
    AVCodecAnalysis::GetVideoCodec("MPEG-2");
    AVCodecAnalysis::GetAudioCodec("AC3");
    if (video) {
        QCOMPARE(AVCodecAnalysis::GetVideoCodec(name), id);
        QCOMPARE(AVCodecAnalysis::m_videoCodec, id);
    } else {
        QCOMPARE(AVCodecAnalysis::GetAudioCodec(name), id);
        QCOMPARE(AVCodecAnalysis::m_audioCodec, id);
    }
    // The named rows end with the empty terminator, well within the capacity.
    QCOMPARE(AVCodecAnalysis::m_VideoCodecArray[16].name, QString("SWF"));
    QVERIFY(AVCodecAnalysis::m_VideoCodecArray[17].name.isEmpty());
    QCOMPARE(AVCodecAnalysis::m_AudioCodecArray[12].name, QString("PCM"));
    QVERIFY(AVCodecAnalysis::m_AudioCodecArray[13].name.isEmpty());
}

void TestCatalogue::frameRates_data()
{
    QTest::addColumn<uint>("rate");
    QTest::addColumn<uint>("numerator");
    QTest::addColumn<uint>("denominator");
    const uint rows[][3] = {{0, 0, 1},         {23, 24000, 1001}, {24, 24, 1}, {25, 25, 1},
                            {29, 30000, 1001}, {30, 30, 1},       {31, 31, 1}, {48, 48, 1},
                            {50, 50, 1},       {59, 60000, 1001}, {60, 60, 1}, {119, 120000, 1001}};
    for (const auto& r : rows)
        QTest::newRow(qPrintable(QString::number(r[0]))) << r[0] << r[1] << r[2];
}

void TestCatalogue::frameRates()
{
    QFETCH(uint, rate);
    QFETCH(uint, numerator);
    QFETCH(uint, denominator);
    unsigned int n = 7, d = 7;
    AVCodecAnalysis::GetVideoFrameRate(rate, n, d);
    QCOMPARE(n, numerator);
    QCOMPARE(d, denominator);
}

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
