// The player window on the real engine: a clip previewed from a queue row
// plays with its picture drawn, closing and previewing again works, a file
// it cannot play says so, a clip a few pixels across is drawn in the colour
// its conversion has, and a 1080p clip plays with its frames drawn, alone
// and (for the benchmark) beside five conversions; how many are drawn and
// how long the GUI thread stalls are figures.
#include "../convert/QueueTestUtil.h"

#include "../Figures.h"
#include "../MediaTools.h"

#include "PlayBtnWidget.h"
#include "PlayerWidget.h"
#include "QVideoShowWidget.h"
#include "ScrollAreaforBar.h"
#include "VideoConvertBar.h"
#include "VideoImageWindow.h"

#include <orvalta.h>

#include <QElapsedTimer>
#include <QJsonArray>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace queuetest;

namespace {

bool makeClip(const QString& path, const QString& video, const QString& seconds)
{
    mediatools::ClipSpec spec;
    spec.video = video;
    spec.seconds = seconds;
    spec.fast = true;
    return mediatools::makeClip(path, spec);
}

bool nearRed(const QColor& c) { return c.red() > 200 && c.green() < 50 && c.blue() < 50; }

bool ffmpeg(const QStringList& args, QByteArray* out = nullptr)
{
    QProcess p;
    p.start("ffmpeg", QStringList{"-v", "error", "-nostdin", "-y"} + args);
    if (!p.waitForFinished(300000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return false;
    if (out)
        *out = p.readAllStandardOutput();
    return true;
}

// Converts with the engine to H.264 in MP4 at the source's size; true when
// the job ends without an error.
bool engineConvert(const QString& src, const QString& dst)
{
    Config c = Config_Create();
    Config_SetVideoFormat(c, 28);
    Config_SetAudioFormat(c, -1);
    ConverterHandle job = Converter_Create(-1);
    const bool opened =
        Converter_Open(job, src.toUtf8().constData(), dst.toUtf8().constData(), "mp4", c) != 0;
    Config_Release(c);
    if (opened && Converter_Start(job)) {
        QElapsedTimer bound;
        bound.start();
        while (Converter_IsCompleted(job) != 1 && bound.elapsed() < 300000)
            QTest::qWait(20);
    }
    const bool done = opened && Converter_IsCompleted(job) == 1 && Converter_GetError(job) == 0;
    Converter_Release(job);
    return done;
}

// The first pixel of a drawn picture off `want`, or nothing.
QString offColour(QVideoShowWidget* view, const QColor& want)
{
    const QImage image = view->grabFramebuffer();
    if (image.isNull())
        return "nothing drawn";
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (qAbs(c.red() - want.red()) > 24 || qAbs(c.green() - want.green()) > 24
                || qAbs(c.blue() - want.blue()) > 24)
                return QString("%1,%2 is %3, not %4").arg(x).arg(y).arg(c.name(), want.name());
        }
    return QString();
}

} // namespace

class TestPlayerEngine : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void previewFromQueueRowDrawsPicture();
    void closeDuringPlaybackThenPreviewAgain();
    void unplayableFileSaysSo();
    void tinyClipsShowTheirConvertedColour_data();
    void tinyClipsShowTheirConvertedColour();
    void whileTheFileOpens_data();
    void whileTheFileOpens();
    void playsFullHdAtItsOwnRate();
    void playsFullHdBesideFiveConversions();

private:
    struct Playing
    {
        int handed = 0;
        int drawn = 0;
        qint64 longestStallMs = 0;
        bool playing = false;
        double drawnPercent() const { return handed ? 100.0 * drawn / handed : 0.0; }
    };
    void previewFromRow(const QString& path);
    // Plays the 1080p clip from its row for 10 s and counts.
    Playing playFullHdFor10s();

    QTemporaryDir m_dir;
    QString m_red;
    QString m_hd;
    QueueUnderTest* m_queue = nullptr;
};

