// A row whose conversion failed or fell short: its texts sit beside the edit
// and settings buttons, whole when they fit and cut with "…" only when they
// do not, with the whole text as tooltip; the buttons answer clicks. The
// reason names what is missing, and goes once the task is changed.

#include "QueueTestUtil.h"

#include "CommonDialog.h"
#include "FinishConvertDialog.h"
#include "FormatSettingDialog.h"
#include "GobelConfigure.h"
#include "QVideoEditDlg.h"
#include "ScrollAreaforBar.h"
#include "VideoConvertBar.h"
#include "clips/SourceProbe.h"
#include "files/UserData.h"
#include "formats/GobelItemChunk.h"
#include "orvalta_fake_control.h"
#include "queue/ConvertJob.h"

#include <QDialog>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace queuetest;

class TstFailedRow : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<QueueUnderTest> m_queue;

    QString media(const QString& name, const orvfake::MediaFacts& facts = {})
    {
        const QString path = m_dir.filePath(name);
        writeBytes(path, 2048);
        orvfake::setMedia(path.toStdString(), facts);
        return path;
    }

    VideoConvertBar* row(const QString& name) const
    {
        for (VideoConvertBar* bar : m_queue->barList()) {
            if (bar->File().endsWith(name))
                return bar;
        }
        return nullptr;
    }

    // The label shows its text without clipping it at either end.
    static bool showsWhole(const QLabel* label)
    {
        const QRect room = label->contentsRect();
        const QRect needed = label->fontMetrics().boundingRect(
            room, int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0), label->text());
        return room.contains(needed);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("LUMIVANE_EVENT_LOG", m_dir.filePath("events.log").toLocal8Bit());
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.filePath("settings"));
        orvfake::reset();
        g_Configure.m_bMerge = false;
        g_Configure.m_strOutputFolder = m_dir.filePath("out");
        g_itemChunk.setNames("MP4.png", "MP4", "MP4 Video.xml");

        // One run leaves three kinds of row: an engine error, a source that
        // cannot be opened, and one that ended early.
        orvfake::MediaFacts tenSeconds;
        tenSeconds.durationUs = 10000000;
        orvfake::JobScript broken;
        broken.polls = 2;
        broken.error = ORV_E_ENCODER;
        orvfake::JobScript unopenable;
        unopenable.openError = ORV_E_INPUT;
        orvfake::JobScript denied;
        denied.openError = ORV_E_ACCESS;
        orvfake::JobScript endsEarly;
        endsEarly.endsEarlyUs = 2900000;
        const QString fails = media("fails.mov");
        const QString cannot = media("cannot.mov");
        const QString locked = media("locked.mov");
        const QString truncated = media("truncated.mov", tenSeconds);
        const QString longReason = media("long.mov");
        orvfake::setJobScript(fails.toStdString(), broken);
        orvfake::setJobScript(cannot.toStdString(), unopenable);
        orvfake::setJobScript(locked.toStdString(), denied);
        orvfake::setJobScript(truncated.toStdString(), endsEarly);
        orvfake::setJobScript(longReason.toStdString(), broken);

        m_queue = std::make_unique<QueueUnderTest>(nullptr);
        m_queue->resize(900, 600);
        m_queue->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_queue.get()));
        drop(m_queue.get(),
             {QUrl::fromLocalFile(fails), QUrl::fromLocalFile(cannot), QUrl::fromLocalFile(locked),
              QUrl::fromLocalFile(truncated), QUrl::fromLocalFile(longReason)});
        QCOMPARE(m_queue->barList().size(), 5);
        QSignalSpy finished(m_queue.get(), &ScrollAreaforBar::emitFinishConvert);
        ModalWatcher watcher([](QWidget* modal) {
            if (auto* done = qobject_cast<FinishConvertDialog*>(modal)) {
                done->m_okButton->click();
                return true;
            }
            return false;
        });
        m_queue->StartConvert();
        m_queue->SetConvertState(true);
        settleOpens(m_queue.get());
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 20000);
        VideoConvertBar::WaitForOpens();
        // A reason longer than any row has room for.
        row("long.mov")
            ->SetFailed(QString("The engine stopped: ") + QString("far too many words ").repeated(8));
    }

    // A video-only clip set to an audio format fails for want of sound; a
    // change of format, settings or edits clears the failure.
    void failureFollowsTheRow_data()
    {
        QTest::addColumn<QString>("change");
        for (const char* change : {"format", "settings", "edits", "trim"})
            QTest::newRow(change) << change;
    }

    void failureFollowsTheRow()
    {
        QFETCH(QString, change);
        orvfake::MediaFacts silent;
        silent.programs[0].audio.clear();
        const QString clip = media("silent-" + change + ".mov", silent);
        orvfake::JobScript nothingToWrite;
        nothingToWrite.polls = 1;
        nothingToWrite.error = ORV_E_NOSTREAM;
        orvfake::setJobScript(clip.toStdString(), nothingToWrite);
        g_itemChunk.setNames("MP3.png", "MP3", "MP3 Audio.xml");

        QueueUnderTest queue(nullptr);
        queue.resize(900, 600);
        queue.show();
        QVERIFY(QTest::qWaitForWindowExposed(&queue));
        drop(&queue, {QUrl::fromLocalFile(clip)});
        QCOMPARE(queue.barList().size(), 1);
        VideoConvertBar* bar = queue.barList().first();
        QSignalSpy finished(&queue, &ScrollAreaforBar::emitFinishConvert);
        ModalWatcher watcher([](QWidget* modal) {
            if (auto* done = qobject_cast<FinishConvertDialog*>(modal)) {
                done->m_okButton->click();
                return true;
            }
            return false;
        });
        queue.StartConvert();
        queue.SetConvertState(true);
        settleOpens(&queue);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 20000);
        VideoConvertBar::WaitForOpens();
        QVERIFY(bar->HasFailed());
        QCOMPARE(bar->m_retainTime->text(), QString("Conversion failed"));
        QCOMPARE(bar->m_failReason->text(), QString("No sound to convert"));

        if (change == "format") {
            g_itemChunk.setNames("MP4.png", "MP4", "MP4 Video.xml");
            bar->setConvertFormat();
            QCOMPARE(bar->TargetInfo().V_Format, QString("MP4"));
        } else if (change == "settings") {
            Convertinfo values = bar->TargetInfo();
            values.A_BitRate = "192";
            bar->setConvertinfo(values);
            QFile::remove(UserData::path("format/XML/MP3 Audio.xml"));
        } else if (change == "edits") {
            WatermarkTextSettings text;
            text.text = "Hi";
            bar->setWaterSetting(text, WatermarkImageSettings());
        } else {
            bar->SlotRestFullTime();
        }
        g_itemChunk.setNames("MP4.png", "MP4", "MP4 Video.xml");
        QVERIFY(!bar->HasFailed());
        QVERIFY(!bar->m_failReason->isVisibleTo(bar));
        QVERIFY(!bar->m_retainTime->isVisibleTo(bar));
        QVERIFY(!bar->m_progressLab->isVisibleTo(bar));
        QVERIFY(bar->m_btnEditVideo->isVisibleTo(bar));
        queue.close();
    }

    // A job that found nothing to write: the reason names what the output
    // wanted.
    void reasonNamesWhatIsMissing_data()
    {
        QTest::addColumn<bool>("videoFormat");
        QTest::addColumn<bool>("soundOff");
        QTest::addColumn<QString>("reason");
        QTest::newRow("audio format") << false << false << "No sound to convert";
        QTest::newRow("video format, sound off") << true << true << "No picture to convert";
        QTest::newRow("video format") << true << false << "Nothing in this file to convert";
    }

    void reasonNamesWhatIsMissing()
    {
        QFETCH(bool, videoFormat);
        QFETCH(bool, soundOff);
        QFETCH(QString, reason);
        TaskFormat format;
        format.itemName = "Format";
        format.profile = "format.xml";
        format.read = true;
        format.values.isVideo = videoFormat;
        ConvertTask task;
        QVERIFY(task.applyFormat(format));
        task.clips().disAudio = soundOff;
        QCOMPARE(ConvertJob::failureReason(ORV_E_NOSTREAM, task), reason);
        // Other failures keep their own reason.
        QCOMPARE(ConvertJob::failureReason(ORV_E_ENCODER, task),
                 QString("This format cannot hold this file"));
    }

    void cleanupTestCase()
    {
        m_queue.reset();
        VideoConvertBar::WaitForOpens();
    }

    void textsBesideButtons_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<bool>("whole");
        QTest::addColumn<int>("width");
        // 1580: a maximized window.
        for (int width : {1580, 900, 700}) {
            const QByteArray w = QByteArray::number(width);
            QTest::newRow("engine error " + w) << "fails.mov"
                                               << "This format cannot hold this file" << true << width;
            QTest::newRow("not media " + w) << "cannot.mov"
                                            << "Not a media file, or damaged" << true << width;
            QTest::newRow("no permission " + w) << "locked.mov"
                                                << "No permission to read this file" << true << width;
            QTest::newRow("ended early " + w) << "truncated.mov"
                                              << "Converted 00:00:02 of 00:00:10" << true << width;
            QTest::newRow("long reason " + w) << "long.mov" << QString() << false << width;
        }
    }

    void textsBesideButtons()
    {
        QFETCH(QString, file);
        QFETCH(QString, reason);
        QFETCH(bool, whole);
        QFETCH(int, width);
        m_queue->resize(width, 600);
        VideoConvertBar* bar = row(file);
        QVERIFY(bar);
        QTRY_COMPARE(bar->width(), m_queue->viewport()->width());
        bar->repaint();

        QVERIFY(bar->m_failReason->isVisible());
        QVERIFY(bar->m_btnEditVideo->isVisible());
        QVERIFY(bar->m_settingFormat->isVisible());
        const QString full = reason.isEmpty() ? bar->m_failReason->toolTip() : reason;
        QList<QLabel*> texts{bar->m_failReason};
        if (bar->HasFailed()) {
            texts << bar->m_retainTime;
            QVERIFY(bar->m_retainTime->isVisible());
            QCOMPARE(bar->m_retainTime->text(), QString("Conversion failed"));
        }
        for (const QLabel* text : qAsConst(texts)) {
            const QRect r = text->geometry();
            QVERIFY2(bar->rect().contains(r), qPrintable(text->objectName()));
            // Clear of the row's rounded border.
            QVERIFY2(r.right() < bar->width() - 12, qPrintable(text->objectName()));
            for (const QWidget* button :
                 {static_cast<QWidget*>(bar->m_btnEditVideo), static_cast<QWidget*>(bar->m_settingFormat),
                  static_cast<QWidget*>(bar->m_btnDelete)})
                QVERIFY2(!r.intersects(button->geometry()),
                         qPrintable(text->objectName() + " meets " + button->objectName()));
            QVERIFY2(showsWhole(text), qPrintable(text->objectName() + ": " + text->text()));
        }
        QVERIFY(bar->m_failReason->toolTip().contains(full));
        if (whole) {
            QCOMPARE(bar->m_failReason->text(), reason);
        } else {
            QVERIFY(bar->m_failReason->text().endsWith(QChar(0x2026)));
            QVERIFY(bar->m_failReason->toolTip().contains("far too many words far too many words"));
        }
    }

    void buttonsAnswer_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("engine error") << "fails.mov";
        QTest::newRow("ended early") << "truncated.mov";
    }

    void buttonsAnswer()
    {
        QFETCH(QString, file);
        m_queue->resize(900, 600);
        VideoConvertBar* bar = row(file);
        QVERIFY(bar);
        QTRY_COMPARE(bar->width(), m_queue->viewport()->width());
        bar->repaint();
        const struct
        {
            QWidget* button;
            const char* dialog;
        } buttons[] = {{bar->m_btnEditVideo, QVideoEditDlg::staticMetaObject.className()},
                       {bar->m_settingFormat, FormatSettingDialog::staticMetaObject.className()}};
        for (const auto& b : buttons) {
            const QPoint centre = b.button->geometry().center();
            QCOMPARE(bar->childAt(centre), b.button);
            QString opened;
            ModalWatcher closer([&opened](QWidget* modal) {
                opened = QString::fromLatin1(modal->metaObject()->className());
                if (auto* dialog = qobject_cast<QDialog*>(modal))
                    dialog->reject();
                else
                    modal->close();
                return true;
            });
            // Through the window, as a person's click comes: whatever is on
            // top at that point takes it.
            QTest::mouseClick(m_queue->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                              bar->mapTo(m_queue.get(), centre));
            QTRY_COMPARE(opened, QString::fromLatin1(b.dialog));
        }
    }
};

QTEST_MAIN(TstFailedRow)
#include "tst_failedrow.moc"
