// Whole runs through the real engine: three generated clips converted five
// at a time, then merged into one file; the outputs are checked with
// ffprobe, and the history, the rows and the all-done dialog with the queue;
// five 1080p files added, run with a pause and a removal, and the GUI
// thread's longest stalls reported as figures.

#include "QueueTestUtil.h"
#include "history/HistoryFile.h"

#include "../Figures.h"
#include "../MediaTools.h"
#include "../StallProbe.h"

#include "CommonDialog.h"
#include "FinishConvertDialog.h"
#include "GobelConfigure.h"
#include "ScrollAreaforBar.h"
#include "VideoConvertBar.h"
#include "formats/GobelItemChunk.h"

#include <QDomDocument>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace queuetest;

namespace {

struct Probe
{
    bool ok = false;
    QString videoCodec;
    QString audioCodec;
    double duration = 0.0;
};

Probe probe(const QString& path)
{
    Probe result;
    const QJsonObject root = mediatools::ffprobe(path);
    if (root.isEmpty())
        return result;
    for (const QJsonValue& stream : root.value("streams").toArray()) {
        const QJsonObject s = stream.toObject();
        if (s.value("codec_type").toString() == "video")
            result.videoCodec = s.value("codec_name").toString();
        else if (s.value("codec_type").toString() == "audio")
            result.audioCodec = s.value("codec_name").toString();
    }
    result.duration = root.value("format").toObject().value("duration").toString().toDouble();
    result.ok = true;
    return result;
}

QStringList historyPaths()
{
    QStringList paths;
    HistoryFile::waitForLater();
    QFile file(ScrollAreaforBar::historyPath());
    QDomDocument doc;
    if (!file.open(QIODevice::ReadOnly) || !doc.setContent(&file))
        return paths;
    for (QDomElement c = doc.documentElement().firstChildElement(); !c.isNull(); c = c.nextSiblingElement()) {
        for (QDomElement e = c.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
            paths << e.attribute("filepath");
    }
    return paths;
}

} // namespace

class TestRunsEngine : public QObject
{
    Q_OBJECT

private slots:
    void convertThenMerge();
    void fiveJobRunWithPauseAndRemoval();
};

void TestRunsEngine::convertThenMerge()
{
    if (QStandardPaths::findExecutable("ffmpeg").isEmpty()
        || QStandardPaths::findExecutable("ffprobe").isEmpty())
        QSKIP("the ffmpeg and ffprobe commands are needed to make and check the clips");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QStringList clips;
    for (const char* name : {"a", "b", "c"}) {
        const QString clip = dir.filePath(QString(name) + ".mov");
        QVERIFY(mediatools::makeClip(clip));
        clips << clip;
    }
    const QString out = dir.filePath("out");
    g_Configure.m_strOutputFolder = out;
    g_Configure.m_bMerge = false;
    QFile::remove(ScrollAreaforBar::historyPath());

    QueueUnderTest queue(nullptr);
    queue.resize(900, 400);
    queue.show();
    drop(&queue,
         {QUrl::fromLocalFile(clips[0]), QUrl::fromLocalFile(clips[1]), QUrl::fromLocalFile(clips[2])});
    QCOMPARE(queue.barList().size(), 3);

    QSignalSpy finished(&queue, &ScrollAreaforBar::emitFinishConvert);
    int dialogs = 0;
    QString dialogText;
    ModalWatcher watcher([&](QWidget* modal) {
        auto* done = qobject_cast<FinishConvertDialog*>(modal);
        if (!done)
            return false;
        ++dialogs;
        dialogText = done->m_infoLabel->text();
        done->m_okButton->click();
        return true;
    });

    // Five at a time: all three run together.
    queue.StartConvert();
    queue.SetConvertState(true);
    QCOMPARE(queue.convertingList().size(), 3);
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 120000);
    QCOMPARE(dialogs, 1);
    QCOMPARE(dialogText, QString("All tasks completed"));
    for (VideoConvertBar* bar : queue.barList()) {
        QCOMPARE(bar->GetCurrentState(), State_Ready);
        QVERIFY(!bar->HasFailed());
    }
    QStringList expected;
    for (const char* name : {"a", "b", "c"}) {
        const QString output = out + "/" + name + ".mp4";
        expected << output;
        const Probe facts = probe(output);
        QVERIFY2(facts.ok, qPrintable(output));
        QCOMPARE(facts.videoCodec, QString("h264"));
        QCOMPARE(facts.audioCodec, QString("aac"));
        QVERIFY2(qAbs(facts.duration - 2.0) < 0.15, qPrintable(QString::number(facts.duration)));
        QVERIFY(mediatools::decodes(output));
    }
    QStringList recorded = historyPaths();
    recorded.sort();
    QCOMPARE(recorded, expected);

