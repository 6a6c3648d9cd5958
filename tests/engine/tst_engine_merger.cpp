// Merging: items in order into one output, fitted to the first item's
// parameters, with the streams the output settings name whatever the items
// hold, missing ones filled; damaged items (cut short, failing) leave the
// items after them in step; Close and Release endings.
#include "../Figures.h"
#include "engine_test_util.h"

#include <cmath>

using namespace etest;

class TestEngineMerger : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void mergesAndNormalises();
    void outputKeepsItsStreams_data();
    void outputKeepsItsStreams();
    void damagedItems_data();
    void damagedItems();
    void closeMidItemGivesShorterFile();
    void releaseWithoutCloseDeletes();
    void refusals();

private:
    QTemporaryDir m_dir;
};

namespace {

// The output's sound, mono at 8 kHz.
QVector<qint16> soundOf(const QString& path)
{
    QProcess p;
    p.start("ffmpeg",
            {"-v", "error", "-nostdin", "-i", path, "-vn", "-ac", "1", "-ar", "8000", "-f", "s16le", "-"});
    p.waitForFinished(300000);
    const QByteArray raw = p.readAllStandardOutput();
    QVector<qint16> samples(raw.size() / 2);
    memcpy(samples.data(), raw.constData(), size_t(samples.size()) * 2);
    return samples;
}

// When a tone of `hz` first sounds at half its level or more, in seconds;
// -1 when it never does. 10 ms windows (Goertzel), 1 ms apart.
double toneStart(const QVector<qint16>& samples, double hz, double level)
{
    const int n = 80;
    const double k = 2.0 * std::cos(2.0 * 3.14159265358979 * hz / 8000.0);
    for (int at = 0; at + n <= samples.size(); at += 8) {
        double s1 = 0, s2 = 0;
        for (int i = 0; i < n; ++i) {
            const double s0 = samples[at + i] + k * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        const double amplitude = 2.0 * std::sqrt(std::max(0.0, s1 * s1 + s2 * s2 - k * s1 * s2)) / n;
        // the window half in the tone: the tone started at its middle
        if (amplitude >= level / 2)
            return (at + n / 2) / 8000.0;
    }
    return -1;
}

// When the first picture mostly of `colour` shows, in seconds (25 fps);
// -1 when none does.
double pictureStart(const QString& path, Rgb colour)
{
    QProcess p;
    p.start("ffmpeg",
            {"-v", "error", "-nostdin", "-i", path, "-an", "-vf", "scale=8:6", "-fps_mode", "passthrough",
             "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
    p.waitForFinished(300000);
    const QByteArray raw = p.readAllStandardOutput();
    const int size = 8 * 6 * 3;
    for (int frame = 0; (frame + 1) * size <= raw.size(); ++frame) {
        Picture pic{8, 6, raw.mid(frame * size, size)};
        if (near(pic.at(4, 3), colour, 60) && near(pic.at(1, 1), colour, 60))
            return frame / 25.0;
    }
    return -1;
}

} // namespace

void TestEngineMerger::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // 2 s items of one colour and one tone each, at the merge's size
    auto item = [&](const QString& name, const char* colour, int hz, const char* size, int seconds,
                    const QStringList& codecs) {
        return ffmpeg(QStringList{"-f", "lavfi", "-i",
                                  QString("color=%1:s=%2:r=25:d=%3").arg(colour, size).arg(seconds), "-f",
                                  "lavfi", "-i", QString("sine=f=%1:r=44100:d=%2").arg(hz).arg(seconds)}
                      + codecs + QStringList{m_dir.filePath(name)});
    };
    const QStringList plain{"-c:v", "mpeg4", "-c:a", "pcm_s16le"};
    QVERIFY(item("before.mkv", "blue", 440, "320x240", 2, plain));
    QVERIFY(item("after.mkv", "red", 1500, "320x240", 2, plain));
    // 4 s declared in a header before the data, about half of it present
    QVERIFY(item("whole.mp4", "green", 700, "320x240", 4,
                 {"-c:v", "mpeg4", "-c:a", "aac", "-movflags", "+faststart"}));
    const QByteArray whole = readAll(m_dir.filePath("whole.mp4"));
    QVERIFY(writeAll(m_dir.filePath("cut.mp4"), whole.left(whole.size() / 2)));
    // its sound never decodes: the item fails once its pictures are written
    QVERIFY(item("mute.mkv", "yellow", 300, "160x120", 2,
                 {"-c:v", "mpeg4", "-c:a", "mp2", "-bsf:a", "noise=drop=1"}));
    // a damaged Vorbis set-up header: its sound decoder does not open
    QVERIFY(item("vorbis.mkv", "yellow", 300, "160x120", 2, {"-c:v", "mpeg4", "-c:a", "libvorbis"}));
    QByteArray vorbis = readAll(m_dir.filePath("vorbis.mkv"));
    const int setup = vorbis.indexOf(QByteArray("\x05vorbis", 7));
    QVERIFY(setup > 0);
    for (int i = setup + 20; i < setup + 60; ++i)
        vorbis[i] = char(vorbis[i] ^ 0x5a);
    QVERIFY(writeAll(m_dir.filePath("vorbis.mkv"), vorbis));
}

void TestEngineMerger::mergesAndNormalises()
{
    const QString dst = m_dir.filePath("merged.mp4");
    Config c = Config_Create();
    MergerHandle m = Merger_Create(-1);
    QCOMPARE(Merger_Open(m, u8(dst).constData(), "mp4", c), 1);
    QVERIFY(QFile::exists(dst));
    QCOMPARE(Merger_Start(m), 1);
    QCOMPARE(Merger_IsCompleted(m), 0);

    const QStringList items{"clip.mov", "noaudio.mp4", "clip.mov"};
    const QVector<quint64> lengths{2000000, 1000000, 500000};
    for (int i = 0; i < items.size(); ++i) {
        const quint64 begin = i == 2 ? 1000000 : 0;
        const quint64 length = i == 2 ? 500000 : 0;
        QCOMPARE(Merger_AddTask(m, u8(fixture(items[i])).constData(), begin, length, c), 1);
        // reset synchronously: the poll never sees the previous item's end
        QCOMPARE(Merger_IsCompleted(m), 0);
        QCOMPARE(Merger_GetDuration(m), uint64_t(lengths[i]));
        QVERIFY(waitFor([&] { return Merger_IsCompleted(m) == 1; }));
        QCOMPARE(Merger_GetError(m), 0);
        QCOMPARE(Merger_GetConvertTime(m), uint64_t(lengths[i]));
    }
    QCOMPARE(Merger_Close(m), 1);
    QCOMPARE(Merger_IsCompleted(m), 1);
    QCOMPARE(Merger_Release(m), 1);
    Config_Release(c);

    const Probe p = probe(dst);
    const QJsonObject v = p.stream("video");
    QCOMPARE(v.value("width").toInt(), 320);
    QCOMPARE(v.value("height").toInt(), 240);
    QCOMPARE(v.value("r_frame_rate").toString(), QString("25/1"));
    QCOMPARE(v.value("nb_read_packets").toString().toInt(), 25 * 2 + 25 + 25 / 2 + 1); // 3.5 s, 88 frames
    QVERIFY2(qAbs(streamDuration(p.stream("audio")) - 3.52) < 0.1,
             qPrintable(QString::number(streamDuration(p.stream("audio")))));
    // the second item is fitted into 320x240 with bars (16:9 in 4:3)
    const Picture mid = grab(dst, 2.5);
    QCOMPARE(mid.w, 320);
    QVERIFY(near(mid.at(160, 10), Rgb{0, 0, 0}, 24));
    // silence fills the item without sound: the level there is far below the tone
    QProcess vd;
    vd.start(
        "ffmpeg",
        {"-nostdin", "-ss", "2.2", "-t", "0.6", "-i", dst, "-vn", "-af", "volumedetect", "-f", "null", "-"});
    vd.waitForFinished(30000);
    const QString log = QString::fromUtf8(vd.readAllStandardError());
    QVERIFY2(log.contains("max_volume: -91") || log.contains("max_volume: -inf"), qPrintable(log.right(300)));
}

void TestEngineMerger::outputKeepsItsStreams_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<bool>("audioTarget");
    QTest::addColumn<QSize>("size"); // the output picture; empty: none
    QTest::addColumn<double>("seconds"); // every stream's length
    QTest::addColumn<double>("blackAt"); // a time of black picture, or -1

    // noaudio.mp4: 640x360 @30, 1 s, no sound; clip.mov: 320x240 @25, 2 s,
    // with sound; a.mp3: 2 s of sound
    QTest::newRow("first without sound")
        << QStringList{"noaudio.mp4", "clip.mov"} << false << QSize(640, 360) << 3.0 << -1.0;
    // no picture to take the size from: the default frame
    QTest::newRow("first without picture")
        << QStringList{"a.mp3", "clip.mov"} << false << QSize(1280, 720) << 4.0 << 1.0;
    QTest::newRow("first with both") << QStringList{"clip.mov", "a.mp3", "noaudio.mp4"} << false
                                     << QSize(320, 240) << 5.0 << 3.0;
    QTest::newRow("audio target") << QStringList{"noaudio.mp4", "clip.mov", "a.mp3"} << true << QSize() << 5.0
                                  << -1.0;
}

// The streams of the written file and each one's length: nothing dropped
// or shortened, whichever item comes first.
void TestEngineMerger::outputKeepsItsStreams()
{
    QFETCH(QStringList, items);
    QFETCH(bool, audioTarget);
    QFETCH(QSize, size);
    QFETCH(double, seconds);
    QFETCH(double, blackAt);
    const QString dst = m_dir.filePath(QString("kept_%1.%2")
                                           .arg(QString(QTest::currentDataTag()).replace(' ', '_'))
                                           .arg(audioTarget ? "m4a" : "mp4"));
    Config c = Config_Create();
    if (audioTarget)
        Config_SetVideoFormat(c, -1);
    MergerHandle m = Merger_Create(-1);
    QCOMPARE(Merger_Open(m, u8(dst).constData(), audioTarget ? "m4a" : "mp4", c), 1);
    QCOMPARE(Merger_Start(m), 1);
    for (const QString& item : items) {
        QCOMPARE(Merger_AddTask(m, u8(fixture(item)).constData(), 0, 0, c), 1);
        QVERIFY(waitFor([&] { return Merger_IsCompleted(m) == 1; }));
        QCOMPARE(Merger_GetError(m), 0);
    }
    QCOMPARE(Merger_Close(m), 1);
    Merger_Release(m);
    Config_Release(c);

    const Probe p = probe(dst);
    QCOMPARE(p.count("video"), size.isEmpty() ? 0 : 1);
    QCOMPARE(p.count("audio"), 1);
    for (const QString& kind : {QString("video"), QString("audio")}) {
        if (p.count(kind) == 0)
            continue;
        const double length = streamDuration(p.stream(kind));
        QVERIFY2(qAbs(length - seconds) < 0.1, qPrintable(QString("%1 lasts %2 s").arg(kind).arg(length)));
    }
    if (!size.isEmpty()) {
        QCOMPARE(p.stream("video").value("width").toInt(), size.width());
        QCOMPARE(p.stream("video").value("height").toInt(), size.height());
    }
    if (blackAt >= 0) {
        // an item without pictures shows black over the whole frame
        const Picture pic = grab(dst, blackAt);
        QCOMPARE(pic.w, size.width());
        for (const QPoint& at : {QPoint(0, 0), QPoint(pic.w / 2, pic.h / 2), QPoint(pic.w - 1, pic.h - 1)})
            QVERIFY2(near(pic.at(at.x(), at.y()), Rgb{0, 0, 0}, 24),
                     qPrintable(colourName(pic.at(at.x(), at.y()))));
    }
}

void TestEngineMerger::damagedItems_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QList<int>>("errors"); // each item's
    QTest::addColumn<double>("seconds"); // every stream's length; -1: the items' converted lengths
    QTest::newRow("cut short") << QStringList{"before.mkv", "cut.mp4", "after.mkv"} << QList<int>{0, 0, 0}
                               << -1.0;
    // what the failed item wrote stays, both streams to the same end
    QTest::newRow("failed part way") << QStringList{"before.mkv", "mute.mkv", "after.mkv"}
                                     << QList<int>{0, ORV_E_DECODE, 0} << 6.0;
    QTest::newRow("failed at its start")
        << QStringList{"before.mkv", "vorbis.mkv", "after.mkv"} << QList<int>{0, ORV_E_DECODE, 0} << 4.0;
    // nothing of it stays: the next item starts the file and sets its size
    QTest::newRow("failed first") << QStringList{"mute.mkv", "after.mkv"} << QList<int>{ORV_E_DECODE, 0}
                                  << 2.0;
}

