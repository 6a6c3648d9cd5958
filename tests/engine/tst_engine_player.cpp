// Playback through the real engine: transport on a clip whose pictures tell
// their own time (frame n has luma 16+2n), preview = output against the
// converter, frame delivery, threading and leaks, hostile files.
#include "../Figures.h"
#include "engine_test_util.h"

#include <QDirIterator>

#include <atomic>
#include <cmath>
#include <mutex>

using namespace etest;

namespace {

constexpr uint64_t kFrameUs = 40000;

// What a frame handler saw, for the checks.
struct Seen
{
    std::mutex mutex;
    int calls = 0;
    int format = -1, w = 0, h = 0, stride = 0;
    QByteArray pixels; // B,G,R,A rows without padding
    std::atomic<bool> closed{false}, late{false};

    static int handler(void* user, FrameHandle f)
    {
        auto* s = static_cast<Seen*>(user);
        if (s->closed)
            s->late = true;
        std::lock_guard<std::mutex> lock(s->mutex);
        ++s->calls;
        s->format = Frame_GetVideoFormat(f);
        s->w = Frame_GetVideoWidth(f);
        s->h = Frame_GetVideoHeight(f);
        s->stride = Frame_GetVideoStride0(f);
        const unsigned char* data = Frame_GetVideoData0(f);
        s->pixels.resize(s->w * s->h * 4);
        for (int y = 0; y < s->h; ++y)
            memcpy(s->pixels.data() + y * s->w * 4, data + y * s->stride, size_t(s->w) * 4);
        return 0;
    }
    int count()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return calls;
    }
    Rgb at(int x, int y)
    {
        std::lock_guard<std::mutex> lock(mutex);
        const int i = (y * w + x) * 4;
        return Rgb{uchar(pixels[i + 2]), uchar(pixels[i + 1]), uchar(pixels[i])};
    }
    // The ramp's frame number from the centre's grey, 16+2n.
    int rampFrame() { return int(std::lround((at(w / 2, h / 2).g - 16) / 2.0)); }
};

// A picture block's pixels as a Picture, for comparing with the CLI's.
Picture fromBlock(const unsigned char* block, int w, int h)
{
    Picture p;
    p.w = w;
    p.h = h;
    p.rgb.resize(w * h * 3);
    const unsigned char* px = block + 54;
    for (int i = 0; i < w * h; ++i) {
        p.rgb[i * 3] = char(px[i * 4 + 2]);
        p.rgb[i * 3 + 1] = char(px[i * 4 + 1]);
        p.rgb[i * 3 + 2] = char(px[i * 4]);
    }
    return p;
}

double meanDifference(const Picture& a, const Picture& b)
{
    if (a.w != b.w || a.h != b.h || a.rgb.size() != b.rgb.size() || a.rgb.isEmpty())
        return 1e9;
    double sum = 0;
    for (int i = 0; i < a.rgb.size(); ++i)
        sum += qAbs(int(uchar(a.rgb[i])) - int(uchar(b.rgb[i])));
    return sum / a.rgb.size();
}

int countEntries(const char* dir)
{
    return int(QDir(dir).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System).size());
}

using Setup = std::function<void(Config, PlayerHandle)>;

} // namespace

Q_DECLARE_METATYPE(Setup)

class TestEnginePlayer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void seekLandsAtOrAfter_data();
    void seekLandsAtOrAfter();
    void stepStopAndPlay();
    void audioOnly();
    void showFrameUsesCurrentSettings();
    void previewEqualsOutput_data();
    void previewEqualsOutput();
    void smallPicturesKeepTheirColours_data();
    void smallPicturesKeepTheirColours();
    void settingsOutliveFiles();
    void noHandlerAfterClose();
    void hiddenEditorCycle();
    void hostileFiles();

private:
    QByteArray m_ramp;
    QTemporaryDir m_dir;
};

void TestEnginePlayer::initTestCase()
{
    QCOMPARE(qgetenv("ORVALTA_AUDIO"), QByteArray("null"));
    m_ramp = u8(fixture("ramp.mp4"));
    QVERIFY(QFile::exists(fixture("ramp.mp4")));
}

