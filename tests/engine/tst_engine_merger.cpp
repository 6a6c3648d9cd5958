// Merging: items in order into one output, fitted to the first item's
// parameters, with the streams the output settings name whatever the items
// hold, missing ones filled; Close and Release endings.
#include "../Figures.h"
#include "engine_test_util.h"

using namespace etest;

class TestEngineMerger : public QObject
{
    Q_OBJECT

private slots:
    void mergesAndNormalises();
    void outputKeepsItsStreams_data();
    void outputKeepsItsStreams();
    void closeMidItemGivesShorterFile();
    void releaseWithoutCloseDeletes();
    void refusals();

private:
    QTemporaryDir m_dir;
};

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
