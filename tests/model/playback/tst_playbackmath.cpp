// The player window's arithmetic: seek targets, progress and time texts.
#include "playback/PlaybackMath.h"

#include <QtTest>

using namespace PlaybackMath;

Q_DECLARE_METATYPE(QMargins)

class TestPlaybackMath : public QObject
{
    Q_OBJECT
private slots:
    void seekTargets_data();
    void seekTargets();
    void progressFraction_data();
    void progressFraction();
    void timeLabel_data();
    void timeLabel();
    void rowDuration_data();
    void rowDuration();
    void placement_data();
    void placement();
};

void TestPlaybackMath::seekTargets_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<double>("fraction");
    QTest::addColumn<quint64>("time");
    QTest::addColumn<quint64>("duration");
    QTest::addColumn<quint64>("target");
    QTest::newRow("back at 4.9 s") << "back" << 0.0 << quint64(4900000) << quint64(60000000) << quint64(0);
    QTest::newRow("back at 5 s") << "back" << 0.0 << quint64(5000000) << quint64(60000000) << quint64(0);
    QTest::newRow("back at 5.1 s") << "back" << 0.0 << quint64(5100000) << quint64(60000000)
                                   << quint64(100000);
    QTest::newRow("fast mid-clip") << "fast" << 0.0 << quint64(10000000) << quint64(60000000)
                                   << quint64(15000000);
    QTest::newRow("fast in last 6 s")
        << "fast" << 0.0 << quint64(55000000) << quint64(60000000) << quint64(59000000);
    QTest::newRow("fast, clip under a second")
        << "fast" << 0.0 << quint64(300000) << quint64(800000) << quint64(800000);
    QTest::newRow("fast, empty duration") << "fast" << 0.0 << quint64(0) << quint64(0) << quint64(0);
    QTest::newRow("slider half") << "fraction" << 0.5 << quint64(0) << quint64(10000000) << quint64(5000000);
    QTest::newRow("slider end") << "fraction" << 1.0 << quint64(0) << quint64(10000000) << quint64(10000000);
    QTest::newRow("slider past end") << "fraction" << 1.5 << quint64(0) << quint64(10000000)
                                     << quint64(10000000);
}

void TestPlaybackMath::seekTargets()
{
    QFETCH(QString, kind);
    QFETCH(double, fraction);
    QFETCH(quint64, time);
    QFETCH(quint64, duration);
    QFETCH(quint64, target);
    if (kind == "back")
        QCOMPARE(quint64(backTarget(time)), target);
    else if (kind == "fast")
        QCOMPARE(quint64(fastTarget(time, duration)), target);
    else
        QCOMPARE(quint64(fractionTarget(fraction, duration)), target);
}

void TestPlaybackMath::progressFraction_data()
{
    QTest::addColumn<quint64>("time");
    QTest::addColumn<quint64>("duration");
    QTest::addColumn<double>("fraction");
    QTest::newRow("a quarter") << quint64(2500000) << quint64(10000000) << 0.25;
    QTest::newRow("whole milliseconds only") << quint64(1999) << quint64(4999) << 0.25;
    QTest::newRow("duration under 1 ms") << quint64(500) << quint64(999) << 0.0;
    QTest::newRow("no duration") << quint64(5000) << quint64(0) << 0.0;
}

void TestPlaybackMath::progressFraction()
{
    QFETCH(quint64, time);
    QFETCH(quint64, duration);
    QFETCH(double, fraction);
    QCOMPARE(PlaybackMath::progressFraction(time, duration), fraction);
}

void TestPlaybackMath::timeLabel_data()
{
    QTest::addColumn<quint64>("time");
    QTest::addColumn<quint64>("duration");
    QTest::addColumn<QString>("text");
    QTest::newRow("65 s of 200 s") << quint64(65400000) << quint64(200000000) << "01:05 / 03:20";
    QTest::newRow("duration 3599 s") << quint64(3598000000) << quint64(3599000000) << "59:58 / 59:59";
    QTest::newRow("duration 3600 s") << quint64(61000000) << quint64(3600000000) << "00:01:01 / 01:00:00";
    QTest::newRow("a day or more") << quint64(86400000000) << quint64(90000000000) << " / ";
    QTest::newRow("duration under 1 ms") << quint64(500) << quint64(999) << "";
}

void TestPlaybackMath::timeLabel()
{
    QFETCH(quint64, time);
    QFETCH(quint64, duration);
    QFETCH(QString, text);
    QCOMPARE(timeLabelText(time, duration), text);
}

void TestPlaybackMath::rowDuration_data()
{
    QTest::addColumn<quint64>("duration");
    QTest::addColumn<QString>("text");
    QTest::newRow("59 min 59 s") << quint64(3599900000) << "59:59";
    QTest::newRow("one hour") << quint64(3600000000) << "01:00:00";
    QTest::newRow("nothing") << quint64(0) << "00:00";
}

void TestPlaybackMath::rowDuration()
{
    QFETCH(quint64, duration);
    QFETCH(QString, text);
    QCOMPARE(durationText(duration), text);
}

void TestPlaybackMath::placement_data()
{
    QTest::addColumn<QSize>("video");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QMargins>("frame");
    QTest::addColumn<QRect>("expected");
    const QRect small(0, 0, 1366, 768);
    const QRect large(0, 0, 1600, 1000);
    const QMargins none;
    const QMargins titleBar(1, 24, 1, 1);
    // Sound only and a small picture both take the minimum 860 x 565.
    QTest::newRow("sound, 1366x768") << QSize() << small << none << QRect(253, 101, 860, 565);
    QTest::newRow("320x240, 1366x768") << QSize(320, 240) << small << none << QRect(253, 101, 860, 565);
    QTest::newRow("sound, 1600x1000") << QSize() << large << none << QRect(370, 217, 860, 565);
    QTest::newRow("320x240, 1600x1000") << QSize(320, 240) << large << none << QRect(370, 217, 860, 565);
    QTest::newRow("sound, 1600x1000, framed") << QSize() << large << titleBar << QRect(370, 229, 860, 565);
    // A large picture is capped by the screen, then centred.
    QTest::newRow("1280x720, 1366x768") << QSize(1280, 720) << small << none << QRect(152, 100, 1062, 568);
    QTest::newRow("1920x1080, 1600x1000") << QSize(1920, 1080) << large << none << QRect(152, 100, 1296, 800);
    // The available area of a second screen, below a top panel.
    QTest::newRow("sound, offset screen")
        << QSize() << QRect(1600, 30, 1366, 738) << none << QRect(1853, 116, 860, 565);
    // A screen below the minimum keeps the title bar on screen.
    QTest::newRow("sound, 800x600, framed")
        << QSize() << QRect(0, 0, 800, 600) << titleBar << QRect(1, 29, 860, 565);
}

void TestPlaybackMath::placement()
{
    QFETCH(QSize, video);
    QFETCH(QRect, available);
    QFETCH(QMargins, frame);
    QFETCH(QRect, expected);
    const QRect placed = playerPlacement(video, QSize(860, 565), available, frame);
    QCOMPARE(placed, expected);
    const QRect outside = placed.marginsAdded(frame);
    if (available.width() >= 860 + frame.left() + frame.right())
        QVERIFY(available.contains(outside));
    QVERIFY(outside.top() >= available.top());
}

QTEST_APPLESS_MAIN(TestPlaybackMath)
#include "tst_playbackmath.moc"