void TestPlayerEngine::initTestCase()
{
    PlayerHandle probe = Player_Create(27);
    if (!probe)
        QSKIP("this engine build has no player");
    Player_Release(probe);
    if (QStandardPaths::findExecutable("ffmpeg").isEmpty())
        QSKIP("the ffmpeg command is needed to make the test clips");
    QVERIFY(m_dir.isValid());
    m_red = m_dir.filePath("red.mp4");
    QVERIFY(makeClip(m_red, "color=c=red:size=320x240:rate=25", "4"));
    m_hd = m_dir.filePath("hd.mp4");
    QVERIFY(makeClip(m_hd, "testsrc2=size=1920x1080:rate=25", "13"));
    m_queue = new QueueUnderTest(nullptr);
    m_queue->resize(900, 400);
    m_queue->show();
    drop(m_queue, {QUrl::fromLocalFile(m_red), QUrl::fromLocalFile(m_hd)});
    QCOMPARE(m_queue->barList().size(), 2);
}

void TestPlayerEngine::previewFromRow(const QString& path)
{
    for (VideoConvertBar* row : m_queue->barList()) {
        if (row->File() == path) {
            row->m_btnPreviewPlay->click();
            return;
        }
    }
    QFAIL("no row for the clip");
}

void TestPlayerEngine::previewFromQueueRowDrawsPicture()
{
    previewFromRow(m_red);
    PlayerWidget* window = PlayerWidget::GetPlayer();
    QVERIFY(window->isVisible());
    QCOMPARE(window->playState(), 1);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QVideoShowWidget* view = window->m_videoWidget->videoView();
    QTRY_VERIFY(view->framesUploaded() > 0);
    const QImage grab = view->grabFramebuffer();
    const QColor centre = grab.pixelColor(grab.width() / 2, grab.height() / 2);
    QVERIFY2(nearRed(centre), qPrintable(centre.name()));
    // The time label advances with the clip (a busy machine may show a
    // later second first), and the clip plays to its end.
    const QRegularExpression advanced("^00:0[1-4] / 00:04$");
    QTRY_VERIFY_WITH_TIMEOUT(advanced.match(window->m_playBtnWidget->m_timeLabel->text()).hasMatch(), 300000);
    QTRY_COMPARE_WITH_TIMEOUT(window->playState(), 3, 300000);
}

void TestPlayerEngine::closeDuringPlaybackThenPreviewAgain()
{
    previewFromRow(m_hd);
    PlayerWidget* window = PlayerWidget::GetPlayer();
    QVideoShowWidget* view = window->m_videoWidget->videoView();
    const int before = view->framesUploaded();
    QTRY_VERIFY(view->framesUploaded() > before + 5);
    window->close();
    QVERIFY(!window->isVisible());
    QCOMPARE(window->playState(), 4);
    QTest::qWait(200); // no picture may arrive once the file is closed
    const int closedAt = view->framesHanded();
    QTest::qWait(300);
    QCOMPARE(view->framesHanded(), closedAt);

    previewFromRow(m_red);
    QVERIFY(window->isVisible());
    QCOMPARE(window->playState(), 1);
    QTRY_VERIFY(view->framesHanded() > closedAt + 5);
    QVERIFY(window->m_videoWidget->isVisible());
}

void TestPlayerEngine::unplayableFileSaysSo()
{
    // Random bytes under a video name, and a clip cut off after its header.
    QFile noise(m_dir.filePath("noise.mp4"));
    QVERIFY(noise.open(QIODevice::WriteOnly));
    QByteArray bytes(64 * 1024, '\0');
    quint32 seed = 12345;
    for (char& c : bytes) {
        seed = seed * 1103515245u + 12345u;
        c = char(seed >> 16);
    }
    noise.write(bytes);
    noise.close();
    QFile whole(m_red);
    QVERIFY(whole.open(QIODevice::ReadOnly));
    QFile cut(m_dir.filePath("cut.mp4"));
    QVERIFY(cut.open(QIODevice::WriteOnly));
    cut.write(whole.read(600));
    cut.close();

    PlayerWidget* window = PlayerWidget::GetPlayer();
    QVideoShowWidget* view = window->m_videoWidget->videoView();
    for (const QString& file : {noise.fileName(), cut.fileName()}) {
        previewFromRow(m_red);
        QCOMPARE(window->playState(), 1);
        window->StartPlayVideo(file);
        window->showInFront();
        // The file opens on a worker: its refusal comes once it is done.
        QTRY_VERIFY2_WITH_TIMEOUT(!window->messageText().isEmpty(), qPrintable(file), 300000);
        QVERIFY(window->playState() != 1);
        // Nothing of the clip before goes on playing behind the message.
        QTest::qWait(200);
        const int handed = view->framesHanded();
        QTest::qWait(300);
        QCOMPARE(view->framesHanded(), handed);
        QVERIFY(!window->timeTimer()->isActive());
    }
    // The next good file clears the message.
    previewFromRow(m_red);
    QCOMPARE(window->playState(), 1);
    QVERIFY(window->messageText().isEmpty());
    window->close();
}

