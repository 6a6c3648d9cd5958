// The two-handle range slider and the fading notice, offscreen.
#include "QDualSlider.h"
#include "QIAppUtil.h"
#include "QMessOpacityDlg.h"
#include "QSliderCtrlBtn.h"

#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

// A track 300 px wide and handles of 12 px (one frame of a four-frame sprite).
struct SliderPictures
{
    QTemporaryDir dir;
    QString track, fill, handle;
    SliderPictures()
    {
        track = dir.filePath("track.png");
        fill = dir.filePath("fill.png");
        handle = dir.filePath("handle.png");
        QImage t(300, 8, QImage::Format_RGB32);
        t.fill(Qt::darkGray);
        t.save(track);
        QImage f(300, 8, QImage::Format_RGB32);
        f.fill(Qt::green);
        f.save(fill);
        QImage h(48, 20, QImage::Format_RGB32);
        h.fill(Qt::white);
        h.save(handle);
    }
};

std::unique_ptr<QDualSlider> makeSlider(const SliderPictures& pics, QWidget* parent = nullptr)
{
    auto s = std::make_unique<QDualSlider>(parent);
    s->setBottomImage(pics.track);
    s->setTopImage(pics.fill);
    s->setStartBtnImage(pics.handle);
    s->setEndBtnImage(pics.handle);
    s->setCircle(true);
    s->setCircleLenght(10);
    return s;
}

