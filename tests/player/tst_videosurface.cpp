#include "QVideoShowWidget.h"
#include "VideoImageWindow.h"

#include <QSignalSpy>
#include <QtTest>

class TestVideoSurface : public QObject
{
    Q_OBJECT
private slots:
    void fitsPictureWithAspect_data();
    void fitsPictureWithAspect();
    void rejectsEmptyVideoSize();
};

void TestVideoSurface::fitsPictureWithAspect_data()
{
    QTest::addColumn<QSize>("surface");
    QTest::addColumn<QSize>("video");
    QTest::addColumn<QRect>("picture");
    QTest::newRow("wide video, bars left and right") << QSize(700, 300) << QSize(1280, 720) << QRect(83, 0, 533, 300);
    QTest::newRow("4:3 in 2:1") << QSize(800, 400) << QSize(640, 480) << QRect(133, 0, 533, 400);
    QTest::newRow("equal aspect") << QSize(800, 600) << QSize(640, 480) << QRect(0, 0, 800, 600);
    QTest::newRow("wide video in tall surface") << QSize(400, 600) << QSize(1920, 1080) << QRect(0, 187, 400, 225);
}

void TestVideoSurface::fitsPictureWithAspect()
{
    QFETCH(QSize, surface);
    QFETCH(QSize, video);
    QFETCH(QRect, picture);
    VideoImageWindow window;
    window.resize(surface);
    QCOMPARE(window.setVideoSize(video.width(), video.height()), 1);
    QCOMPARE(window.getVideoRect(), picture);
    QCOMPARE(window.videoSize(), video);
}

void TestVideoSurface::rejectsEmptyVideoSize()
{
    VideoImageWindow window;
    window.resize(700, 300);
    QCOMPARE(window.setVideoSize(1280, 720), 1);
    const QRect before = window.getVideoRect();
    QCOMPARE(window.setVideoSize(0, 480), 0);
    QCOMPARE(window.setVideoSize(640, -1), 0);
    QCOMPARE(window.getVideoRect(), before);
    QCOMPARE(window.videoSize(), QSize(1280, 720));
}

QTEST_MAIN(TestVideoSurface)
#include "tst_videosurface.moc"
