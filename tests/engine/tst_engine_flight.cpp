// What a job keeps in flight, from the picture, the jobs running and the
// machine's memory: the rule on its own, as a table.
#include "job/flight.h"

#include <QtTest>

namespace {

constexpr qint64 kMB = 1LL << 20;
constexpr qint64 k4K = 3840LL * 2160, k1080 = 1920LL * 1080, k720 = 1280LL * 720;

} // namespace

class TestEngineFlight : public QObject
{
    Q_OBJECT

private slots:
    void plan_data();
    void plan();
    void levelsShrink();
    void reservationsAdd();
};

void TestEngineFlight::plan_data()
{
    QTest::addColumn<qint64>("decoded");
    QTest::addColumn<qint64>("output");
    QTest::addColumn<int>("jobs");
    QTest::addColumn<int>("cores");
    QTest::addColumn<qint64>("availableMB"); // -1 unknown
    QTest::addColumn<qint64>("reservedMB");
    // level, decoder threads, queues, encoder threads, look-ahead, on the coding thread
    QTest::addColumn<QList<int>>("want");

    // one 4K job with memory to spare: the encoders' own defaults
    QTest::newRow("4K alone, 20 GB") << k4K << k4K << 1 << 8 << 20000LL << 0LL
                                     << QList<int>{0, 0, 3, 2, 0, 0, 0};
    // five 4K jobs on that machine: the cores shared, the look-ahead kept
    QTest::newRow("4K five, 20 GB") << k4K << k4K << 5 << 8 << 20000LL << 0LL
                                    << QList<int>{0, 0, 3, 2, 2, 0, 0};
    // ... on a machine with half that: half the look-ahead
    QTest::newRow("4K five, 10 GB") << k4K << k4K << 5 << 8 << 10000LL << 0LL
                                    << QList<int>{1, 0, 3, 2, 2, 20, 0};
    // ... on a small one: two of each, 10 ahead on the coding thread
    QTest::newRow("4K five, 6 GB") << k4K << k4K << 5 << 8 << 6000LL << 0LL
                                   << QList<int>{3, 2, 3, 2, 2, 10, 1};
    // one 4K job on a small machine: fewer threads before the least
    QTest::newRow("4K alone, 2.2 GB")
        << k4K << k4K << 1 << 8 << 2200LL << 0LL << QList<int>{2, 4, 3, 2, 4, 20, 0};
    QTest::newRow("4K alone, 3 GB") << k4K << k4K << 1 << 8 << 3000LL << 0LL
                                    << QList<int>{1, 0, 3, 2, 0, 20, 0};
    // too little for any level: the least, not a refusal
    QTest::newRow("4K alone, 500 MB")
        << k4K << k4K << 1 << 8 << 500LL << 0LL << QList<int>{3, 2, 3, 2, 2, 10, 1};
    // other jobs' reservations count against the memory left
    QTest::newRow("4K alone, 20 GB, 18 GB reserved")
        << k4K << k4K << 1 << 8 << 20000LL << 18000LL << QList<int>{2, 4, 3, 2, 4, 20, 0};
    QTest::newRow("memory unknown") << k4K << k4K << 1 << 8 << -1LL << 0LL << QList<int>{0, 0, 3, 2, 0, 0, 0};
    // 1080p keeps its queues and the defaults even five at a time on 4 GB
    QTest::newRow("1080p alone, 20 GB")
        << k1080 << k1080 << 1 << 8 << 20000LL << 0LL << QList<int>{0, 0, 12, 6, 0, 0, 0};
    QTest::newRow("1080p five, 4 GB")
        << k1080 << k1080 << 5 << 8 << 4000LL << 0LL << QList<int>{0, 0, 12, 6, 2, 0, 0};
    // a 4K source scaled to 720p: the decoded side sizes the first queue
    QTest::newRow("4K to 720p") << k4K << k720 << 1 << 8 << 20000LL << 0LL << QList<int>{0, 0, 3, 6, 0, 0, 0};
    // a cap never raises a count already under it (one core: two decoder
    // threads, one x264 thread of its own)
    QTest::newRow("4K alone, 1 core, 500 MB")
        << k4K << k4K << 1 << 1 << 500LL << 0LL << QList<int>{3, 0, 3, 2, 0, 10, 1};
    // sound alone
    QTest::newRow("no video, 100 MB")
        << 0LL << 0LL << 1 << 8 << 100LL << 0LL << QList<int>{0, 0, 12, 6, 0, 0, 0};
}