void TestEnginePlayer::seekLandsAtOrAfter_data()
{
    QTest::addColumn<quint64>("target");
    QTest::addColumn<int>("frame");
    QTest::addColumn<quint64>("time");
    QTest::newRow("start") << quint64(0) << 0 << quint64(0);
    QTest::newRow("on a frame") << quint64(2000000) << 50 << quint64(2000000);
    QTest::newRow("mid-GOP, between frames") << quint64(1300000) << 33 << quint64(1320000);
    QTest::newRow("just before a keyframe") << quint64(999000) << 25 << quint64(1000000);
    QTest::newRow("last frame") << quint64(3960000) << 99 << quint64(4000000);
    QTest::newRow("past the end") << quint64(60000000) << 99 << quint64(4000000);
}

void TestEnginePlayer::seekLandsAtOrAfter()
{
    QFETCH(quint64, target);
    QFETCH(int, frame);
    QFETCH(quint64, time);
    Seen seen;
    PlayerHandle p = Player_Create(-1);
    QCOMPARE(Player_SetVideoFrameHandle(p, &Seen::handler, &seen), 1);
    QCOMPARE(Player_Open(p, m_ramp), 1);
    QCOMPARE(seen.count(), 0); // Open delivers nothing
    QCOMPARE(Player_Seek(p, target), 1);
    QCOMPARE(seen.count(), 1); // delivered before Seek returns
    QCOMPARE(seen.rampFrame(), frame);
    QCOMPARE(Player_GetPlayTime(p), uint64_t(time));
    QCOMPARE(Player_IsCompleted(p), 0);
    QCOMPARE(Player_Release(p), 1);
}

void TestEnginePlayer::stepStopAndPlay()
{
    Seen seen;
    PlayerHandle p = Player_Create(27);
    Player_SetVideoFrameHandle(p, &Seen::handler, &seen);
    QCOMPARE(Player_Open(p, m_ramp), 1);
    QCOMPARE(Player_HasVideo(p), 1);
    QCOMPARE(Player_HasAudio(p), 0);
    QCOMPARE(Player_GetVideoWidth(p), 64);
    QCOMPARE(Player_GetVideoAspectRatioX(p), 1);
    QCOMPARE(Player_GetDuration(p), uint64_t(4000000));
    QCOMPARE(Player_GetPlayTime(p), uint64_t(0));

    QCOMPARE(Player_FrameStep(p, -1), 0); // nothing before the first picture
    QCOMPARE(Player_Seek(p, 1000000), 1);
    QCOMPARE(Player_FrameStep(p, -1), 1); // across the keyframe
    QCOMPARE(Player_GetPlayTime(p), uint64_t(1000000 - kFrameUs));
    QCOMPARE(seen.rampFrame(), 24);
    QCOMPARE(Player_FrameStep(p, 1), 1);
    QCOMPARE(Player_FrameStep(p, 1), 1);
    QCOMPARE(Player_GetPlayTime(p), uint64_t(1000000 + kFrameUs));
    QCOMPARE(seen.rampFrame(), 26);
    QCOMPARE(Player_Seek(p, 3960000), 1);
    QCOMPARE(Player_FrameStep(p, 1), 0); // nothing after the last

    QCOMPARE(Player_Stop(p), 1);
    QCOMPARE(Player_GetPlayTime(p), uint64_t(0));
    QCOMPARE(seen.rampFrame(), 0);

    // 4 s in real time, and frames keep coming from the engine's thread.
    const int before = seen.count();
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(Player_Play(p), 1);
    QThread::msleep(1000);
    const uint64_t mid = Player_GetPlayTime(p);
    const qint64 midWall = timer.elapsed();
    // the clock runs, and never ahead of real time
    QVERIFY2(mid > 0 && mid <= uint64_t(midWall + 100) * 1000, qPrintable(QString::number(mid)));
    figures::report("player.clock_after_1s", mid / 1000.0, "ms", 700, figures::Better::Higher);
    QVERIFY(waitFor([&] { return Player_IsCompleted(p) == 1; }, 45000));
    const qint64 took = timer.elapsed();
    figures::report("player.play_4s_clip", double(took), "ms", 4500);
    QVERIFY(took >= 3800);
    figures::report("player.pictures_in_4s", seen.count() - before, "pictures", 50, figures::Better::Higher);
    QVERIFY(seen.count() - before > 0);
    QCOMPARE(seen.format, int(ORV_FRAME_BGRA));
    QCOMPARE(seen.stride % 64, 0);
    QCOMPARE(Player_GetPlayTime(p), uint64_t(4000000));

    // A completed player plays again from the start; Pause freezes the time.
    timer.restart();
    QCOMPARE(Player_Play(p), 1);
    QCOMPARE(Player_IsCompleted(p), 0);
    QThread::msleep(300);
    QCOMPARE(Player_Pause(p), 1);
    const uint64_t paused = Player_GetPlayTime(p);
    QVERIFY2(paused <= uint64_t(timer.elapsed() + 100) * 1000, qPrintable(QString::number(paused)));
    QThread::msleep(200);
    QCOMPARE(Player_GetPlayTime(p), paused);
    QCOMPARE(Player_Release(p), 1);
}

