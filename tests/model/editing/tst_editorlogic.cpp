// The editor's widget-free arithmetic and the snapshot writer, with the
// fake engine.
#include "editing/PreviewDrag.h"
#include "editing/SnapshotWriter.h"
#include "editing/TrimRange.h"
#include "orvalta_fake_control.h"

#include <QDir>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace PreviewDrag;

class TestEditorLogic : public QObject
{
    Q_OBJECT
private slots:
    void init() { orvfake::reset(); }
    void hitTest_data();
    void hitTest();
    void watermarkDrag_data();
    void watermarkDrag();
    void cropDrag_data();
    void cropDrag();
    void trimApply_data();
    void trimApply();
    void timeTick_data();
    void timeTick();
    void snapshotNaming();
    void snapshotSaved_data();
    void snapshotSaved();
    void snapshotNotTaken();
};

void TestEditorLogic::hitTest_data()
{
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("mx");
    QTest::addColumn<int>("my");
    QTest::addColumn<int>("mode");
    // A box from (100, 50) to (200, 100) on a 400 px wide picture.
    QTest::newRow("top-left corner") << 100 << 200 << 100 << 50 << 1;
    QTest::newRow("corner tolerance 2") << 100 << 200 << 102 << 52 << 1;
    QTest::newRow("past corner: top edge") << 100 << 200 << 103 << 50 << 7;
    QTest::newRow("bottom-left") << 100 << 200 << 98 << 100 << 2;
    QTest::newRow("left edge") << 100 << 200 << 100 << 75 << 3;
    QTest::newRow("top-right") << 100 << 200 << 200 << 50 << 4;
    QTest::newRow("bottom-right") << 100 << 200 << 201 << 101 << 5;
    QTest::newRow("right edge") << 100 << 200 << 199 << 75 << 6;
    QTest::newRow("top edge") << 100 << 200 << 150 << 48 << 7;
    QTest::newRow("bottom edge") << 100 << 200 << 150 << 102 << 8;
    QTest::newRow("inside") << 100 << 200 << 150 << 75 << 9;
    QTest::newRow("below") << 100 << 200 << 150 << 103 << 0;
    QTest::newRow("left of it") << 100 << 200 << 97 << 75 << 0;
    QTest::newRow("above the left grip") << 100 << 200 << 100 << 47 << 0;
    // Touching the surface's left edge or the picture's right edge: 4 px.
    QTest::newRow("left at 0, 4 px") << 0 << 100 << 4 << 75 << 3;
    QTest::newRow("left at 0, 5 px") << 0 << 100 << 5 << 75 << 9;
    QTest::newRow("right at width, 4 px") << 300 << 400 << 396 << 75 << 6;
    QTest::newRow("right at width, 5 px") << 300 << 400 << 395 << 75 << 9;
}

void TestEditorLogic::hitTest()
{
    QFETCH(int, left);
    QFETCH(int, right);
    QFETCH(int, mx);
    QFETCH(int, my);
    QFETCH(int, mode);
    ScreenBox box;
    box.left = left;
    box.right = right;
    box.top = 50;
    box.bottom = 100;
    box.valid = true;
    QCOMPARE(PreviewDrag::hitTest(box, 400, mx, my), mode);

    // the box from the records lands on the same pixels
    Picture pic{0, 0, 399, 199};
    const ScreenBox fromRecord = watermarkBox(pic, 250, 250, 0.25, 0.25);
    QCOMPARE(fromRecord.left, 100);
    QCOMPARE(fromRecord.bottom, 100);
    QVERIFY(!watermarkBox(pic, 0, 0, 0.0001, 0.5).valid);
    QVERIFY(!cropBox(pic, EditRect{0, 0, 0.5, 0.00005}).valid);
}

