// Layer compositor: watermarks, subtitles and borders drawn on generated
// frames, checked pixel by pixel.
// Links the engine's internal library; needs the ffmpeg command-line tool for its fixtures.
#include "core/paths.h"
#include "layers/layer_stack.h"
#include "orvalta.h"
#include "text/ass_text.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

extern "C" {
#include <libavutil/frame.h>
}

#include <memory>

#include <sys/stat.h>

using orv::LayerSettings;
using orv::LayerStack;

namespace {

struct FrameDeleter
{
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
using Frame = std::unique_ptr<AVFrame, FrameDeleter>;

Frame blackFrame(int w, int h)
{
    Frame f(av_frame_alloc());
    f->format = AV_PIX_FMT_YUV420P;
    f->width = w;
    f->height = h;
    if (av_frame_get_buffer(f.get(), 32) < 0)
        return nullptr;
    for (int y = 0; y < h; ++y)
        memset(f->data[0] + y * f->linesize[0], 16, size_t(w));
    for (int p = 1; p < 3; ++p)
        for (int y = 0; y < (h + 1) / 2; ++y)
            memset(f->data[p] + y * f->linesize[p], 128, size_t((w + 1) / 2));
    return f;
}

struct Yuv
{
    int y, u, v;
};

Yuv pixel(const AVFrame* f, int x, int y)
{
    return {f->data[0][y * f->linesize[0] + x], f->data[1][(y / 2) * f->linesize[1] + x / 2],
            f->data[2][(y / 2) * f->linesize[2] + x / 2]};
}

bool near(const Yuv& a, const Yuv& b, int tol = 6)
{
    return std::abs(a.y - b.y) <= tol && std::abs(a.u - b.u) <= tol && std::abs(a.v - b.v) <= tol;
}

// Luma pixels brighter than `level` in a rectangle.
int brightCount(const AVFrame* f, int x0, int y0, int x1, int y1, int level = 128)
{
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            n += f->data[0][y * f->linesize[0] + x] > level;
    return n;
}

const Yuv kBlack{16, 128, 128};
const Yuv kMagenta{107, 202, 222}; // BT.601 limited range
const Yuv kGreen{145, 54, 34};

const char* kBlock = "\xE2\x96\x88"; // U+2588 FULL BLOCK

} // namespace

class TestLayers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void imageWatermark_data();
    void imageWatermark();
    void badImageFails_data();
    void badImageFails();
    void textWatermarkColourAndBorder();
    void layerOrder_data();
    void layerOrder();
    void textIsLiteral_data();
    void textIsLiteral();
    void textBoxFollowsFrameHeight();
    void subtitleFileTiming_data();
    void subtitleFileTiming();
    void subtitleFileErrors();
    void pickedFileStatus_data();
    void pickedFileStatus();
    void embeddedStreamIsReadAhead();
    void scriptStylesTakeOurFields();
    void closedCaptions();

private:
    bool ffmpeg(const QStringList& args);
    QString path(const char* name) const { return m_dir.filePath(QString::fromUtf8(name)); }
    void writeFile(const char* name, const QByteArray& bytes);

    QTemporaryDir m_dir;
};

