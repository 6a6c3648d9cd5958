#include "../Figures.h"
#include "../ResourceCopy.h"

#include "CSingleVersionStringUtil.h"
#include "CheckUpdateDialog.h"
#include "CommonDialog.h"
#include "ConverterBarInfoDialog.h"
#include "FinishConvertDialog.h"
#include "FormatItem.h"
#include "FormatSettingDialog.h"
#include "FormatWindow.h"
#include "GobelConfigure.h"
#include "HistoryDialog.h"
#include "MainWindow.h"
#include "ProgresssDialog.h"
#include "QAboutDlg.h"
#include "QIAppUtil.h"
#include "SanpSsetDialog.h"
#include "ScrollAreaforBar.h"
#include "formats/GobelItemChunk.h"
#include "orvalta_fake_control.h"
#include <QCloseEvent>

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

namespace {
// Runs once the next modal dialog is up: the window's slots block in exec().
void whenModal(std::function<void(QWidget*)> act)
{
    QTimer::singleShot(0, [act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            whenModal(act);
            return;
        }
        act(modal);
    });
}
} // namespace

// Catches the URLs the window hands to the desktop, so nothing is launched.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

class TstMainWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindow> m_window;
    QTemporaryDir m_tmp;
    UrlCatcher m_catcher;

    // The window's notion of "idle" as the user sees it.
    void verifyIdle()
    {
        QVERIFY(!m_window->isConverting());
        QCOMPARE(m_window->convertCaption(), QString("Convert"));
        QVERIFY(m_window->m_btnMerageOFF->isEnabled());
        QVERIFY(m_window->m_btnMerageON->isEnabled());
        QVERIFY(m_window->m_videoWidget->isEnabled());
        QVERIFY(!m_window->m_convertDoneLab->isVisibleTo(m_window.get()));
    }

    // A run of one queued file whose job ends after `polls` polls (never
    // for -1): the window follows the queue's run.
    void startRun(int polls = -1)
    {
        const QString clip = m_tmp.filePath("clip.mov");
        QFile file(clip);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("x");
        file.close();
        orvfake::setMedia(clip.toStdString(), orvfake::MediaFacts());
        orvfake::JobScript script;
        script.polls = polls;
        orvfake::setJobScript(script);
        // The add shows its progress dialog until the file is in the queue.
        m_window->m_videoWidget->slotAddItunesItems({clip});
        QCOMPARE(m_window->m_videoWidget->barList().size(), 1);
        QVERIFY(m_window->m_btnConvert->isEnabled());
        QTest::mouseClick(m_window->m_btnConvert, Qt::LeftButton);
        QVERIFY(m_window->isConverting());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        for (const char* scheme : {"file", "http", "https"})
            QDesktopServices::setUrlHandler(scheme, &m_catcher, "open");
        // "Check for Update" asks a closed port on this machine, never the
        // real site.
        {
            QSettings ini(QString::fromStdString(CSingleVersionStringUtil::GetIniFileName()),
                          QSettings::IniFormat);
            ini.setValue("Link/newVersion", "http://127.0.0.1:9/latestversion.txt");
        }
        CSingleVersionStringUtil::ClearLinkMap();
    }

    void init()
    {
        orvfake::reset();
        g_Configure.m_bMerge = false;
        g_Configure.m_strOutputFolder = m_tmp.path() + "/out";
        m_catcher.urls.clear();
        m_window.reset(new MainWindow(nullptr));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup() { m_window.reset(); }

    void startsIdle()
    {
        verifyIdle();
        QCOMPARE(m_window->windowTitle(), CSingleVersionStringUtil::GetLinkAddress(ADDR_PRODUCT_NAME));
        QVERIFY(!m_window->m_btnConvert->isEnabled());
        QVERIFY(!m_window->m_btnRemove->isEnabled());
        QVERIFY(m_window->m_btnMerageOFF->isVisible());
        QVERIFY(!m_window->m_btnMerageON->isVisible());
        QCOMPARE(m_window->m_lineEdit->text(), g_Configure.m_strOutputFolder);
        QVERIFY(m_window->m_lineEdit->isReadOnly());
        for (QWidget* hidden :
             {static_cast<QWidget*>(m_window->m_btnClose), static_cast<QWidget*>(m_window->m_btnMax),
              static_cast<QWidget*>(m_window->m_btnMin), static_cast<QWidget*>(m_window->m_btnMenu)})
            QVERIFY(!hidden->isVisible());
        QVERIFY(g_itemChunk.m_bEnableSelect);
    }

    void menuEntries()
    {
        QMenuBar* bar = m_window->menuBar();
        QVERIFY(bar);
        QCOMPARE(bar->actions().size(), 1);
        QCOMPARE(bar->actions().first()->menu(), m_window->menu());
        QCOMPARE(bar->actions().first()->text(), QString("Menu"));

        QStringList entries;
        for (QAction* a : m_window->menu()->actions())
            entries << (a->isSeparator() ? QString("-") : a->text());
        QCOMPARE(entries,
                 QStringList({"User Guide", "Support Center", "-", "Check for Update", "-", "About", "-",
                              "Language"}));
        QMenu* language = m_window->menu()->actions().last()->menu();
        QVERIFY(language);
        QCOMPARE(language->actions().size(), 1);
        QCOMPARE(language->actions().first()->text(), QString("English"));
    }

    void buttonsFollowQueue()
    {
        ScrollAreaforBar* queue = m_window->m_videoWidget;
        emit queue->signalHasVideo(true);
        QVERIFY(m_window->m_btnConvert->isEnabled());
        emit queue->signalHasChoosenBar(true);
        QVERIFY(m_window->m_btnRemove->isEnabled());
        emit queue->signalHasVideo(false);
        emit queue->signalHasChoosenBar(false);
        QVERIFY(!m_window->m_btnConvert->isEnabled());
        QVERIFY(!m_window->m_btnRemove->isEnabled());
    }

    void runEndsByItself()
    {
        startRun(2);
        QCOMPARE(m_window->convertCaption(), QString("Cancel"));
        QVERIFY(!m_window->m_btnMerageOFF->isEnabled());
        QVERIFY(!m_window->m_btnMerageON->isEnabled());
        QVERIFY(m_window->m_btnAdd->isEnabled());
        bool done = false;
        whenModal([&done](QWidget* modal) {
            auto* dialog = qobject_cast<FinishConvertDialog*>(modal);
            QVERIFY(dialog);
            done = true;
            dialog->m_okButton->click();
        });
        QTRY_VERIFY_WITH_TIMEOUT(done && !m_window->isConverting(), 300000);
        verifyIdle();
    }

    void cancelConfirmation_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("stillConverting");
        QTest::newRow("Ok") << int(QMessageBox::Ok) << false;
        QTest::newRow("Cancel") << int(QMessageBox::Cancel) << true;
        QTest::newRow("closed") << int(QMessageBox::Close) << true;
        QTest::newRow("Escape") << 0 << true;
    }

    void cancelConfirmation()
    {
        QFETCH(int, answer);
        QFETCH(bool, stillConverting);
        startRun();
        QString message;
        whenModal([&message, answer](QWidget* modal) {
            auto* box = qobject_cast<CommonDialog*>(modal);
            QVERIFY(box);
            message = box->m_message->text();
            QVERIFY(!box->m_checkBox->isVisible());
            if (answer == QMessageBox::Ok)
                QTest::mouseClick(box->m_btnOK, Qt::LeftButton);
            else if (answer == QMessageBox::Cancel)
                QTest::mouseClick(box->m_btnCancel, Qt::LeftButton);
            else
                box->done(answer);
        });
        QTest::mouseClick(m_window->m_btnConvert, Qt::LeftButton);
        QCOMPARE(message, QString("Are you sure you want to cancel converting?"));
        if (stillConverting) {
            QVERIFY(m_window->isConverting());
            QCOMPARE(m_window->convertCaption(), QString("Cancel"));
            QVERIFY(!m_window->m_btnMerageOFF->isEnabled());
        } else {
            verifyIdle();
        }
    }

    void closeDuringRunAsks_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::newRow("Ok closes") << true;
        QTest::newRow("Cancel keeps running") << false;
    }

    void closeDuringRunAsks()
    {
        QFETCH(bool, ok);
        startRun();
        QString message;
        whenModal([&message, ok](QWidget* modal) {
            auto* box = qobject_cast<CommonDialog*>(modal);
            QVERIFY(box);
            message = box->m_message->text();
            QTest::mouseClick(ok ? box->m_btnOK : box->m_btnCancel, Qt::LeftButton);
        });
        QCloseEvent event;
        QApplication::sendEvent(m_window.get(), &event);
        QCOMPARE(message, QString("Are you sure you want to cancel converting?"));
        QCOMPARE(event.isAccepted(), ok);
        QCOMPARE(m_window->isConverting(), !ok);
        // The quit the accepted close asks for is not let through here.
        QCoreApplication::removePostedEvents(qApp, QEvent::MetaCall);
    }

    void mergeSwitch()
    {
        // The person marks another format in the catalogue first.
        g_itemChunk.m_bEnableSelect = true;
        FormatItem* marked = nullptr;
        for (FormatItem* item : m_window->findChildren<FormatItem*>()) {
            if (item->relevantfile.startsWith("MKV", Qt::CaseInsensitive)) {
                marked = item;
                break;
            }
        }
        QVERIFY(marked);
        QTest::mouseClick(marked, Qt::LeftButton);
        g_itemChunk.m_convertinfo = Convertinfo();
        QTest::mouseClick(m_window->m_btnMerageOFF, Qt::LeftButton);
        QVERIFY(g_Configure.m_bMerge);
        QVERIFY(m_window->m_btnMerageON->isVisible());
        QVERIFY(!m_window->m_btnMerageOFF->isVisible());
        // Switching on reads the marked format's profile for the merge run.
        QCOMPARE(g_itemChunk.m_convertinfo.V_Format, QString("MKV"));
        QCOMPARE(m_window->m_btnMerageON->geometry().topLeft(),
                 m_window->m_btnMerageOFF->geometry().topLeft());

        QTest::mouseClick(m_window->m_btnMerageON, Qt::LeftButton);
        QVERIFY(!g_Configure.m_bMerge);
        QVERIFY(m_window->m_btnMerageOFF->isVisible());
        QVERIFY(!m_window->m_btnMerageON->isVisible());
    }

    void folderChooser_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("cancelled") << false;
        QTest::newRow("chosen") << true;
    }

    void folderChooser()
    {
        QFETCH(bool, accept);
        const QString before = g_Configure.m_strOutputFolder;
        const QString target = m_tmp.path() + "/chosen";
        QVERIFY(QDir().mkpath(target));
        QString caption;
        whenModal([&, accept](QWidget* modal) {
            auto* dlg = qobject_cast<QFileDialog*>(modal);
            QVERIFY(dlg);
            caption = dlg->windowTitle();
            if (!accept) {
                dlg->reject();
                return;
            }
            dlg->setDirectory(target);
            dlg->selectFile(target);
            static_cast<QDialog*>(dlg)->accept();
        });
        QTest::mouseClick(m_window->m_btnChosepath, Qt::LeftButton);
        QCOMPARE(caption, QString("Choose path"));
        const QString expected = accept ? target : before;
        QCOMPARE(g_Configure.m_strOutputFolder, expected);
        QCOMPARE(m_window->m_lineEdit->text(), expected);
    }

    void openFolderCreatesMissingParents()
    {
        const QString folder = m_tmp.path() + "/a b/c#d/out";
        g_Configure.m_strOutputFolder = folder;
        m_window->m_lineEdit->setText(folder);
        QTest::mouseClick(m_window->m_btnOpenpath, Qt::LeftButton);
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(m_catcher.urls.size(), 1);
        QCOMPARE(m_catcher.urls.first().toLocalFile(), folder);
    }

    void helpUrl_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("resources");
        QTest::addColumn<QUrl>("expected");
        QTest::newRow("configured") << "https://www.lumivane.example/help/"
                                    << "/r" << QUrl("https://www.lumivane.example/help/");
        QTest::newRow("empty: local page")
            << ""
            << "/Apps/Lumivane.app/Contents/Resources"
            << QUrl("file:///Apps/Lumivane.app/Contents/Resources/help/index.html");
        QTest::newRow("local page, odd characters")
            << ""
            << "/tmp/My Apps #1/Contents/Resources"
            << QUrl::fromLocalFile("/tmp/My Apps #1/Contents/Resources/help/index.html");
    }

    void helpUrl()
    {
        QFETCH(QString, link);
        QFETCH(QString, resources);
        QFETCH(QUrl, expected);
        const QUrl url = MainWindow::helpUrl(link, resources);
        QCOMPARE(url, expected);
        if (link.isEmpty())
            QCOMPARE(url.toLocalFile(), resources + "/help/index.html");
    }

    void shippedHelpPageExists()
    {
        const QUrl url = MainWindow::helpUrl(QString(), QIAppUtil::getResourcePath());
        QVERIFY2(QFileInfo(url.toLocalFile()).isFile(), qPrintable(url.toString()));
    }

    void webEntries_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QUrl>("expected");
        QTest::newRow("User Guide") << "User Guide"
                                    << MainWindow::helpUrl(
                                           CSingleVersionStringUtil::GetLinkAddress(ADDR_INFO_HELP),
                                           QIAppUtil::getResourcePath());
        QTest::newRow("Support Center") << "Support Center" << QUrl("https://www.lumivane.example/support/");
    }

    void webEntries()
    {
        QFETCH(QString, entry);
        QFETCH(QUrl, expected);
        for (QAction* a : m_window->menu()->actions())
            if (a->text() == entry)
                a->trigger();
        QCOMPARE(m_catcher.urls, QList<QUrl>{expected});
    }

    void dialogs_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("className");
        QTest::newRow("About") << "About"
                               << "QAboutDlg";
        QTest::newRow("Check for Update") << "Check for Update"
                                          << "CheckUpdateDialog";
        QTest::newRow("History") << ""
                                 << "HistoryDialog";
    }

    // Each dialog opens modally over the window and is gone once closed.
    void dialogs()
    {
        QFETCH(QString, entry);
        QFETCH(QString, className);
        QString seen;
        QWidget* parent = nullptr;
        whenModal([&](QWidget* modal) {
            seen = modal->metaObject()->className();
            parent = modal->parentWidget();
            modal->close();
        });
        if (entry.isEmpty()) {
            QTest::mouseClick(m_window->m_btnHistory, Qt::LeftButton);
        } else {
            for (QAction* a : m_window->menu()->actions())
                if (a->text() == entry)
                    a->trigger();
        }
        QCOMPARE(seen, className);
        QCOMPARE(parent, static_cast<QWidget*>(m_window.get()));
        QVERIFY(m_window->findChildren<QDialog*>(QString(), Qt::FindDirectChildrenOnly).isEmpty());
    }

    void languageResetsTexts()
    {
        QSignalSpy relay(m_window->m_videoWidget, &ScrollAreaforBar::signalUpdateWidgetText);
        m_window->m_outputLabel->setText("stale");
        QMenu* language = m_window->menu()->actions().last()->menu();
        language->actions().first()->trigger();
        QCOMPARE(relay.count(), 1);
        QCOMPARE(m_window->m_outputLabel->text(), QString("Output Folder:"));
        QCOMPARE(m_window->m_mergeLabel->text(), QString("Merge:"));
        QCOMPARE(m_window->m_historyLabel->text(), QString("History:"));

        // A run keeps its Cancel caption through a language change.
        startRun();
        language->actions().first()->trigger();
        QCOMPARE(m_window->convertCaption(), QString("Cancel"));
    }

    void queueFillsMiddleBand_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("default") << QSize();
        QTest::newRow("1100x700") << QSize(1100, 700);
        QTest::newRow("taller") << QSize(1100, 900);
        QTest::newRow("back smaller") << QSize(1000, 660);
    }

    // The queue fills the band between the header and the format panel: its
    // last row is never hidden under the panel.
    void queueFillsMiddleBand()
    {
        QFETCH(QSize, size);
        if (size.isValid())
            m_window->resize(size);
        QTest::qWait(20);
        const QSize now = m_window->size();
        const QRect queue = m_window->m_videoWidget->geometry();
        const int panelTop = m_window->m_formatWindow->mapTo(m_window.get(), QPoint(0, 0)).y();
        QCOMPARE(queue.top(), 84);
        QCOMPARE(queue.width(), now.width());
        QVERIFY2(queue.bottom() < panelTop,
                 qPrintable(QString("queue ends %1, panel begins %2").arg(queue.bottom()).arg(panelTop)));
        QCOMPARE(queue.bottom() + 1, panelTop);
        QCOMPARE(m_window->widget->size(), QSize(620, 50));
        // The Convert button follows the right edge, less the margin.
        const QRect convert(m_window->m_btnConvert->mapTo(m_window.get(), QPoint(0, 0)),
                            m_window->m_btnConvert->size());
        QCOMPARE(convert.right(), now.width() - 10 - 1);
    }
};

