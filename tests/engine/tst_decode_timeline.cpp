// The mending of one item's time stamps on their way from the decoder: a
// leap that is a damaged stamp, a real gap, a jump beyond the bound of a
// broken time line, pictures without a time, and the item's end.
#include "job/decode_timeline.h"

#include <QtTest>

using orv::DecodeTimeline;
using orv::FramePtr;

class TestDecodeTimeline : public QObject
{
    Q_OBJECT

private slots:
    void mends_data();
    void mends();
};

void TestDecodeTimeline::mends_data()
{
    // Frames as "v<ms>" (a picture) or "a<ms>" (10 ms of sound), "v?" for
    // a picture without a time; what comes out, at the placed times; and
    // which streams reached the item's end (10 s, pictures to 10.08 s).
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("ended");
    QTest::newRow("in order") << "v0 a0 v40 a10 v80"
                              << "v0 a0 v40 a10 v80"
                              << "";
    QTest::newRow("damaged picture stamp") << "v0 v40 v80 v5080 v120 v160"
                                           << "v0 v40 v80 v120 v120 v160"
                                           << "";
    QTest::newRow("damaged sound stamp") << "a0 a10 a20 a3020 a30 a40"
                                         << "a0 a10 a20 a30 a30 a40"
                                         << "";
    QTest::newRow("real gap") << "v0 v40 v2000 v2040 v2080 v2120 v2160"
                              << "v0 v40 v2000 v2040 v2080 v2120 v2160"
                              << "";
    QTest::newRow("jump beyond the bound") << "v0 v40 v40040 v40080 v40120 v40160 v40200"
                                           << "v0 v40 v80 v120 v160 v200 v240"
                                           << "";
    QTest::newRow("pictures without a time") << "v? v? v?"
                                             << "v0 v40 v80"
                                             << "";
    // each stream's first stamp leaps and too little follows to tell: the
    // leaps are taken as they are at the end, pictures first
    QTest::newRow("the item's end") << "a9990 a10000 a10010 v10040 v10120"
                                    << "v10040 a9990"
                                    << "va";
}

void TestDecodeTimeline::mends()
{
    QFETCH(QString, in);
    QFETCH(QString, out);
    QFETCH(QString, ended);
    DecodeTimeline::Bounds bounds;
    bounds.lengthUs = 10000000;
    bounds.videoEndUs = 10080000;
    QStringList placed;
    DecodeTimeline timeline(bounds, [&](bool video, FramePtr f) {
        placed << QString("%1%2").arg(video ? 'v' : 'a').arg(f->pts / 1000);
        return true;
    });
    for (const QString& token : in.split(' ')) {
        const bool video = token.startsWith('v');
        FramePtr f(av_frame_alloc());
        QVERIFY(f);
        if (!video) {
            f->sample_rate = 48000;
            f->nb_samples = 480;
        }
        const int64_t t = token.mid(1) == "?" ? INT64_MIN : token.mid(1).toLongLong() * 1000;
        QVERIFY(timeline.take(video, std::move(f), t));
    }
    QVERIFY(timeline.finish());
    QCOMPARE(placed.join(' '), out);
    QCOMPARE(timeline.ended(true), ended.contains('v'));
    QCOMPARE(timeline.ended(false), ended.contains('a'));
    QCOMPARE(timeline.delivered(true) + timeline.delivered(false), qint64(placed.size()));
}

QTEST_GUILESS_MAIN(TestDecodeTimeline)
#include "tst_decode_timeline.moc"