void TestEditorLogic::watermarkDrag_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<double>("dx");
    QTest::addColumn<double>("dy");
    QTest::addColumn<QList<int>>("expected"); // pos_x, pos_y, scale_x, scale_y, position, scale
    // Box at (0.25, 0.25), 0.25 x 0.1, scales 100 % at the press.
    QTest::newRow("bottom-right to twice") << 5 << 0.25 << 0.1 << QList<int>{250, 250, 200, 200, 0, 1};
    QTest::newRow("top-left in") << 1 << 0.05 << 0.02 << QList<int>{300, 270, 80, 80, 1, 1};
    QTest::newRow("left past the right: 0.02") << 3 << 0.65 << 0.0 << QList<int>{480, 250, 8, 100, 1, 1};
    QTest::newRow("left past the border") << 3 << -0.5 << 0.0 << QList<int>{0, 250, 200, 100, 1, 1};
    QTest::newRow("right past the border") << 6 << 0.65 << 0.0 << QList<int>{250, 250, 300, 100, 0, 1};
    QTest::newRow("top past the bottom: 0.02") << 7 << 0.0 << 0.5 << QList<int>{250, 330, 100, 20, 1, 1};
    QTest::newRow("bottom past the border") << 8 << 0.0 << 0.9 << QList<int>{250, 250, 100, 750, 0, 1};
    QTest::newRow("bottom-left") << 2 << -0.05 << 0.05 << QList<int>{200, 250, 120, 150, 1, 1};
    QTest::newRow("top-right") << 4 << 0.05 << -0.05 << QList<int>{250, 200, 120, 150, 1, 1};
    QTest::newRow("move against the corner") << 9 << 0.9 << -0.9 << QList<int>{750, 0, 100, 100, 1, 0};
}

void TestEditorLogic::watermarkDrag()
{
    QFETCH(int, mode);
    QFETCH(double, dx);
    QFETCH(double, dy);
    QFETCH(QList<int>, expected);
    const EditRect start{0.25, 0.25, 0.25, 0.1};
    WatermarkState current;
    current.posX = 250;
    current.posY = 250;
    const WatermarkResult r = dragWatermark(mode, start, 100, 100, current, start.x + dx, start.y + dy);
    const QList<int> got{r.state.posX,   r.state.posY,    r.state.scaleX,
                         r.state.scaleY, int(r.position), int(r.scale)};
    QCOMPARE(got, expected);
}

void TestEditorLogic::cropDrag_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<double>("dx");
    QTest::addColumn<double>("dy");
    QTest::addColumn<QList<double>>("expected");
    // Crop box (0.2, 0.2) 0.5 x 0.5.
    QTest::newRow("top-left in") << 1 << 0.1 << 0.1 << QList<double>{0.3, 0.3, 0.4, 0.4};
    QTest::newRow("bottom-right out") << 5 << 0.1 << 0.1 << QList<double>{0.2, 0.2, 0.6, 0.6};
    QTest::newRow("bottom-right past border") << 5 << 0.9 << 0.9 << QList<double>{0.2, 0.2, 0.8, 0.8};
    QTest::newRow("left past right") << 3 << 0.9 << 0.0 << QList<double>{0.68, 0.2, 0.02, 0.5};
    QTest::newRow("top past picture") << 7 << 0.0 << -0.5 << QList<double>{0.2, 0.0, 0.5, 0.7};
    QTest::newRow("right shrinks to 0.02") << 6 << -0.9 << 0.0 << QList<double>{0.2, 0.2, 0.02, 0.5};
    QTest::newRow("move keeps size") << 9 << -0.5 << 0.6 << QList<double>{0.0, 0.5, 0.5, 0.5};
}

void TestEditorLogic::cropDrag()
{
    QFETCH(int, mode);
    QFETCH(double, dx);
    QFETCH(double, dy);
    QFETCH(QList<double>, expected);
    const EditRect start{0.2, 0.2, 0.5, 0.5};
    const EditRect b = dragCrop(mode, start, start.x + dx, start.y + dy);
    const QList<double> got{b.x, b.y, b.w, b.h};
    for (int i = 0; i < 4; ++i)
        QVERIFY2(qAbs(got[i] - expected[i]) < 1e-9,
                 qPrintable(QString("%1: %2 != %3").arg(i).arg(got[i]).arg(expected[i])));
}

