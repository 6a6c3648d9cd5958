// A snapshot through the real engine: the processed picture, written and
// read back as an image file.
#include "editing/SnapshotWriter.h"

#include <QImage>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

bool near(const QColor& c, const QColor& want, int tolerance)
{
    return qAbs(c.red() - want.red()) <= tolerance && qAbs(c.green() - want.green()) <= tolerance
        && qAbs(c.blue() - want.blue()) <= tolerance;
}

} // namespace

class TestSnapshotEngine : public QObject
{
    Q_OBJECT
private slots:
    void processedPictureSaved_data();
    void processedPictureSaved();
};

void TestSnapshotEngine::processedPictureSaved_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("tolerance");
    QTest::newRow("JPEG") << "JPEG" << 40;
    QTest::newRow("PNG") << "PNG" << 30;
    QTest::newRow("BMP") << "BMP" << 30;
}

void TestSnapshotEngine::processedPictureSaved()
{
    QFETCH(QString, format);
    QFETCH(int, tolerance);
    if (QStandardPaths::findExecutable("ffmpeg").isEmpty())
        QSKIP("the ffmpeg command is needed to make the clip");
    QTemporaryDir dir;
    // Left half red, right half blue, a green square in the middle.
    const QString clip = dir.filePath("halves.mp4");
    QProcess make;
    make.start("ffmpeg",
               {"-v", "error", "-y", "-f", "lavfi", "-i",
                "color=c=red:s=160x120:r=25,drawbox=x=80:y=0:w=80:h=120:color=blue:t=fill,"
                "drawbox=x=60:y=40:w=40:h=40:color=lime:t=fill",
                "-t", "1", "-c:v", "libx264", "-pix_fmt", "yuv420p", clip});
    QVERIFY(make.waitForFinished(60000));
    QCOMPARE(make.exitCode(), 0);

    PlayerHandle player = Player_Create(-1);
    QVERIFY(player);
    QVERIFY(Player_Open(player, clip.toUtf8().constData()));
    // processed: mirrored, so blue is on the left
    QVERIFY(Player_SetVideoMirror(player, 1));

    SnapshotWriter writer;
    QSignalSpy done(&writer, &SnapshotWriter::finished);
    QCOMPARE(writer.take(player, dir.path(), format), SnapshotWriter::Saving);
    QVERIFY(done.wait(10000));
    QVERIFY(done.at(0).at(0).toBool());
    const QImage image(done.at(0).at(1).toString());
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), QSize(160, 120));
    const QColor centre = image.pixelColor(80, 60);
    QVERIFY2(near(centre, QColor(0, 255, 0), tolerance), qPrintable(centre.name()));
    QVERIFY2(near(image.pixelColor(20, 60), QColor(0, 0, 255), tolerance),
             qPrintable(image.pixelColor(20, 60).name()));
    QVERIFY2(near(image.pixelColor(140, 60), QColor(255, 0, 0), tolerance),
             qPrintable(image.pixelColor(140, 60).name()));
    Player_Release(player);
}

QTEST_GUILESS_MAIN(TestSnapshotEngine)
#include "tst_snapshot_engine.moc"
