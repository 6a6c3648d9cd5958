// A trim made in the editor, converted through the queue with the real
// engine: the output has the trimmed length.
#include "QueueTestUtil.h"

#include "../MediaTools.h"

#include "FinishConvertDialog.h"
#include "GobelConfigure.h"
#include "QDualSlider.h"
#include "QVideoEditDlg.h"
#include "ScrollAreaforBar.h"
#include "VideoConvertBar.h"
#include "VideoInfo.h"

#include <QJsonObject>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace queuetest;

namespace {

double probedDuration(const QString& path)
{
    const QJsonObject root = mediatools::ffprobe(path);
    if (root.isEmpty())
        return -1.0;
    return root.value("format").toObject().value("duration").toString().toDouble();
}

} // namespace

class TestTrimEngine : public QObject
{
    Q_OBJECT
private slots:
    void trimmedTaskConvertsToTrimmedLength();
};

void TestTrimEngine::trimmedTaskConvertsToTrimmedLength()
{
    if (QStandardPaths::findExecutable("ffmpeg").isEmpty()
        || QStandardPaths::findExecutable("ffprobe").isEmpty())
        QSKIP("the ffmpeg and ffprobe commands are needed to make and check the clip");
    QTemporaryDir dir;
    const QString clip = dir.filePath("twenty.mov");
    mediatools::ClipSpec twenty;
    twenty.video = "testsrc=size=160x120:rate=25";
    twenty.seconds = "20";
    QVERIFY(mediatools::makeClip(clip, twenty));
    g_Configure.m_strOutputFolder = dir.filePath("out");
    g_Configure.m_bMerge = false;

    QueueUnderTest queue(nullptr);
    queue.resize(900, 400);
    queue.show();
    drop(&queue, {QUrl::fromLocalFile(clip)});
    QTRY_COMPARE_WITH_TIMEOUT(queue.barList().size(), 1, 20000);
    VideoConvertBar* bar = queue.barList().first();

    // The editor: 25 % to 75 % on the trim track, Trim, Ok.
    bool edited = false;
    QString refused;
    ModalWatcher editorWatcher([&](QWidget* modal) {
        auto* editor = qobject_cast<QVideoEditDlg*>(modal);
        if (!editor)
            return false;
        editor->m_btnTrim->click();
        editor->m_TrimDSlider->setEndValue(75);
        editor->m_TrimDSlider->setStartValue(25);
        editor->OnTrimVideo();
        edited = editor->GetStartTime() == 5000000 && editor->GetEndTime() == 15000000;
        if (!edited)
            refused = QString("%1..%2").arg(editor->GetStartTime()).arg(editor->GetEndTime());
        editor->m_btnOk->click();
        return true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(bar->getTotalTime() > 0, 20000);
    bar->OnEditVideo();
    QVERIFY2(edited, qPrintable(refused));
    QCOMPARE(bar->getBeginTime(), 5000000ull);
    QCOMPARE(bar->getEndTime(), 15000000ull);
    QCOMPARE(bar->m_laterInfoWidget->m_time->text(), QString("00:00:10"));

    QSignalSpy finished(&queue, &ScrollAreaforBar::emitFinishConvert);
    ModalWatcher doneWatcher([&](QWidget* modal) {
        auto* done = qobject_cast<FinishConvertDialog*>(modal);
        if (!done)
            return false;
        done->m_okButton->click();
        return true;
    });
    queue.StartConvert();
    queue.SetConvertState(true);
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 120000);
    QVERIFY(!bar->HasFailed());
    const double seconds = probedDuration(dir.filePath("out/twenty.mp4"));
    qInfo("trimmed output lasts %.3f s", seconds);
    QVERIFY2(qAbs(seconds - 10.0) <= 0.05, qPrintable(QString::number(seconds)));
}

QTEST_MAIN(TestTrimEngine)
#include "tst_trim_engine.moc"
