// What a queue row costs in memory, through the real engine: rows keep the
// picture they draw, not the source's, whatever its size. The cost a row is
// a figure for the benchmark; the test holds each row below one picture of
// its source, which only a row keeping that picture could reach.

#include "QueueTestUtil.h"

#include "../Figures.h"
#include "../MediaTools.h"

#include "AddFileThread.h"
#include "ScrollAreaforBar.h"
#include "VideoConvertBar.h"
#include "queue/FreeMemory.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using namespace queuetest;

namespace {

// Resident size of this process in bytes, with the allocator's free memory
// handed back first: the figure is what the rows keep, not what the
// allocator happens to hold at that moment.
qint64 residentBytes()
{
    FreeMemory::giveBack();
    QFile statm("/proc/self/statm");
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() * sysconf(_SC_PAGESIZE) : 0;
}

constexpr double kMiB = 1024.0 * 1024.0;
// A row's own cost, whatever the source's size: the benchmark's budget.
constexpr double kRowBudgetMiB = 3.0;

} // namespace

class TstRowMemory : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QMap<QString, QString> m_clips;
    int m_links = 0;

    // `count` names for the clip (links, so each is a file of its own).
    QStringList copies(const QString& clip, int count)
    {
        QStringList files;
        for (int i = 0; i < count; ++i) {
            const QString link = m_dir.filePath(QString("row%1.mp4").arg(++m_links));
            if (!QFile::link(clip, link))
                return {};
            files << link;
        }
        return files;
    }

    static void add(ScrollAreaforBar* queue, const QStringList& files)
    {
        const int before = queue->barList().size();
        queue->slotAddItunesItems(files);
        // Bounds that catch a hang, not a pace: a quiet machine probes a 4K
        // file in a fraction of a second.
        QTRY_COMPARE_WITH_TIMEOUT(queue->barList().size(), before + files.size(),
                                  60000 + 5000 * files.size());
        QTRY_VERIFY_WITH_TIMEOUT(!queue->isAdding(), 60000);
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable("ffmpeg").isEmpty())
            QSKIP("the ffmpeg command is needed to make the test clips");
        QVERIFY(m_dir.isValid());
        // The add's one-file-a-second pace would only make this slow.
        AddFileThread::setPace(0);
        const struct
        {
            const char* name;
            const char* size;
        } clips[] = {{"1080p", "1920x1080"}, {"4K", "3840x2160"}};
        for (const auto& c : clips) {
            mediatools::ClipSpec spec;
            spec.video = QString("testsrc=size=%1:rate=25").arg(c.size);
            spec.seconds = "1";
            spec.fast = true;
            const QString path = m_dir.filePath(QString("%1.mp4").arg(c.name));
            QVERIFY(mediatools::makeClip(path, spec));
            m_clips.insert(c.name, path);
        }
    }

    void rowCost_data()
    {
        QTest::addColumn<QString>("clip");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QSize>("source");
        QTest::addColumn<QString>("figure");
        QTest::newRow("1080p") << "1080p" << 30 << QSize(1920, 1080) << "queue.row_memory_1080p";
        QTest::newRow("4K") << "4K" << 30 << QSize(3840, 2160) << "queue.row_memory_4k";
        QTest::newRow("100 rows of 1080p")
            << "1080p" << 100 << QSize(1920, 1080) << "queue.row_memory_100_rows";
    }

    void rowCost()
    {
        QFETCH(QString, clip);
        QFETCH(int, rows);
        QFETCH(QSize, source);
        QFETCH(QString, figure);
        QueueUnderTest queue(nullptr);
        queue.resize(900, 600);
        queue.show();
        QVERIFY(QTest::qWaitForWindowExposed(&queue));
        // What a first add costs once (the worker, skin pictures, the
        // engine's set-up) is not a row's.
        add(&queue, copies(m_clips.value(clip), 2));

        const qint64 before = residentBytes();
        QElapsedTimer timer;
        timer.start();
        add(&queue, copies(m_clips.value(clip), rows));
        const qint64 ms = timer.elapsed();
        const qint64 after = residentBytes();

        const double perRow = double(after - before) / rows / kMiB;
        qInfo().noquote() << QString("%1 rows of %2: %3 MiB before, %4 MiB after, %5 MiB a row, %6 ms")
                                 .arg(rows)
                                 .arg(clip)
                                 .arg(before / kMiB, 0, 'f', 1)
                                 .arg(after / kMiB, 0, 'f', 1)
                                 .arg(perRow, 0, 'f', 2)
                                 .arg(ms);
        const QImage* picture = queue.barList().last()->Thumbnail();
        QVERIFY(picture);
        QCOMPARE(picture->size(), VideoConvertBar::thumbnailPixels(queue.devicePixelRatioF()));
        const double sourcePictureMiB = source.width() * source.height() * 4 / kMiB;
        QVERIFY2(
            perRow < sourcePictureMiB,
            qPrintable(QString("%1 MiB a row, a source picture %2 MiB").arg(perRow).arg(sourcePictureMiB)));
        figures::report(figure.toUtf8().constData(), perRow, "MiB", kRowBudgetMiB);
    }
};

QTEST_MAIN(TstRowMemory)
#include "tst_rowmemory.moc"