bool TestLayers::ffmpeg(const QStringList& args)
{
    QProcess p;
    p.start("ffmpeg", QStringList{"-v", "error", "-y"} + args);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void TestLayers::writeFile(const char* name, const QByteArray& bytes)
{
    QFile f(path(name));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

void TestLayers::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString magenta = "color=c=magenta:s=32x32";
    QVERIFY(ffmpeg({"-f", "lavfi", "-i", magenta, "-frames:v", "1", path("wm.png")}));
    QVERIFY(ffmpeg({"-f", "lavfi", "-i", magenta, "-vf", "format=rgba,colorchannelmixer=aa=0.5", "-frames:v",
                    "1", path("wm_half.png")}));
    QVERIFY(ffmpeg({"-f", "lavfi", "-i", magenta, "-frames:v", "1", "-q:v", "2", path("wm.jpg")}));
    QVERIFY(ffmpeg({"-f", "lavfi", "-i", magenta, "-frames:v", "1", path("wm.bmp")}));
    QVERIFY(ffmpeg({"-f", "lavfi", "-i", magenta, "-frames:v", "2", path("wm.gif")}));

    writeFile("noise.png", QByteArray("\x89PNG\r\n\x1a\n") + QByteArray(200, '\x5a'));
    writeFile("text.png", "just some text, not a picture\n");
    writeFile("empty.png", "");

    writeFile("red.ass",
              QByteArray("[Script Info]\nScriptType: v4.00+\nPlayResX: 640\nPlayResY: 480\n\n"
                         "[V4+ Styles]\nFormat: Name, Fontname, Fontsize, PrimaryColour, "
                         "SecondaryColour, OutlineColour, BackColour, Bold, Italic, Underline, "
                         "StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, "
                         "Shadow, Alignment, MarginL, MarginR, MarginV, Encoding\n"
                         "Style: Default,Arial,20,&H000000FF,&H000000FF,&H00000000,&H00000000,"
                         "0,0,0,0,100,100,0,0,1,0,0,2,10,10,10,1\n\n"
                         "[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, "
                         "MarginV, Effect, Text\n"
                         "Dialogue: 0,0:00:00.50,0:00:01.50,Default,,0,0,0,,")
                  + kBlock + kBlock + "\n");
    writeFile("subs.srt", QByteArray("1\n00:00:00,500 --> 00:00:01,500\n") + kBlock + "\n\n");
    // "é" in Windows-1252, which is not UTF-8.
    writeFile("cp1252.srt", "1\n00:00:00,500 --> 00:00:01,500\ncaf\xE9\n\n");
    QVERIFY(ffmpeg({"-f", "lavfi", "-i", "color=c=black:s=160x120:d=4:r=10", "-i", path("subs.srt"), "-c:v",
                    "mpeg4", "-c:s", "srt", "-map", "0:v", "-map", "1:s", path("sub.mkv")}));
}

void TestLayers::imageWatermark_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("scale");
    QTest::addColumn<int>("alpha");
    QTest::addColumn<int>("expectY"); // luma inside the box over black

    QTest::newRow("png") << "wm.png" << 100 << 255 << kMagenta.y;
    QTest::newRow("png 200%") << "wm.png" << 200 << 255 << kMagenta.y;
    QTest::newRow("png with 50% alpha") << "wm_half.png" << 100 << 255 << (16 + kMagenta.y) / 2;
    QTest::newRow("layer alpha 50%") << "wm.png" << 100 << 128 << (16 + kMagenta.y) / 2;
    QTest::newRow("jpeg") << "wm.jpg" << 100 << 255 << kMagenta.y;
    QTest::newRow("bmp") << "wm.bmp" << 100 << 255 << kMagenta.y;
    QTest::newRow("gif first frame") << "wm.gif" << 100 << 255 << kMagenta.y;
}

void TestLayers::imageWatermark()
{
    QFETCH(QString, file);
    QFETCH(int, scale);
    QFETCH(int, alpha);
    QFETCH(int, expectY);

    LayerSettings s;
    s.wmImageFile = m_dir.filePath(file).toStdString();
    s.wmImageScaleX = s.wmImageScaleY = scale;
    s.wmImageAlpha = alpha;
    s.wmImageX = 0.5;
    s.wmImageY = 0.5;
    LayerStack stack;
    QCOMPARE(stack.open(s, 320, 240), 0);
    const int side = 32 * scale / 100;
    QCOMPARE(stack.imageBoxWidth(), side / 320.0);
    QCOMPARE(stack.imageBoxHeight(), side / 240.0);
    QCOMPARE(stack.textBoxWidth(), 0.0);

    Frame f = blackFrame(320, 240);
    stack.apply(f.get(), 0, true);
    // Top-left at (160, 120): both inner corners are drawn, the outside is not.
    for (const auto& [x, y] : {std::pair{162, 122}, std::pair{160 + side - 3, 120 + side - 3}}) {
        const Yuv p = pixel(f.get(), x, y);
        QVERIFY2(std::abs(p.y - expectY) <= 6,
                 qPrintable(QString("luma %1 at %2,%3").arg(p.y).arg(x).arg(y)));
    }
    QVERIFY(near(pixel(f.get(), 157, 122), kBlack, 0));
    QVERIFY(near(pixel(f.get(), 162, 117), kBlack, 0));
    QVERIFY(near(pixel(f.get(), 160 + side + 2, 122), kBlack, 0));
}

