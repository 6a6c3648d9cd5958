// Conversions checked from the outside with ffprobe: codec-id translation,
// container defaults and every fallback, sizes, rates and timing.
#include "engine_test_util.h"

using namespace etest;

class TestEngineConvert : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void codecTable_data();
    void codecTable();
    void splitTime_data();
    void splitTime();
    void progressIsMonotonic();
    void frameRateKept();
    void volumeHalves();
    void audioRateFitsEncoder_data();
    void audioRateFitsEncoder();
    void convertedIsWhatTheOutputHolds_data();
    void convertedIsWhatTheOutputHolds();

private:
    QTemporaryDir m_dir;
};

void TestEngineConvert::initTestCase()
{
    QVERIFY(QFile::exists(fixture("clip.mov")));
    // 2.1 s of AVI, and the same cut at half its bytes: its container then
    // estimates what is left, its stream headers still count every frame
    const QString whole = m_dir.filePath("whole.avi");
    QVERIFY(ffmpeg({"-f", "lavfi", "-i", "testsrc=s=160x120:r=25", "-f", "lavfi", "-i", "sine=f=440:r=44100",
                    "-t", "2.1", "-c:v", "mpeg4", "-c:a", "pcm_s16le", whole}));
    const QByteArray bytes = readAll(whole);
    QVERIFY(!bytes.isEmpty() && writeAll(m_dir.filePath("cut.avi"), bytes.left(bytes.size() / 2)));
}

void TestEngineConvert::codecTable_data()
{
    QTest::addColumn<QString>("src");
    QTest::addColumn<QByteArray>("container"); // empty: NULL
    QTest::addColumn<QString>("dstName");
    QTest::addColumn<int>("vid");
    QTest::addColumn<int>("aid");
    QTest::addColumn<QSize>("size"); // requested, 0x0 = source
    QTest::addColumn<QString>("vcodec"); // "" = no video stream
    QTest::addColumn<QString>("acodec");
    QTest::addColumn<QSize>("outSize");
    QTest::addColumn<QString>("extra"); // key=value checked on a stream

    const QString clip = "clip.mov";
    QTest::newRow("mp4 h264 aac") << clip << QByteArray("mp4") << "a.mp4" << 28 << 86018 << QSize(160, 120)
                                  << "h264"
                                  << "aac" << QSize(160, 120) << "";
    QTest::newRow("asf wmv1 wmav2") << clip << QByteArray("asf") << "b.asf" << 18 << 86024 << QSize()
                                    << "wmv1"
                                    << "wmav2" << QSize(320, 240) << "";
    QTest::newRow("wmv alias wmv2 wmav1")
        << clip << QByteArray("wmv") << "c.wmv" << 19 << 86023 << QSize() << "wmv2"
        << "wmav1" << QSize(320, 240) << "";
    QTest::newRow("avi mpeg4 mp3") << clip << QByteArray("avi") << "d.avi" << 13 << 86017 << QSize()
                                   << "mpeg4"
                                   << "mp3" << QSize(320, 240) << "";
    QTest::newRow("avi xvid ac3") << clip << QByteArray("avi") << "e.avi" << 1145656920 << 86019 << QSize()
                                  << "mpeg4"
                                  << "ac3" << QSize(320, 240) << "v:codec_tag_string=XVID";
    QTest::newRow("avi msmpeg4v3 pcm")
        << clip << QByteArray("avi") << "f.avi" << 17 << 65536 << QSize() << "msmpeg4v3"
        << "pcm_s16le" << QSize(320, 240) << "";
    QTest::newRow("webm vp8 vorbis") << clip << QByteArray("webm") << "g.webm" << 141 << 86021 << QSize()
                                     << "vp8"
                                     << "vorbis" << QSize(320, 240) << "";
    QTest::newRow("flv adpcm_swf 44100")
        << clip << QByteArray("flv") << "h.flv" << 22 << 69645 << QSize() << "flv1"
        << "adpcm_swf" << QSize(320, 240) << "a:sample_rate=44100";
    QTest::newRow("mpeg snapped rate")
        << clip << QByteArray("mpeg") << "i.mpg" << 1 << 86016 << QSize() << "mpeg1video"
        << "mp2" << QSize(320, 240) << "v:r_frame_rate=24000/1001";
    QTest::newRow("mpegts mpeg2 ac3")
        << clip << QByteArray("ts") << "j.ts" << 2 << 86019 << QSize() << "mpeg2video"
        << "ac3" << QSize(320, 240) << "";
    QTest::newRow("3gp h263 fixed size")
        << clip << QByteArray("3gp") << "k.3gp" << 5 << 73728 << QSize() << "h263"
        << "aac" << QSize(352, 288) << "";
    QTest::newRow("asf wmv3 falls back")
        << clip << QByteArray("asf") << "l.asf" << 72 << 0 << QSize() << "wmv2"
        << "wmav2" << QSize(320, 240) << "";
    QTest::newRow("dv fixed") << clip << QByteArray("dv") << "m.dv" << 25 << 86022 << QSize() << "dvvideo"
                              << "pcm_s16le" << QSize(720, 576) << "a:sample_rate=48000";
    QTest::newRow("mov mjpeg pcm24") << clip << QByteArray("mov") << "n.mov" << 8 << 65549 << QSize()
                                     << "mjpeg"
                                     << "pcm_s24be" << QSize(320, 240) << "";
    QTest::newRow("flac audio only") << clip << QByteArray("flac") << "o.flac" << -1 << 86028 << QSize() << ""
                                     << "flac" << QSize() << "";
    QTest::newRow("mp3 drops cover art")
        << "cover.mp3" << QByteArray("mp3") << "p.mp3" << 0 << 0 << QSize() << ""
        << "mp3" << QSize() << "";
    QTest::newRow("mp3 from 5.1 gives stereo")
        << "tone51.wav" << QByteArray("mp3") << "q.mp3" << 0 << 0 << QSize() << ""
        << "mp3" << QSize() << "a:channels=2";
    QTest::newRow("NULL container from extension")
        << clip << QByteArray() << "r.mkv" << 0 << 0 << QSize() << "h264"
        << "vorbis" << QSize(320, 240) << "";
    QTest::newRow("vp8 does not fit mp4")
        << clip << QByteArray("mp4") << "s.mp4" << 141 << 0 << QSize() << "h264"
        << "aac" << QSize(320, 240) << "";
    QTest::newRow("old numbering: 28 is H264")
        << clip << QByteArray("mkv") << "t.mkv" << 28 << 86017 << QSize() << "h264"
        << "mp3" << QSize(320, 240) << "";
}