void TestEngineFlight::plan()
{
    QFETCH(qint64, decoded);
    QFETCH(qint64, output);
    QFETCH(int, jobs);
    QFETCH(int, cores);
    QFETCH(qint64, availableMB);
    QFETCH(qint64, reservedMB);
    QFETCH(QList<int>, want);
    orv::FlightInput in;
    in.decodedPixels = decoded;
    in.outputPixels = output;
    in.jobs = jobs;
    in.cores = cores;
    in.availableBytes = availableMB < 0 ? -1 : availableMB * kMB;
    in.reservedBytes = reservedMB * kMB;
    const orv::Flight f = orv::planFlight(in);
    const QList<int> got{f.level,
                         f.decoderThreads,
                         f.decodedQueue,
                         f.processedQueue,
                         f.encoderThreads,
                         f.lookahead,
                         f.lookaheadOnCodingThread ? 1 : 0};
    QCOMPARE(got, want);
    QCOMPARE(f.bytes, orv::flightBytes(in, f));
    // the level is the highest that fits: the one above it did not
    const int64_t budget = orv::flightBudget(in);
    if (f.level < orv::kFlightLevels - 1)
        QVERIFY(f.bytes <= budget);
    if (f.level > 0) {
        orv::FlightInput roomy = in;
        roomy.availableBytes = -1;
        QVERIFY(orv::planFlight(roomy).bytes > budget);
    }
}

void TestEngineFlight::levelsShrink()
{
    // each level holds less than the one above it, for every picture size
    // and job count the rule meets; at 4K alone the defaults are about what
    // the ffmpeg tool measured (2.7 GB) and the least about 1 GB
    for (qint64 pixels : {k720, k1080, k4K, qint64(4096 * 2304)}) {
        for (int jobs : {1, 2, 5}) {
            int64_t above = INT64_MAX;
            for (int64_t mb : {-1LL, 60000LL, 10000LL, 5000LL, 3000LL, 1500LL, 100LL}) {
                orv::FlightInput in;
                in.decodedPixels = in.outputPixels = pixels;
                in.jobs = jobs;
                in.cores = 8;
                in.availableBytes = mb < 0 ? -1 : mb * kMB;
                const orv::Flight f = orv::planFlight(in);
                QVERIFY(f.bytes <= above);
                above = f.bytes;
            }
        }
    }
    orv::FlightInput alone;
    alone.decodedPixels = alone.outputPixels = k4K;
    alone.cores = 8;
    alone.availableBytes = 20000 * kMB;
    const int64_t defaults = orv::planFlight(alone).bytes;
    QVERIFY2(defaults > 2400 * kMB && defaults < 3000 * kMB, qPrintable(QString::number(defaults / kMB)));
    alone.availableBytes = 100 * kMB;
    const int64_t least = orv::planFlight(alone).bytes;
    QVERIFY2(least > 700 * kMB && least < 1200 * kMB, qPrintable(QString::number(least / kMB)));
}

void TestEngineFlight::reservationsAdd()
{
    // jobs opened one after another on one machine: each reserves its
    // estimate, the later ones plan with what is left, and a release
    // gives it back
    orv::FlightInput in;
    in.decodedPixels = in.outputPixels = k4K;
    in.cores = 8;
    in.jobs = 1;
    in.availableBytes = 6000 * kMB;
    orv::FlightReservation first, second, third;
    const orv::Flight a = first.reserve(in);
    QCOMPARE(a.level, 0);
    in.jobs = 2;
    const orv::Flight b = second.reserve(in);
    in.jobs = 3;
    const orv::Flight c = third.reserve(in);
    QVERIFY(b.level >= a.level);
    QCOMPARE(c.level, orv::kFlightLevels - 1);
    // planned with the others' reservations, a job fits what they left
    QVERIFY(a.bytes + b.bytes <= in.availableBytes);
    first.release();
    second.release();
    third.release();
    in.jobs = 1;
    orv::FlightReservation again;
    QCOMPARE(again.reserve(in).level, 0);
    // reserving again replaces the job's own reservation instead of adding to it
    QCOMPARE(again.reserve(in).level, 0);
}

QTEST_GUILESS_MAIN(TestEngineFlight)
#include "tst_engine_flight.moc"