void TestEditorLogic::trimApply_data()
{
    QTest::addColumn<quint64>("start");
    QTest::addColumn<quint64>("end");
    QTest::addColumn<quint64>("duration");
    QTest::addColumn<float>("s");
    QTest::addColumn<float>("e");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<quint64>("newStart");
    QTest::addColumn<quint64>("newEnd");
    QTest::newRow("25-75 % of 20 s") << 0ull << 0ull << 20000000ull << 0.25f << 0.75f << true << 5000000ull
                                     << 15000000ull;
    QTest::newRow("then 50-100 %") << 5000000ull << 15000000ull << 20000000ull << 0.5f << 1.0f << true
                                   << 10000000ull << 15000000ull;
    QTest::newRow("2000 us") << 0ull << 0ull << 10000ull << 0.0f << 0.2f << true << 0ull << 2000ull;
    QTest::newRow("1999 us") << 0ull << 0ull << 10000ull << 0.0f << 0.1999f << false << 0ull << 0ull;
    QTest::newRow("equal handles") << 0ull << 0ull << 20000000ull << 0.4f << 0.4f << false << 0ull << 0ull;
    QTest::newRow("no duration") << 0ull << 0ull << 0ull << 0.0f << 1.0f << false << 0ull << 0ull;
}

void TestEditorLogic::trimApply()
{
    QFETCH(quint64, start);
    QFETCH(quint64, end);
    QFETCH(quint64, duration);
    QFETCH(float, s);
    QFETCH(float, e);
    QFETCH(bool, ok);
    const auto r = TrimRange::apply(start, end, duration, s, e);
    QCOMPARE(r.has_value(), ok);
    if (ok) {
        QTEST(quint64(r->start), "newStart");
        QTEST(quint64(r->end), "newEnd");
    }
}

void TestEditorLogic::timeTick_data()
{
    QTest::addColumn<quint64>("t");
    QTest::addColumn<quint64>("start");
    QTest::addColumn<quint64>("end");
    QTest::addColumn<quint64>("duration");
    QTest::addColumn<int>("state"); // 0 nothing, 1 time only, 2 time and slider
    QTest::addColumn<quint64>("relMs");
    QTest::addColumn<double>("percent");
    QTest::newRow("first millisecond") << 999ull << 0ull << 0ull << 20000000ull << 0 << 0ull << 0.0;
    QTest::newRow("no trim") << 5000000ull << 0ull << 0ull << 20000000ull << 2 << 5000ull << 25.0;
    QTest::newRow("in trim") << 7500000ull << 5000000ull << 15000000ull << 20000000ull << 2 << 2500ull
                             << 25.0;
    QTest::newRow("before trim start")
        << 1000000ull << 5000000ull << 15000000ull << 20000000ull << 2 << 0ull << 0.0;
    QTest::newRow("unknown duration") << 5000ull << 0ull << 0ull << 0ull << 1 << 5ull << 0.0;
    QTest::newRow("sub-ms duration") << 1500ull << 0ull << 0ull << 800ull << 1 << 1ull << 0.0;
}

void TestEditorLogic::timeTick()
{
    QFETCH(quint64, t);
    QFETCH(quint64, start);
    QFETCH(quint64, end);
    QFETCH(quint64, duration);
    QFETCH(int, state);
    const auto tick = TrimRange::tick(t, start, end, duration);
    QCOMPARE(tick.has_value(), state > 0);
    if (!tick)
        return;
    QTEST(quint64(tick->relMs), "relMs");
    QCOMPARE(tick->hasPercent, state == 2);
    if (tick->hasPercent)
        QTEST(tick->percent, "percent");
}

void TestEditorLogic::snapshotNaming()
{
    const QDateTime when(QDate(2021, 3, 5), QTime(14, 5, 9, 123));
    QCOMPARE(SnapshotWriter::fileName(when, "JPEG"), QString("05-03-2021 14-05-09.123_kestrova.jpeg"));
    QCOMPARE(SnapshotWriter::fileName(when, "BMP"), QString("05-03-2021 14-05-09.123_kestrova.bmp"));
    QCOMPARE(SnapshotWriter::filePath("/tmp/shots/", "a.png"), QString("/tmp/shots/a.png"));
    QCOMPARE(SnapshotWriter::filePath("/tmp//shots", "a.png"), QString("/tmp/shots/a.png"));
}