// The About box on its own: its texts come from "versionInfo.ini".
class TstAboutDlg : public QObject
{
    Q_OBJECT
private slots:
    void texts()
    {
        QAboutDlg dlg(nullptr);
        const QString product = CSingleVersionStringUtil::GetLinkAddress(ADDR_PRODUCT_NAME);
        const QString home = CSingleVersionStringUtil::GetLinkAddress(ADDR_LINK_HOME);
        QCOMPARE(dlg.windowTitle(), product);
        QCOMPARE(dlg.m_productsName->text(), "Lumivane " + product);
        QCOMPARE(dlg.m_labBuild->text(), QString("Version 3.2.2.0 Date 07-31-2017"));
        QCOMPARE(dlg.m_labWebsite->text(), QString("Website:"));
        QVERIFY(dlg.m_homeAddress->openExternalLinks());
        QCOMPARE(dlg.m_homeAddress->text(), QAboutDlg::linkHtml(home));
        QVERIFY(dlg.m_homeAddress->text().contains(QString("href=\"%1\"").arg(home)));
        QVERIFY(dlg.m_homeAddress->text().contains(QString(">%1</span>").arg(home)));
        QCOMPARE(dlg.m_btnOk->pos(), QPoint(190, 420));
        QCOMPARE(dlg.m_productsName->pos(), QPoint(60, 213));
    }

