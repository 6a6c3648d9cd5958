// The kit's widget-free rules: edge zones and drags for the two window
// bands in use (2 pixels for the player, 4 for the main window), the grips'
// pointer shapes, and the frames of sprite buttons.
#include "editing/PreviewDrag.h"
#include "window/EdgeGrip.h"
#include "window/SpriteState.h"

#include <QtTest>

#include <functional>

using namespace EdgeGrip;

namespace {
// L 100, T 100, R 499, B 399.
const QRect kStart(100, 100, 400, 300);
const QSize kMinimum(200, 150);
const QSize kMaximum(1000, 800);
} // namespace

class TestWidgetRules : public QObject
{
    Q_OBJECT
private slots:
    void zones_data();
    void zones();
    void drags_data();
    void drags();
    void sameGripSameCursor_data();
    void sameGripSameCursor();
    void spriteFrames();
};

void TestWidgetRules::zones_data()
{
    QTest::addColumn<int>("band");
    QTest::addColumn<QPoint>("pos");
    QTest::addColumn<int>("zone");
    QTest::addColumn<int>("shape");
    const int h = Qt::SizeHorCursor, v = Qt::SizeVerCursor, f = Qt::SizeFDiagCursor, b = Qt::SizeBDiagCursor,
              a = Qt::ArrowCursor;
    QTest::newRow("2: left, 2 in") << 2 << QPoint(102, 250) << 1 << h;
    QTest::newRow("2: left, 3 in") << 2 << QPoint(103, 250) << 0 << a;
    QTest::newRow("2: top-left") << 2 << QPoint(101, 102) << 2 << f;
    QTest::newRow("2: top") << 2 << QPoint(300, 100) << 3 << v;
    QTest::newRow("2: top-right") << 2 << QPoint(497, 101) << 4 << b;
    QTest::newRow("2: right") << 2 << QPoint(499, 250) << 5 << h;
    QTest::newRow("2: bottom-right") << 2 << QPoint(498, 398) << 6 << f;
    QTest::newRow("2: bottom") << 2 << QPoint(300, 397) << 7 << v;
    QTest::newRow("2: bottom-left") << 2 << QPoint(100, 399) << 8 << b;
    QTest::newRow("2: side gap above the corner") << 2 << QPoint(100, 396) << 0 << a;
    QTest::newRow("4: left, 4 in") << 4 << QPoint(104, 250) << 1 << h;
    QTest::newRow("4: left, 5 in") << 4 << QPoint(105, 250) << 0 << a;
    QTest::newRow("4: top-left") << 4 << QPoint(104, 104) << 2 << f;
    QTest::newRow("4: below the top-left corner") << 4 << QPoint(104, 105) << 1 << h;
    QTest::newRow("4: bottom-right") << 4 << QPoint(495, 395) << 6 << f;
    QTest::newRow("inside") << 4 << QPoint(300, 250) << 0 << a;
    QTest::newRow("outside") << 4 << QPoint(99, 250) << 0 << a;
}

void TestWidgetRules::zones()
{
    QFETCH(int, band);
    QFETCH(QPoint, pos);
    QFETCH(int, zone);
    QFETCH(int, shape);
    QCOMPARE(zoneAt(kStart, pos, band), zone);
    QCOMPARE(int(cursorFor(zone)), shape);
}

void TestWidgetRules::sameGripSameCursor_data()
{
    // A window's edge zone and the editor box's grip that move the same
    // sides, and the one pointer both show.
    QTest::addColumn<int>("zone");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("shape");
    const struct
    {
        const char* name;
        Zone zone;
        PreviewDrag::Mode mode;
        Qt::CursorShape shape;
    } grips[] = {
        {"none", None, PreviewDrag::None, Qt::ArrowCursor},
        {"left", Left, PreviewDrag::Left, Qt::SizeHorCursor},
        {"right", Right, PreviewDrag::Right, Qt::SizeHorCursor},
        {"top", Top, PreviewDrag::Top, Qt::SizeVerCursor},
        {"bottom", Bottom, PreviewDrag::Bottom, Qt::SizeVerCursor},
        {"top-left", TopLeft, PreviewDrag::TopLeft, Qt::SizeFDiagCursor},
        {"bottom-right", BottomRight, PreviewDrag::BottomRight, Qt::SizeFDiagCursor},
        {"top-right", TopRight, PreviewDrag::TopRight, Qt::SizeBDiagCursor},
        {"bottom-left", BottomLeft, PreviewDrag::BottomLeft, Qt::SizeBDiagCursor},
    };
    for (const auto& g : grips)
        QTest::newRow(g.name) << int(g.zone) << int(g.mode) << int(g.shape);
    QTest::newRow("past both tables") << BottomLeft + 1 << PreviewDrag::Inside + 1 << int(Qt::ArrowCursor);
}