// A cut item holds what it has and the next follows straight on; a failed
// one never puts the items after it out of step. The last item's tone and
// its pictures start together, where the items before it end.
void TestEngineMerger::damagedItems()
{
    QFETCH(QStringList, items);
    QFETCH(QList<int>, errors);
    QFETCH(double, seconds);
    const QString dst =
        m_dir.filePath(QString("damaged_%1.mp4").arg(QString(QTest::currentDataTag()).replace(' ', '_')));
    Config c = Config_Create();
    MergerHandle m = Merger_Create(-1);
    QCOMPARE(Merger_Open(m, u8(dst).constData(), "mp4", c), 1);
    QCOMPARE(Merger_Start(m), 1);
    double converted = 0;
    for (int i = 0; i < items.size(); ++i) {
        QCOMPARE(Merger_AddTask(m, u8(m_dir.filePath(items[i])).constData(), 0, 0, c), 1);
        QCOMPARE(Merger_GetConvertedDuration(m), uint64_t(0)); // not yet
        QVERIFY(waitFor([&] { return Merger_IsCompleted(m) == 1; }, 300000));
        QCOMPARE(Merger_GetError(m), errors[i]);
        const uint64_t length = Merger_GetDuration(m);
        const uint64_t held = Merger_GetConvertedDuration(m);
        if (errors[i] != 0)
            QCOMPARE(held, uint64_t(0));
        else if (items[i] == "cut.mp4")
            QVERIFY2(length == 4000000 && held > 1000000 && held < 3000000,
                     qPrintable(QString("%1 of %2").arg(held).arg(length)));
        else
            QCOMPARE(held, length);
        converted += held / 1e6;
    }
    QCOMPARE(Merger_Close(m), 1);
    Merger_Release(m);
    Config_Release(c);
    if (seconds < 0)
        seconds = converted;

    const Probe p = probe(dst);
    QCOMPARE(p.stream("video").value("width").toInt(), 320);
    QCOMPARE(p.stream("video").value("height").toInt(), 240);
    for (const QString& kind : {QString("video"), QString("audio")}) {
        const double length = streamDuration(p.stream(kind));
        QVERIFY2(qAbs(length - seconds) < 0.07,
                 qPrintable(QString("%1 lasts %2 s of %3 s").arg(kind).arg(length).arg(seconds)));
    }
    // the last item, 2 s long, starts its sound and its pictures together
    const double pictures = pictureStart(dst, Rgb{255, 0, 0});
    const double tone = toneStart(soundOf(dst), 1500, 4096);
    qInfo() << "pictures from" << pictures << "s, tone from" << tone << "s";
    QVERIFY2(qAbs(pictures - (seconds - 2.0)) < 0.041, qPrintable(QString::number(pictures)));
    QVERIFY2(qAbs(tone - pictures) <= 0.041, qPrintable(QString::number(tone)));
}

