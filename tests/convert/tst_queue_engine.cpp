// One add through the real engine: a generated clip and a file that is not
// media, dropped together; odd picture sizes as the row shows them.

#include "QueueTestUtil.h"

#include "../MediaTools.h"

#include "ScrollAreaforBar.h"
#include "VideoConvertBar.h"
#include "files/UserData.h"

#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using namespace queuetest;

class TestQueueEngine : public QObject
{
    Q_OBJECT

private slots:
    void addGeneratedClipAndJunk();
    void sourceSizeAsItIs_data();
    void sourceSizeAsItIs();
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
    const QString locked = dir.filePath("locked.mov");
    QVERIFY(QFile::copy(clip, locked));
    QVERIFY(QFile::setPermissions(locked, QFileDevice::Permissions()));
    const bool readsAnyFile = ::access(qPrintable(locked), R_OK) == 0;

    QueueUnderTest queue(nullptr);
    queue.resize(900, 400);
    queue.show();
    drop(&queue, {QUrl::fromLocalFile(clip), QUrl::fromLocalFile(junk), QUrl::fromLocalFile(locked)});
    QCOMPARE(queue.barList().size(), 3);

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
    QVERIFY(!unreadable->task().probeDenied());
    QVERIFY(!unreadable->Thumbnail());
    // A file this user may not read is told apart (a user that reads any
    // file reads it).
    VideoConvertBar* denied = queue.barList().at(2);
    QCOMPARE(denied->ProbeFailed(), !readsAnyFile);
    QCOMPARE(denied->task().probeDenied(), !readsAnyFile);
    // No made-up length for a file that could not be read.
    QCOMPARE(unreadable->m_beforeInfoWidget->m_time->text(), QString());
}

void TestQueueEngine::sourceSizeAsItIs_data()
{
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("output"); // at the source's own size
    QTest::newRow("17x9") << "17x9"
                          << "17*9"
                          << "16*16";
    QTest::newRow("321x241") << "321x241"
                             << "321*241"
                             << "320*240";
    QTest::newRow("320x240") << "320x240"
                             << "320*240"
                             << "320*240";
}

// The source's side shows as it is; only the output's is rounded to what
// its encoder takes.
void TestQueueEngine::sourceSizeAsItIs()
{
    QFETCH(QString, size);
    QFETCH(QString, source);
    QFETCH(QString, output);
    if (QStandardPaths::findExecutable("ffmpeg").isEmpty())
        QSKIP("the ffmpeg command is needed to make the test clip");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // FFV1 keeps odd sizes, which H.264 in 4:2:0 cannot.
    const QString clip = dir.filePath("odd.mkv");
    QProcess make;
    make.start("ffmpeg",
               {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=" + size + ":rate=10", "-t", "1",
                "-c:v", "ffv1", clip});
    QVERIFY(make.waitForFinished(60000) && make.exitCode() == 0);

    QueueUnderTest queue(nullptr);
    queue.resize(900, 400);
    queue.show();
    drop(&queue, {QUrl::fromLocalFile(clip)});
    QCOMPARE(queue.barList().size(), 1);
    VideoConvertBar* row = queue.barList().first();
    QCOMPARE(row->m_beforeInfoWidget->m_size->text(), source);
    QCOMPARE(row->SourceInfo().V_Resolution, source);

    Convertinfo values = row->TargetInfo();
    values.V_Resolution = "Original";
    row->setConvertinfo(values);
    QCOMPARE(row->m_laterInfoWidget->m_size->text(), output);
    QCOMPARE(row->TargetResolution(), output);
    QFile::remove(UserData::path("format/XML/MP4 Video.xml"));
}

QTEST_MAIN(TestQueueEngine)
#include "tst_queue_engine.moc"
