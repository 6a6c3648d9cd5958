// What the catalogue shows marked is the format the merge and the next
// added files get, along every path a person takes: selecting rows, pressing
// formats, removing rows, clearing the queue and switching merge on.

#include "../convert/QueueTestUtil.h"

#include "FinishConvertDialog.h"
#include "FormatItem.h"
#include "FormatTypeWidget.h"
#include "FormatWindow.h"
#include "GobelConfigure.h"
#include "MainWindow.h"
#include "ScrollAreaforBar.h"
#include "VideoConvertBar.h"
#include "formats/GobelItemChunk.h"
#include "orvalta_fake_control.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace queuetest;

class TstFormatMark : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindow> m_window;
    QTemporaryDir m_tmp;
    int m_added = 0;

    ScrollAreaforBar* queue() const { return m_window->m_videoWidget; }
    FormatWindow* catalogue() const { return m_window->m_formatWindow; }

    QString markedName() const
    {
        const FormatItem* item = catalogue()->currentWidget()->selectedItem();
        return item ? item->itemname : QString();
    }

    void add(int count)
    {
        QStringList files;
        for (int i = 0; i < count; ++i) {
            const QString path = m_tmp.filePath(QString("clip%1.mov").arg(++m_added));
            QVERIFY(writeBytes(path, 2048));
            orvfake::setMedia(path.toStdString(), orvfake::MediaFacts{});
            files << path;
        }
        const int before = queue()->barList().size();
        queue()->slotAddItunesItems(files);
        QTRY_COMPARE(queue()->barList().size(), before + count);
        QTRY_VERIFY(!queue()->isAdding());
    }

    void selectRow(int row)
    {
        VideoConvertBar* bar = queue()->barList().at(row - 1);
        const QPoint at(bar->width() / 2, 5);
        QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, at);
        QCOMPARE(queue()->choosenBar(), bar);
    }

    void pressFormat(const QString& name)
    {
        for (FormatType type : {Format_Video, Format_Audio, Format_HD3D, Format_Devices, Format_WebShare}) {
            for (FormatItem* item : catalogue()->stripOf(type)->GetListItem()) {
                if (item->itemname != name)
                    continue;
                catalogue()->showWidget(type);
                QTest::mousePress(item, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
                QTest::mouseRelease(item, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
                return;
            }
        }
        QFAIL(qPrintable("no format item " + name));
    }

    // A new main window over the stored choice and Recent list.
    void restart()
    {
        VideoConvertBar::WaitForOpens();
        m_window.reset(new MainWindow(nullptr));
        m_window->resize(1100, 760);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    // The merge run under way to its end; returns the merged file's name.
    QString runMerge()
    {
        orvfake::JobScript item;
        item.polls = 1;
        orvfake::setJobScript(item);
        QSignalSpy finished(queue(), &ScrollAreaforBar::emitFinishConvert);
        ModalWatcher watcher([](QWidget* modal) {
            if (auto* done = qobject_cast<FinishConvertDialog*>(modal)) {
                done->m_okButton->click();
                return true;
            }
            return false;
        });
        QTest::mouseClick(m_window->m_btnConvert, Qt::LeftButton);
        settleOpens(queue());
        [&] { QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 20000); }();
        const auto record = orvfake::merger("M1");
        return record ? QString::fromStdString(record->dst) : QString();
    }

private slots:
    void initTestCase() { QVERIFY(m_tmp.isValid()); }

    void init()
    {
        orvfake::reset();
        g_Configure.m_bMerge = false;
        g_Configure.m_strOutputFolder = m_tmp.filePath("out");
        QFile::remove(GobelItemChunk::defaultXmlPath());
        g_itemChunk.setDefaultinfo();
        g_itemChunk.m_convertinfo = Convertinfo();
        restart();
    }

    void cleanup()
    {
        VideoConvertBar::WaitForOpens();
        m_window.reset();
        g_Configure.m_bMerge = false;
    }

    void markedIsUsed_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("marked");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("written");
        const QStringList start{"add 2", "select 1", "press MKV 1080p"};
        QTest::newRow("select") << start + QStringList{"select 2"} << "MP4" << QStringList{"MKV 1080p", "MP4"}
                                << "";
        QTest::newRow("select back") << start + QStringList{"select 2", "select 1"} << "MKV 1080p"
                                     << QStringList{"MKV 1080p", "MP4"} << "";
        QTest::newRow("press") << QStringList{"add 2", "select 2", "press FLAC", "select 1", "press AVI"}
                               << "AVI" << QStringList{"AVI", "FLAC"} << "";
        QTest::newRow("remove") << QStringList{"add 2",    "select 1", "press FLAC",
                                               "select 2", "remove",   "add 1"}
                                << "MP4" << QStringList{"FLAC", "MP4"} << "";
        QTest::newRow("clear") << QStringList{"add 2", "select 1", "press FLAC", "select 2", "clear", "add 1"}
                               << "MP4" << QStringList{"MP4"} << "";
        QTest::newRow("merge") << start + QStringList{"select 2", "merge"} << "MP4"
                               << QStringList{"MP4", "MP4"} << "mp4";
        // The next start opens on the Recent strip unmarked; files added
        // there mark the format they get, as in the other strips.
        QTest::newRow("recent strip at start") << QStringList{"press MKV 1080p", "restart", "add 1"}
                                               << "MKV 1080p" << QStringList{"MKV 1080p"} << "";
        QTest::newRow("merge after selecting back")
            << start + QStringList{"select 2", "select 1", "merge"} << "MKV 1080p"
            << QStringList{"MKV 1080p", "MKV 1080p"} << "mkv";
    }

    void markedIsUsed()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, marked);
        QFETCH(QStringList, rows);
        QFETCH(QString, written);
        for (const QString& step : qAsConst(steps)) {
            const QString verb = step.section(' ', 0, 0);
            const QString arg = step.section(' ', 1);
            if (verb == "add")
                add(arg.toInt());
            else if (verb == "select")
                selectRow(arg.toInt());
            else if (verb == "press")
                pressFormat(arg);
            else if (verb == "remove")
                QTest::mouseClick(m_window->m_btnRemove, Qt::LeftButton);
            else if (verb == "clear")
                queue()->slotClearVideoBar();
            else if (verb == "restart")
                restart();
            else if (verb == "merge")
                QTest::mouseClick(m_window->m_btnMerageOFF, Qt::LeftButton);
            if (QTest::currentTestFailed())
                return;
            // At every step, the mark and the choice the queue reads agree.
            QVERIFY2(markedName().isEmpty() || markedName() == g_itemChunk.itemname,
                     qPrintable(step + ": " + markedName() + " marked, " + g_itemChunk.itemname + " chosen"));
        }
        QCOMPARE(markedName(), marked);
        QCOMPARE(g_itemChunk.itemname, marked);
        QStringList names;
        for (const VideoConvertBar* bar : queue()->barList())
            names << bar->ItemName();
        QCOMPARE(names, rows);
        if (steps.contains("restart"))
            QCOMPARE(catalogue()->currentWidget(), catalogue()->stripOf(Format_Recent));
        if (!written.isEmpty())
            QCOMPARE(QFileInfo(runMerge()).suffix(), written);
    }
};

QTEST_MAIN(TstFormatMark)
#include "tst_formatmark.moc"