void TestEngineConvert::codecTable()
{
    QFETCH(QString, src);
    QFETCH(QByteArray, container);
    QFETCH(QString, dstName);
    QFETCH(int, vid);
    QFETCH(int, aid);
    QFETCH(QSize, size);
    QFETCH(QString, vcodec);
    QFETCH(QString, acodec);
    QFETCH(QSize, outSize);
    QFETCH(QString, extra);

    Config c = Config_Create();
    Config_SetVideoFormat(c, vid);
    Config_SetAudioFormat(c, aid);
    if (size.isValid())
        Config_SetVideoSize(c, size.width(), size.height());
    if (QString(QTest::currentDataTag()) == "mpeg snapped rate")
        Config_SetVideoFrameRate(c, 12, 1);
    const QString dst = m_dir.filePath(dstName);
    QCOMPARE(convert(fixture(src), dst, container.isNull() ? nullptr : container.constData(), c), 0);
    Config_Release(c);

    const Probe p = probe(dst);
    QCOMPARE(p.count("video"), vcodec.isEmpty() ? 0 : 1);
    QCOMPARE(p.count("audio"), acodec.isEmpty() ? 0 : 1);
    if (!vcodec.isEmpty()) {
        const QJsonObject v = p.stream("video");
        QCOMPARE(v.value("codec_name").toString(), vcodec);
        QCOMPARE(v.value("width").toInt(), outSize.width());
        QCOMPARE(v.value("height").toInt(), outSize.height());
    }
    if (!acodec.isEmpty())
        QCOMPARE(p.stream("audio").value("codec_name").toString(), acodec);
    if (!extra.isEmpty()) {
        const QString kind = extra.section(':', 0, 0) == "v" ? "video" : "audio";
        const QString key = extra.section(':', 1).section('=', 0, 0);
        const QString want = extra.section('=', 1);
        const QJsonValue got = p.stream(kind).value(key);
        QCOMPARE(got.isString() ? got.toString() : QString::number(got.toInt()), want);
    }
    // 2 s sources; audio codecs pad by up to a frame or two
    QVERIFY2(qAbs(p.duration() - 2.0) <= 0.15, qPrintable(QString::number(p.duration())));
}