void TestEngineMerger::closeMidItemGivesShorterFile()
{
    const QString dst = m_dir.filePath("cancelled.mkv");
    Config c = Config_Create();
    MergerHandle m = Merger_Create(-1);
    QCOMPARE(Merger_Open(m, u8(dst).constData(), "mkv", c), 1);
    QCOMPARE(Merger_Start(m), 1);
    QCOMPARE(Merger_AddTask(m, u8(fixture("long.mp4")).constData(), 0, 0, c), 1);
    QVERIFY(waitFor([&] { return Merger_GetConvertTime(m) > 500000; }, 120000));
    QElapsedTimer t;
    t.start();
    QCOMPARE(Merger_Close(m), 1);
    figures::report("merger.close_mid_item", double(t.elapsed()), "ms", 3000);
    Merger_Release(m);
    Config_Release(c);
    const Probe p = probe(dst);
    QVERIFY(p.duration() > 0.3 && p.duration() < 11.5);
    QCOMPARE(p.count("video"), 1);
    QCOMPARE(p.count("audio"), 1);
}

void TestEngineMerger::releaseWithoutCloseDeletes()
{
    const QString dst = m_dir.filePath("released.mp4");
    Config c = Config_Create();
    MergerHandle m = Merger_Create(-1);
    QCOMPARE(Merger_Open(m, u8(dst).constData(), "mp4", c), 1);
    QCOMPARE(Merger_Start(m), 1);
    QCOMPARE(Merger_AddTask(m, u8(fixture("long.mp4")).constData(), 0, 0, c), 1);
    QVERIFY(waitFor([&] { return Merger_GetConvertTime(m) > 0; }, 120000));
    QElapsedTimer t;
    t.start();
    QCOMPARE(Merger_Release(m), 1);
    figures::report("merger.release_running", double(t.elapsed()), "ms", 1000);
    QVERIFY(!QFile::exists(dst));
    Config_Release(c);
}