void TestEnginePlayer::audioOnly()
{
    PlayerHandle p = Player_Create(27);
    QCOMPARE(Player_Open(p, u8(fixture("cover.mp3"))), 1);
    QCOMPARE(Player_HasVideo(p), 0); // cover art is not video
    QCOMPARE(Player_HasAudio(p), 1);
    QCOMPARE(Player_GetVideoWidth(p), 0);
    QCOMPARE(Player_ShowVideoFrame(p), 0);
    QVERIFY(!Player_CaptureVideoImage(p, 16, 16));

    QCOMPARE(Player_Open(p, u8(fixture("a.mp3"))), 1);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(Player_Play(p), 1);
    QThread::msleep(500);
    // the clock runs without a device
    const uint64_t running = Player_GetPlayTime(p);
    QVERIFY(running > 0);
    figures::report("player.sound_clock_after_500ms", running / 1000.0, "ms", 300, figures::Better::Higher);
    QVERIFY(waitFor([&] { return Player_IsCompleted(p) == 1; }, 25000));
    figures::report("player.play_2s_sound", double(timer.elapsed()), "ms", 2500);
    QVERIFY(timer.elapsed() >= 1800);
    QCOMPARE(Player_GetPlayTime(p), Player_GetDuration(p));
    QCOMPARE(Player_Release(p), 1);
}

// The editor changes a setting while paused and shows the picture again.
void TestEnginePlayer::showFrameUsesCurrentSettings()
{
    Seen processed, original;
    PlayerHandle p = Player_Create(-1);
    Player_SetVideoFrameHandle(p, &Seen::handler, &processed);
    Player_SetOrignalVideoFrameHandle(p, &Seen::handler, &original);
    QCOMPARE(Player_OpenEx(p, u8(fixture("quad.mp4")), 240, 320, 0, 0), 1);
    QCOMPARE(Player_ShowVideoFrame(p), 1);
    QCOMPARE(processed.w, 240);
    QCOMPARE(processed.h, 320);
    QCOMPARE(original.w, 320); // the source as it is
    QVERIFY(near(original.at(20, 20), Rgb{255, 0, 0}));

    QCOMPARE(Player_SetVideoRotate(p, 90), 1);
    QCOMPARE(Player_ShowVideoFrame(p), 1);
    // turned clockwise: the bottom-left quadrant (blue) comes to the top left
    QVERIFY2(near(processed.at(20, 20), Rgb{0, 0, 255}), qPrintable(colourName(processed.at(20, 20))));
    QVERIFY(near(processed.at(220, 20), Rgb{255, 0, 0}));
    QVERIFY(near(original.at(20, 20), Rgb{255, 0, 0}));
    QCOMPARE(processed.count(), 2);

    // A border around the crop rectangle on the original picture only.
    QCOMPARE(Player_SetVideoCrop(p, 0.5, 0, 0.5, 1), 1);
    QCOMPARE(Player_EnableVideoCropBorder(p, 1), 1);
    QCOMPARE(Player_ShowVideoFrame(p), 1);
    QVERIFY(near(original.at(161, 120), Rgb{235, 235, 235}, 30));
    QCOMPARE(Player_Release(p), 1);
}

