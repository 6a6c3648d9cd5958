// The skinned slider: value placement, presses, drags with the button held,
// handle drags, and switched-off pulling.
#include "QSliderCtrlBtn.h"
#include "qSliderCtrl.h"

#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Moves and presses as the window system delivers them: the slider reads
// the pointer's screen position.
void send(QWidget* target, QEvent::Type type, int x, Qt::MouseButtons held)
{
    const QPointF local(x, target->height() / 2);
    const QPointF screen = target->mapToGlobal(local.toPoint());
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, local, local, screen, button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

QString writeImage(const QTemporaryDir& dir, const QString& name, int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(Qt::gray);
    const QString path = dir.filePath(name);
    image.save(path);
    return path;
}

} // namespace

class TestSliderCtrl : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void setValuePlacesPosition_data();
    void setValuePlacesPosition();
    void pressesAndDrags_data();
    void pressesAndDrags();
    void handleDragFollowsGrabPoint();
    void pullingOffIgnoresInput();

private:
    qSliderCtrl* makeSlider(bool handle);

    QTemporaryDir m_dir;
    QString m_track, m_fill, m_knob;
};

void TestSliderCtrl::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_track = writeImage(m_dir, "track.png", 300, 6);
    m_fill = writeImage(m_dir, "fill.png", 300, 6);
    m_knob = writeImage(m_dir, "knob.png", 48, 16); // four 12-pixel frames
}

qSliderCtrl* TestSliderCtrl::makeSlider(bool handle)
{
    auto* slider = new qSliderCtrl;
    slider->setBottomImage(m_track);
    slider->setTopImage(m_fill);
    if (handle)
        slider->setBtnImage(m_knob);
    slider->move(40, 40);
    slider->show();
    return slider;
}

void TestSliderCtrl::setValuePlacesPosition_data()
{
    QTest::addColumn<bool>("handle");
    QTest::addColumn<float>("value");
    QTest::addColumn<float>("position");
    QTest::addColumn<float>("percent");
    QTest::newRow("a quarter") << false << 25.0f << 75.0f << 25.0f;
    QTest::newRow("at the maximum") << false << 100.0f << 300.0f << 100.0f;
    QTest::newRow("above the maximum") << true << 250.0f << 300.0f << 100.0f;
    QTest::newRow("below the minimum") << true << -3.0f << 0.0f << 0.0f;
    QTest::newRow("half, with a handle") << true << 50.0f << 150.0f << 50.0f;
}

void TestSliderCtrl::setValuePlacesPosition()
{
    QFETCH(bool, handle);
    QFETCH(float, value);
    QFETCH(float, position);
    QFETCH(float, percent);
    QScopedPointer<qSliderCtrl> slider(makeSlider(handle));
    // The handle widens the slider so that the usable width stays the track's.
    QCOMPARE(slider->width(), handle ? 312 : 300);
    QSignalSpy spy(slider.data(), &qSliderCtrl::sendProgressValue);
    slider->setValue(value);
    QCOMPARE(slider->position(), position);
    QCOMPARE(slider->getValue(), percent);
    if (handle)
        QCOMPARE(slider->handle()->x(), int(position));
    QCOMPARE(spy.count(), 0);
}

void TestSliderCtrl::pressesAndDrags_data()
{
    QTest::addColumn<bool>("handle");
    QTest::addColumn<QVector<int>>("moves"); // press at the first x, then moves with the button held
    QTest::addColumn<QVector<double>>("fractions");
    QTest::newRow("no handle: press anywhere")
        << false << QVector<int>{0, 150, 299} << QVector<double>{0.0, 0.5, 299.0 / 300};
    QTest::newRow("handle: press centres it") << true << QVector<int>{156} << QVector<double>{0.5};
    QTest::newRow("handle: press too near an end") << true << QVector<int>{5} << QVector<double>{};
    QTest::newRow("handle: press near the right end") << true << QVector<int>{307} << QVector<double>{};
    QTest::newRow("drag beyond both ends pins")
        << true << QVector<int>{100, -40, 400} << QVector<double>{94.0 / 300, 0.0, 1.0};
}

void TestSliderCtrl::pressesAndDrags()
{
    QFETCH(bool, handle);
    QFETCH(QVector<int>, moves);
    QFETCH(QVector<double>, fractions);
    QScopedPointer<qSliderCtrl> slider(makeSlider(handle));
    QSignalSpy spy(slider.data(), &qSliderCtrl::sendProgressValue);
    send(slider.data(), QEvent::MouseButtonPress, moves[0], Qt::LeftButton);
    for (int i = 1; i < moves.size(); ++i)
        send(slider.data(), QEvent::MouseMove, moves[i], Qt::LeftButton);
    send(slider.data(), QEvent::MouseButtonRelease, moves.last(), Qt::NoButton);
    QCOMPARE(spy.count(), fractions.size());
    for (int i = 0; i < fractions.size(); ++i)
        QVERIFY2(qAbs(spy.at(i).at(0).toDouble() - fractions[i]) < 1e-9,
                 qPrintable(QString::number(spy.at(i).at(0).toDouble())));
    if (fractions.isEmpty())
        QCOMPARE(slider->position(), 0.0f);
    if (handle)
        QCOMPARE(slider->handle()->state(), 0); // released: normal look
}

void TestSliderCtrl::handleDragFollowsGrabPoint()
{
    QScopedPointer<qSliderCtrl> slider(makeSlider(true));
    QSignalSpy spy(slider.data(), &qSliderCtrl::sendProgressValue);
    QSliderCtrlBtn* knob = slider->handle();
    // Grab the handle 4 pixels inside its left edge and drag.
    send(knob, QEvent::MouseButtonPress, 4, Qt::LeftButton);
    const struct
    {
        int sliderX;
        double fraction;
    } steps[] = {{104, 100.0 / 300}, {7, 0.0}, {500, 1.0}};
    for (const auto& step : steps) {
        send(knob, QEvent::MouseMove, step.sliderX - knob->x(), Qt::LeftButton);
        QVERIFY(qAbs(spy.last().at(0).toDouble() - step.fraction) < 1e-9);
        QCOMPARE(knob->x(), int(slider->position()));
    }
    QCOMPARE(spy.count(), 3);
}

void TestSliderCtrl::pullingOffIgnoresInput()
{
    QScopedPointer<qSliderCtrl> slider(makeSlider(true));
    slider->setEnabledPull(false);
    QSignalSpy spy(slider.data(), &qSliderCtrl::sendProgressValue);
    send(slider.data(), QEvent::MouseButtonPress, 150, Qt::LeftButton);
    send(slider.data(), QEvent::MouseMove, 200, Qt::LeftButton);
    send(slider->handle(), QEvent::MouseButtonPress, 4, Qt::LeftButton);
    send(slider->handle(), QEvent::MouseMove, 60, Qt::LeftButton);
    QCOMPARE(spy.count(), 0);
    QCOMPARE(slider->position(), 0.0f);
}

QTEST_MAIN(TestSliderCtrl)
#include "tst_sliderctrl.moc"