void TestWidgetRules::sameGripSameCursor()
{
    QFETCH(int, zone);
    QFETCH(int, mode);
    QFETCH(int, shape);
    QCOMPARE(int(cursorFor(zone)), shape);
    QCOMPARE(int(PreviewDrag::cursorFor(mode)), shape);
}

void TestWidgetRules::drags_data()
{
    QTest::addColumn<int>("zone");
    QTest::addColumn<QPoint>("grab");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("top keeps its offset")
        << 3 << QPoint(300, 103) << QPoint(300, 53) << QRect(100, 50, 400, 350);
    QTest::newRow("no jump at the first move") << 3 << QPoint(300, 103) << QPoint(300, 103) << kStart;
    QTest::newRow("right") << 5 << QPoint(497, 250) << QPoint(597, 250) << QRect(100, 100, 500, 300);
    QTest::newRow("bottom-left") << 8 << QPoint(102, 397) << QPoint(52, 447) << QRect(50, 100, 450, 350);
    QTest::newRow("top-right") << 4 << QPoint(498, 101) << QPoint(548, 81) << QRect(100, 80, 450, 320);
    QTest::newRow("left stops above the minimum")
        << 1 << QPoint(102, 250) << QPoint(300, 250) << QRect(298, 100, 202, 300);
    QTest::newRow("left at the minimum stays") << 1 << QPoint(102, 250) << QPoint(301, 250) << kStart;
    QTest::newRow("right at the maximum stays") << 5 << QPoint(499, 250) << QPoint(1100, 250) << kStart;
    QTest::newRow("bottom at the maximum stays") << 7 << QPoint(300, 399) << QPoint(300, 900) << kStart;
    // A corner's two axes are judged apart: the width is refused, the
    // height taken.
    QTest::newRow("corner, one axis refused")
        << 6 << QPoint(499, 399) << QPoint(200, 449) << QRect(100, 100, 400, 350);
}

void TestWidgetRules::drags()
{
    QFETCH(int, zone);
    QFETCH(QPoint, grab);
    QFETCH(QPoint, to);
    QFETCH(QRect, expected);
    const QPoint offset = edgeOffset(kStart, zone, grab);
    QCOMPARE(dragged(kStart, zone, to, offset, kMinimum, kMaximum), expected);
}

void TestWidgetRules::spriteFrames()
{
    // Each step: what happens, whether the button is enabled, the frame
    // after it and whether a repaint was asked for.
    SpriteState s;
    const struct
    {
        const char* name;
        std::function<bool()> act;
        int frame;
        bool repaint;
    } steps[] = {
        {"enter", [&] { return s.enter(true); }, SpriteState::Hover, true},
        {"enter again", [&] { return s.enter(true); }, SpriteState::Hover, false},
        {"press", [&] { return s.press(true); }, SpriteState::Pressed, true},
        {"enter while pressed", [&] { return s.enter(true); }, SpriteState::Hover, true},
        {"press", [&] { return s.press(true); }, SpriteState::Pressed, true},
        {"leave while pressed", [&] { return s.leave(true); }, SpriteState::Pressed, false},
        {"release", [&] { return s.release(true); }, SpriteState::Normal, true},
        {"release again", [&] { return s.release(true); }, SpriteState::Normal, false},
        {"enter disabled", [&] { return s.enter(false); }, SpriteState::Disabled, false},
        {"press disabled", [&] { return s.press(false); }, SpriteState::Disabled, false},
        {"enabled again",
         [&] {
             s.enable(true);
             return false;
         },
         SpriteState::Normal, false},
        {"leave when not hovered", [&] { return s.leave(true); }, SpriteState::Normal, false},
    };
    for (const auto& step : steps) {
        QVERIFY2(step.act() == step.repaint, step.name);
        QVERIFY2(s.frame() == step.frame, step.name);
    }
}

QTEST_APPLESS_MAIN(TestWidgetRules)
#include "tst_widgetrules.moc"