void TestEnginePlayer::previewEqualsOutput_data()
{
    QTest::addColumn<Setup>("setup");
    const QByteArray wm = u8(fixture("wm.png"));
    const QByteArray subs = u8(fixture("subs.srt"));
    auto row = [](const char* name, Setup s) { QTest::newRow(name) << s; };
    row("crop", [](Config c, PlayerHandle p) {
        Config_SetVideoCropf(c, 0.25, 0.1, 0.5, 0.6);
        Player_SetVideoCrop(p, 0.25, 0.1, 0.5, 0.6);
    });
    row("aspect and pad", [](Config c, PlayerHandle p) {
        Config_SetVideoAspectRatio(c, 1, 1);
        Config_SetVideoPadAndColor(c, 1, 0xFF2040C0);
        Player_SetVideoAspectRatio(p, 1, 1);
        Player_SetVideoPadAndColor(p, 1, 0xFF2040C0);
    });
    row("rotate", [](Config c, PlayerHandle p) {
        Config_SetVideoRotate(c, 270);
        Player_SetVideoRotate(p, 270);
    });
    row("mirror", [](Config c, PlayerHandle p) {
        Config_SetVideoMirror(c, 1);
        Player_SetVideoMirror(p, 1);
    });
    row("image watermark", [wm](Config c, PlayerHandle p) {
        Config_SetWatermarkImageFile(c, wm);
        Config_SetWatermarkImageScale(c, 200, 200);
        Config_SetWatermarkImagePosition(c, 0.5, 0.25);
        Player_SetWatermarkImageFile(p, wm);
        Player_SetWatermarkImageScale(p, 200, 200);
        Player_SetWatermarkImagePosition(p, 0.5, 0.25);
        Player_EnableWatermarkImageBorder(p, 1); // previews only; captures never show it
    });
    row("text watermark", [](Config c, PlayerHandle p) {
        Config_SetWatermarkText(c, "Lumi 42");
        Config_SetWatermarkTextSize(c, 48);
        Config_SetWatermarkTextColor(c, 0xFFFFFF00);
        Config_SetWatermarkTextPosition(c, 0.1, 0.3);
        Player_SetWatermarkText(p, "Lumi 42");
        Player_SetWatermarkTextSize(p, 48);
        Player_SetWatermarkTextColor(p, 0xFFFFFF00);
        Player_SetWatermarkTextPosition(p, 0.1, 0.3);
    });
    row("subtitle file", [subs](Config c, PlayerHandle p) {
        Config_SetSubtlFile(c, subs);
        Config_SetSubtlTextSize(c, 40);
        Player_SetSubtlFile(p, subs);
        Player_SetSubtlTextSize(p, 40);
    });
}

// A capture after OpenEx(W, H) with the same settings is the converted frame.
void TestEnginePlayer::previewEqualsOutput()
{
    QFETCH(Setup, setup);
    const int w = 256, h = 192;
    const QString out = m_dir.filePath(QString("out_%1.mp4").arg(QTest::currentDataTag()).replace(' ', '_'));
    Config c = Config_Create();
    Config_SetVideoSize(c, w, h);
    Config_SetVideoFormat(c, 28);
    Config_SetVideoBitRate(c, 4000);
    Config_SetAudioFormat(c, -1);
    PlayerHandle p = Player_Create(-1);
    setup(c, p);
    QCOMPARE(convert(fixture("clip.mov"), out, "mp4", c), 0);
    Config_Release(c);
    const Picture converted = grab(out, 1.0);
    QCOMPARE(converted.w, w);

    QCOMPARE(Player_OpenEx(p, u8(fixture("clip.mov")), w, h, 0, 0), 1);
    QCOMPARE(Player_Seek(p, 1000000), 1);
    const unsigned char* block = Player_CaptureVideoImage(p, w, h);
    QVERIFY(block);
    const Picture preview = fromBlock(block, w, h);
    const double diff = meanDifference(preview, converted);
    qInfo("%s: mean difference %.2f", QTest::currentDataTag(), diff);
    QVERIFY2(diff <= 8.0, qPrintable(QString::number(diff)));
    QCOMPARE(Player_FreeVideoImage(p, const_cast<unsigned char*>(block)), 1);
    QCOMPARE(Player_Release(p), 1);
}