void TestPlayerEngine::whileTheFileOpens_data()
{
    // Calls that come while the 1080p clip still opens on the worker.
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("state"); // the window's at the end
    QTest::addColumn<bool>("pictures"); // pictures still handed over
    QTest::newRow("close the window") << "close" << 4 << false;
    QTest::newRow("another file") << "red" << 1 << true;
    QTest::newRow("the same file again") << "hd" << 1 << true;
}

void TestPlayerEngine::whileTheFileOpens()
{
    QFETCH(QString, action);
    QFETCH(int, state);
    QFETCH(bool, pictures);
    PlayerWidget* window = PlayerWidget::GetPlayer();
    QVideoShowWidget* view = window->m_videoWidget->videoView();
    previewFromRow(m_hd);
    QVERIFY(window->isLoading());
    if (action == "close")
        window->close();
    else
        previewFromRow(action == "red" ? m_red : m_hd);
    QTRY_VERIFY_WITH_TIMEOUT(!window->isLoading(), 300000);
    QCOMPARE(window->playState(), state);
    QTest::qWait(300);
    const int handed = view->framesHanded();
    if (pictures) {
        QTRY_VERIFY_WITH_TIMEOUT(view->framesHanded() > handed, 300000);
        QCOMPARE(window->currentFile(), action == "red" ? m_red : m_hd);
    } else {
        QTest::qWait(500);
        QCOMPARE(view->framesHanded(), handed);
    }
    window->close();
}

TestPlayerEngine::Playing TestPlayerEngine::playFullHdFor10s()
{
    previewFromRow(m_hd);
    PlayerWidget* window = PlayerWidget::GetPlayer();
    if (!QTest::qWaitForWindowExposed(window))
        return {};
    QVideoShowWidget* view = window->m_videoWidget->videoView();
    QTest::qWait(1000);

    // A 10 ms probe on the GUI thread: the longest gap between its ticks is
    // the longest time the event loop was busy.
    QElapsedTimer clock;
    qint64 last = 0, longest = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    connect(&probe, &QTimer::timeout, this, [&] {
        const qint64 now = clock.elapsed();
        longest = qMax(longest, now - last);
        last = now;
    });
    const int handed0 = view->framesHanded();
    const int drawn0 = view->framesDrawn();
    clock.start();
    probe.start(10);
    QTest::qWait(10000);
    probe.stop();
    Playing playing;
    playing.handed = view->framesHanded() - handed0;
    playing.drawn = view->framesDrawn() - drawn0;
    playing.longestStallMs = longest;
    playing.playing = window->playState() == 1;
    qInfo("1080p25 over 10 s: %d frames handed to the view, %d drawn (%.1f %%), longest event-loop stall "
          "%lld ms",
          playing.handed, playing.drawn, playing.drawnPercent(), longest);
    window->close();
    return playing;
}

void TestPlayerEngine::tinyClipsShowTheirConvertedColour_data()
{
    QTest::addColumn<QSize>("size");
    for (const QSize size : {QSize(2, 8), QSize(1, 1), QSize(3, 5), QSize(17, 9)})
        QTest::addRow("%dx%d", size.width(), size.height()) << size;
}

