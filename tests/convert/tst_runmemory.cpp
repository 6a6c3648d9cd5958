// A finished run gives its memory back: a few dozen short conversions
// through the real engine, resident size before the run and after it ends.

#include "QueueTestUtil.h"

#include "../MediaTools.h"

#include "AddFileThread.h"
#include "FinishConvertDialog.h"
#include "GobelConfigure.h"
#include "GobelItemChunk.h"
#include "ScrollAreaforBar.h"
#include "VideoConvertBar.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using namespace queuetest;

namespace {

qint64 residentBytes()
{
    QFile statm("/proc/self/statm");
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() * sysconf(_SC_PAGESIZE) : 0;
}

constexpr double kMiB = 1024.0 * 1024.0;
constexpr int kJobs = 50;
// What may stay once a run has ended, ten seconds on.
constexpr double kLeftLimitMiB = 50.0;

} // namespace

class TstRunMemory : public QObject
{
    Q_OBJECT

private slots:
    void runGivesMemoryBack()
    {
        if (QStandardPaths::findExecutable("ffmpeg").isEmpty())
            QSKIP("the ffmpeg command is needed to make the test clip");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString clip = dir.filePath("clip.mp4");
        mediatools::ClipSpec spec;
        spec.seconds = "1";
        QVERIFY(mediatools::makeClip(clip, spec));
        QStringList files;
        for (int i = 0; i < kJobs; ++i) {
            const QString link = dir.filePath(QString("job%1.mp4").arg(i));
            QVERIFY(QFile::link(clip, link));
            files << link;
        }
        g_Configure.m_strOutputFolder = dir.filePath("out");
        g_Configure.m_bMerge = false;
        AddFileThread::setPace(0);

        QueueUnderTest queue(nullptr);
        queue.resize(900, 600);
        queue.show();
        QVERIFY(QTest::qWaitForWindowExposed(&queue));
        queue.slotAddItunesItems(files);
        QTRY_COMPARE_WITH_TIMEOUT(queue.barList().size(), kJobs, 120000);
        QTRY_VERIFY_WITH_TIMEOUT(!queue.isAdding(), 30000);
        QSignalSpy finished(&queue, &ScrollAreaforBar::emitFinishConvert);
        QString done;
        ModalWatcher watcher([&done](QWidget* modal) {
            auto* dialog = qobject_cast<FinishConvertDialog*>(modal);
            if (!dialog)
                return false;
            done = dialog->m_infoLabel->text();
            dialog->m_okButton->click();
            return true;
        });
        QTest::qWait(200);
        const qint64 before = residentBytes();

        QElapsedTimer timer;
        timer.start();
        qint64 peak = before;
        QTimer sampler;
        connect(&sampler, &QTimer::timeout, [&peak] { peak = qMax(peak, residentBytes()); });
        sampler.start(100);
        queue.StartConvert();
        queue.SetConvertState(true);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 240000);
        sampler.stop();
        const qint64 runMs = timer.elapsed();
        QCOMPARE(done, QString("All tasks completed"));
        const qint64 atEnd = residentBytes();
        QTest::qWait(10000);
        const qint64 later = residentBytes();

        const double left = (later - before) / kMiB;
        qInfo().noquote() << QString("%1 conversions in %2 ms: %3 MiB before, %4 MiB at the peak, %5 MiB "
                                     "at the end, %6 MiB ten seconds on (%7 MiB left)")
                                 .arg(kJobs)
                                 .arg(runMs)
                                 .arg(before / kMiB, 0, 'f', 1)
                                 .arg(peak / kMiB, 0, 'f', 1)
                                 .arg(atEnd / kMiB, 0, 'f', 1)
                                 .arg(later / kMiB, 0, 'f', 1)
                                 .arg(left, 0, 'f', 1);
        QVERIFY2(left <= kLeftLimitMiB, qPrintable(QString("%1 MiB left after the run").arg(left)));
    }
};

QTEST_MAIN(TstRunMemory)
#include "tst_runmemory.moc"
