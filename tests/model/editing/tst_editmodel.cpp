// The editor's widget-free part: the crop arithmetic and the editing state.
// Its snapshot settings file is tested with the model.
#include "editing/EditArithmetic.h"
#include "editing/EditingState.h"

#include <QtTest>

using namespace EditArithmetic;

class TestEditModel : public QObject
{
    Q_OBJECT
private slots:
    void cropPixelSize_data();
    void cropPixelSize();
    void ratioChoices_data();
    void ratioChoices();
    void orientation_data();
    void orientation();
    void proportionKept_data();
    void proportionKept();
    void stateStoresThenAnnounces();
    void stateKeepsTheDrag();
};

void TestEditModel::cropPixelSize_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<double>("f");
    QTest::addColumn<int>("pixels");
    QTest::newRow("whole") << 1920 << 1.0 << 1920;
    QTest::newRow("half") << 1920 << 0.5 << 960;
    QTest::newRow("0.3 of 1920 rounds up then to even") << 1920 << 0.3 << 576;
    QTest::newRow("zero") << 1920 << 0.0 << 0;
    QTest::newRow("beyond one is the whole") << 1080 << 1.5 << 1080;
    QTest::newRow("odd whole stays odd") << 241 << 1.0 << 241;
    QTest::newRow("nearly whole of an odd size") << 241 << 0.999 << 241;
}

void TestEditModel::cropPixelSize()
{
    QFETCH(int, n);
    QFETCH(double, f);
    QFETCH(int, pixels);
    QCOMPARE(EditArithmetic::cropPixelSize(n, f), pixels);
}

void TestEditModel::ratioChoices_data()
{
    QTest::addColumn<int>("chosen");
    QTest::addColumn<double>("cropW");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("aw");
    QTest::addColumn<int>("ah");
    QTest::newRow("original aspect") << 0 << 1.0 << 0 << 0 << 0;
    QTest::newRow("original size, half crop") << 1 << 0.5 << 1 << 960 << 540;
    QTest::newRow("original size, empty crop is at least 2") << 1 << 0.0 << 1 << 2 << 540;
    QTest::newRow("full screen takes the output frame") << 2 << 1.0 << 2 << 1280 << 720;
    QTest::newRow("16:9") << 3 << 1.0 << 3 << 16 << 9;
    QTest::newRow("4:3") << 4 << 1.0 << 4 << 4 << 3;
    QTest::newRow("no radio") << 6 << 1.0 << 0 << 0 << 0;
}

void TestEditModel::ratioChoices()
{
    QFETCH(int, chosen);
    QFETCH(double, cropW);
    QFETCH(int, type);
    QFETCH(int, aw);
    QFETCH(int, ah);
    CropSettings s;
    s.crop_w = cropW;
    s.crop_h = 0.5;
    applyRatioChoice(s, chosen, 1920, 1080, 1280, 720);
    QCOMPARE(s.ratio_type, type);
    QCOMPARE(s.aspect_width, aw);
    QCOMPARE(s.aspect_height, ah);
}

void TestEditModel::orientation_data()
{
    QTest::addColumn<QString>("buttons");
    QTest::addColumn<int>("rotate");
    QTest::addColumn<int>("mirror");
    QTest::addColumn<int>("rotateAfter");
    QTest::addColumn<int>("mirrorAfter");
    QTest::newRow("left") << "L" << 0 << 0 << 270 << 0;
    QTest::newRow("left mirrored") << "L" << 0 << 1 << 90 << 1;
    QTest::newRow("right") << "R" << 90 << 0 << 180 << 0;
    QTest::newRow("right mirrored") << "R" << 90 << 1 << 0 << 1;
    QTest::newRow("left four times") << "LLLL" << 90 << 0 << 90 << 0;
    QTest::newRow("horizontal") << "H" << 270 << 0 << 270 << 1;
    QTest::newRow("vertical twice") << "VV" << 90 << 1 << 90 << 1;
    QTest::newRow("horizontal then vertical") << "HV" << 0 << 0 << 180 << 0;
}