void TestEngineConvert::splitTime_data()
{
    QTest::addColumn<qulonglong>("begin");
    QTest::addColumn<qulonglong>("length");
    QTest::addColumn<qulonglong>("expected");
    QTest::newRow("middle second") << 500000ull << 1000000ull << 1000000ull;
    QTest::newRow("zero means all") << 0ull << 0ull << 2000000ull;
    QTest::newRow("too long means to the end") << 1000000ull << 9000000ull << 1000000ull;
}

void TestEngineConvert::splitTime()
{
    QFETCH(qulonglong, begin);
    QFETCH(qulonglong, length);
    QFETCH(qulonglong, expected);
    Config c = Config_Create();
    const QString dst = m_dir.filePath(QString("split_%1_%2.mp4").arg(begin).arg(length));
    ConverterHandle h = Converter_Create(-1);
    QCOMPARE(Converter_Open(h, u8(fixture("clip.mov")).constData(), u8(dst).constData(), "mp4", c), 1);
    Config_Release(c);
    QCOMPARE(Converter_SetSplitTime(h, begin, length), 1);
    QCOMPARE(Converter_GetDuration(h), uint64_t(expected));
    QCOMPARE(Converter_Start(h), 1);
    QCOMPARE(Converter_SetSplitTime(h, 0, 0), 0); // only before the first start
    QVERIFY(waitFor([&] { return Converter_IsCompleted(h) == 1; }));
    QCOMPARE(Converter_GetError(h), 0);
    QCOMPARE(Converter_GetConvertTime(h), uint64_t(expected));
    Converter_Release(h);

    const Probe p = probe(dst);
    const double want = expected / 1e6;
    const double v = p.stream("video").value("nb_read_packets").toString().toDouble() / 25.0;
    QVERIFY2(qAbs(v - want) <= 0.041, qPrintable(QString("video %1 s").arg(v)));
    const double a = streamDuration(p.stream("audio"));
    QVERIFY2(qAbs(a - want) <= 0.1, qPrintable(QString("audio %1 s").arg(a)));
    // trimmed at the right place: the first frame shows the testsrc clock at begin
    if (begin == 500000) {
        const Picture cut = grab(dst, 0.0);
        const Picture ref = grab(fixture("clip.mov"), 0.5);
        QVERIFY(cut.w > 0 && ref.w == cut.w);
        int diff = 0;
        for (int i = 0; i < cut.rgb.size(); i += 97)
            diff += qAbs(int(uchar(cut.rgb[i])) - int(uchar(ref.rgb[i])));
        QVERIFY2(diff / (cut.rgb.size() / 97) < 12,
                 qPrintable(QString::number(diff / (cut.rgb.size() / 97))));
    }
}

void TestEngineConvert::progressIsMonotonic()
{
    Config c = Config_Create();
    Config_SetVideoSize(c, 640, 360);
    const QString dst = m_dir.filePath("progress.mp4");
    ConverterHandle h = Converter_Create(-1);
    QCOMPARE(Converter_Open(h, u8(fixture("long.mp4")).constData(), u8(dst).constData(), "mp4", c), 1);
    Config_Release(c);
    Converter_SetSplitTime(h, 0, 4000000);
    QCOMPARE(Converter_Start(h), 1);
    uint64_t last = 0;
    int rises = 0;
    while (!Converter_IsCompleted(h)) {
        const uint64_t t = Converter_GetConvertTime(h);
        QVERIFY(t >= last);
        QVERIFY(t <= Converter_GetDuration(h));
        rises += t > last;
        last = t;
        QThread::msleep(10);
    }
    QVERIFY(rises >= 2);
    QCOMPARE(Converter_GetConvertTime(h), Converter_GetDuration(h));
    Converter_Release(h);
}