void TestEditorLogic::snapshotSaved_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("tolerance");
    QTest::newRow("JPEG") << "JPEG" << 12;
    QTest::newRow("JPG") << "JPG" << 12;
    QTest::newRow("BMP") << "BMP" << 0;
    QTest::newRow("PNG") << "PNG" << 0;
}

void TestEditorLogic::snapshotSaved()
{
    QFETCH(QString, format);
    QFETCH(int, tolerance);
    QTemporaryDir dir;
    orvfake::MediaFacts facts;
    facts.width = 96;
    facts.height = 64;
    facts.pictureArgb = 0xFF3366CC;
    orvfake::setMedia("/clips/a.mov", facts);
    PlayerHandle player = Player_Create(-1);
    QVERIFY(Player_Open(player, "/clips/a.mov"));

    SnapshotWriter writer;
    QSignalSpy done(&writer, &SnapshotWriter::finished);
    const QDateTime when(QDate(2022, 1, 2), QTime(3, 4, 5, 6));
    QCOMPARE(writer.take(player, dir.path() + "/", format, when), SnapshotWriter::Saving);
    // the engine's buffer is back before the save even runs
    QCOMPARE(orvfake::player("P1")->captures, 0);
    QVERIFY(done.wait(5000));
    QCOMPARE(done.at(0).at(0).toBool(), true);
    const QString path = done.at(0).at(1).toString();
    QCOMPARE(path, dir.path() + "/02-01-2022 03-04-05.006_kestrova." + format.toLower());
    QCOMPARE(orvfake::calls("Player_CaptureVideoImage("),
             std::vector<std::string>{"Player_CaptureVideoImage(P1, 96, 64)"});

    QImage image(path);
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), QSize(96, 64));
    const QColor c = image.pixelColor(48, 32);
    QVERIFY2(qAbs(c.red() - 0x33) <= tolerance && qAbs(c.green() - 0x66) <= tolerance
                 && qAbs(c.blue() - 0xCC) <= tolerance,
             qPrintable(c.name()));
    Player_Release(player);
}

void TestEditorLogic::snapshotNotTaken()
{
    QTemporaryDir dir;
    orvfake::setMedia("/clips/a.mov", orvfake::MediaFacts{});
    PlayerHandle player = Player_Create(-1);
    QVERIFY(Player_Open(player, "/clips/a.mov"));
    SnapshotWriter writer;
    QSignalSpy done(&writer, &SnapshotWriter::finished);

    // a missing folder: nothing asked of the engine
    QCOMPARE(writer.take(player, dir.path() + "/gone", "PNG"), SnapshotWriter::FolderMissing);
    QVERIFY(orvfake::calls("Player_CaptureVideoImage(").empty());
    QCOMPARE(writer.take(nullptr, dir.path(), "PNG"), SnapshotWriter::NoPicture);

    // a save that fails still gives the buffer back and reports the failure
    const QDateTime when(QDate(2022, 1, 2), QTime(3, 4, 5, 6));
    QVERIFY(QDir(dir.path()).mkdir(SnapshotWriter::fileName(when, "PNG")));
    QCOMPARE(writer.take(player, dir.path(), "PNG", when), SnapshotWriter::Saving);
    QVERIFY(done.wait(5000));
    QCOMPARE(done.at(0).at(0).toBool(), false);
    QCOMPARE(orvfake::player("P1")->captures, 0);

    // a player that reports no picture size: a failed snapshot, no capture
    orvfake::clearCalls();
    orvfake::setResult("Player_GetOutputWidth", 0);
    QCOMPARE(writer.take(player, dir.path(), "PNG"), SnapshotWriter::EmptyPicture);
    QVERIFY(orvfake::calls("Player_CaptureVideoImage(").empty());
    Player_Release(player);
}

QTEST_GUILESS_MAIN(TestEditorLogic)
#include "tst_editorlogic.moc"
