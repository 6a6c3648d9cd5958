// File facts, stream lists and the thumbnail block.
#include "engine_test_util.h"

#include <cstring>

using namespace etest;

namespace {

uint32_t le32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

} // namespace

class TestEngineInfo : public QObject
{
    Q_OBJECT

private slots:
    void facts_data();
    void facts();
    void thumbnailBlock();
    void thumbnailAutoRotated();
    void thumbnailScaledAndAccurate();
    void programs();
    void selection();
    void unreadableFilesGiveZeros_data();
    void unreadableFilesGiveZeros();
};

void TestEngineInfo::facts_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<qulonglong>("duration");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<uint>("rate");
    QTest::addColumn<uint>("sampleRate");
    QTest::addColumn<uint>("channels");
    QTest::addColumn<QString>("format");
    QTest::newRow("clip") << "clip.mov" << 2000000ull << QSize(320, 240) << 2500000u << 48000u << 2u << "mov";
    QTest::newRow("square pixels") << "anamorphic.mkv" << 1000000ull << QSize(1024, 576) << 2500000u << 0u
                                   << 0u << "matroska";
    QTest::newRow("auto-rotated") << "quad_rot.mp4" << 1000000ull << QSize(240, 320) << 2500000u << 0u << 0u
                                  << "mov";
    QTest::newRow("audio only") << "a.mp3" << 0ull << QSize(0, 0) << 0u << 44100u << 1u << "mp3";
    QTest::newRow("cover art is no video")
        << "cover.mp3" << 0ull << QSize(0, 0) << 0u << 44100u << 1u << "mp3";
}

void TestEngineInfo::facts()
{
    QFETCH(QString, file);
    QFETCH(qulonglong, duration);
    QFETCH(QSize, size);
    QFETCH(uint, rate);
    QFETCH(uint, sampleRate);
    QFETCH(uint, channels);
    QFETCH(QString, format);
    InfoHandle h = Info_Create(-1);
    QCOMPARE(Info_Open(h, u8(fixture(file)).constData()), 1);
    if (duration)
        QCOMPARE(Info_GetDuration(h), uint64_t(duration));
    else
        QVERIFY(qAbs(qint64(Info_GetDuration(h)) - 2000000) < 100000);
    QCOMPARE(Info_GetVideoWidth(h), uint32_t(size.width()));
    QCOMPARE(Info_GetVideoHeight(h), uint32_t(size.height()));
    QCOMPARE(Info_GetVideoFrameRate(h), rate);
    QCOMPARE(Info_GetAudioSampleRate(h), sampleRate);
    QCOMPARE(Info_GetAudioChannels(h), channels);
    QCOMPARE(QString(Info_GetFormatName(h)), format);
    QCOMPARE(Info_CanSeek(h), 1);
    if (size.width())
        QVERIFY(Info_GetVideoBitRate(h) > 0);
    else
        QVERIFY(!Info_GetVideoImage(h, 0, 1, 0, 0));
    if (channels)
        QVERIFY(Info_GetAudioBitRate(h) > 0);
    QCOMPARE(Info_Release(h), 1);
}

void TestEngineInfo::thumbnailBlock()
{
    InfoHandle h = Info_Create(-1);
    QCOMPARE(Info_Open(h, u8(fixture("quad.mp4")).constData()), 1);
    unsigned char* b = Info_GetVideoImage(h, Info_GetDuration(h) / 3, 1, 0, 0);
    QVERIFY(b);
    QCOMPARE(reinterpret_cast<uintptr_t>(b + 54) % 64, uintptr_t(0));
    QCOMPARE(b[0], uchar('B'));
    QCOMPARE(b[1], uchar('M'));
    QCOMPARE(le32(b + 2), 54u + 4u * 320 * 240);
    QCOMPARE(le32(b + 10), 54u);
    QCOMPARE(le32(b + 14), 40u);
    QCOMPARE(int32_t(le32(b + 18)), 320);
    QCOMPARE(int32_t(le32(b + 22)), -240); // top-down
    QCOMPARE(b[26] | b[27] << 8, 1);
    QCOMPARE(b[28] | b[29] << 8, 32);
    QCOMPARE(le32(b + 30), 0u);
    QCOMPARE(le32(b + 34), 4u * 320 * 240);
    // top-left red, bottom-right white, in B,G,R,255 order
    const unsigned char* px = b + 54 + (10 * 320 + 10) * 4;
    QVERIFY(px[0] < 40 && px[1] < 40 && px[2] > 215 && px[3] == 255);
    px = b + 54 + (230 * 320 + 310) * 4;
    QVERIFY(px[0] > 215 && px[1] > 215 && px[2] > 215 && px[3] == 255);
    Info_Release(h);
}

void TestEngineInfo::thumbnailAutoRotated()
{
    InfoHandle h = Info_Create(-1);
    QCOMPARE(Info_Open(h, u8(fixture("quad_rot.mp4")).constData()), 1);
    unsigned char* b = Info_GetVideoImage(h, 0, 1, 0, 0);
    QVERIFY(b);
    QCOMPARE(int32_t(le32(b + 18)), 240);
    const Picture ref = grab(fixture("quad_rot.mp4")); // the CLI rotates on its own
    QCOMPARE(ref.w, 240);
    for (QPoint p : {QPoint(60, 80), QPoint(180, 80), QPoint(60, 240), QPoint(180, 240)}) {
        const unsigned char* px = b + 54 + (p.y() * 240 + p.x()) * 4;
        const Rgb got{px[2], px[1], px[0]};
        QVERIFY2(near(got, ref.at(p.x(), p.y())),
                 qPrintable(colourName(got) + " vs " + colourName(ref.at(p.x(), p.y()))));
    }
    Info_Release(h);
}