void TestEnginePlayer::smallPicturesKeepTheirColours_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("pixFmt");
    QTest::addColumn<int>("originalTolerance");
    QTest::addColumn<int>("processedTolerance"); // -1: 4:2:0 output cannot hold it
    QTest::newRow("17x9 4:4:4") << QSize(17, 9) << "yuv444p" << 12 << 24;
    QTest::newRow("2x8 RGB") << QSize(2, 8) << "bgr0" << 12 << -1;
    QTest::newRow("15x7 4:2:0") << QSize(15, 7) << "yuv420p" << 24 << 24;
}

// A picture a few pixels wide, played at its own size, against the CLI's
// decoding of the same source at the delivered size: every pixel where it
// belongs and of its own colour, the source preview at full colour
// resolution.
void TestEnginePlayer::smallPicturesKeepTheirColours()
{
    QFETCH(QSize, size);
    QFETCH(QString, pixFmt);
    QFETCH(int, originalTolerance);
    QFETCH(int, processedTolerance);
    // colour ramps across and down, lossless
    const QString src =
        m_dir.filePath(QString("small_%1x%2_%3.mkv").arg(size.width()).arg(size.height()).arg(pixFmt));
    QVERIFY(ffmpeg({"-f", "lavfi", "-i",
                    QString("nullsrc=s=%1x%2:r=25:d=0.2,format=gbrp,geq=r='30+200*X/W':g='220-180*Y/H':"
                            "b='40+200*(W-X)/W',format=%3")
                        .arg(size.width())
                        .arg(size.height())
                        .arg(pixFmt),
                    "-c:v", "ffv1", src}));
    Seen processed, original;
    PlayerHandle p = Player_Create(-1);
    Player_SetVideoFrameHandle(p, &Seen::handler, &processed);
    Player_SetOrignalVideoFrameHandle(p, &Seen::handler, &original);
    QCOMPARE(Player_Open(p, u8(src)), 1);
    QCOMPARE(Player_ShowVideoFrame(p), 1);
    QCOMPARE(Player_Release(p), 1);

    // the first pixel off its reference, or nothing
    auto mismatch = [&](Seen& seen, int tolerance) -> QString {
        QProcess cli;
        cli.start("ffmpeg",
                  {"-v", "error", "-nostdin", "-i", src, "-frames:v", "1", "-vf",
                   QString("scale=%1:%2:flags=bicubic").arg(seen.w).arg(seen.h), "-f", "rawvideo", "-pix_fmt",
                   "rgb24", "-"});
        cli.waitForFinished(30000);
        const QByteArray want = cli.readAllStandardOutput();
        if (seen.w < 1 || want.size() != seen.w * seen.h * 3)
            return QString("%1x%2 delivered, no reference").arg(seen.w).arg(seen.h);
        for (int y = 0; y < seen.h; ++y)
            for (int x = 0; x < seen.w; ++x) {
                const int i = (y * seen.w + x) * 3;
                const Rgb expected{uchar(want[i]), uchar(want[i + 1]), uchar(want[i + 2])};
                if (!near(seen.at(x, y), expected, tolerance))
                    return QString("%1,%2 is %3, not %4")
                        .arg(x)
                        .arg(y)
                        .arg(colourName(seen.at(x, y)), colourName(expected));
            }
        return QString();
    };
    QCOMPARE(original.count(), 1);
    QVERIFY(qAbs(original.w - size.width()) <= 1 && qAbs(original.h - size.height()) <= 1);
    const QString source = mismatch(original, originalTolerance);
    QVERIFY2(source.isEmpty(), qPrintable("source preview: " + source));
    if (processedTolerance >= 0) {
        QCOMPARE(processed.count(), 1);
        const QString picture = mismatch(processed, processedTolerance);
        QVERIFY2(picture.isEmpty(), qPrintable("picture: " + picture));
    }
}