void TestLayers::badImageFails_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("random bytes") << "noise.png";
    QTest::newRow("text") << "text.png";
    QTest::newRow("empty") << "empty.png";
    QTest::newRow("missing") << "missing.png";
    QTest::newRow("a video") << "sub.mkv";
}

void TestLayers::badImageFails()
{
    QFETCH(QString, file);
    LayerSettings s;
    s.wmImageFile = m_dir.filePath(file).toStdString();
    s.wmText = "still drawn";
    LayerStack stack;
    QCOMPARE(stack.open(s, 320, 240), 6); // ORV_E_WATERMARK
    QCOMPARE(stack.imageBoxWidth(), 0.0);
    QVERIFY(stack.textBoxWidth() > 0.0);
}

void TestLayers::textWatermarkColourAndBorder()
{
    LayerSettings s;
    s.wmText = kBlock;
    s.wmStyle.color = 0xFF00FF00;
    s.wmTextX = 0.25;
    s.wmTextY = 0.25;
    s.textBorder = true;
    LayerStack stack;
    QCOMPARE(stack.open(s, 640, 360), 0);
    QVERIFY(!stack.empty());
    const int bw = int(std::lround(stack.textBoxWidth() * 640));
    const int bh = int(std::lround(stack.textBoxHeight() * 360));
    QVERIFY(bw > 10 && bh > 20);

    Frame f = blackFrame(640, 360);
    stack.apply(f.get(), 0, false);
    QVERIFY(near(pixel(f.get(), 160 + bw / 2, 90 + bh / 2), kGreen));
    // Preview border: white just outside the box, black outside that.
    QCOMPARE(pixel(f.get(), 160 + bw / 2, 89).y, 235);
    QCOMPARE(pixel(f.get(), 160 + bw / 2, 88).y, 16);
    QCOMPARE(pixel(f.get(), 159, 90 + bh / 2).y, 235);
    QCOMPARE(pixel(f.get(), 160 + bw, 90 + bh / 2).y, 235);
}

void TestLayers::layerOrder_data()
{
    QTest::addColumn<bool>("textTopmost");
    QTest::newRow("text over image") << true;
    QTest::newRow("image over text") << false;
}

void TestLayers::layerOrder()
{
    QFETCH(bool, textTopmost);
    LayerSettings s;
    s.wmText = kBlock;
    s.wmStyle.color = 0xFF00FF00;
    s.wmImageFile = path("wm.png").toStdString();
    s.wmImageScaleX = s.wmImageScaleY = 400; // 128×128 covers the glyph
    s.textTopmost = textTopmost;
    LayerStack stack;
    QCOMPARE(stack.open(s, 640, 360), 0);
    Frame f = blackFrame(640, 360);
    stack.apply(f.get(), 0, false);
    const int cx = int(stack.textBoxWidth() * 640 / 2), cy = int(stack.textBoxHeight() * 360 / 2);
    QVERIFY(cx < 128 && cy < 128);
    QVERIFY(near(pixel(f.get(), cx, cy), textTopmost ? kGreen : kMagenta));
}

void TestLayers::textIsLiteral_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("escaped");
    const QString wj = QString(QChar(0x2060));
    QTest::newRow("override block") << R"({\alpha&HFF&}██)"
                                    << R"(\{\alpha&HFF&\}██)";
    QTest::newRow("line break kept literal") << R"(a\Nb\n\h)"
                                             << R"(a\)" + wj + R"(Nb\)" + wj + R"(n\)" + wj + "h";
    QTest::newRow("escaped brace") << R"(\{x)"
                                   << R"(\)" + wj + R"(\{x)";
    QTest::newRow("newline") << "a\nb\r\nc"
                             << R"(a\Nb\Nc)";
    QTest::newRow("punctuation") << R"(% : [ ] ' " \ ,)"
                                 << R"(% : [ ] ' " \ ,)";
}

