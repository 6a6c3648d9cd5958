// The whole window on a real X server with the real engine: two generated
// clips added through the Add button's file dialog become two probed rows.

#include "MainWindow.h"
#include "ScrollAreaforBar.h"
#include "VideoConvertBar.h"
#include "VideoInfo.h"

#include "../MediaTools.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

class TstAddFiles : public QObject
{
    Q_OBJECT

private slots:
    void addTwoClipsThroughTheDialog();
};

// A 2 s clip with a mono 44.1 kHz tone.
static bool makeClip(const QString& path, const QString& size)
{
    mediatools::ClipSpec spec;
    spec.video = "testsrc=size=" + size + ":rate=25";
    spec.sampleRate = 44100;
    spec.channels = 0;
    return mediatools::makeClip(path, spec);
}

void TstAddFiles::addTwoClipsThroughTheDialog()
{
    if (QStandardPaths::findExecutable("ffmpeg").isEmpty())
        QSKIP("the ffmpeg command is needed to make the clips");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(makeClip(dir.filePath("first clip.mp4"), "320x240"));
    QVERIFY(makeClip(dir.filePath("second.mov"), "640x360"));

    MainWindow window(nullptr);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // The dialog runs its own event loop: answer it from a timer, as a user
    // would, by typing both names into its file-name field.
    bool answered = false;
    std::function<void()> answer = [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            QTimer::singleShot(50, answer);
            return;
        }
        dialog->setDirectory(dir.path());
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        QVERIFY(name);
        name->setText("\"first clip.mp4\" \"second.mov\"");
        answered = true;
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    };
    QTimer::singleShot(0, answer);
    QTest::mouseClick(window.m_btnAdd, Qt::LeftButton);
    QVERIFY(answered);

    ScrollAreaforBar* queue = window.m_videoWidget;
    QTRY_COMPARE_WITH_TIMEOUT(queue->barList().size(), 2, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(!queue->isAdding(), 20000);

    const QStringList sizes{"320*240", "640*360"};
    for (int i = 0; i < 2; ++i) {
        VideoConvertBar* row = queue->barList().at(i);
        QVERIFY(!row->ProbeFailed());
        QVERIFY(row->Thumbnail());
        QCOMPARE(row->m_beforeInfoWidget->m_time->text(), QString("00:00:02"));
        QCOMPARE(row->m_beforeInfoWidget->m_size->text(), sizes.at(i));
    }
    // With files queued the run can start.
    QVERIFY(window.m_btnConvert->isEnabled());
}

QTEST_MAIN(TstAddFiles)
#include "tst_addfiles.moc"