    // Once merged: a.mp4 is taken, so the merge writes a1.mp4.
    g_Configure.m_bMerge = true;
    g_itemChunk.getConvertXMLInfo();
    queue.StartConvert();
    queue.SetConvertState(true);
    QTRY_COMPARE_WITH_TIMEOUT(dialogs, 2, 120000);
    QCOMPARE(finished.count(), 2);
    QCOMPARE(dialogText, QString("All tasks completed"));
    g_Configure.m_bMerge = false;
    const QString merged = out + "/a1.mp4";
    const Probe facts = probe(merged);
    QVERIFY2(facts.ok, qPrintable(merged));
    QCOMPARE(facts.videoCodec, QString("h264"));
    QVERIFY2(qAbs(facts.duration - 6.0) < 0.25, qPrintable(QString::number(facts.duration)));
    QVERIFY(mediatools::decodes(merged));
    QCOMPARE(historyPaths().size(), 4);
    QCOMPARE(historyPaths().last(), merged);
    for (VideoConvertBar* bar : queue.barList())
        QCOMPARE(bar->GetCurrentState(), State_Ready);
}

void TestRunsEngine::fiveJobRunWithPauseAndRemoval()
{
    if (QStandardPaths::findExecutable("ffmpeg").isEmpty())
        QSKIP("the ffmpeg command is needed to make the clips");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString first = dir.filePath("hd0.mp4");
    mediatools::ClipSpec hd;
    hd.video = "testsrc=size=1920x1080:rate=25";
    hd.fast = true;
    QVERIFY(mediatools::makeClip(first, hd));
    QList<QUrl> urls{QUrl::fromLocalFile(first)};
    for (int i = 1; i < 5; ++i) {
        const QString copy = dir.filePath(QString("hd%1.mp4").arg(i));
        QVERIFY(QFile::copy(first, copy));
        urls << QUrl::fromLocalFile(copy);
    }
    g_Configure.m_strOutputFolder = dir.filePath("out");
    g_Configure.m_bMerge = false;

    QueueUnderTest queue(nullptr);
    queue.resize(900, 400);
    queue.show();
    QSignalSpy finished(&queue, &ScrollAreaforBar::emitFinishConvert);
    ModalWatcher watcher([](QWidget* modal) {
        if (auto* done = qobject_cast<FinishConvertDialog*>(modal)) {
            done->m_okButton->click();
            return true;
        }
        if (auto* question = qobject_cast<CommonDialog*>(modal)) {
            question->m_btnOK->click();
            return true;
        }
        return false;
    });

    StallProbe probe;
    drop(&queue, urls);
    QTRY_COMPARE_WITH_TIMEOUT(queue.barList().size(), 5, 60000);
    const qint64 adding = probe.phaseMs();

    queue.StartConvert();
    queue.SetConvertState(true);
    const QList<VideoConvertBar*> rows = queue.barList();
    QTRY_COMPARE_WITH_TIMEOUT(rows.at(1)->GetCurrentState(), State_Converting, 60000);
    const qint64 starting = probe.phaseMs();
    rows.at(1)->PauseConvert();
    QCOMPARE(rows.at(1)->GetCurrentState(), State_Paused);
    QTest::qWait(200);
    rows.at(1)->PauseConvert();
    // A row removed mid-run, possibly while its job still opens.
    emit rows.at(4)->signalDeleteItem();
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 240000);
    const qint64 running = probe.phaseMs();
    for (int i = 0; i < 4; ++i)
        QVERIFY2(QFileInfo::exists(dir.filePath(QString("out/hd%1.mp4").arg(i))),
                 qPrintable(QString::number(i)));

    qInfo("longest event-loop stall: %lld ms adding, %lld ms starting, %lld ms running to the end; %lld ms "
          "in all",
          adding, starting, running, probe.longestMs());
    // Stalls are figures: on a busy machine the GUI thread waits for a core
    // as long as anything else.
    figures::report("gui.longest_stall_adding", double(adding), "ms", 250);
    figures::report("gui.longest_stall_converting", double(qMax(starting, running)), "ms", 250);
}

QTEST_MAIN(TestRunsEngine)
#include "tst_runs_engine.moc"
