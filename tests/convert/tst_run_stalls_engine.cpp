// The GUI thread while a run of five 720p WEBM sources goes on, through the
// real engine and the queue's own slots: Cancel with the five jobs running,
// and two files added mid-run. The longest gap between the ticks of a 5 ms
// timer is each figure; releasing the jobs and probing the added files are
// the workers' tasks.
#include "QueueTestUtil.h"

#include "../Figures.h"
#include "../StallProbe.h"

#include "GobelConfigure.h"
#include "ScrollAreaforBar.h"
#include "VideoConvertBar.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace queuetest;

namespace {

// A flat picture encodes and decodes quickly; the conversions still carry
// every 720p frame.
bool makeWebm(const QString& path)
{
    QProcess p;
    p.start("ffmpeg",
            {"-v",
             "error",
             "-y",
             "-f",
             "lavfi",
             "-i",
             "color=c=gray:size=1280x720:rate=25",
             "-f",
             "lavfi",
             "-i",
             "sine=frequency=440:sample_rate=48000",
             "-t",
             "20",
             "-c:v",
             "libvpx",
             "-deadline",
             "realtime",
             "-cpu-used",
             "16",
             "-b:v",
             "1M",
             "-c:a",
             "libvorbis",
             path});
    return p.waitForFinished(300000) && p.exitCode() == 0;
}

} // namespace

class TestRunStalls : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cancelWithFiveRunning();
    void addTwoDuringRun();

private:
    QList<QUrl> copies(const QString& prefix, int count);
    // A queue of the five sources, running, each row converting.
    void startFive(QueueUnderTest& queue);

    QTemporaryDir m_dir;
    QString m_source;
};

void TestRunStalls::initTestCase()
{
    if (QStandardPaths::findExecutable("ffmpeg").isEmpty())
        QSKIP("the ffmpeg command is needed to make the sources");
    QVERIFY(m_dir.isValid());
    m_source = m_dir.filePath("source.webm");
    QVERIFY(makeWebm(m_source));
    g_Configure.m_strOutputFolder = m_dir.filePath("out");
    g_Configure.m_bMerge = false;
}

QList<QUrl> TestRunStalls::copies(const QString& prefix, int count)
{
    QList<QUrl> urls;
    for (int i = 0; i < count; ++i) {
        const QString copy = m_dir.filePath(QString("%1%2.webm").arg(prefix).arg(i));
        if (!QFile::exists(copy))
            QFile::copy(m_source, copy);
        urls << QUrl::fromLocalFile(copy);
    }
    return urls;
}

void TestRunStalls::startFive(QueueUnderTest& queue)
{
    queue.resize(900, 400);
    queue.show();
    drop(&queue, copies(QTest::currentTestFunction(), 5));
    QTRY_COMPARE_WITH_TIMEOUT(queue.barList().size(), 5, 300000);
    queue.StartConvert();
    queue.SetConvertState(true);
    for (VideoConvertBar* row : queue.barList())
        QTRY_COMPARE_WITH_TIMEOUT(row->GetCurrentState(), State_Converting, 300000);
}

void TestRunStalls::cancelWithFiveRunning()
{
    QueueUnderTest queue(nullptr);
    startFive(queue);
    if (QTest::currentTestFailed())
        return;
    QTest::qWait(300);
    qint64 longest = 0;
    {
        StallProbe probe;
        // What the main window's Cancel does once confirmed.
        queue.CancelConvert();
        QTest::qWait(1000);
        longest = probe.longestMs();
    }
    for (VideoConvertBar* row : queue.barList())
        QVERIFY(row->GetCurrentState() != State_Converting);
    qInfo("Cancel with five 720p jobs running: longest GUI stall %lld ms", longest);
    figures::report("gui.longest_stall_cancel_five", double(longest), "ms", 50);
}

void TestRunStalls::addTwoDuringRun()
{
    QueueUnderTest queue(nullptr);
    startFive(queue);
    if (QTest::currentTestFailed())
        return;
    qint64 longest = 0;
    {
        StallProbe probe;
        drop(&queue, copies("added", 2));
        QTRY_COMPARE_WITH_TIMEOUT(queue.barList().size(), 7, 300000);
        // The added rows' facts and default records come in after.
        for (VideoConvertBar* row : queue.barList())
            QTRY_VERIFY_WITH_TIMEOUT(row->getTotalTime() > 0, 300000);
        QTest::qWait(500);
        longest = probe.longestMs();
    }
    queue.CancelConvert();
    qInfo("two files added during a run of five: longest GUI stall %lld ms", longest);
    figures::report("gui.longest_stall_add_during_run", double(longest), "ms", 50);
}

QTEST_MAIN(TestRunStalls)
#include "tst_run_stalls_engine.moc"