void TestLayers::textIsLiteral()
{
    QFETCH(QString, text);
    QFETCH(QString, escaped);
    QCOMPARE(QString::fromStdString(orv::escapeAssText(text.toStdString())), escaped);

    // Rendered, the text is visible in full: the override cannot hide it,
    // and it is wider than its own last character alone.
    LayerSettings s;
    s.wmText = text.toStdString();
    s.wmStyle.color = 0xFF00FF00;
    LayerStack stack;
    QCOMPARE(stack.open(s, 640, 360), 0);
    const double width = stack.textBoxWidth();
    s.wmText = text.right(1).toStdString();
    LayerStack single;
    QCOMPARE(single.open(s, 640, 360), 0);
    QVERIFY(width > single.textBoxWidth());

    Frame f = blackFrame(640, 360);
    stack.apply(f.get(), 0, false);
    QVERIFY(brightCount(f.get(), 0, 0, int(width * 640), int(stack.textBoxHeight() * 360), 100) > 50);
}

void TestLayers::textBoxFollowsFrameHeight()
{
    LayerSettings s;
    s.wmText = "Lumivane\nsecond line";
    s.wmStyle.outlineSize = 2;
    s.wmStyle.shadowOffset = 2;
    LayerStack small, large;
    QCOMPARE(small.open(s, 640, 360), 0);
    QCOMPARE(large.open(s, 1280, 720), 0);
    QVERIFY(small.textBoxHeight() > 0.1);
    QVERIFY(std::abs(small.textBoxHeight() - large.textBoxHeight()) <= 2.0 / 360);
    QVERIFY(std::abs(small.textBoxWidth() - large.textBoxWidth()) <= 2.0 / 640);
}

void TestLayers::subtitleFileTiming_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<qint64>("delayUs");
    QTest::addColumn<qint64>("ptsUs");
    QTest::addColumn<bool>("shown");

    QTest::newRow("before") << "subs.srt" << 0LL << 400000LL << false;
    QTest::newRow("during") << "subs.srt" << 0LL << 1000000LL << true;
    QTest::newRow("after") << "subs.srt" << 0LL << 2000000LL << false;
    QTest::newRow("delayed, not yet") << "subs.srt" << 1000000LL << 1000000LL << false;
    QTest::newRow("delayed, shown") << "subs.srt" << 1000000LL << 2000000LL << true;
    QTest::newRow("Windows-1252") << "cp1252.srt" << 0LL << 1000000LL << true;
}

void TestLayers::subtitleFileTiming()
{
    QFETCH(QString, file);
    QFETCH(qint64, delayUs);
    QFETCH(qint64, ptsUs);
    QFETCH(bool, shown);

    LayerSettings s;
    s.subSource = orv::SubtitleSource::File;
    s.subFile = m_dir.filePath(file).toStdString();
    s.subDelayUs = delayUs;
    LayerStack stack;
    QCOMPARE(stack.open(s, 320, 240), 0);
    Frame f = blackFrame(320, 240);
    stack.apply(f.get(), ptsUs, true);
    // Bottom-centred white text; the top half stays black.
    QCOMPARE(brightCount(f.get(), 0, 160, 320, 240) > 20, shown);
    QCOMPARE(brightCount(f.get(), 0, 0, 320, 120), 0);
}

void TestLayers::subtitleFileErrors()
{
    LayerSettings s;
    s.subSource = orv::SubtitleSource::File;
    s.subFile = path("missing.srt").toStdString();
    LayerStack stack;
    QCOMPARE(stack.open(s, 320, 240), 7); // ORV_E_SUBTITLE
    s.subFile = path("noise.png").toStdString();
    QCOMPARE(stack.open(s, 320, 240), 7);
    s.subFile.clear();
    QCOMPARE(stack.open(s, 320, 240), 0);
    QVERIFY(stack.empty());
}

