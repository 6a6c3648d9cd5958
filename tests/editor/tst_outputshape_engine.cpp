// The editor's output preview and its snapshots with the real engine, for
// output frames shaped unlike the source: the picture keeps its shape.
#include "../MediaTools.h"

#include "QVideoEditDlg.h"
#include "QVideoShowWidget.h"
#include "VideoImageWindow.h"
#include "editing/SnapshotWriter.h"

#include <QImage>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The bounding box of the bright pixels: the white square on black.
QRect brightBox(const QImage& image)
{
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) > 128) {
                left = qMin(left, x);
                right = qMax(right, x);
                top = qMin(top, y);
                bottom = qMax(bottom, y);
            }
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace

class TestOutputShapeEngine : public QObject
{
    Q_OBJECT
private slots:
    void squareStaysSquare_data();
    void squareStaysSquare();
};

void TestOutputShapeEngine::squareStaysSquare_data()
{
    QTest::addColumn<QSize>("source");
    QTest::addColumn<QSize>("output");
    QTest::newRow("4:3 to 16:9") << QSize(320, 240) << QSize(1280, 720);
    QTest::newRow("16:9 to 352x288") << QSize(320, 180) << QSize(352, 288);
    QTest::newRow("16:9 at its own size") << QSize(320, 180) << QSize(0, 0);
}

void TestOutputShapeEngine::squareStaysSquare()
{
    QFETCH(QSize, source);
    QFETCH(QSize, output);
    if (QStandardPaths::findExecutable("ffmpeg").isEmpty())
        QSKIP("the ffmpeg command is needed to make the clip");
    QTemporaryDir dir;
    const QString clip = dir.filePath("square.mp4");
    mediatools::ClipSpec spec;
    const int side = 60;
    spec.video = QString("color=c=black:s=%1x%2:r=25,drawbox=x=%3:y=%4:w=%5:h=%5:color=white:t=fill")
                     .arg(source.width())
                     .arg(source.height())
                     .arg((source.width() - side) / 2)
                     .arg((source.height() - side) / 2)
                     .arg(side);
    spec.seconds = "3";
    QVERIFY(mediatools::makeClip(clip, spec));

    QVideoEditDlg editor;
    editor.show();
    QVERIFY(editor.SetVideoFile(clip, unsigned(output.width()), unsigned(output.height())));
    editor.OnBtnPause();
    const QSize frame = output.isNull() ? source : output;

    // The preview's picture area has the output frame's shape.
    const QRect view = editor.m_videoPreviewWidget->videoView()->geometry();
    QVERIFY(!view.isEmpty());
    QVERIFY2(qAbs(double(view.width()) / view.height() - double(frame.width()) / frame.height()) < 0.02,
             qPrintable(QString("view %1 x %2").arg(view.width()).arg(view.height())));

    // The snapshot is the processed picture at the output frame's size.
    SnapshotWriter writer;
    QSignalSpy done(&writer, &SnapshotWriter::finished);
    QCOMPARE(writer.take(editor.player(), dir.path(), "PNG"), SnapshotWriter::Saving);
    QVERIFY(done.wait(10000));
    QVERIFY(done.at(0).at(0).toBool());
    const QImage shot(done.at(0).at(1).toString());
    QCOMPARE(shot.size(), frame);
    const QRect square = brightBox(shot);
    QVERIFY(!square.isEmpty());
    QVERIFY2(qAbs(square.width() - square.height()) <= 2,
             qPrintable(QString("saved %1 x %2").arg(square.width()).arg(square.height())));
    // Drawn in the preview: the same square, scaled alike both ways.
    const double shownW = square.width() * double(view.width()) / frame.width();
    const double shownH = square.height() * double(view.height()) / frame.height();
    QVERIFY2(qAbs(shownW - shownH) <= 2.0, qPrintable(QString("shown %1 x %2").arg(shownW).arg(shownH)));
}

QTEST_MAIN(TestOutputShapeEngine)
#include "tst_outputshape_engine.moc"
