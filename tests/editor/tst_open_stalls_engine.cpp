// The GUI thread while a preview window opens a 4K clip with a heavy
// subtitle file, on the real engine: the player window previewing it from
// its queue row, and the editor opening it as the row's Edit action does,
// the task's subtitle file chosen. The longest gap between the ticks of a
// 10 ms timer is the figure; the file's open and its first picture are the
// worker's.
#include "../convert/QueueTestUtil.h"

#include "../Figures.h"
#include "../MediaTools.h"
#include "../StallProbe.h"

#include "PlayerWidget.h"
#include "QVideoEditDlg.h"
#include "QVideoShowWidget.h"
#include "ScrollAreaforBar.h"
#include "VideoConvertBar.h"
#include "VideoImageWindow.h"

#include <orvalta.h>

#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace queuetest;

namespace {

// Many long, styled events at once: a file whose loading and first picture
// take the engine a good while.
bool writeHeavySubtitles(const QString& path, int events)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    QByteArray text = "[Script Info]\nScriptType: v4.00+\nPlayResX: 3840\nPlayResY: 2160\n\n"
                      "[V4+ Styles]\nFormat: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, "
                      "OutlineColour, BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, "
                      "Spacing, Angle, BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, MarginV, "
                      "Encoding\nStyle: Default,Sans,60,&H00FFFFFF,&H000000FF,&H00000000,&H00000000,0,0,0,0,"
                      "100,100,0,0,1,3,2,2,10,10,10,1\n\n[Events]\nFormat: Layer, Start, End, Style, Name, "
                      "MarginL, MarginR, MarginV, Effect, Text\n";
    for (int i = 0; i < events; ++i)
        text +=
            QStringLiteral("Dialogue: 0,0:00:00.%1,0:00:02.00,Default,,0,0,0,,{\\blur4\\bord6\\pos(%2,%3)}"
                           "Line %4 of a heavy subtitle file\n")
                .arg(i % 100, 2, 10, QLatin1Char('0'))
                .arg(100 + (i * 37) % 3600)
                .arg(100 + (i * 53) % 2000)
                .arg(i)
                .toUtf8();
    return f.write(text) == text.size();
}

} // namespace

class TestOpenStalls : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void playerOpensFourK();
    void editorOpensFourK();

private:
    QTemporaryDir m_dir;
    QString m_clip;
    QString m_subtitles;
    QueueUnderTest* m_queue = nullptr;
};

void TestOpenStalls::initTestCase()
{
    PlayerHandle probe = Player_Create(27);
    if (!probe)
        QSKIP("this engine build has no player");
    Player_Release(probe);
    if (QStandardPaths::findExecutable("ffmpeg").isEmpty())
        QSKIP("the ffmpeg command is needed to make the test clip");
    QVERIFY(m_dir.isValid());
    m_clip = m_dir.filePath("uhd.mp4");
    mediatools::ClipSpec spec;
    spec.video = "testsrc2=size=3840x2160:rate=25";
    spec.seconds = "2";
    spec.fast = true;
    QVERIFY(mediatools::makeClip(m_clip, spec));
    m_subtitles = m_dir.filePath("heavy.ass");
    QVERIFY(writeHeavySubtitles(m_subtitles, 20000));
    m_queue = new QueueUnderTest(nullptr);
    m_queue->resize(900, 400);
    m_queue->show();
    drop(m_queue, {QUrl::fromLocalFile(m_clip)});
    QCOMPARE(m_queue->barList().size(), 1);
    // The player window's first showing (its OpenGL set-up) is not the
    // file's opening: it is done before the measure.
    PlayerWidget* window = PlayerWidget::GetPlayer();
    window->showInFront();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QTest::qWait(200);
    window->close();
}

void TestOpenStalls::playerOpensFourK()
{
    PlayerWidget* window = PlayerWidget::GetPlayer();
    QVideoShowWidget* view = window->m_videoWidget->videoView();
    const int before = view->framesUploaded();
    qint64 longest = 0;
    {
        StallProbe probe(10);
        m_queue->barList().first()->m_btnPreviewPlay->click();
        QTRY_VERIFY_WITH_TIMEOUT(view->framesUploaded() > before, 300000);
        QTest::qWait(500);
        longest = probe.longestMs();
    }
    QVERIFY(window->isVisible());
    QVERIFY(!window->isLoading());
    window->close();
    QTRY_VERIFY_WITH_TIMEOUT(!window->isLoading(), 300000);
    qInfo("4K preview in the player window: longest GUI stall %lld ms", longest);
    figures::report("gui.longest_stall_player_open_4k", double(longest), "ms", 50);
}

void TestOpenStalls::editorOpensFourK()
{
    qint64 longest = 0;
    {
        QVideoEditDlg editor(nullptr);
        StallProbe probe(10);
        QVERIFY(editor.OpenVideoFile(m_clip, 0, 0));
        // The task's records as the Edit action hands them in: the heavy
        // file chosen as the subtitles.
        SubtitleValueInfo streams;
        editor.GetSubtitleInfo(streams);
        streams.subtitle_file = m_subtitles;
        streams.subtitle_index = streams.subtitle_count + 2;
        editor.SetSubtitleInfo(streams);
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        QTest::qWait(1500);
        longest = probe.longestMs();
        editor.reject();
    }
    qInfo("4K clip with a heavy subtitle file in the editor: longest GUI stall %lld ms", longest);
    figures::report("gui.longest_stall_editor_open_4k", double(longest), "ms", 50);
}

QTEST_MAIN(TestOpenStalls)
#include "tst_open_stalls_engine.moc"
