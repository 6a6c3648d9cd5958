#include "../ResourceCopy.h"
#include "CSingleVersionStringUtil.h"
#include "CheckUpdateDialog.h"
#include "CommonDialog.h"
#include "GobelConfigure.h"
#include "MainWindow.h"
#include "ScrollAreaforBar.h"
#include "orvalta_fake_control.h"
#include "update/ICheckUpdateOpr.h"
#include "update/UpdateRestart.h"

#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

// The restart after an installed update, from the main window during a
// run: one question, answered either way.
class TestUpdateRestart : public QObject
{
    Q_OBJECT

private:
    ResourceCopy m_resources; // the update address is rewritten
    std::unique_ptr<MainWindow> m_window;
    QTemporaryDir m_tmp;

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        QVERIFY(m_resources.isValid());
        // The dialog's own check asks a closed port on this machine.
        {
            QSettings ini(QString::fromStdString(CSingleVersionStringUtil::GetIniFileName()),
                          QSettings::IniFormat);
            ini.setValue("Link/newVersion", "http://127.0.0.1:9/latestversion.txt");
        }
        CSingleVersionStringUtil::ClearLinkMap();
        g_Configure.m_bMerge = false;
        g_Configure.m_strOutputFolder = m_tmp.path() + "/out";
    }

    void questionDuringRun_data()
    {
        QTest::addColumn<bool>("restart");
        QTest::newRow("restart now") << true;
        QTest::newRow("later") << false;
    }

    void questionDuringRun()
    {
        QFETCH(bool, restart);
        m_window.reset(new MainWindow(nullptr));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        // One queued file whose job never ends on its own.
        const QString clip = m_tmp.filePath("clip.mov");
        QFile file(clip);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("x");
        file.close();
        orvfake::reset();
        orvfake::setMedia(clip.toStdString(), orvfake::MediaFacts());
        orvfake::JobScript script;
        script.polls = -1;
        orvfake::setJobScript(script);
        m_window->m_videoWidget->slotAddItunesItems({clip});
        QCOMPARE(m_window->m_videoWidget->barList().size(), 1);
        QTest::mouseClick(m_window->m_btnConvert, Qt::LeftButton);
        QVERIFY(m_window->isConverting());

        // Every question box is answered and its text kept.
        QStringList questions;
        QTimer answer;
        connect(&answer, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<CommonDialog*>(QApplication::activeModalWidget())) {
                questions << box->m_message->text();
                box->done(restart ? QMessageBox::Ok : QMessageBox::Cancel);
            }
        });
        answer.start(10);
        // The update dialog is made to show an installed update; its OK
        // closes the window as the program does, without letting the
        // window's quit through to this test.
        QString heading;
        bool dialogOpen = false;
        QTimer onDialog;
        onDialog.setSingleShot(true);
        connect(&onDialog, &QTimer::timeout, [&] {
            auto* dlg = qobject_cast<CheckUpdateDialog*>(QApplication::activeModalWidget());
            if (!dlg) {
                onDialog.start(10);
                return;
            }
            CreateCheckUpdateObj()->removeCallback();
            dlg->setCloseApplication([this] {
                m_window->close();
                QCoreApplication::removePostedEvents(qApp, QEvent::MetaCall);
            });
            dlg->onHaveUpdate(true, "3.2.3.0", QString());
            dlg->onEnd();
            QTest::mouseClick(dlg->m_btnUpdateCompleted, Qt::LeftButton);
            heading = dlg->m_labNewVersionTiltle->text();
            dialogOpen = dlg->isVisible();
            if (dialogOpen)
                dlg->close();
        });
        onDialog.start(10);
        for (QAction* a : m_window->menu()->actions())
            if (a->text() == "Check for Update")
                a->trigger();
        QTRY_COMPARE(m_window->isVisible(), !restart);
        QTest::qWait(50);

        QCOMPARE(questions,
                 QStringList{"Conversions are still running. Restarting now stops them. Restart anyway?"});
        QCOMPARE(UpdateRestart::isRequested(), restart);
        QCOMPARE(m_window->isConverting(), !restart);
        QCOMPARE(dialogOpen, !restart);
        if (!restart)
            QVERIFY2(heading.contains("will be used the next time"), qPrintable(heading));
        // The restart does not happen here.
        UpdateRestart::cancel();
        m_window.reset();
    }
};

QTEST_MAIN(TestUpdateRestart)
#include "tst_updaterestart.moc"
