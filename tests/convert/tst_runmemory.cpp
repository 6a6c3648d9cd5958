// A run holds a flat memory plateau and gives its memory back: short clips
// scaled up to 1280x720 through the real engine, five at a time, with the
// resident size sampled through the run. The suite checks that the run ends
// with every output written; the sizes are figures for the benchmark, which
// asks for a longer run with LV_RUN_JOBS (e.g. 100).

#include "QueueTestUtil.h"

#include "../Figures.h"
#include "../MediaTools.h"

#include "AddFileThread.h"
#include "FinishConvertDialog.h"
#include "GobelConfigure.h"
#include "ScrollAreaforBar.h"
#include "VideoConvertBar.h"
#include "formats/GobelItemChunk.h"

#include <QDir>
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
// Enough outputs past the tenth to see a growth; the benchmark asks for more.
constexpr int kDefaultJobs = 24;
// The plateau is measured from the tenth output on.
constexpr int kSettled = 10;

int jobCount()
{
    bool ok = false;
    const int n = qEnvironmentVariableIntValue("LV_RUN_JOBS", &ok);
    return ok && n > kSettled ? n : kDefaultJobs;
}

} // namespace

class TstRunMemory : public QObject
{
    Q_OBJECT

private slots:
    void runHoldsAPlateau()
    {
        if (QStandardPaths::findExecutable("ffmpeg").isEmpty())
            QSKIP("the ffmpeg command is needed to make the test clip");
        const int jobs = jobCount();
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString clip = dir.filePath("clip.mp4");
        mediatools::ClipSpec spec;
        spec.seconds = "1";
        QVERIFY(mediatools::makeClip(clip, spec));
        QStringList files;
        for (int i = 0; i < jobs; ++i) {
            const QString link = dir.filePath(QString("job%1.mp4").arg(i));
            QVERIFY(QFile::link(clip, link));
            files << link;
        }
        const QString outDir = dir.filePath("out");
        g_Configure.m_strOutputFolder = outDir;
        g_Configure.m_bMerge = false;
        AddFileThread::setPace(0);

        QueueUnderTest queue(nullptr);
        queue.resize(900, 600);
        queue.show();
        QVERIFY(QTest::qWaitForWindowExposed(&queue));
        queue.slotAddItunesItems(files);
        QTRY_COMPARE_WITH_TIMEOUT(queue.barList().size(), jobs, 120000);
        QTRY_VERIFY_WITH_TIMEOUT(!queue.isAdding(), 30000);

        // Each output is counted as its row ends; the resident size is
        // sampled throughout, and its peak up to the tenth output is the
        // level a full set of running jobs needs.
        int outputs = 0;
        qint64 peak = 0, settledPeak = 0, laterPeak = 0;
        auto sample = [&] {
            const qint64 now = residentBytes();
            peak = qMax(peak, now);
            if (outputs < kSettled)
                settledPeak = qMax(settledPeak, now);
            else
                laterPeak = qMax(laterPeak, now);
        };
        for (VideoConvertBar* bar : queue.barList()) {
            Convertinfo target = bar->TargetInfo();
            target.V_Resolution = "1280*720";
            bar->setConvertinfo(target);
            connect(bar, &VideoConvertBar::emitNotifyFinish, this, [&] {
                sample();
                ++outputs;
            });
        }
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
        QTimer sampler;
        connect(&sampler, &QTimer::timeout, this, sample);
        sampler.start(50);
        queue.StartConvert();
        queue.SetConvertState(true);
        // Only catches a hang: a quiet machine takes about a second a job.
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 20000 + jobs * 10000);
        sampler.stop();
        const qint64 runMs = timer.elapsed();
        QCOMPARE(done, QString("All tasks completed"));
        QCOMPARE(outputs, jobs);
        const QFileInfoList written = QDir(outDir).entryInfoList(QDir::Files);
        QCOMPARE(written.size(), jobs);
        for (const QFileInfo& file : written)
            QVERIFY2(file.size() > 0, qPrintable(file.fileName()));

        const qint64 atEnd = residentBytes();
        QTest::qWait(10000);
        const qint64 later = residentBytes();

        qInfo().noquote() << QString("%1 conversions in %2 ms: %3 MiB before, %4 MiB at the peak up to the "
                                     "tenth output, %5 MiB at the peak after it, %6 MiB at the end, %7 MiB "
                                     "ten seconds on")
                                 .arg(jobs)
                                 .arg(runMs)
                                 .arg(before / kMiB, 0, 'f', 1)
                                 .arg(settledPeak / kMiB, 0, 'f', 1)
                                 .arg(laterPeak / kMiB, 0, 'f', 1)
                                 .arg(atEnd / kMiB, 0, 'f', 1)
                                 .arg(later / kMiB, 0, 'f', 1);
        figures::report("run.grow_after_10th_MiB", qMax<qint64>(0, laterPeak - settledPeak) / kMiB, "MiB",
                        100);
        figures::report("run.left_at_end_MiB", (atEnd - before) / kMiB, "MiB", 50);
        figures::report("run.left_after_10s_MiB", (later - before) / kMiB, "MiB", 50);
    }
};

QTEST_MAIN(TstRunMemory)
#include "tst_runmemory.moc"