void TestEditModel::orientation()
{
    QFETCH(QString, buttons);
    QFETCH(int, rotate);
    QFETCH(int, mirror);
    QFETCH(int, rotateAfter);
    QFETCH(int, mirrorAfter);
    CropSettings s;
    s.rotate = rotate;
    s.mirror = mirror;
    for (const QChar b : buttons) {
        if (b == 'L')
            rotateLeft(s);
        else if (b == 'R')
            rotateRight(s);
        else if (b == 'H')
            flipHorizontal(s);
        else
            flipVertical(s);
    }
    QCOMPARE(s.rotate, rotateAfter);
    QCOMPARE(s.mirror, mirrorAfter);
}

void TestEditModel::proportionKept_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QRectF>("press");
    QTest::addColumn<QRectF>("dragged");
    QTest::addColumn<QRectF>("expected");
    // Pressed on the whole picture: width and height fractions stay equal.
    const QRectF whole(0, 0, 1, 1);
    QTest::newRow("bottom-right, too wide") << 5 << whole << QRectF(0, 0, 0.8, 0.6) << QRectF(0, 0, 0.8, 0.8);
    QTest::newRow("bottom-right, too tall") << 5 << whole << QRectF(0, 0, 0.5, 0.7) << QRectF(0, 0, 0.7, 0.7);
    QTest::newRow("top-left keeps the bottom edge")
        << 1 << whole << QRectF(0.2, 0.4, 0.8, 0.6) << QRectF(0.2, 0.2, 0.8, 0.8);
    QTest::newRow("left edge: height follows")
        << 3 << whole << QRectF(0.3, 0, 0.7, 1.0) << QRectF(0.3, 0, 0.7, 0.7);
    QTest::newRow("bottom edge: width follows")
        << 8 << whole << QRectF(0, 0, 1.0, 0.5) << QRectF(0, 0, 0.5, 0.5);
    QTest::newRow("move leaves it") << 9 << whole << QRectF(0.1, 0.1, 0.5, 0.3) << QRectF(0.1, 0.1, 0.5, 0.3);
    // A 2:1 box grown past the picture by each grip shrinks back inside,
    // keeping 2:1 and the edges the grip holds still.
    const struct
    {
        const char* name;
        int mode;
        QRectF press, dragged, expected;
    } clamped[] = {
        {"top-left past the left", 1, {0.3, 0.3, 0.4, 0.2}, {0, 0, 0.7, 0.5}, {0, 0.15, 0.7, 0.35}},
        {"bottom-left past the left", 2, {0.3, 0.5, 0.4, 0.2}, {0, 0.5, 0.7, 0.5}, {0, 0.5, 0.7, 0.35}},
        {"left edge past the bottom", 3, {0.3, 0.7, 0.4, 0.2}, {0, 0.7, 0.7, 0.2}, {0.1, 0.7, 0.6, 0.3}},
        {"top-right past the right", 4, {0.3, 0.3, 0.4, 0.2}, {0.3, 0, 0.7, 0.5}, {0.3, 0.15, 0.7, 0.35}},
        {"bottom-right past the right",
         5,
         {0.5, 0.5, 0.4, 0.2},
         {0.5, 0.5, 0.4, 0.45},
         {0.5, 0.5, 0.5, 0.25}},
        {"right edge past the bottom", 6, {0.3, 0.7, 0.4, 0.2}, {0.3, 0.7, 0.7, 0.2}, {0.3, 0.7, 0.6, 0.3}},
        {"top edge past the right", 7, {0.5, 0.3, 0.4, 0.2}, {0.5, 0, 0.4, 0.5}, {0.5, 0.25, 0.5, 0.25}},
        {"bottom edge past the right", 8, {0.5, 0.3, 0.4, 0.2}, {0.5, 0.3, 0.4, 0.7}, {0.5, 0.3, 0.5, 0.25}},
    };
    for (const auto& c : clamped)
        QTest::newRow(c.name) << c.mode << c.press << c.dragged << c.expected;
}

void TestEditModel::proportionKept()
{
    QFETCH(int, mode);
    QFETCH(QRectF, press);
    QFETCH(QRectF, dragged);
    QFETCH(QRectF, expected);
    EditRect box{dragged.x(), dragged.y(), dragged.width(), dragged.height()};
    keepProportion(box, EditRect{press.x(), press.y(), press.width(), press.height()}, mode);
    QVERIFY2(qAbs(box.x - expected.x()) < 1e-9 && qAbs(box.y - expected.y()) < 1e-9
                 && qAbs(box.w - expected.width()) < 1e-9 && qAbs(box.h - expected.height()) < 1e-9,
             qPrintable(QString("%1 %2 %3 %4").arg(box.x).arg(box.y).arg(box.w).arg(box.h)));
}