void TestEngineConvert::frameRateKept()
{
    Config c = Config_Create();
    Config_SetVideoFrameRate(c, 24000, 1001);
    const QString dst = m_dir.filePath("ntsc.mp4");
    QCOMPARE(convert(fixture("clip.mov"), dst, "mp4", c), 0);
    Config_Release(c);
    const Probe p = probe(dst);
    QCOMPARE(p.stream("video").value("r_frame_rate").toString(), QString("24000/1001"));
    // constant rate: 2 s at 23.976 is 48 frames
    QCOMPARE(p.stream("video").value("nb_read_packets").toString().toInt(), 48);
}

static double meanVolume(const QString& path)
{
    QProcess p;
    p.start("ffmpeg", {"-nostdin", "-i", path, "-vn", "-af", "volumedetect", "-f", "null", "-"});
    p.waitForFinished(30000);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    const int i = err.indexOf("mean_volume:");
    return i < 0 ? 0.0 : err.mid(i + 12).section("dB", 0, 0).trimmed().toDouble();
}

void TestEngineConvert::volumeHalves()
{
    Config c = Config_Create();
    Config_SetAudioFormat(c, 65536);
    Config_SetVideoFormat(c, -1);
    const QString full = m_dir.filePath("v100.wav");
    const QString half = m_dir.filePath("v50.wav");
    QCOMPARE(convert(fixture("clip.mov"), full, "wav", c), 0);
    Config_SetAudioVolume(c, 50);
    QCOMPARE(convert(fixture("clip.mov"), half, "wav", c), 0);
    Config_Release(c);
    const double drop = meanVolume(full) - meanVolume(half);
    QVERIFY2(qAbs(drop - 6.02) <= 1.0, qPrintable(QString::number(drop)));
}

void TestEngineConvert::audioRateFitsEncoder_data()
{
    QTest::addColumn<int>("srcRate");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("aid");
    QTest::addColumn<QByteArray>("container");
    QTest::addColumn<int>("kbps"); // asked, 0 = the encoder's default
    QTest::addColumn<QString>("codec");
    QTest::addColumn<int>("outRate");
    QTest::addColumn<int>("maxKbps"); // 0 = not checked

    QTest::newRow("8 kHz to mp2") << 8000 << 1 << 86016 << QByteArray("mp2") << 0 << "mp2" << 16000 << 160;
    QTest::newRow("8 kHz to mp2, 384 asked")
        << 8000 << 2 << 86016 << QByteArray("mpeg") << 384 << "mp2" << 16000 << 160;
    QTest::newRow("48 kHz to mp2, 100 asked")
        << 48000 << 2 << 86016 << QByteArray("mp2") << 100 << "mp2" << 48000 << 112;
    QTest::newRow("8 kHz to ac3") << 8000 << 1 << 86019 << QByteArray("ac3") << 0 << "ac3" << 32000 << 0;
    QTest::newRow("8 kHz to mp3, 320 asked")
        << 8000 << 1 << 86017 << QByteArray("mp3") << 320 << "mp3" << 8000 << 0;
    QTest::newRow("8 kHz to vorbis, 500 asked")
        << 8000 << 1 << 86021 << QByteArray("ogg") << 500 << "vorbis" << 8000 << 0;
    QTest::newRow("11 kHz to wma, 8 asked")
        << 11025 << 2 << 86024 << QByteArray("asf") << 8 << "wmav2" << 11025 << 0;
}

