#include "TensileWindow.h"

#include <QApplication>
#include <QMouseEvent>
#include <QtTest>

namespace {

// Reads the resize bookkeeping the way a subclass does.
class ProbeWindow : public TensileWindow
{
public:
    int cursorState() const { return m_cursorState; }
    void setMaximised(bool max) { m_bMax = max; }
};

// The window sits at (100, 100), 400 x 300: L 100, T 100, R 499, B 399.
const QRect kStart(100, 100, 400, 300);

void sendMouse(QWidget& w, QEvent::Type type, const QPoint& global, Qt::MouseButton button,
               Qt::MouseButtons held)
{
    QMouseEvent event(type, global - w.geometry().topLeft(), global, button, held, Qt::NoModifier);
    QApplication::sendEvent(&w, &event);
}

void hover(QWidget& w, const QPoint& global)
{
    sendMouse(w, QEvent::MouseMove, global, Qt::NoButton, Qt::NoButton);
}

} // namespace

class TestTensileWindow : public QObject
{
    Q_OBJECT

private slots:
    void construction();
    void edgeZones_data();
    void edgeZones();
    void dragResize_data();
    void dragResize();
    void dragBand_data();
    void dragBand();
    void maximisedIgnoresHover();
};

void TestTensileWindow::construction()
{
    ProbeWindow w;
    QVERIFY(w.hasMouseTracking());
    QVERIFY(!(w.windowFlags() & Qt::FramelessWindowHint));
    QVERIFY(w.windowFlags() & Qt::WindowMaximizeButtonHint);
    QVERIFY(w.windowFlags() & Qt::WindowMinimizeButtonHint);
    QCOMPARE(w.cursorState(), 0);
}

void TestTensileWindow::edgeZones_data()
{
    QTest::addColumn<QPoint>("pos");
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("shape");

    QTest::newRow("left, 4 in") << QPoint(104, 250) << 1 << int(Qt::SizeHorCursor);
    QTest::newRow("left, 5 in") << QPoint(105, 250) << 0 << int(Qt::ArrowCursor);
    QTest::newRow("top-left corner") << QPoint(104, 104) << 2 << int(Qt::SizeFDiagCursor);
    QTest::newRow("below the top-left corner") << QPoint(104, 105) << 1 << int(Qt::SizeHorCursor);
    QTest::newRow("top") << QPoint(300, 102) << 3 << int(Qt::SizeVerCursor);
    QTest::newRow("top-right") << QPoint(497, 101) << 4 << int(Qt::SizeBDiagCursor);
    QTest::newRow("right") << QPoint(499, 250) << 5 << int(Qt::SizeHorCursor);
    QTest::newRow("bottom-right") << QPoint(498, 398) << 6 << int(Qt::SizeFDiagCursor);
    QTest::newRow("bottom") << QPoint(300, 399) << 7 << int(Qt::SizeVerCursor);
    QTest::newRow("bottom-left") << QPoint(101, 397) << 8 << int(Qt::SizeBDiagCursor);
    QTest::newRow("inside") << QPoint(300, 250) << 0 << int(Qt::ArrowCursor);
    QTest::newRow("outside") << QPoint(99, 250) << 0 << int(Qt::ArrowCursor);
}

void TestTensileWindow::edgeZones()
{
    QFETCH(QPoint, pos);
    QFETCH(int, state);
    QFETCH(int, shape);

    ProbeWindow w;
    w.setGeometry(kStart);
    hover(w, QPoint(300, 250)); // start from "none" with the arrow
    hover(w, pos);
    QCOMPARE(w.cursorState(), state);
    QCOMPARE(int(w.cursor().shape()), shape);
}

void TestTensileWindow::dragResize_data()
{
    QTest::addColumn<QPoint>("grab");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<int>("held");
    QTest::addColumn<QRect>("expected");

    const int left = Qt::LeftButton;
    QTest::newRow("top edge keeps its 3-pixel offset")
        << QPoint(300, 103) << QPoint(300, 53) << left << QRect(100, 50, 400, 350);
    QTest::newRow("no jump at the first move") << QPoint(300, 103) << QPoint(300, 103) << left << kStart;
    QTest::newRow("right edge") << QPoint(497, 250) << QPoint(597, 250) << left << QRect(100, 100, 500, 300);
    QTest::newRow("bottom-left corner")
        << QPoint(102, 397) << QPoint(52, 447) << left << QRect(50, 100, 450, 350);
    QTest::newRow("top-right corner")
        << QPoint(498, 101) << QPoint(548, 81) << left << QRect(100, 80, 450, 320);
    QTest::newRow("left edge stops at minimum + 2")
        << QPoint(102, 250) << QPoint(300, 250) << left << QRect(298, 100, 202, 300);
    QTest::newRow("left edge past the stop stays") << QPoint(102, 250) << QPoint(301, 250) << left << kStart;
    // Every edge keeps the same rule as the left one: a move that would
    // bring the span to the minimum is not taken.
    QTest::newRow("bottom edge stops at minimum + 2")
        << QPoint(300, 398) << QPoint(300, 250) << left << QRect(100, 100, 400, 152);
    QTest::newRow("bottom edge past the stop stays")
        << QPoint(300, 398) << QPoint(300, 150) << left << kStart;
    QTest::newRow("two buttons neither resize nor move")
        << QPoint(497, 250) << QPoint(597, 250) << int(Qt::LeftButton | Qt::RightButton) << kStart;
}

void TestTensileWindow::dragResize()
{
    QFETCH(QPoint, grab);
    QFETCH(QPoint, to);
    QFETCH(int, held);
    QFETCH(QRect, expected);

    ProbeWindow w;
    w.setMinimumSize(200, 150);
    w.setGeometry(kStart);
    hover(w, grab);
    QVERIFY(w.cursorState() != 0);

    sendMouse(w, QEvent::MouseButtonPress, grab, Qt::LeftButton, Qt::MouseButtons(held));
    sendMouse(w, QEvent::MouseMove, to, Qt::NoButton, Qt::MouseButtons(held));
    QCOMPARE(w.geometry(), expected);

    sendMouse(w, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(w.cursorState(), 0);
}

void TestTensileWindow::dragBand_data()
{
    QTest::addColumn<int>("titleHeight");
    QTest::addColumn<bool>("moves");

    QTest::newRow("default band of 37") << 37 << true;
    QTest::newRow("band of 0") << 0 << false;
}

void TestTensileWindow::dragBand()
{
    QFETCH(int, titleHeight);
    QFETCH(bool, moves);

    ProbeWindow w;
    w.setTitleHeight(titleHeight);
    w.setGeometry(kStart);
    const QPoint grab(300, 110);
    hover(w, grab);
    QCOMPARE(w.cursorState(), 0);

    sendMouse(w, QEvent::MouseButtonPress, grab, Qt::LeftButton, Qt::LeftButton);
    sendMouse(w, QEvent::MouseMove, grab + QPoint(50, 40), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(w.geometry(), moves ? kStart.translated(50, 40) : kStart);
}

void TestTensileWindow::maximisedIgnoresHover()
{
    ProbeWindow w;
    w.setGeometry(kStart);
    w.setMaximised(true);
    hover(w, QPoint(104, 250));
    QCOMPARE(w.cursorState(), 0);

    const QPoint grab(300, 110);
    sendMouse(w, QEvent::MouseButtonPress, grab, Qt::LeftButton, Qt::LeftButton);
    sendMouse(w, QEvent::MouseMove, grab + QPoint(50, 40), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(w.geometry(), kStart);
}

QTEST_MAIN(TestTensileWindow)
#include "tst_tensilewindow.moc"
