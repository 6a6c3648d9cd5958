// Picture geometry: the arithmetic on its own, then converted pixels of the
// quadrant fixture (red, green / blue, white).
#include "engine_test_util.h"
#include "process/geometry.h"

using namespace etest;

namespace {

const Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255};

// colours of the four quadrants of a picture, sampled inside each
QVector<Rgb> quadrants(const Picture& p)
{
    return {p.at(p.w / 4, p.h / 4), p.at(3 * p.w / 4, p.h / 4), p.at(p.w / 4, 3 * p.h / 4),
            p.at(3 * p.w / 4, 3 * p.h / 4)};
}

} // namespace

class TestEngineGeometry : public QObject
{
    Q_OBJECT

private slots:
    void cropSizeRule_data();
    void cropSizeRule();
    void fitRectangle();
    void rotateMirror_data();
    void rotateMirror();
    void cropRightHalf();
    void padColourAndStretch();

private:
    Picture convertQuad(Config c, const QString& name, const QString& src = "quad.mp4");
    QTemporaryDir m_dir;
};

void TestEngineGeometry::cropSizeRule_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<double>("f");
    QTest::addColumn<int>("size");
    QTest::newRow("whole") << 320 << 1.0 << 320;
    QTest::newRow("half") << 320 << 0.5 << 160;
    QTest::newRow("rounded up then even") << 321 << 0.5 << 160;
    QTest::newRow("never below 2") << 320 << 0.0 << 2;
    QTest::newRow("clamped") << 240 << 7.0 << 240;
}

void TestEngineGeometry::cropSizeRule()
{
    QFETCH(int, n);
    QFETCH(double, f);
    QFETCH(int, size);
    QCOMPARE(orv::cropSize(n, f), size);
}

void TestEngineGeometry::fitRectangle()
{
    orv::GeometryInput in;
    in.srcW = 320;
    in.srcH = 240;
    in.outW = 640;
    in.outH = 360;
    in.aspectW = 16;
    in.aspectH = 9;
    orv::GeometryPlan p = orv::planGeometry(in);
    QCOMPARE(QRect(p.fitX, p.fitY, p.fitW, p.fitH), QRect(0, 0, 640, 360));
    // a rotated 16:9 picture becomes 9:16 inside the same frame
    in.rotate = 90;
    p = orv::planGeometry(in);
    QCOMPARE(p.fitH, 360);
    QCOMPARE(p.fitW, 202);
    QCOMPARE(p.fitX % 2, 0);
    QCOMPARE(p.scaleW, 360); // scaled before the transform, so swapped
    QCOMPARE(p.scaleH, 202);
    in.pad = false;
    p = orv::planGeometry(in);
    QCOMPARE(QRect(p.fitX, p.fitY, p.fitW, p.fitH), QRect(0, 0, 640, 360));
}

Picture TestEngineGeometry::convertQuad(Config c, const QString& name, const QString& src)
{
    Config_SetVideoFormat(c, 28);
    Config_SetAudioFormat(c, -1);
    const QString dst = m_dir.filePath(name + ".mkv");
    if (convert(fixture(src), dst, "mkv", c) != 0)
        return Picture();
    return grab(dst, 0.2);
}

void TestEngineGeometry::rotateMirror_data()
{
    QTest::addColumn<int>("rotate");
    QTest::addColumn<bool>("mirror");
    QTest::addColumn<QVector<int>>("order"); // source quadrant shown at TL, TR, BL, BR
    QTest::newRow("0") << 0 << false << QVector<int>{0, 1, 2, 3};
    QTest::newRow("0 mirror") << 0 << true << QVector<int>{1, 0, 3, 2};
    QTest::newRow("90") << 90 << false << QVector<int>{2, 0, 3, 1};
    QTest::newRow("90 mirror") << 90 << true << QVector<int>{0, 2, 1, 3};
    QTest::newRow("180") << 180 << false << QVector<int>{3, 2, 1, 0};
    QTest::newRow("180 mirror") << 180 << true << QVector<int>{2, 3, 0, 1};
    QTest::newRow("270") << 270 << false << QVector<int>{1, 3, 0, 2};
    QTest::newRow("270 mirror") << 270 << true << QVector<int>{3, 1, 2, 0};
}

void TestEngineGeometry::rotateMirror()
{
    QFETCH(int, rotate);
    QFETCH(bool, mirror);
    QFETCH(QVector<int>, order);
    Config c = Config_Create();
    Config_SetVideoRotate(c, rotate);
    Config_SetVideoMirror(c, mirror);
    Config_SetVideoPadAndColor(c, 0, 0xFF000000);
    const Picture p = convertQuad(c, QString("rot%1_%2").arg(rotate).arg(mirror));
    Config_Release(c);
    QCOMPARE(p.w, 320);
    const QVector<Rgb> src{kRed, kGreen, kBlue, kWhite};
    const QVector<Rgb> got = quadrants(p);
    for (int i = 0; i < 4; ++i)
        QVERIFY2(near(got[i], src[order[i]]),
                 qPrintable(QString("quadrant %1: %2").arg(i).arg(colourName(got[i]))));
}

void TestEngineGeometry::cropRightHalf()
{
    Config c = Config_Create();
    Config_SetVideoCropf(c, 0.5, 0.0, 0.5, 1.0);
    Config_SetVideoSize(c, 160, 240);
    Config_SetVideoPadAndColor(c, 0, 0xFF000000);
    const Picture p = convertQuad(c, "crop");
    Config_Release(c);
    QCOMPARE(p.w, 160);
    QVERIFY(near(p.at(80, 40), kGreen));
    QVERIFY(near(p.at(80, 200), kWhite));
    QVERIFY(near(p.at(5, 5), kGreen)); // no red left over at the cut
}

void TestEngineGeometry::padColourAndStretch()
{
    // 4:3 into 16:9 with pad: bars in the pad colour at both sides
    Config c = Config_Create();
    Config_SetVideoSize(c, 640, 360);
    Config_SetVideoPadAndColor(c, 1, 0xFF0000FF);
    Picture p = convertQuad(c, "pad");
    QCOMPARE(p.w, 640);
    QVERIFY2(near(p.at(20, 180), kBlue), qPrintable(colourName(p.at(20, 180))));
    QVERIFY(near(p.at(620, 180), kBlue));
    QVERIFY(near(p.at(200, 90), kRed));
    QVERIFY(near(p.at(440, 270), kWhite));
    // pad 0 stretches: red reaches the left edge
    Config_SetVideoPadAndColor(c, 0, 0xFF0000FF);
    p = convertQuad(c, "stretch");
    QVERIFY(near(p.at(8, 90), kRed));
    QVERIFY(near(p.at(632, 270), kWhite));
    // an auto-rotated source comes out upright, as the CLI shows it
    Config_SetVideoSize(c, 0, 0);
    p = convertQuad(c, "autorot", "quad_rot.mp4");
    const Picture ref = grab(fixture("quad_rot.mp4"));
    QCOMPARE(p.w, 240);
    QCOMPARE(p.h, 320);
    const QVector<Rgb> a = quadrants(p), b = quadrants(ref);
    for (int i = 0; i < 4; ++i)
        QVERIFY(near(a[i], b[i]));
    Config_Release(c);
}

QTEST_GUILESS_MAIN(TestEngineGeometry)
#include "tst_engine_geometry.moc"