// Each change is stored before it is announced: a listener reads the state
// and finds what it is told of.
void TestEditModel::stateStoresThenAnnounces()
{
    EditingState state;
    QStringList seen;
    connect(&state, &EditingState::cropChanged,
            [&](CropSettings s) { seen << QString("crop %1 %2").arg(s.rotate).arg(state.crop().rotate); });
    connect(&state, &EditingState::textChanged,
            [&](WatermarkTextSettings s) { seen << QString("text %1 %2").arg(s.text, state.text().text); });
    connect(&state, &EditingState::imageChanged, [&](WatermarkImageSettings s) {
        seen << QString("image %1 %2").arg(s.image_file, state.image().image_file);
    });
    connect(&state, &EditingState::subtitleChanged, [&](SubtitleSettings s) {
        seen << QString("subtitle %1 %2").arg(s.delay).arg(state.subtitle().delay);
    });
    connect(&state, &EditingState::watermarkBordersChanged, [&](bool on) {
        seen << QString("borders %1 %2 %3").arg(on).arg(state.text().border).arg(state.image().border);
    });
    connect(&state, &EditingState::trimChanged, [&](uint64_t start, uint64_t end) {
        seen << QString("trim %1-%2 %3-%4").arg(start).arg(end).arg(state.trimStart()).arg(state.trimEnd());
    });
    connect(&state, &EditingState::subtitleStreamsChanged,
            [&](int n) { seen << QString("streams %1 %2").arg(n).arg(state.subtitleStreams()); });

    CropSettings crop;
    crop.rotate = 90;
    state.changeCrop(crop);
    WatermarkTextSettings text;
    text.text = "mark";
    state.changeText(text);
    WatermarkImageSettings image;
    image.image_file = "logo.png";
    state.changeImage(image);
    SubtitleSettings subtitle;
    subtitle.delay = -250;
    state.changeSubtitle(subtitle);
    state.changeWatermarkBorders(true);
    state.changeTrim(5, 15);
    state.changeSubtitleStreams(3);
    QCOMPARE(seen,
             QStringList({"crop 90 90", "text mark mark", "image logo.png logo.png", "subtitle -250 -250",
                          "borders 1 1 1", "trim 5-15 5-15", "streams 3 3"}));

    // the borders leave the rest of the watermark records as they were
    state.changeWatermarkBorders(false);
    QCOMPARE(state.text().text, QString("mark"));
    QCOMPARE(state.text().border, 0);
    QCOMPARE(state.image().image_file, QString("logo.png"));
}

void TestEditModel::stateKeepsTheDrag()
{
    EditingState state;
    state.pressWatermark(true, 3, QPoint(10, 20), EditRect{0.1, 0.2, 0.3, 0.4}, 150.0, 50.0);
    QCOMPARE(state.drag().textMode, 3);
    QCOMPARE(state.drag().imageMode, 0);
    QCOMPARE(state.drag().pressPos, QPoint(10, 20));
    QCOMPARE(state.drag().startRect.w, 0.3);
    QCOMPARE(state.drag().startScaleX, 150.0);
    QCOMPARE(state.drag().startScaleY, 50.0);
    state.pressCrop(5, QPoint(1, 2), EditRect{0, 0, 0.5, 0.5});
    QCOMPARE(state.drag().cropMode, 5);
    QCOMPARE(state.drag().pressPos, QPoint(1, 2));
    QCOMPARE(state.drag().startRect.h, 0.5);
    state.releaseWatermark(false);
    QCOMPARE(state.drag().textMode, 3); // the other layer's drag goes on
    state.releaseWatermark(true);
    state.releaseCrop();
    QCOMPARE(state.drag().textMode, 0);
    QCOMPARE(state.drag().cropMode, 0);
}

QTEST_GUILESS_MAIN(TestEditModel)
#include "tst_editmodel.moc"
