// End to end: two clips converted through the queue by the real engine
// appear in History under their format, and Clear with files removes the
// outputs and the history file.

#include "../convert/QueueTestUtil.h"

#include "../MediaTools.h"

#include "ClearnDialog.h"
#include "FinishConvertDialog.h"
#include "GobelConfigure.h"
#include "HistoryBar.h"
#include "HistoryDialog.h"
#include "HistorytypeBar.h"
#include "ScrollAreaforBar.h"
#include "history/HistoryFile.h"

#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace queuetest;

class TestHistoryEngine : public QObject
{
    Q_OBJECT

private slots:
    void convertThenClearWithFiles();
};

void TestHistoryEngine::convertThenClearWithFiles()
{
    if (QStandardPaths::findExecutable("ffmpeg").isEmpty())
        QSKIP("the ffmpeg command is needed to make the clips");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QList<QUrl> clips;
    for (const char* name : {"a", "b"}) {
        const QString clip = dir.filePath(QString(name) + ".mov");
        mediatools::ClipSpec small;
        small.video = "testsrc=size=160x120:rate=25";
        small.seconds = "1";
        QVERIFY(mediatools::makeClip(clip, small));
        clips << QUrl::fromLocalFile(clip);
    }
    const QString out = dir.filePath("out");
    g_Configure.m_strOutputFolder = out;
    g_Configure.m_bMerge = false;
    QFile::remove(HistoryFile::defaultPath());

    QueueUnderTest queue(nullptr);
    queue.resize(900, 400);
    queue.show();
    drop(&queue, clips);
    QCOMPARE(queue.barList().size(), 2);

    QSignalSpy finished(&queue, &ScrollAreaforBar::emitFinishConvert);
    ModalWatcher watcher([&](QWidget* modal) {
        if (auto* done = qobject_cast<FinishConvertDialog*>(modal)) {
            done->m_okButton->click();
            return true;
        }
        if (auto* clear = qobject_cast<ClearnDialog*>(modal)) {
            clear->m_removeALL->setChecked(true);
            clear->m_btnOK->click();
            return true;
        }
        return false;
    });
    queue.StartConvert();
    queue.SetConvertState(true);
    const QStringList outputs{out + "/a.mp4", out + "/b.mp4"};
    // What Clear must leave alone while the run goes on, and nothing after.
    QCOMPARE(queue.runOutputs(), QSet<QString>(outputs.begin(), outputs.end()));
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 120000);
    QVERIFY(queue.runOutputs().isEmpty());
    for (const QString& output : outputs)
        QVERIFY2(QFileInfo(output).isFile(), qPrintable(output));

    HistoryDialog history(nullptr);
    history.setBusyOutputs([&] { return queue.runOutputs(); });
    // The last entry may still be on its way to the file: the window shows
    // it when written.
    QTRY_COMPARE_WITH_TIMEOUT(history.typeBars().size(), 1, 120000);
    QCOMPARE(history.typeBars().first()->getType(), QString("MP4"));
    QTRY_COMPARE_WITH_TIMEOUT(history.typeBars().first()->m_label->text(), QString("MP4 (2)"), 120000);
    QStringList listed;
    for (HistoryBar* bar : history.historyBars())
        listed << bar->getFilepath();
    listed.sort();
    QCOMPARE(listed, outputs);

    history.show();
    QTest::mouseClick(history.m_btnClear, Qt::LeftButton);
    QVERIFY(!history.isVisible());
    for (const QString& output : outputs)
        QVERIFY2(!QFile::exists(output), qPrintable(output));
    QVERIFY(!QFile::exists(HistoryFile::defaultPath()));
    for (const QUrl& clip : clips)
        QVERIFY(QFile::exists(clip.toLocalFile()));
}

QTEST_MAIN(TestHistoryEngine)
#include "tst_history_engine.moc"