void TestEngineInfo::thumbnailScaledAndAccurate()
{
    InfoHandle h = Info_Create(-1);
    QCOMPARE(Info_Open(h, u8(fixture("clip.mov")).constData()), 1);
    unsigned char* b = Info_GetVideoImage(h, 0, 1, 64, 48);
    QVERIFY(b);
    QCOMPARE(int32_t(le32(b + 18)), 64);
    QCOMPARE(int32_t(le32(b + 22)), -48);
    // past the end gives the last frame rather than nothing
    QVERIFY(Info_GetVideoImage(h, 60000000, 1, 0, 0));
    QVERIFY(Info_GetVideoImage(h, 1000000, 0, 0, 0));
    Info_Release(h);
}

void TestEngineInfo::programs()
{
    InfoHandle h = Info_Create(-1);
    QCOMPARE(Info_Open(h, u8(fixture("two_prog.ts")).constData()), 1);
    QCOMPARE(Info_GetProgrCount(h), 2);
    QCOMPARE(Info_SetProgrIndex(h, 0), 1);
    QCOMPARE(QString(Info_GetProgrName(h)), QString("One"));
    QCOMPARE(Info_GetVideoCount(h), 1);
    QCOMPARE(Info_GetAudioCount(h), 1);
    QCOMPARE(Info_GetVideoWidth(h), 160u);
    QCOMPARE(QString(Info_GetAudioLanguage(h)), QString("eng"));
    QCOMPARE(Info_SetProgrIndex(h, 1), 1);
    QCOMPARE(QString(Info_GetProgrName(h)), QString("Two"));
    QCOMPARE(Info_GetVideoWidth(h), 176u);
    QCOMPARE(QString(Info_GetAudioLanguage(h)), QString("fra"));
    QCOMPARE(Info_SetProgrIndex(h, 2), 0);
    QCOMPARE(Info_SetProgrIndex(h, -1), 1);
    QCOMPARE(Info_GetVideoCount(h), 2);
    QCOMPARE(Info_GetAudioCount(h), 2);
    QVERIFY(!Info_GetProgrName(h));

    // a file without programs gets one synthetic program
    QCOMPARE(Info_Open(h, u8(fixture("clip.mov")).constData()), 1);
    QCOMPARE(Info_GetProgrCount(h), 1);
    QCOMPARE(Info_SetProgrIndex(h, 0), 1);
    QCOMPARE(Info_GetVideoCount(h), 1);
    QCOMPARE(Info_GetAudioCount(h), 1);
    Info_Release(h);
}

void TestEngineInfo::selection()
{
    InfoHandle h = Info_Create(-1);
    QCOMPARE(Info_Open(h, u8(fixture("sub2.mkv")).constData()), 1);
    QCOMPARE(Info_GetSubtlCount(h), 2);
    QCOMPARE(Info_SetSubtlIndex(h, -1), 1); // "[Disable]" relies on it
    QCOMPARE(Info_SetSubtlIndex(h, 1), 1);
    QCOMPARE(Info_SetSubtlIndex(h, 2), 0);
    QCOMPARE(Info_SetAudioIndex(h, -1), 0);
    QCOMPARE(Info_SetAudioIndex(h, 0), 1);
    QCOMPARE(Info_SetAudioIndex(h, 1), 0);
    QCOMPARE(Info_EnableClosedCaption(h, 1), 0); // no captions in this file
    QCOMPARE(Info_EnableClosedCaption(h, 0), 1);
    Info_Release(h);
}

void TestEngineInfo::unreadableFilesGiveZeros_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("missing") << "nope.mov";
    QTest::newRow("truncated") << "bad/truncated.mov";
    QTest::newRow("random bytes") << "bad/random.mp4";
    QTest::newRow("empty") << "bad/empty.mkv";
    QTest::newRow("text named .avi") << "bad/text.avi";
    QTest::newRow("a URL is not a path") << "http://127.0.0.1:9/x.mp4";
}

void TestEngineInfo::unreadableFilesGiveZeros()
{
    QFETCH(QString, file);
    InfoHandle h = Info_Create(-1);
    const QString path = file.startsWith("http") ? file : fixture(file);
    QCOMPARE(Info_Open(h, u8(path).constData()), 0);
    QCOMPARE(Info_GetDuration(h), uint64_t(0));
    QCOMPARE(Info_GetVideoWidth(h), 0u);
    QCOMPARE(Info_GetAudioChannels(h), 0u);
    QCOMPARE(Info_GetProgrCount(h), 0);
    QVERIFY(!Info_GetVideoImage(h, 0, 1, 0, 0));
    QCOMPARE(Info_Close(h), 1);
    QCOMPARE(Info_Release(h), 1);
}

QTEST_GUILESS_MAIN(TestEngineInfo)
#include "tst_engine_info.moc"
