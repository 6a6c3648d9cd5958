#include "QVideoShowWidget.h"
#include "VideoImageWindow.h"

#include <orvalta.h>
#include <orvalta_fake_control.h>

#include <QElapsedTimer>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QtTest>

class TestVideoSurface : public QObject
{
    Q_OBJECT
private slots:
    void fitsPictureWithAspect_data();
    void fitsPictureWithAspect();
    void rejectsEmptyVideoSize();
    void clickWithoutMovementTogglesPlay_data();
    void clickWithoutMovementTogglesPlay();
    void escapeLeavesFullScreenOnly();
    void controlsHideAfterIdleInFullScreen();
    void hiddenPictureDropsFrames();
};

namespace {

void sendMouse(QWidget* w, QEvent::Type type, QPoint global)
{
    const QPointF local = w->mapFromGlobal(global);
    QMouseEvent event(type, local, local, QPointF(global), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

} // namespace

void TestVideoSurface::fitsPictureWithAspect_data()
{
    QTest::addColumn<QSize>("surface");
    QTest::addColumn<QSize>("video");
    QTest::addColumn<QRect>("picture");
    QTest::newRow("wide video, bars left and right")
        << QSize(700, 300) << QSize(1280, 720) << QRect(83, 0, 533, 300);
    QTest::newRow("4:3 in 2:1") << QSize(800, 400) << QSize(640, 480) << QRect(133, 0, 533, 400);
    QTest::newRow("equal aspect") << QSize(800, 600) << QSize(640, 480) << QRect(0, 0, 800, 600);
    QTest::newRow("wide video in tall surface")
        << QSize(400, 600) << QSize(1920, 1080) << QRect(0, 187, 400, 225);
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

void TestVideoSurface::clickWithoutMovementTogglesPlay_data()
{
    QTest::addColumn<QPoint>("releaseOffset");
    QTest::addColumn<int>("toggles");
    QTest::newRow("same spot") << QPoint(0, 0) << 1;
    QTest::newRow("one pixel away") << QPoint(1, 0) << 0;
}

void TestVideoSurface::clickWithoutMovementTogglesPlay()
{
    QFETCH(QPoint, releaseOffset);
    QFETCH(int, toggles);
    VideoImageWindow window;
    window.resize(400, 300);
    QSignalSpy toggle(&window, &VideoImageWindow::emitPlayOrPause);
    QSignalSpy down(&window, &VideoImageWindow::emitMouseDown);
    QSignalSpy up(&window, &VideoImageWindow::emitMouseUp);
    const QPoint at = window.mapToGlobal(QPoint(100, 100));
    sendMouse(&window, QEvent::MouseButtonPress, at);
    sendMouse(&window, QEvent::MouseButtonRelease, at + releaseOffset);
    QCOMPARE(down.count(), 1);
    QCOMPARE(up.count(), 1);
    QCOMPARE(toggle.count(), toggles);
}

void TestVideoSurface::escapeLeavesFullScreenOnly()
{
    VideoImageWindow window;
    window.resize(400, 300);
    QSignalSpy toggled(&window, &VideoImageWindow::emitFullScreen);
    QTest::keyClick(&window, Qt::Key_Escape);
    QCOMPARE(toggled.count(), 0);
    QVERIFY(!window.isFullScreen());

    window.showFullScreen();
    QVERIFY(window.isFullScreen());
    QVERIFY(window.controlsTimerActive());
    QTest::keyClick(&window, Qt::Key_Escape);
    QCOMPARE(toggled.count(), 1);
    QVERIFY(!window.isFullScreen());
    QVERIFY(!window.controlsTimerActive());
}

void TestVideoSurface::controlsHideAfterIdleInFullScreen()
{
    VideoImageWindow window;
    window.resize(400, 300);
    window.showFullScreen();
    QSignalSpy shown(&window, &VideoImageWindow::emitShowBtn);
    QElapsedTimer clock;
    sendMouse(&window, QEvent::MouseMove, window.mapToGlobal(QPoint(50, 50)));
    clock.start();
    QCOMPARE(shown.count(), 1);
    QCOMPARE(shown.at(0).at(0).toBool(), true);
    QTRY_COMPARE_WITH_TIMEOUT(shown.count(), 2, 6000);
    const qint64 hiddenAfter = clock.elapsed();
    QCOMPARE(shown.at(1).at(0).toBool(), false);
    qInfo("controls hidden %lld ms after the last move", hiddenAfter);
    QVERIFY(hiddenAfter >= 2000);
    QVERIFY(!window.controlsTimerActive());
    QTest::qWait(300);
    QCOMPARE(shown.count(), 2);
}

void TestVideoSurface::hiddenPictureDropsFrames()
{
    orvfake::reset();
    orvfake::setMedia("/clip.mp4", orvfake::MediaFacts{});
    VideoImageWindow window;
    PlayerHandle player = Player_Create(27);
    QVERIFY(Player_Open(player, "/clip.mp4"));
    Player_SetVideoFrameHandle(player, VideoImageWindow::VideoFrameLoops, &window);
    // Never shown: the frame is taken (the handler answers 1) but not copied.
    QVERIFY(Player_ShowVideoFrame(player));
    QCOMPARE(window.videoView()->framesHanded(), 0);
    QCOMPARE(orvfake::player("P1")->processedFrames, 1);
    Player_Release(player);
}

QTEST_MAIN(TestVideoSurface)
#include "tst_videosurface.moc"