void TestEnginePlayer::settingsOutliveFiles()
{
    PlayerHandle p = Player_Create(-1);
    // set before any file, as the editor does
    QCOMPARE(Player_SetWatermarkText(p, "Height"), 1);
    QCOMPARE(Player_SetWatermarkTextSize(p, 36), 1);
    QCOMPARE(Player_GetWatermarkTextHeight(p), 0.0);
    QCOMPARE(Player_OpenEx(p, u8(fixture("clip.mov")), 640, 360, 0, 0), 1);
    const double small = Player_GetWatermarkTextHeight(p); // before any picture
    QCOMPARE(Player_Close(p), 1);
    QCOMPARE(Player_OpenEx(p, u8(fixture("clip.mov")), 1280, 720, 0, 0), 1);
    const double large = Player_GetWatermarkTextHeight(p);
    QVERIFY(small > 0.05);
    QVERIFY2(qAbs(small - large) < 0.01, qPrintable(QString("%1 %2").arg(small).arg(large)));
    QVERIFY(Player_GetWatermarkTextWidth(p) > 0.0);
    QCOMPARE(Player_SetWatermarkText(p, ""), 1);
    QCOMPARE(Player_GetWatermarkTextWidth(p), 0.0);

    // Captures are exactly the size asked; out-of-range sizes give none.
    const unsigned char* block = Player_CaptureVideoImage(p, 33, 17);
    QVERIFY(block);
    QCOMPARE(*reinterpret_cast<const int32_t*>(block + 18), 33);
    QCOMPARE(*reinterpret_cast<const int32_t*>(block + 22), -17);
    QCOMPARE(reinterpret_cast<uintptr_t>(block + 54) % 64, uintptr_t(0));
    QVERIFY(!Player_CaptureVideoImage(p, 0, 10));
    QVERIFY(!Player_CaptureVideoImage(p, 16385, 10));
    QCOMPARE(Player_Release(p), 1); // frees the capture
}

// Close and Release during playback, over and over: no handler call after
// Close returns. Run once under AddressSanitizer (LV_SANITIZE).
void TestEnginePlayer::noHandlerAfterClose()
{
    Seen seen;
    const QByteArray clip = u8(fixture("clip.mov"));
    for (int i = 0; i < 100; ++i) {
        seen.closed = false;
        PlayerHandle p = Player_Create(27);
        Player_SetVideoFrameHandle(p, &Seen::handler, &seen);
        Player_SetOrignalVideoFrameHandle(p, &Seen::handler, &seen);
        QCOMPARE(Player_Open(p, clip), 1);
        QCOMPARE(Player_Play(p), 1);
        QThread::usleep(8000 * (i % 7)); // up to a few pictures in
        // every other round Release does the closing
        if (i % 2) {
            QCOMPARE(Player_Close(p), 1);
            seen.closed = true;
            QThread::usleep(2000);
        }
        QCOMPARE(Player_Release(p), 1);
        seen.closed = true;
    }
    QVERIFY(!seen.late);
    QVERIFY(seen.count() > 0);
}

// The hidden editor made for every added file: cheap, and nothing left behind.
void TestEnginePlayer::hiddenEditorCycle()
{
    const QByteArray clip = u8(fixture("clip.mov"));
    auto cycle = [&] {
        PlayerHandle p = Player_Create(-1);
        Player_OpenEx(p, clip, 640, 360, 0, 0);
        Player_Play(p);
        Player_Close(p);
        Player_Release(p);
    };
    cycle(); // libraries and fonts warm
    const int fds = countEntries("/proc/self/fd");
    const int threads = countEntries("/proc/self/task");
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 50; ++i)
        cycle();
    figures::report("player.hidden_editor_cycle", timer.elapsed() / 50.0, "ms", 50);
    QCOMPARE(countEntries("/proc/self/fd"), fds);
    QVERIFY(waitFor([&] { return countEntries("/proc/self/task") == threads; }, 20000));
}

void TestEnginePlayer::hostileFiles()
{
    QDirIterator it(fixture("bad"), QDir::Files);
    int files = 0;
    while (it.hasNext()) {
        const QString path = it.next();
        ++files;
        PlayerHandle p = Player_Create(27);
        if (Player_Open(p, u8(path)) == 1) {
            Player_Seek(p, 1000000);
            Player_Play(p);
            QVERIFY2(waitFor([&] { return Player_IsCompleted(p) == 1; }, 10000), qPrintable(path));
        } else {
            QCOMPARE(Player_Play(p), 0);
            QCOMPARE(Player_GetDuration(p), uint64_t(0));
        }
        QCOMPARE(Player_Release(p), 1);
    }
    QVERIFY(files >= 5);
}

QTEST_GUILESS_MAIN(TestEnginePlayer)
#include "tst_engine_player.moc"
