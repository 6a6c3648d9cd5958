// One add through the real engine: a generated clip and a file that is not
// media, dropped together.

#include "QueueTestUtil.h"

#include "../MediaTools.h"

#include "ScrollAreaforBar.h"
#include "VideoConvertBar.h"

#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace queuetest;

class TestQueueEngine : public QObject
{
    Q_OBJECT

private slots:
    void addGeneratedClipAndJunk();
};

void TestQueueEngine::addGeneratedClipAndJunk()
{
    const QString ffmpeg = QStandardPaths::findExecutable("ffmpeg");
    if (ffmpeg.isEmpty())
        QSKIP("the ffmpeg command is needed to make the test clip");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString clip = dir.filePath("clip.mov");
    QVERIFY(mediatools::makeClip(clip));
    const QString junk = dir.filePath("junk.mp4");
    QVERIFY(writeBytes(junk, 4096));

    QueueUnderTest queue(nullptr);
    queue.resize(900, 400);
    queue.show();
    drop(&queue, {QUrl::fromLocalFile(clip), QUrl::fromLocalFile(junk)});
    QCOMPARE(queue.barList().size(), 2);

    VideoConvertBar* row = queue.barList().at(0);
    QVERIFY(!row->ProbeFailed());
    QCOMPARE(row->m_beforeInfoWidget->m_time->text(), QString("00:00:02"));
    QCOMPARE(row->m_beforeInfoWidget->m_size->text(), QString("320*240"));
    QCOMPARE(row->m_beforeInfoWidget->m_format->text(), QString("MOV"));
    QCOMPARE(row->m_laterInfoWidget->m_videoNameLab->getName(), QString("clip.mp4"));
    QCOMPARE(row->SourceInfo().V_FrameRate, QString("25 FPS"));
    QCOMPARE(row->SourceInfo().A_SampleRate, QString("48000 HZ"));
    QCOMPARE(row->SourceInfo().A_Channel, QString("2"));

    // The test picture has colour bars: a real frame, not a blank block.
    const QImage* thumbnail = row->Thumbnail();
    QVERIFY(thumbnail);
    QCOMPARE(thumbnail->size(), VideoConvertBar::thumbnailPixels(queue.devicePixelRatioF()));
    QSet<QRgb> colours;
    for (int x = 0; x < thumbnail->width(); x += thumbnail->width() / 16)
        colours.insert(thumbnail->pixel(x, thumbnail->height() / 4));
    QVERIFY(colours.size() >= 4);

    VideoConvertBar* unreadable = queue.barList().at(1);
    QVERIFY(unreadable->ProbeFailed());
    QVERIFY(!unreadable->Thumbnail());
    // No made-up length for a file that could not be read.
    QCOMPARE(unreadable->m_beforeInfoWidget->m_time->text(), QString());
}

QTEST_MAIN(TestQueueEngine)
#include "tst_queue_engine.moc"