    void fixedToBackground()
    {
        QAboutDlg dlg(nullptr);
        const QImage bg(QIAppUtil::getResourcePath() + "/exp_image/about_bg.png");
        QVERIFY(!bg.isNull());
        QCOMPARE(dlg.size(), bg.size());
        QCOMPARE(dlg.minimumSize(), dlg.maximumSize());
    }

    void okCloses()
    {
        QAboutDlg dlg(nullptr);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QVERIFY(!dlg.m_btnClose->isVisible());
        QTest::mouseClick(dlg.m_btnOk, Qt::LeftButton);
        QVERIFY(!dlg.isVisible());
    }
};

// The skinned dialogs: form point sizes fitted as in the main window, the
// form's size kept and the skin's face shown even when a picture is missing.
class TstDialogFaces : public QObject
{
    Q_OBJECT
private:
    static QDialog* make(const QString& kind)
    {
        if (kind == "common")
            return new CommonDialog(nullptr);
        if (kind == "finish")
            return new FinishConvertDialog(nullptr);
        if (kind == "progress")
            return new ProgresssDialog(nullptr);
        if (kind == "info")
            return new ConverterBarInfoDialog(nullptr);
        if (kind == "format")
            return new FormatSettingDialog(nullptr);
        return new SanpSsetDialog(nullptr);
    }