void TestLayers::pickedFileStatus_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("status");
    QVERIFY(mkfifo(path("fifo.png").toUtf8().constData(), 0600) == 0);
    QVERIFY(QDir(m_dir.path()).mkdir("folder.srt"));
    QVERIFY(QFile::link(path("wm.png"), path("link.png")));
    QVERIFY(QFile::link(path("gone.png"), path("dangling.png")));
    // sparse: the size is in the status, not on the disk
    for (const auto& f : {std::make_pair("limit.srt", 0), std::make_pair("over.srt", 1)}) {
        QFile big(path(f.first));
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(ORV_MAX_PICKED_FILE_BYTES + f.second));
    }
    QTest::newRow("picture") << path("wm.png") << int(ORV_FILE_OK);
    QTest::newRow("empty file") << path("empty.png") << int(ORV_FILE_OK);
    QTest::newRow("link to a picture") << path("link.png") << int(ORV_FILE_OK);
    QTest::newRow("at the size limit") << path("limit.srt") << int(ORV_FILE_OK);
    QTest::newRow("a byte over it") << path("over.srt") << int(ORV_FILE_TOO_MANY_BYTES);
    QTest::newRow("missing") << path("missing.srt") << int(ORV_FILE_UNREADABLE);
    QTest::newRow("link to nothing") << path("dangling.png") << int(ORV_FILE_UNREADABLE);
    QTest::newRow("empty path") << QString() << int(ORV_FILE_UNREADABLE);
    QTest::newRow("FIFO") << path("fifo.png") << int(ORV_FILE_NOT_REGULAR);
    QTest::newRow("folder") << path("folder.srt") << int(ORV_FILE_NOT_REGULAR);
    QTest::newRow("device") << "/dev/zero" << int(ORV_FILE_NOT_REGULAR);
}

// The status both picked-file checks start from: a FIFO or a device is
// refused without being opened (an open would block or never end).
void TestLayers::pickedFileStatus()
{
    QFETCH(QString, name);
    QFETCH(int, status);
    QCOMPARE(orv::pickedFileStatus(name.toStdString()), status);
}

void TestLayers::embeddedStreamIsReadAhead()
{
    LayerSettings s;
    s.subSource = orv::SubtitleSource::Stream;
    s.subSourcePath = path("sub.mkv").toStdString();
    s.subStreamIndex = 1;
    LayerStack stack;
    QCOMPARE(stack.open(s, 320, 240), 0);
    // A conversion waits for the loader, so the very first frame has it.
    for (const auto& [ptsUs, shown] : {std::pair{1000000LL, true}, std::pair{2000000LL, false}}) {
        Frame f = blackFrame(320, 240);
        stack.apply(f.get(), ptsUs, true);
        QCOMPARE(brightCount(f.get(), 0, 160, 320, 240) > 20, shown);
    }
}

void TestLayers::scriptStylesTakeOurFields()
{
    LayerSettings s;
    s.subSource = orv::SubtitleSource::File;
    s.subFile = path("red.ass").toStdString();
    s.subStyle.color = 0xFF00FF00;
    LayerStack stack;
    QCOMPARE(stack.open(s, 320, 240), 0);
    Frame f = blackFrame(320, 240);
    stack.apply(f.get(), 1000000, true);
    // The script's red style is drawn in our green, bottom-centred.
    bool green = false;
    for (int y = 160; y < 240 && !green; ++y)
        green = near(pixel(f.get(), 160, y), kGreen);
    QVERIFY(green);
}

// EIA-608 pop-on captions, as A53 cc_data triplets of field 1.
void TestLayers::closedCaptions()
{
    auto oddParity = [](uint8_t b) { return uint8_t(__builtin_popcount(b) % 2 ? b : b | 0x80); };
    LayerSettings s;
    s.subSource = orv::SubtitleSource::ClosedCaption;
    LayerStack stack;
    QCOMPARE(stack.open(s, 320, 240), 0);
    auto feed = [&](int64_t ptsUs, uint8_t a, uint8_t b) {
        const uint8_t cc[3] = {0xFC, oddParity(a), oddParity(b)};
        stack.feedCaptions(cc, sizeof cc, ptsUs);
    };
    const uint8_t sequence[][2] = {
        {0x14, 0x20}, {0x14, 0x20}, // resume caption loading
        {'H', 'I'},   {0x14, 0x2F}, {0x14, 0x2F}, // end of caption: show it
    };
    int64_t t = 0;
    for (const auto& pair : sequence) {
        feed(t, pair[0], pair[1]);
        t += 40000;
    }
    Frame shown = blackFrame(320, 240);
    stack.apply(shown.get(), 500000, false);
    QVERIFY(brightCount(shown.get(), 0, 0, 320, 240) > 20);

    feed(2000000, 0x14, 0x2C); // erase displayed memory
    feed(2040000, 0x14, 0x2C);
    Frame erased = blackFrame(320, 240);
    stack.apply(erased.get(), 2500000, false);
    QCOMPARE(brightCount(erased.get(), 0, 0, 320, 240), 0);
}

QTEST_APPLESS_MAIN(TestLayers)
#include "tst_layers.moc"