void mouse(QWidget* w, QEvent::Type type, int x, Qt::MouseButtons buttons = Qt::LeftButton)
{
    const QPoint local(x, w->height() / 2);
    QMouseEvent e(type, local, w->mapToGlobal(local),
                  type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

// A press on a handle gives it the focus; dragging moves it by the pointer.
void dragHandle(QDualSlider* s, QSliderCtrlBtn* h, int grab, int toSliderX)
{
    mouse(h, QEvent::MouseButtonPress, grab);
    const QPoint local(toSliderX - h->x(), h->height() / 2);
    QMouseEvent move(QEvent::MouseMove, local, h->mapToGlobal(local), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(h, &move);
    mouse(h, QEvent::MouseButtonRelease, grab, Qt::NoButton);
    Q_UNUSED(s);
}

} // namespace

class TestRangeSlider : public QObject
{
    Q_OBJECT
private slots:
    void setupGeometry();
    void settersNeverCross_data();
    void settersNeverCross();
    void trackPressMovesFocusedHandle();
    void handleDrags();
    void rangeStripPainted();
    void noticeFades();
    void noticeHoverHoldsIt();
    void noticeCloseAndReuse();
};

void TestRangeSlider::setupGeometry()
{
    SliderPictures pics;
    auto s = makeSlider(pics);
    QCOMPARE(s->width(), 324);
    QCOMPARE(s->height(), 20);
    QCOMPARE(s->startHandle()->x(), 0);
    QCOMPARE(s->endHandle()->x(), 312);
    QCOMPARE(s->getStartValue(), 0.0f);
    QCOMPARE(s->getEndValue(), 1.0f);
    QVERIFY(s->GetFocusInStartBtn());

    // sized by its owner afterwards, the handles keep their fractions
    s->setStartValue(25);
    s->resize(624, 20);
    QCOMPARE(s->getStartValue(), 0.25f);
    QCOMPARE(s->getEndValue(), 1.0f);
    s->show();
    QCOMPARE(s->startHandle()->x(), 150);
    QCOMPARE(s->endHandle()->x(), 612);
}

void TestRangeSlider::settersNeverCross_data()
{
    QTest::addColumn<float>("end");
    QTest::addColumn<float>("start");
    QTest::addColumn<float>("startFraction");
    QTest::addColumn<float>("endFraction");
    // start past the end touches it; negative and over-range values clamp
    QTest::newRow("start inside") << 50.0f << 25.0f << 0.25f << 0.5f;
    QTest::newRow("start past end") << 50.0f << 60.0f << 0.5f << 0.5f;
    QTest::newRow("start equal end") << 50.0f << 50.0f << 0.5f << 0.5f;
    QTest::newRow("negative start") << 100.0f << -5.0f << 0.0f << 1.0f;
    QTest::newRow("end over range") << 130.0f << 10.0f << 0.1f << 1.0f;
}

void TestRangeSlider::settersNeverCross()
{
    QFETCH(float, end);
    QFETCH(float, start);
    QFETCH(float, startFraction);
    QFETCH(float, endFraction);
    SliderPictures pics;
    auto s = makeSlider(pics);
    QSignalSpy startSpy(s.get(), &QDualSlider::sendProgressValue);
    QSignalSpy endSpy(s.get(), &QDualSlider::sendEndProgressValue);
    s->setEndValue(end);
    s->setStartValue(start);
    QCOMPARE(s->getStartValue(), startFraction);
    QCOMPARE(s->getEndValue(), endFraction);
    QVERIFY(s->startHandle()->x() + 12 <= s->endHandle()->x());
    QCOMPARE(startSpy.count() + endSpy.count(), 0);

    // and the end never goes below the start
    s->setStartValue(50);
    s->setEndValue(40);
    QCOMPARE(s->getEndValue(), s->getStartValue());
}

void TestRangeSlider::trackPressMovesFocusedHandle()
{
    SliderPictures pics;
    auto s = makeSlider(pics);
    QSignalSpy startSpy(s.get(), &QDualSlider::sendProgressValue);
    QSignalSpy endSpy(s.get(), &QDualSlider::sendEndProgressValue);

    // focus on start (the default): the pointer becomes its right edge
    mouse(s.get(), QEvent::MouseButtonPress, 87);
    QCOMPARE(startSpy.count(), 1);
    QCOMPARE(startSpy.at(0).at(0).toDouble(), 75.0 / 300);
    QCOMPARE(s->startHandle()->x(), 75);
    mouse(s.get(), QEvent::MouseButtonRelease, 87, Qt::NoButton);

    // a drag on the track while the button is held follows the pointer
    mouse(s.get(), QEvent::MouseMove, 162);
    QCOMPARE(startSpy.last().at(0).toDouble(), 150.0 / 300);

    // pressing the end handle moves the focus there
    mouse(s->endHandle(), QEvent::MouseButtonPress, 3);
    mouse(s->endHandle(), QEvent::MouseButtonRelease, 3, Qt::NoButton);
    QVERIFY(!s->GetFocusInStartBtn());

    // a press left of the start handle stops the end against it
    mouse(s.get(), QEvent::MouseButtonPress, 20);
    QCOMPARE(endSpy.count(), 1);
    QCOMPARE(endSpy.at(0).at(0).toDouble(), 150.0 / 300);
    QCOMPARE(s->getEndValue(), s->getStartValue());

    // and a press beyond the right end puts it at the end of the track
    mouse(s.get(), QEvent::MouseButtonPress, 320);
    QCOMPARE(endSpy.last().at(0).toDouble(), 1.0);
    QCOMPARE(s->endHandle()->x(), 312);

    // focus back on start: a press right of the end handle stops at it
    s->setEndValue(50);
    mouse(s->startHandle(), QEvent::MouseButtonPress, 3);
    mouse(s->startHandle(), QEvent::MouseButtonRelease, 3, Qt::NoButton);
    QVERIFY(s->GetFocusInStartBtn());
    mouse(s.get(), QEvent::MouseButtonPress, 300);
    QCOMPARE(startSpy.last().at(0).toDouble(), double(s->getEndValue()));

    // with pulling off the track ignores presses
    s->setEnabledPull(false);
    const int before = startSpy.count() + endSpy.count();
    mouse(s.get(), QEvent::MouseButtonPress, 40);
    QCOMPARE(startSpy.count() + endSpy.count(), before);
}

void TestRangeSlider::handleDrags()
{
    SliderPictures pics;
    auto s = makeSlider(pics);
    s->show();
    QSignalSpy startSpy(s.get(), &QDualSlider::sendProgressValue);
    QSignalSpy endSpy(s.get(), &QDualSlider::sendEndProgressValue);

    dragHandle(s.get(), s->startHandle(), 4, 104); // left edge to 100
    QCOMPARE(startSpy.last().at(0).toDouble(), 100.0 / 300);
    dragHandle(s.get(), s->startHandle(), 4, 8); // within half a handle: snaps to 0
    QCOMPARE(startSpy.last().at(0).toDouble(), 0.0);

    s->setStartValue(40); // a = 120
    dragHandle(s.get(), s->endHandle(), 4, 50); // past the start: stops against it
    QCOMPARE(endSpy.last().at(0).toDouble(), 120.0 / 300);
    QCOMPARE(s->getEndValue(), s->getStartValue());
    dragHandle(s.get(), s->endHandle(), 4, 400); // past the end of the track
    QCOMPARE(endSpy.last().at(0).toDouble(), 1.0);
    dragHandle(s.get(), s->startHandle(), 4, 500); // start past the end handle
    QCOMPARE(startSpy.last().at(0).toDouble(), 1.0);
    QVERIFY(s->startHandle()->x() + 12 <= s->endHandle()->x());
}

void TestRangeSlider::rangeStripPainted()
{
    SliderPictures pics;
    auto s = makeSlider(pics);
    s->setStartValue(25);
    s->setEndValue(75);
    s->show();
    const QImage shot = s->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int y = s->height() / 2;
    // fill colour between the handles, track colour outside them
    QCOMPARE(shot.pixelColor(s->width() / 2, y), QColor(Qt::green));
    QCOMPARE(shot.pixelColor(40, y), QColor(Qt::darkGray));
}

void TestRangeSlider::noticeFades()
{
    QMessOpacityDlg notice;
    notice.SetBgImage(QIAppUtil::getResourcePath() + "/image/VideoEditDlg/msg_small_opacity.png");
    notice.SetMessText("Snapshot successfully!");
    notice.StartOpacity();
    notice.show();
    QCOMPARE(notice.m_labText->text(), QString("Snapshot successfully!"));
    QCOMPARE(notice.m_labText->y(), notice.height() / 2 - 5);
    QCOMPARE(notice.m_btnClose->pos(), QPoint(320, 3));
    QCOMPARE(notice.fadeTimer()->interval(), 1000);
    QCOMPARE(notice.windowOpacity(), 1.0);

    // Each tick by hand: opaque until the first, then -0.1 per 200 ms tick.
    QMetaObject::invokeMethod(notice.fadeTimer(), "timeout");
    QCOMPARE(notice.fadeTimer()->interval(), 200);
    QVERIFY(qAbs(notice.windowOpacity() - 0.9) < 0.02);
    int ticks = 1;
    while (notice.isVisible() && ticks < 20) {
        QMetaObject::invokeMethod(notice.fadeTimer(), "timeout");
        ++ticks;
    }
    QVERIFY(!notice.isVisible());
    QVERIFY2(ticks >= 10 && ticks <= 11, qPrintable(QString::number(ticks)));
    QVERIFY(!notice.fadeTimer()->isActive());

    // On the real timer the whole cycle ends in about three seconds.
    notice.StartOpacity();
    notice.show();
    QElapsedTimer clock;
    clock.start();
    QTRY_VERIFY_WITH_TIMEOUT(!notice.isVisible(), 8000);
    qInfo("notice closed itself after %lld ms", clock.elapsed());
    QVERIFY(clock.elapsed() >= 2500);
}

void TestRangeSlider::noticeHoverHoldsIt()
{
    QMessOpacityDlg notice;
    notice.StartOpacity();
    notice.show();
    QMetaObject::invokeMethod(notice.fadeTimer(), "timeout");
    QMetaObject::invokeMethod(notice.fadeTimer(), "timeout");
    QVERIFY(notice.windowOpacity() < 0.95);

    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(&notice, &enter);
    QCOMPARE(notice.windowOpacity(), 1.0);
    QVERIFY(!notice.fadeTimer()->isActive());

    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&notice, &leave);
    QCOMPARE(notice.windowOpacity(), 1.0);
    QVERIFY(notice.fadeTimer()->isActive());
    QCOMPARE(notice.fadeTimer()->interval(), 1000);

    // without fade on hover the pointer changes nothing
    notice.SetIsOpacity(false);
    QMetaObject::invokeMethod(notice.fadeTimer(), "timeout");
    QCoreApplication::sendEvent(&notice, &enter);
    QVERIFY(notice.windowOpacity() < 0.95);
    QVERIFY(notice.fadeTimer()->isActive());
}

void TestRangeSlider::noticeCloseAndReuse()
{
    QMessOpacityDlg notice;
    QVERIFY(notice.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(!notice.isModal());
    notice.StartOpacity();
    notice.show();
    QMetaObject::invokeMethod(notice.fadeTimer(), "timeout");
    notice.m_btnClose->click();
    QVERIFY(!notice.isVisible());
    QCOMPARE(notice.windowOpacity(), 1.0);
    QVERIFY(!notice.fadeTimer()->isActive());

    // a second message brings the same notice back opaque with the new text
    notice.SetMessText("Snapshot  failed!");
    notice.StartOpacity();
    notice.show();
    QVERIFY(notice.isVisible());
    QCOMPARE(notice.m_labText->text(), QString("Snapshot  failed!"));
    QVERIFY(notice.m_chkNote->isHidden());
    QVERIFY(notice.m_btnOk->isHidden());
}

QTEST_MAIN(TestRangeSlider)
#include "tst_rangeslider.moc"