// A clip a few pixels across, in one colour: the output and source previews
// (the player's picture and the editor's original) are that colour edge to
// edge, as the converted file's picture is.
void TestPlayerEngine::tinyClipsShowTheirConvertedColour()
{
    QFETCH(QSize, size);
    const QString tag = QString("%1x%2").arg(size.width()).arg(size.height());
    const QString src = m_dir.filePath("tiny_" + tag + ".mkv");
    // exact planes, whatever the size: no conversion from RGB on the way
    QVERIFY(ffmpeg({"-f", "lavfi", "-i",
                    QString("nullsrc=s=%1:r=25:d=0.2,format=yuv420p,geq=lum=96:cb=160:cr=100").arg(tag),
                    "-c:v", "ffv1", src}));
    const QString converted = m_dir.filePath("tiny_" + tag + ".mp4");
    QVERIFY(engineConvert(src, converted));
    const QJsonObject video = mediatools::ffprobe(converted).value("streams").toArray().at(0).toObject();
    const int cw = video.value("width").toInt(), ch = video.value("height").toInt();
    QByteArray rgb;
    QVERIFY(ffmpeg({"-i", converted, "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "rgb24", "-"}, &rgb));
    QCOMPARE(rgb.size(), cw * ch * 3);
    // the picture is at the centre of the frame, bars or none
    const int i = ((ch / 2) * cw + cw / 2) * 3;
    const QColor want(uchar(rgb[i]), uchar(rgb[i + 1]), uchar(rgb[i + 2]));

    VideoImageWindow output, original;
    for (VideoImageWindow* surface : {&output, &original}) {
        surface->resize(320, 180);
        surface->show();
        QVERIFY(QTest::qWaitForWindowExposed(surface));
        QTRY_VERIFY(surface->videoView()->context() != nullptr);
    }
    PlayerHandle p = Player_Create(-1);
    Player_SetVideoFrameHandle(p, VideoImageWindow::VideoFrameLoops, &output);
    Player_SetOrignalVideoFrameHandle(p, VideoImageWindow::VideoFrameLoops, &original);
    QCOMPARE(Player_Open(p, src.toUtf8().constData()), 1);
    output.setVideoSize(Player_GetVideoWidth(p), Player_GetVideoHeight(p));
    original.setVideoSize(Player_GetVideoWidth(p), Player_GetVideoHeight(p));
    QCOMPARE(Player_ShowVideoFrame(p), 1);
    QTRY_VERIFY(output.videoView()->framesUploaded() > 0 && original.videoView()->framesUploaded() > 0);
    Player_Release(p);
    const QString outputOff = offColour(output.videoView(), want);
    QVERIFY2(outputOff.isEmpty(), qPrintable("output preview: " + outputOff));
    const QString originalOff = offColour(original.videoView(), want);
    QVERIFY2(originalOff.isEmpty(), qPrintable("source preview: " + originalOff));
}

void TestPlayerEngine::playsFullHdAtItsOwnRate()
{
    const Playing playing = playFullHdFor10s();
    // What a busy machine cannot take away: the clip goes on playing and
    // what is handed over gets drawn. The quiet figures are about 250
    // handed, all drawn, stalls well under 50 ms.
    QVERIFY(playing.playing);
    QVERIFY2(playing.handed > 0, "no frame handed over in 10 s of playing");
    QVERIFY2(playing.drawn > 0, "frames handed over, none drawn");
    figures::report("playback.frames_handed", playing.handed, "frames", 225, figures::Better::Higher);
    figures::report("playback.frames_drawn", playing.drawnPercent(), "%", 80, figures::Better::Higher);
    figures::report("gui.longest_stall_playing", double(playing.longestStallMs), "ms", 250);
}

void TestPlayerEngine::playsFullHdBesideFiveConversions()
{
    // Five 1080p conversions load every core for the whole measurement: a
    // figure only the benchmark asks for.
    if (qEnvironmentVariableIsEmpty("LV_FIGURES"))
        QSKIP("measured by the benchmark (LV_FIGURES) only");
    QList<ConverterHandle> jobs;
    for (int i = 0; i < 5; ++i) {
        Config config = Config_Create();
        ConverterHandle job = Converter_Create(-1);
        const QByteArray target = m_dir.filePath(QString("busy%1.mp4").arg(i)).toUtf8();
        QVERIFY(Converter_Open(job, m_hd.toUtf8().constData(), target.constData(), "mp4", config));
        Config_Release(config);
        QVERIFY(Converter_Start(job));
        jobs << job;
    }
    const Playing playing = playFullHdFor10s();
    for (ConverterHandle job : jobs)
        Converter_Release(job);
    QVERIFY(playing.playing);
    QVERIFY2(playing.drawn > 0, "frames handed over, none drawn");
    figures::report("playback.frames_drawn_beside_five", playing.drawnPercent(), "%", 80,
                    figures::Better::Higher);
}

QTEST_MAIN(TestPlayerEngine)
#include "tst_player_engine.moc"
