// The OpenGL frame view under a real X server: texture geometry, both
// upload paths, frames from another thread, and rows of odd byte length.
#include "QVideoShowWidget.h"
#include "VideoImageWindow.h"

#include <orvalta.h>
#include <orvalta_fake_control.h>

#include <QtTest>

#include <algorithm>
#include <thread>
#include <vector>

namespace {

struct YuvFrame
{
    uint width = 0, height = 0;
    uint strides[3] = {0, 0, 0};
    std::vector<uchar> planes[3];
    uchar* data[3] = {nullptr, nullptr, nullptr};

    YuvFrame(uint w, uint h, uint sy, uint su, uint sv)
        : width(w)
        , height(h)
        , strides{sy, su, sv}
    {
        planes[0].assign(size_t(sy) * h, 81);
        planes[1].assign(size_t(su) * ((h + 1) / 2), 90);
        planes[2].assign(size_t(sv) * ((h + 1) / 2), 240);
        for (int i = 0; i < 3; ++i)
            data[i] = planes[i].data();
    }
};

QColor centre(QVideoShowWidget* view)
{
    const QImage image = view->grabFramebuffer();
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

bool near(const QColor& actual, const QColor& expected, int tolerance = 16)
{
    return qAbs(actual.red() - expected.red()) <= tolerance
        && qAbs(actual.green() - expected.green()) <= tolerance
        && qAbs(actual.blue() - expected.blue()) <= tolerance;
}

} // namespace

class TestFrameView : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void allocatesPowerOfTwoTextures_data();
    void allocatesPowerOfTwoTextures();
    void reallocatesOnlyWhenStridesGrow();
    void drawsFramesHandedFromAnotherThread_data();
    void drawsFramesHandedFromAnotherThread();
    void uploadsRowsOfOddLength();
    void tinyPicturesFillTheViewWithTheirOwnColour_data();
    void tinyPicturesFillTheViewWithTheirOwnColour();
    void packedHandOverWithoutDataEmptiesView();

private:
    VideoImageWindow* m_surface = nullptr;
    QVideoShowWidget* m_view = nullptr;
};

void TestFrameView::init()
{
    m_surface = new VideoImageWindow;
    m_surface->resize(640, 360);
    m_surface->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_surface));
    m_surface->setVideoSize(640, 360);
    m_view = m_surface->videoView();
    QVERIFY(m_view->acceptsFrames());
    QTRY_VERIFY(m_view->context() != nullptr);
}

void TestFrameView::cleanup()
{
    delete m_surface;
    m_surface = nullptr;
}

void TestFrameView::allocatesPowerOfTwoTextures_data()
{
    QTest::addColumn<bool>("yuv");
    QTest::addColumn<QSize>("frame");
    QTest::addColumn<QVector<uint>>("strides");
    QTest::addColumn<QSize>("texture");
    QTest::addColumn<float>("s");
    QTest::addColumn<float>("t");
    QTest::newRow("packed 1080p") << false << QSize(1920, 1080) << QVector<uint>{7680} << QSize(2048, 2048)
                                  << 0.9375f << 0.52734375f;
    QTest::newRow("packed small, at least 128")
        << false << QSize(100, 50) << QVector<uint>{400} << QSize(128, 128) << 0.78125f << 0.390625f;
    QTest::newRow("yuv 720p") << true << QSize(1280, 720) << QVector<uint>{1280, 640, 640}
                              << QSize(2048, 1024) << 0.625f << 0.703125f;
}