    // Puts a picture of the test's copy of Resources back in place.
    struct PictureBack
    {
        QString path;
        ~PictureBack() { QFile::rename(path + ".away", path); }
    };

    static bool near(const QColor& a, const QColor& b)
    {
        return qAbs(a.red() - b.red()) <= 3 && qAbs(a.green() - b.green()) <= 3
            && qAbs(a.blue() - b.blue()) <= 3;
    }

private slots:
    void fittedAndFaced_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("label");
        QTest::addColumn<qreal>("formPoints"); // 0: the form leaves the size to the platform
        QTest::addColumn<QString>("picture"); // hidden for a second construction
        QTest::addColumn<QSize>("formSize");

        QTest::newRow("confirmation")
            << "common"
            << "m_message" << 13.0 << "/image/newimage/common_bg.png" << QSize(450, 200);
        QTest::newRow("all done") << "finish"
                                  << "m_labTitle" << 10.0 << "" << QSize(453, 224);
        QTest::newRow("adding") << "progress"
                                << "m_labProgress" << 11.0 << "" << QSize(581, 237);
        // The panes are forms of their own inside the dialog's form.
        QTest::newRow("file info") << "info"
                                   << "m_labFileInfo" << 11.0 << "" << QSize(548, 374);
        // Labels naming only a family under the dialog's style sheet.
        QTest::newRow("format settings")
            << "format"
            << "m_V_Codec" << 0.0 << "/image/ini_setting_bg.png" << QSize(541, 372);
        QTest::newRow("snapshot settings") << "snapshot"
                                           << "m_lineEdit" << 0.0 << "" << QSize(530, 205);
    }

    void fittedAndFaced()
    {
        QFETCH(QString, kind);
        QFETCH(QString, label);
        QFETCH(qreal, formPoints);
        QFETCH(QString, picture);
        QFETCH(QSize, formSize);

        for (const bool hidden : {false, true}) {
            if (hidden && picture.isEmpty())
                break;
            std::unique_ptr<PictureBack> back;
            if (hidden) {
                back.reset(new PictureBack{QIAppUtil::getResourcePath() + picture});
                QVERIFY(QFile::rename(back->path, back->path + ".away"));
                QTest::ignoreMessage(QtWarningMsg, QRegularExpression("background picture did not load"));
            }
            std::unique_ptr<QDialog> dlg(make(kind));
            back.reset();

            const QWidget* text = dlg->findChild<QWidget*>(label);
            QVERIFY(text);
            const qreal factor = qMin<qreal>(1.0, 72.0 / dlg->logicalDpiY());
            const qreal expected = formPoints > 0 ? formPoints * factor : QApplication::font().pointSizeF();
            QCOMPARE(text->font().pointSizeF(), expected);

            if (hidden || picture.isEmpty())
                QCOMPARE(dlg->size(), formSize);
            QVERIFY(!dlg->size().isEmpty());
            QCOMPARE(dlg->palette().color(QPalette::Window), QImageDialog::faceBottom());
            const QImage shown = dlg->grab().toImage();
            const int h = shown.height();
            QCOMPARE(QColor(shown.pixel(0, h - 2)), QImageDialog::faceBorder());
            QVERIFY2(near(QColor(shown.pixel(2, h - 3)), QImageDialog::faceBottom()),
                     qPrintable(QColor(shown.pixel(2, h - 3)).name()));
        }
    }

    // Every line of a run that ended badly shows whole, above the buttons.
    void allDoneReportFits()
    {
        FinishConvertDialog dlg(nullptr);
        dlg.setFailures(2, 3, 1);
        const QRect box = dlg.m_infoLabel->geometry();
        qInfo("label %d x %d, text needs %d", box.width(), box.height(),
              dlg.m_infoLabel->heightForWidth(box.width()));
        QVERIFY(box.height() >= dlg.m_infoLabel->heightForWidth(box.width()));
        QVERIFY(box.bottom() < dlg.m_okButton->y());
        QVERIFY(box.top() >= 0);
    }

    // Built on the GUI thread as a run ends, so its cost is a figure.
    void allDoneIsCheap()
    {
        delete make("finish");
        QElapsedTimer clock;
        clock.start();
        delete make("finish");
        figures::report("gui.all_done_dialog_time", double(clock.nsecsElapsed()) / 1e6, "ms", 100);
    }
};

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // The product information and pictures are changed in a copy.
    ResourceCopy resources;
    if (!resources.isValid())
        return 1;
    int status = 0;
    {
        TstMainWindow t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TstAboutDlg t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TstDialogFaces t;
        status |= QTest::qExec(&t, argc, argv);
    }
    return status;
}

#include "tst_mainwindow.moc"