void TestEngineMerger::refusals()
{
    Config c = Config_Create();
    MergerHandle m = Merger_Create(-1);
    QCOMPARE(Merger_AddTask(m, u8(fixture("clip.mov")).constData(), 0, 0, c), 0); // not opened
    const QString dst = m_dir.filePath("refused.mp4");
    QCOMPARE(Merger_Open(m, u8(dst).constData(), "mp4", c), 1);
    QCOMPARE(Merger_Start(m), 1);
    QCOMPARE(Merger_AddTask(m, u8(fixture("nope.mov")).constData(), 0, 0, c), 0);
    QCOMPARE(Merger_GetError(m), int(ORV_E_INPUT));
    QCOMPARE(Merger_AddTask(m, u8(fixture("bad/random.mp4")).constData(), 0, 0, c), 0);
    // nothing written: Close removes the file and says so
    QCOMPARE(Merger_Close(m), 0);
    QVERIFY(!QFile::exists(dst));
    Merger_Release(m);
    // the destination is taken already
    QFile f(dst);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    m = Merger_Create(-1);
    QCOMPARE(Merger_Open(m, u8(dst).constData(), "mp4", c), 0);
    QCOMPARE(Merger_GetError(m), int(ORV_E_OUTPUT));
    Merger_Release(m);
    QVERIFY(QFile::exists(dst)); // not ours to delete
    Config_Release(c);
}

QTEST_GUILESS_MAIN(TestEngineMerger)
#include "tst_engine_merger.moc"