void TestFrameView::allocatesPowerOfTwoTextures()
{
    QFETCH(bool, yuv);
    QFETCH(QSize, frame);
    QFETCH(QVector<uint>, strides);
    QFETCH(QSize, texture);
    QFETCH(float, s);
    QFETCH(float, t);
    const uint w = uint(frame.width()), h = uint(frame.height());
    if (yuv) {
        YuvFrame f(w, h, strides[0], strides[1], strides[2]);
        m_view->showYUVImage(f.data, w, h, f.strides);
        QVERIFY(m_view->hasYuvProgram());
    } else {
        std::vector<uchar> pixels(size_t(strides[0]) * h, 0x80);
        m_view->showImage(pixels.data(), w, h, strides[0]);
    }
    QCOMPARE(m_view->textureWidth(), texture.width());
    QCOMPARE(m_view->textureHeight(), texture.height());
    QCOMPARE(m_view->texS(), s);
    QCOMPARE(m_view->texT(), t);
    QCOMPARE(m_view->framesUploaded(), 1);
}

void TestFrameView::reallocatesOnlyWhenStridesGrow()
{
    YuvFrame narrow(1000, 480, 1024, 512, 512);
    m_view->showYUVImage(narrow.data, 1000, 480, narrow.strides);
    QCOMPARE(m_view->textureWidth(), 1024);
    YuvFrame wide(1000, 480, 1088, 544, 544);
    m_view->showYUVImage(wide.data, 1000, 480, wide.strides);
    QCOMPARE(m_view->textureWidth(), 2048);
    m_view->showYUVImage(narrow.data, 1000, 480, narrow.strides);
    QCOMPARE(m_view->textureWidth(), 2048);
    QCOMPARE(m_view->framesUploaded(), 3);
}

void TestFrameView::drawsFramesHandedFromAnotherThread_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("yuv red") << int(ORV_FRAME_YUV420P) << QColor(255, 0, 0);
    QTest::newRow("yuv green") << int(ORV_FRAME_YUV420P) << QColor(0, 255, 0);
    QTest::newRow("bgra blue") << int(ORV_FRAME_BGRA) << QColor(0, 0, 255);
}

void TestFrameView::drawsFramesHandedFromAnotherThread()
{
    QFETCH(int, format);
    QFETCH(QColor, colour);
    orvfake::reset();
    orvfake::MediaFacts facts;
    facts.width = 320;
    facts.height = 180;
    facts.pictureArgb = colour.rgba();
    orvfake::setMedia("/clip.mp4", facts);
    orvfake::PlaybackScript script;
    script.frameFormat = format;
    orvfake::setPlaybackScript(script);

    PlayerHandle player = Player_Create(27);
    QVERIFY(Player_Open(player, "/clip.mp4"));
    Player_SetVideoFrameHandle(player, VideoImageWindow::VideoFrameLoops, m_surface);
    QVERIFY(Player_Play(player));
    bool delivered = false;
    std::thread engineThread([&] { delivered = orvfake::deliverFrame(orvfake::label(player)); });
    engineThread.join();
    QVERIFY(delivered);
    QTRY_COMPARE(m_view->framesUploaded(), 1);
    QCOMPARE(m_view->frameWidth(), 320u);
    const QColor drawn = centre(m_view);
    QVERIFY2(near(drawn, colour), qPrintable(drawn.name()));
    Player_Close(player);
    Player_Release(player);
}

void TestFrameView::uploadsRowsOfOddLength()
{
    // Luma rows of 322 bytes and chroma rows of 161: neither is a multiple
    // of 4. The left half is red and the right half blue, so rows read at
    // the wrong offsets would mix the two.
    const uint w = 322, h = 242;
    YuvFrame f(w, h, 322, 161, 161);
    for (uint y = 0; y < h; ++y)
        for (uint x = 0; x < w; ++x)
            f.planes[0][y * 322 + x] = x < w / 2 ? 81 : 41;
    for (uint y = 0; y < h / 2; ++y)
        for (uint x = 0; x < 161; ++x) {
            f.planes[1][y * 161 + x] = x < 161 / 2 ? 90 : 240;
            f.planes[2][y * 161 + x] = x < 161 / 2 ? 240 : 110;
        }
    m_view->showYUVImage(f.data, w, h, f.strides);
    const QImage image = m_view->grabFramebuffer();
    for (double fy : {0.1, 0.5, 0.9}) {
        const int y = int(image.height() * fy);
        const QColor left = image.pixelColor(image.width() / 5, y);
        const QColor right = image.pixelColor(image.width() * 4 / 5, y);
        QVERIFY2(near(left, QColor(255, 0, 0), 24),
                 qPrintable(QStringLiteral("row %1 left %2").arg(y).arg(left.name())));
        QVERIFY2(near(right, QColor(0, 0, 255), 24),
                 qPrintable(QStringLiteral("row %1 right %2").arg(y).arg(right.name())));
    }
}