// A source rate or an asked bit rate the encoder cannot take is moved to one
// it can, instead of failing the job.
void TestEngineConvert::audioRateFitsEncoder()
{
    QFETCH(int, srcRate);
    QFETCH(int, channels);
    QFETCH(int, aid);
    QFETCH(QByteArray, container);
    QFETCH(int, kbps);
    QFETCH(QString, codec);
    QFETCH(int, outRate);
    QFETCH(int, maxKbps);

    const QString src = m_dir.filePath(QString("tone_%1_%2.wav").arg(srcRate).arg(channels));
    if (!QFile::exists(src))
        QVERIFY(ffmpeg({"-f", "lavfi", "-i", QString("sine=f=300:r=%1:d=1").arg(srcRate), "-ac",
                        QString::number(channels), src}));
    Config c = Config_Create();
    Config_SetVideoFormat(c, -1);
    Config_SetAudioFormat(c, aid);
    Config_SetAudioBitRate(c, kbps);
    const QString dst = m_dir.filePath(
        QString("rate_%1.%2").arg(QString(QTest::currentDataTag()).replace(' ', '_'), QString(container)));
    QCOMPARE(convert(src, dst, container.constData(), c), 0);
    Config_Release(c);

    const QJsonObject a = probe(dst).stream("audio");
    QCOMPARE(a.value("codec_name").toString(), codec);
    QCOMPARE(a.value("sample_rate").toString().toInt(), outRate);
    if (maxKbps > 0) {
        const int got = a.value("bit_rate").toString().toInt() / 1000;
        QVERIFY2(got > 0 && got <= maxKbps, qPrintable(QString::number(got)));
    }
}

void TestEngineConvert::convertedIsWhatTheOutputHolds_data()
{
    QTest::addColumn<QString>("src"); // in the test's folder, else a fixture
    QTest::addColumn<QByteArray>("container");
    QTest::addColumn<double>("declared"); // the least the duration may be, s
    QTest::addColumn<bool>("whole");

    QTest::newRow("whole avi") << "whole.avi" << QByteArray("mp4") << 2.05 << true;
    QTest::newRow("cut avi") << "cut.avi" << QByteArray("mp4") << 2.05 << false;
    // the declared length holds the encoder's delay, which decoding drops
    QTest::newRow("mp3 with its delay") << "a.mp3" << QByteArray("mp3") << 2.0 << true;
    QTest::newRow("mp3 to m4a") << "a.mp3" << QByteArray("m4a") << 2.0 << true;
}

// The duration is the longest the source declares, the converted length is
// what the written file holds, and a whole source is never reported short.
void TestEngineConvert::convertedIsWhatTheOutputHolds()
{
    QFETCH(QString, src);
    QFETCH(QByteArray, container);
    QFETCH(double, declared);
    QFETCH(bool, whole);
    const QString path = QFile::exists(m_dir.filePath(src)) ? m_dir.filePath(src) : fixture(src);
    const QString dst = m_dir.filePath(QString("held_%1.%2")
                                           .arg(QString(QTest::currentDataTag()).replace(' ', '_'))
                                           .arg(QString(container)));
    Config c = Config_Create();
    ConverterHandle h = Converter_Create(-1);
    QCOMPARE(Converter_Open(h, u8(path).constData(), u8(dst).constData(), container.constData(), c), 1);
    Config_Release(c);
    const uint64_t duration = Converter_GetDuration(h);
    QVERIFY2(duration >= uint64_t(declared * 1e6), qPrintable(QString::number(duration)));
    QCOMPARE(Converter_Start(h), 1);
    QVERIFY(waitFor([&] { return Converter_IsCompleted(h) == 1; }));
    QCOMPARE(Converter_GetError(h), 0);
    const uint64_t converted = Converter_GetConvertedDuration(h);
    Converter_Release(h);
    if (whole) {
        QCOMPARE(converted, duration);
        return;
    }
    // about half is left; the report is the written file's length
    QVERIFY2(converted > 500000 && converted < duration - 500000, qPrintable(QString::number(converted)));
    const double written = probe(dst).duration();
    QVERIFY2(qAbs(written - converted / 1e6) < 0.1,
             qPrintable(QString("written %1 s, reported %2 s").arg(written).arg(converted / 1e6)));
}

QTEST_GUILESS_MAIN(TestEngineConvert)
#include "tst_engine_convert.moc"