void TestFrameView::tinyPicturesFillTheViewWithTheirOwnColour_data()
{
    QTest::addColumn<bool>("yuv");
    QTest::addColumn<QSize>("size");
    for (const bool yuv : {false, true})
        for (const QSize size : {QSize(1, 1), QSize(1, 7), QSize(2, 8), QSize(3, 5), QSize(5, 3), QSize(8, 2),
                                 QSize(9, 9), QSize(16, 1), QSize(17, 9)})
            QTest::addRow("%s %dx%d", yuv ? "yuv" : "packed", size.width(), size.height()) << yuv << size;
}

// A picture a few pixels across, magnified to the whole view: every pixel
// drawn is the picture's colour, none blends with the rows' padding (here
// magenta, as a stale buffer may hold) or with the texture beyond it.
void TestFrameView::tinyPicturesFillTheViewWithTheirOwnColour()
{
    QFETCH(bool, yuv);
    QFETCH(QSize, size);
    const uint w = uint(size.width()), h = uint(size.height());
    const QColor red(255, 0, 0);
    if (yuv) {
        const uint cw = (w + 1) / 2;
        YuvFrame f(w, h, 64, 32, 32);
        for (uint y = 0; y < h; ++y)
            std::fill(f.planes[0].begin() + y * 64 + w, f.planes[0].begin() + (y + 1) * 64, uchar(105));
        for (uint y = 0; y < (h + 1) / 2; ++y) {
            std::fill(f.planes[1].begin() + y * 32 + cw, f.planes[1].begin() + (y + 1) * 32, uchar(212));
            std::fill(f.planes[2].begin() + y * 32 + cw, f.planes[2].begin() + (y + 1) * 32, uchar(235));
        }
        m_view->showYUVImage(f.data, w, h, f.strides);
    } else {
        const uint stride = (4 * w + 63) / 64 * 64 + 64;
        std::vector<uchar> pixels(size_t(stride) * h);
        for (uint y = 0; y < h; ++y)
            for (uint x = 0; x < stride / 4; ++x) {
                uchar* p = pixels.data() + y * stride + x * 4;
                const bool inside = x < w;
                p[0] = inside ? 0 : 255; // B, G, R, A
                p[1] = 0;
                p[2] = 255;
                p[3] = 255;
            }
        m_view->showImage(pixels.data(), w, h, stride);
    }
    QCOMPARE(m_view->framesUploaded(), 1);
    const QImage image = m_view->grabFramebuffer();
    QVERIFY(!image.isNull());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor seen = image.pixelColor(x, y);
            if (!near(seen, red, 24))
                QFAIL(qPrintable(QStringLiteral("%1,%2 of %3x%4 is %5")
                                     .arg(x)
                                     .arg(y)
                                     .arg(image.width())
                                     .arg(image.height())
                                     .arg(seen.name())));
        }
}

void TestFrameView::packedHandOverWithoutDataEmptiesView()
{
    std::vector<uchar> white(size_t(64) * 4 * 64, 0xFF);
    m_view->showImage(white.data(), 64, 64, 256);
    QVERIFY(near(centre(m_view), Qt::white));
    m_view->showImage(nullptr, 64, 64, 256);
    QCOMPARE(m_view->frameWidth(), 0u);
    QCOMPARE(m_view->textureWidth(), 0);
    QVERIFY(near(centre(m_view), Qt::black));
}

QTEST_MAIN(TestFrameView)
#include "tst_frameview.moc"
