// Conversion runs against the recording engine: scheduling five at a time
// with pause, resume, removal and adds, output names, failures, the merge
// run, the history file, the task's profile values, and the queue's
// selection, drag and context menu.

#include "QueueTestUtil.h"
#include "history/HistoryFile.h"

#include "../ResourceCopy.h"

#include "CommonDialog.h"
#include "ConverterBarInfoDialog.h"
#include "FileInfoLabelWidget.h"
#include "FinishConvertDialog.h"
#include "FormatSettingDialog.h"
#include "GobelConfigure.h"
#include "QIAppUtil.h"
#include "ScrollAreaforBar.h"
#include "SignalClass.h"
#include "VideoConvertBar.h"
#include "files/UserData.h"
#include "formats/GobelItemChunk.h"
#include "orvalta_fake_control.h"
#include "queue/ConvertJob.h"

#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDomDocument>
#include <QMenu>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <memory>

using namespace queuetest;

namespace {

// Every modal window a run may open, answered: removal questions with Ok,
// the all-done dialog with Ok after noting what it said.
struct RunDialogs
{
    int finishDialogs = 0;
    QString finishText;
    int finishSignalsWhenShown = -1;
    int questions = 0;
};

std::unique_ptr<ModalWatcher> answerRunDialogs(RunDialogs& seen, QSignalSpy& finished)
{
    return std::make_unique<ModalWatcher>([&seen, &finished](QWidget* modal) {
        if (auto* question = qobject_cast<CommonDialog*>(modal)) {
            ++seen.questions;
            question->m_btnOK->click();
            return true;
        }
        if (auto* done = qobject_cast<FinishConvertDialog*>(modal)) {
            ++seen.finishDialogs;
            seen.finishText = done->m_infoLabel->text();
            seen.finishSignalsWhenShown = finished.count();
            done->m_okButton->click();
            return true;
        }
        return false;
    });
}

// Polls a task by hand until its conversion has ended; the opens it
// started are let through.
void finish(VideoConvertBar* bar)
{
    VideoConvertBar::WaitForOpens();
    for (int i = 0; i < 400 && bar->GetCurrentState() == State_Converting; ++i)
        bar->ConverTime();
    VideoConvertBar::WaitForOpens();
}

// Rows are driven by hand: their own poll timers are kept quiet.
void quietTimers(ScrollAreaforBar* queue)
{
    for (VideoConvertBar* bar : queue->barList())
        bar->convertTimer()->blockSignals(true);
}

int openCount(const QString& source)
{
    const QString quoted = "\"" + source + "\"";
    int count = 0;
    for (const std::string& line : orvfake::calls("Converter_Open("))
        count += QString::fromStdString(line).contains(quoted) ? 1 : 0;
    return count;
}

QStringList mergedSources(const std::string& label)
{
    QStringList sources;
    if (const auto record = orvfake::merger(label)) {
        for (const orvfake::MergeItem& item : record->items)
            sources << QString::fromStdString(item.src);
    }
    return sources;
}

// A shown queue holding the files, its rows driven by hand.
std::unique_ptr<QueueUnderTest> queueWith(const QStringList& files)
{
    auto queue = std::make_unique<QueueUnderTest>(nullptr);
    queue->resize(900, 600);
    queue->show();
    QList<QUrl> urls;
    for (const QString& file : files)
        urls << QUrl::fromLocalFile(file);
    drop(queue.get(), urls);
    quietTimers(queue.get());
    return queue;
}

// A run of a queue of files: its rows as added, the end signal, and every
// modal window answered as it comes up.
class Run
{
public:
    explicit Run(const QStringList& files)
        : queue(queueWith(files))
        , rows(queue->barList())
        , finished(queue.get(), &ScrollAreaforBar::emitFinishConvert)
        , watcher(answerRunDialogs(seen, finished))
    {}

    // What the Convert button does, with the jobs' opens let through.
    void start()
    {
        queue->StartConvert();
        queue->SetConvertState(true);
        settleOpens(queue.get());
    }

    std::unique_ptr<QueueUnderTest> queue;
    const QList<VideoConvertBar*> rows;
    QSignalSpy finished;
    RunDialogs seen;
    std::unique_ptr<ModalWatcher> watcher;
};

// name -> number of entries, in file order.
QList<QPair<QString, int>> historyCategories(QDomDocument* docOut = nullptr)
{
    QList<QPair<QString, int>> categories;
    // The queue saves its entries in the background.
    HistoryFile::waitForLater();
    QFile file(ScrollAreaforBar::historyPath());
    if (!file.open(QIODevice::ReadOnly))
        return categories;
    QDomDocument doc;
    if (!doc.setContent(&file))
        return categories;
    for (QDomElement c = doc.documentElement().firstChildElement(); !c.isNull(); c = c.nextSiblingElement()) {
        int entries = 0;
        for (QDomElement e = c.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
            ++entries;
        categories.append({c.attribute("name"), entries});
    }
    if (docOut)
        *docOut = doc;
    return categories;
}

QStringList historyPaths()
{
    QStringList paths;
    QDomDocument doc;
    historyCategories(&doc);
    for (QDomElement c = doc.documentElement().firstChildElement(); !c.isNull(); c = c.nextSiblingElement()) {
        for (QDomElement e = c.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
            paths << e.attribute("filepath");
    }
    return paths;
}

} // namespace

class TestRuns : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void outputNaming_data();
    void outputNaming();
    void twoTasksOfOneFileNeverShareAnOutput();
    void scheduleFiveAtATime();
    void failuresShowOnTheirRows();
    void unwritableFolderSaysSo();
    void sourceEndingEarlyIsReported();
    void mergeItemEndingEarlyIsReported();
    void mergeFollowsTheQueueThroughARemoval();
    void mergeWithEveryItemFailingSaysSo();
    void mergeUsesTheMergeSettings();
    void historyListsOnlyFinishedFiles();
    void historyFile_data();
    void historyFile();
    void profileRewrite_data();
    void profileRewrite();
    void settingsDialogHandOff();
    void targetPanelShowsWhatIsWritten_data();
    void targetPanelShowsWhatIsWritten();
    void contextMenuEntries();
    void dragReordersTheSelection();
    void fileInfoDialog();
    void folderOpening();

public:
    // URL handler for the "file" scheme, so that no file manager is started.
    Q_INVOKABLE void openedUrl(const QUrl& url) { m_openedUrls << url; }

private:
    QString media(const QString& name, const orvfake::MediaFacts& facts = {});

    ResourceCopy m_resources; // a profile is shipped by the test
    QTemporaryDir m_dir;
    QList<QUrl> m_openedUrls;
};

void TestRuns::initTestCase()
{
    QVERIFY(m_resources.isValid());
    QVERIFY(m_dir.isValid());
    qputenv("LUMIVANE_EVENT_LOG", m_dir.filePath("events.log").toLocal8Bit());
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.filePath("settings"));
    QDesktopServices::setUrlHandler("file", this, "openedUrl");
}

void TestRuns::init()
{
    orvfake::reset();
    g_Configure.m_bMerge = false;
    g_Configure.m_strOutputFolder = m_dir.filePath("out");
    g_itemChunk.setNames("MP4.png", "MP4", "MP4 Video.xml");
    HistoryFile::waitForLater();
    QFile::remove(ScrollAreaforBar::historyPath());
    QFile::remove(ScrollAreaforBar::historyPath() + ".bad");
    m_openedUrls.clear();
}

void TestRuns::cleanup()
{
    // An open a test left pending must not reach the next test's log.
    VideoConvertBar::WaitForOpens();
    QDir(m_dir.filePath("out")).removeRecursively();
}

QString TestRuns::media(const QString& name, const orvfake::MediaFacts& facts)
{
    const QString path = m_dir.filePath(name);
    writeBytes(path, 2048);
    orvfake::setMedia(path.toStdString(), facts);
    return path;
}

void TestRuns::outputNaming_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QStringList>("handedOut");
    QTest::addColumn<QString>("expected");
    const QString dir = m_dir.filePath("names");
    QTest::newRow("free") << dir << "clip.mov" << QStringList() << QStringList() << dir + "/clip.mp4";
    QTest::newRow("numbered past existing files")
        << dir << "clip.mov" << QStringList{"clip.mp4", "clip1.mp4"} << QStringList() << dir + "/clip2.mp4";
    QTest::newRow("last dot only") << dir << "a.b.mov" << QStringList() << QStringList() << dir + "/a.b.mp4";
    QTest::newRow("no dot") << dir << "clip" << QStringList() << QStringList() << dir + "/clip.mp4";
    QTest::newRow("trailing slash collapsed")
        << dir + "/"
        << "clip.mov" << QStringList() << QStringList() << dir + "/clip.mp4";
    QTest::newRow("path already handed out") << dir << "clip.mov" << QStringList{"clip.mp4"}
                                             << QStringList{dir + "/clip1.mp4"} << dir + "/clip2.mp4";
}

void TestRuns::outputNaming()
{
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(QStringList, existing);
    QFETCH(QStringList, handedOut);
    QFETCH(QString, expected);
    QDir dir(m_dir.filePath("names"));
    dir.removeRecursively();
    QVERIFY(dir.mkpath("."));
    for (const QString& file : existing)
        QVERIFY(writeBytes(dir.filePath(file), 1));
    const QSet<QString> taken(handedOut.begin(), handedOut.end());
    QCOMPARE(VideoConvertBar::FreeOutputPath(folder, name, "mp4", &taken), expected);
}

void TestRuns::twoTasksOfOneFileNeverShareAnOutput()
{
    // The engine makes no files here, so only the queue's own record keeps
    // the two tasks apart; the missing folder is made with its parents.
    orvfake::setCreateFiles(false);
    g_Configure.m_strOutputFolder = m_dir.filePath("out/deep/");
    const QString clip = media("same.mov");
    Run run({clip, clip});

    run.start();
    QVERIFY(QFileInfo(m_dir.filePath("out/deep")).isDir());
    const QString folder = m_dir.filePath("out/deep");
    QCOMPARE(QString::fromStdString(orvfake::converter("V1")->dst), folder + "/same.mp4");
    QCOMPARE(QString::fromStdString(orvfake::converter("V2")->dst), folder + "/same1.mp4");
    QCOMPARE(run.queue->barList().at(1)->OutputPath(), folder + "/same1.mp4");
    QCOMPARE(run.queue->barList().at(1)->m_laterInfoWidget->m_videoNameLab->getName(), QString("same1.mp4"));
    // An untrimmed task converts its whole length.
    QCOMPARE(orvfake::converter("V1")->lengthUs, uint64_t(2000000));
    finish(run.queue->barList().at(0));
    finish(run.queue->barList().at(1));
    QTRY_COMPARE(run.seen.finishDialogs, 1);
    QCOMPARE(historyPaths(), QStringList({folder + "/same.mp4", folder + "/same1.mp4"}));
}

void TestRuns::scheduleFiveAtATime()
{
    QStringList files;
    for (int i = 0; i < 7; ++i)
        files << media(QString("t%1.mov").arg(i));
    Run run(files);
    QCOMPARE(run.rows.size(), 7);

    auto converting = [&] { return run.queue->convertingList(); };
    auto checkSlots = [&] {
        const QList<VideoConvertBar*> list = converting();
        QVERIFY(list.size() <= 5);
        QCOMPARE(QSet<VideoConvertBar*>(list.begin(), list.end()).size(), list.size());
        int running = 0;
        for (VideoConvertBar* bar : run.queue->barList())
            running += bar->GetCurrentState() == State_Converting ? 1 : 0;
        QVERIFY(running <= 5);
    };

    run.queue->StartConvert();
    run.queue->SetConvertState(true);
    // The jobs open off the GUI thread: until then a task waits, holds no
    // converter, and keeps its place.
    QCOMPARE(converting(), run.rows.mid(0, 5));
    QVERIFY(run.rows.at(0)->IsOpening() || run.rows.at(0)->job().converter());
    if (run.rows.at(4)->IsOpening()) {
        QCOMPARE(run.rows.at(4)->GetCurrentState(), State_Waiting);
        QCOMPARE(run.rows.at(4)->m_retainTime->text(), QString("Waitting"));
    }
    settleOpens(run.queue.get());
    QCOMPARE(converting(), run.rows.mid(0, 5));
    // Opened in queue order.
    QStringList opened;
    for (const std::string& line : orvfake::calls("Converter_Open("))
        opened << QString::fromStdString(line);
    QCOMPARE(opened.size(), 5);
    for (int i = 0; i < 5; ++i)
        QVERIFY2(opened.at(i).contains(QString("t%1.mov").arg(i)), qPrintable(opened.at(i)));
    QCOMPARE(run.rows.at(5)->GetCurrentState(), State_Waiting);
    QCOMPARE(run.rows.at(5)->m_retainTime->text(), QString("Waitting"));
    QVERIFY(run.rows.at(0)->convertTimer()->isActive());

    // A finish starts the next waiting task.
    finish(run.rows.at(0));
    QCOMPARE(run.rows.at(0)->GetCurrentState(), State_Finished);
    QCOMPARE(run.rows.at(0)->Progress(), 100.0f);
    QVERIFY(!run.rows.at(0)->job().converter());
    QCOMPARE(converting(),
             (QList<VideoConvertBar*>{run.rows[1], run.rows[2], run.rows[3], run.rows[4], run.rows[5]}));

    // A pause frees a slot, and its poll stops.
    run.rows.at(1)->PauseConvert();
    QCOMPARE(run.rows.at(1)->GetCurrentState(), State_Paused);
    QCOMPARE(run.rows.at(1)->m_retainTime->text(), QString("Resume"));
    QVERIFY(!run.rows.at(1)->convertTimer()->isActive());
    QCOMPARE(converting(),
             (QList<VideoConvertBar*>{run.rows[2], run.rows[3], run.rows[4], run.rows[5], run.rows[6]}));

    // Resuming a sixth parks the oldest running one.
    run.rows.at(1)->PauseConvert();
    QCOMPARE(run.rows.at(1)->GetCurrentState(), State_Converting);
    QCOMPARE(run.rows.at(2)->GetCurrentState(), State_Paused);
    QCOMPARE(converting(),
             (QList<VideoConvertBar*>{run.rows[3], run.rows[4], run.rows[5], run.rows[6], run.rows[1]}));
    checkSlots();

    // Removing a running task asks, frees its slot and has its converter
    // released on the opener thread.
    const std::string removedConverter = orvfake::label(run.rows.at(3)->job().converter());
    emit run.rows.at(3)->signalDeleteItem();
    QCOMPARE(run.seen.questions, 1);
    QVERIFY(!run.queue->barList().contains(run.rows.at(3)));
    QCOMPARE(converting(), (QList<VideoConvertBar*>{run.rows[4], run.rows[5], run.rows[6], run.rows[1]}));
    QTRY_VERIFY(!orvfake::calls("Converter_Release(" + removedConverter + ")").empty());

    // Two files added during the run: the first takes the free slot, the
    // second waits. Their jobs run long, so a stray tick of their own timer
    // cannot end them.
    orvfake::JobScript slow;
    slow.polls = 40;
    const QString late1 = media("late1.mov");
    const QString late2 = media("late2.mov");
    orvfake::setJobScript(late1.toStdString(), slow);
    orvfake::setJobScript(late2.toStdString(), slow);
    drop(run.queue.get(), {QUrl::fromLocalFile(late1), QUrl::fromLocalFile(late2)});
    quietTimers(run.queue.get());
    VideoConvertBar* added1 = run.queue->barList().at(run.queue->barList().size() - 2);
    VideoConvertBar* added2 = run.queue->barList().last();
    QCOMPARE(added1->GetCurrentState(), State_Converting);
    QCOMPARE(added2->GetCurrentState(), State_Waiting);
    checkSlots();

    // Drive everything to the end: resume what is paused, finish what runs.
    for (int round = 0; round < 20 && run.finished.isEmpty(); ++round) {
        const QList<VideoConvertBar*> now = run.queue->barList();
        for (VideoConvertBar* bar : now) {
            if (!run.queue->isConverting())
                break;
            if (bar->GetCurrentState() == State_Paused)
                bar->PauseConvert();
            checkSlots();
            if (bar->GetCurrentState() == State_Converting)
                finish(bar);
        }
    }

    QTRY_COMPARE(run.finished.count(), 1);
    QCOMPARE(run.seen.finishDialogs, 1);
    // The main window hears of the end only once the dialog has closed.
    QCOMPARE(run.seen.finishSignalsWhenShown, 0);
    QCOMPARE(run.seen.finishText, QString("All tasks completed"));
    QVERIFY(!run.queue->isConverting());
    QVERIFY(run.queue->convertingList().isEmpty());
    for (VideoConvertBar* bar : run.queue->barList()) {
        QCOMPARE(bar->GetCurrentState(), State_Ready);
        QVERIFY(!bar->m_retainTime->isVisible());
    }
    // No task was started twice.
    for (const QString& file : files + QStringList{late1, late2})
        QCOMPARE(openCount(file), 1);
    // Every task but the removed one was written whole and is listed.
    QCOMPARE(historyPaths().size(), 8);
}

void TestRuns::failuresShowOnTheirRows()
{
    orvfake::JobScript broken;
    broken.polls = 2;
    broken.error = ORV_E_ENCODER;
    orvfake::JobScript unopenable;
    unopenable.openError = ORV_E_INPUT;
    const QString fails = media("fails.mov");
    const QString cannotOpen = media("cannot.mov");
    const QString works = media("works.mov");
    orvfake::setJobScript(fails.toStdString(), broken);
    orvfake::setJobScript(cannotOpen.toStdString(), unopenable);
    Run run({fails, cannotOpen, works});

    run.start();

    // An unknown duration shows no percentage, not "nan%".
    orvfake::setResult("Converter_GetDuration", 0);
    run.rows.at(2)->ConverTime();
    orvfake::clearResult("Converter_GetDuration");
    QCOMPARE(run.rows.at(2)->Progress(), 0.0f);
    QCOMPARE(run.rows.at(2)->m_progressLab->text(), QString("0.0%"));

    finish(run.rows.at(0));
    QCOMPARE(run.rows.at(0)->GetCurrentState(), State_Finished);
    QVERIFY(run.rows.at(0)->HasFailed());
    QVERIFY(run.rows.at(0)->Progress() < 100.0f);
    QCOMPARE(run.rows.at(0)->m_retainTime->text(), QString("Conversion failed"));
    QCOMPARE(run.rows.at(0)->m_progressLab->text(), QString("Failed"));
    QVERIFY(!run.rows.at(0)->m_retainTime->toolTip().isEmpty());
    // The reason is on the row itself, under the failure text.
    QCOMPARE(run.rows.at(0)->m_failReason->text(), QString("This format cannot hold this file"));
    QVERIFY(run.rows.at(0)->m_failReason->isVisible());
    QCOMPARE(run.rows.at(1)->m_failReason->text(), QString("Not a media file, or damaged"));

    finish(run.rows.at(2));
    QTRY_COMPARE(run.finished.count(), 1);
    QCOMPARE(run.seen.finishDialogs, 1);
    QCOMPARE(run.seen.finishText, QString("Not every task completed\n2 of 3 conversions failed"));

    // After the run the failures stay in view; the good task is reset.
    for (int i : {0, 1}) {
        QVERIFY(run.rows.at(i)->HasFailed());
        QCOMPARE(run.rows.at(i)->GetCurrentState(), State_Ready);
        QVERIFY(run.rows.at(i)->m_retainTime->isVisible());
        QCOMPARE(run.rows.at(i)->m_retainTime->text(), QString("Conversion failed"));
    }
    QVERIFY(!run.rows.at(2)->HasFailed());
    QVERIFY(!run.rows.at(2)->m_retainTime->isVisible());
    QVERIFY(!orvfake::calls("Converter_Release(").empty());
    // Only conversions that finished are in the history.
    QCOMPARE(historyPaths(), QStringList({g_Configure.m_strOutputFolder + "/works.mp4"}));

    // The next run starts clean.
    run.queue->StartConvert();
    QVERIFY(!run.rows.at(0)->HasFailed());
    QCOMPARE(run.rows.at(0)->m_retainTime->text(), QString("Waitting"));
    run.queue->CancelConvert();
}

void TestRuns::unwritableFolderSaysSo()
{
    // A folder under a plain file can be made by nobody, root included.
    QVERIFY(writeBytes(m_dir.filePath("plain"), 1));
    g_Configure.m_strOutputFolder = m_dir.filePath("plain/out");
    const QString clip = media("locked.mov");
    orvfake::JobScript refused;
    refused.openError = ORV_E_OUTPUT;
    orvfake::setJobScript(clip.toStdString(), refused);
    Run run({clip});
    run.start();
    QTRY_COMPARE(run.seen.finishDialogs, 1);
    QCOMPARE(run.seen.finishText, QString("No task completed\n1 of 1 conversions failed"));
    VideoConvertBar* bar = run.queue->barList().first();
    QCOMPARE(bar->m_failReason->text(), QString("Cannot write to the output folder"));
    QVERIFY(bar->m_failReason->isVisible());
}

void TestRuns::sourceEndingEarlyIsReported()
{
    orvfake::MediaFacts tenSeconds;
    tenSeconds.durationUs = 10000000;
    const QString truncated = media("truncated.mov", tenSeconds);
    const QString whole = media("whole.mov", tenSeconds);
    orvfake::JobScript short2900ms;
    short2900ms.endsEarlyUs = 2900000;
    orvfake::setJobScript(truncated.toStdString(), short2900ms);
    Run run({truncated, whole});

    run.start();
    finish(run.rows.at(0));
    QCOMPARE(run.rows.at(0)->GetCurrentState(), State_Finished);
    QVERIFY(run.rows.at(0)->EndedEarly());
    QVERIFY(!run.rows.at(0)->HasFailed());
    QCOMPARE(run.rows.at(0)->m_failReason->text(), QString("Converted 00:00:02 of 00:00:10"));
    QVERIFY(run.rows.at(0)->m_failReason->isVisible());

    finish(run.rows.at(1));
    QTRY_COMPARE(run.seen.finishDialogs, 1);
    // Not a clean run, and not a failure either.
    QCOMPARE(run.seen.finishText, QString("Not every task completed\n1 of 2 sources ended early"));
    // The note stays on its row after the run; the whole file has none.
    QVERIFY(run.rows.at(0)->m_failReason->isVisible());
    QVERIFY(!run.rows.at(1)->EndedEarly());
    QVERIFY(!run.rows.at(1)->m_failReason->isVisible());
    // What was written exists and is listed.
    QCOMPARE(historyPaths().size(), 2);

    // The next run starts clean.
    run.queue->StartConvert();
    QVERIFY(!run.rows.at(0)->EndedEarly());
    QVERIFY(!run.rows.at(0)->m_failReason->isVisible());
    run.queue->CancelConvert();
}

// A merge item whose source ends early is told as outside a merge: on its
// row, and counted by the all-done dialog.
void TestRuns::mergeItemEndingEarlyIsReported()
{
    g_Configure.m_bMerge = true;
    g_itemChunk.getConvertXMLInfo();
    orvfake::MediaFacts tenSeconds;
    tenSeconds.durationUs = 10000000;
    const QString truncated = media("truncated.mov", tenSeconds);
    const QString whole = media("whole.mov", tenSeconds);
    orvfake::JobScript short2900ms;
    short2900ms.polls = 1;
    short2900ms.endsEarlyUs = 2900000;
    orvfake::setJobScript(truncated.toStdString(), short2900ms);
    orvfake::JobScript item;
    item.polls = 1;
    orvfake::setJobScript(whole.toStdString(), item);
    Run run({truncated, whole});

    run.start();
    QTRY_COMPARE_WITH_TIMEOUT(run.seen.finishDialogs, 1, 20000);
    QCOMPARE(run.seen.finishText, QString("Not every task completed\n1 of 2 sources ended early"));
    QVERIFY(run.rows.at(0)->EndedEarly());
    QVERIFY(!run.rows.at(0)->HasFailed());
    QCOMPARE(run.rows.at(0)->m_failReason->text(), QString("Converted 00:00:02 of 00:00:10"));
    QVERIFY(run.rows.at(0)->m_failReason->isVisible());
    QVERIFY(!run.rows.at(1)->EndedEarly());
    QCOMPARE(historyPaths().size(), 1);
}

void TestRuns::mergeFollowsTheQueueThroughARemoval()
{
    g_Configure.m_bMerge = true;
    g_itemChunk.getConvertXMLInfo();
    orvfake::JobScript item;
    item.polls = 6;
    orvfake::setJobScript(item);
    QStringList files;
    for (int i = 0; i < 4; ++i)
        files << media(QString("m%1.mov").arg(i));
    QVERIFY(QDir().mkpath(m_dir.filePath("out")));
    QVERIFY(writeBytes(m_dir.filePath("out/m0.mp4"), 1));
    Run run(files);

    run.start();
    QCOMPARE(mergedSources("M1"), QStringList{files.at(0)});
    QVERIFY(orvfake::calls("Converter_").empty());

    QTRY_COMPARE_WITH_TIMEOUT(mergedSources("M1").size(), 2, 10000);
    // The first row goes while the second is merging: the merge stays on
    // the second, and its progress stays on that row.
    run.queue->unselectConvertBar(run.rows.at(0));
    run.queue->slotRemoveChoosenBar();
    QCOMPARE(run.seen.questions, 1);
    QCOMPARE(run.queue->mergeIndex(), 0);
    const float before = run.rows.at(1)->Progress();
    QTRY_VERIFY_WITH_TIMEOUT(run.rows.at(1)->Progress() > before || mergedSources("M1").size() > 2, 5000);

    QTRY_COMPARE_WITH_TIMEOUT(run.finished.count(), 1, 20000);
    QTRY_COMPARE(run.seen.finishDialogs, 1);
    // A merge tells the main window first, then shows the dialog.
    QCOMPARE(run.seen.finishSignalsWhenShown, 1);
    QCOMPARE(run.seen.finishText, QString("All tasks completed"));
    QCOMPARE(mergedSources("M1"), files);
    const auto record = orvfake::merger("M1");
    QVERIFY(record->closed);
    const QString output = g_Configure.m_strOutputFolder + "/m01.mp4";
    QCOMPARE(QString::fromStdString(record->dst), output);
    QCOMPARE(historyPaths(), QStringList{output});
    for (VideoConvertBar* bar : run.queue->barList()) {
        QCOMPARE(bar->GetCurrentState(), State_Ready);
        QVERIFY(bar->isEnabled());
    }
}

void TestRuns::mergeUsesTheMergeSettings()
{
    g_Configure.m_bMerge = true;
    g_itemChunk.getConvertXMLInfo();
    // What the merge settings dialog leaves behind when the person changes
    // the size and the bit rate.
    g_itemChunk.m_convertinfo.V_Resolution = "640*360";
    g_itemChunk.m_convertinfo.V_BitRate = "777";
    orvfake::JobScript item;
    item.polls = 1;
    orvfake::setJobScript(item);
    const QStringList files{media("a.mov"), media("b.mov")};
    Run run(files);
    for (VideoConvertBar* bar : run.rows)
        QVERIFY(bar->TargetInfo().V_BitRate != "777");

    run.start();
    QTRY_COMPARE_WITH_TIMEOUT(run.seen.finishDialogs, 1, 20000);
    const auto record = orvfake::merger("M1");
    QVERIFY(record);
    QCOMPARE(mergedSources("M1"), files);
    // The merged file and every item in it are written with the merge
    // settings, not with the items' own.
    std::vector<orvfake::Settings> configs{record->output};
    for (const orvfake::MergeItem& added : record->items)
        configs.push_back(added.config);
    for (const orvfake::Settings& config : configs) {
        QCOMPARE(QString::fromStdString(config.at("SetVideoSize")), QString("640, 360"));
        QCOMPARE(QString::fromStdString(config.at("SetVideoBitRate")), QString("777"));
    }
}

void TestRuns::mergeWithEveryItemFailingSaysSo()
{
    g_Configure.m_bMerge = true;
    g_itemChunk.getConvertXMLInfo();
    orvfake::JobScript refused;
    refused.openError = ORV_E_INPUT;
    const QString a = media("x0.mov");
    const QString b = media("x1.mov");
    orvfake::setJobScript(a.toStdString(), refused);
    orvfake::setJobScript(b.toStdString(), refused);
    Run run({a, b});

    run.start();
    // Nothing ends inside the start call.
    QVERIFY(run.queue->isConverting());
    QTRY_COMPARE(run.seen.finishDialogs, 1);
    QCOMPARE(run.finished.count(), 1);
    QCOMPARE(run.seen.finishText, QString("The merge failed: no file could be joined"));
    QVERIFY(!run.queue->isConverting());
    for (VideoConvertBar* bar : run.queue->barList())
        QVERIFY(bar->HasFailed());
}

void TestRuns::historyListsOnlyFinishedFiles()
{
    orvfake::JobScript broken;
    broken.polls = 2;
    broken.error = ORV_E_WRITE;
    const QString done = media("done.mov");
    const QString fails = media("failing.mov");
    const QString removed = media("removed.mov");
    orvfake::setJobScript(fails.toStdString(), broken);
    Run run({done, fails, removed});
    const QString out = g_Configure.m_strOutputFolder;

    run.start();
    // Nothing is listed while it is written.
    QVERIFY(historyPaths().isEmpty());
    emit run.rows.at(2)->signalDeleteItem();
    finish(run.rows.at(1));
    QVERIFY(historyPaths().isEmpty());
    finish(run.rows.at(0));
    QTRY_COMPARE(run.finished.count(), 1);
    QCOMPARE(historyPaths(), QStringList{out + "/done.mp4"});

    // A cancelled run adds nothing.
    run.start();
    run.queue->CancelConvert();
    QCOMPARE(historyPaths(), QStringList{out + "/done.mp4"});
}

void TestRuns::historyFile_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("itemName");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("setAside");
    const QByteArray used =
        "<?xml version='1.0'?>\n<history>\n"
        "    <Type name=\"MP4\"><item filepath=\"/o/a.mp4\" time=\"t\"/>"
        "<item time=\"t\" filepath=\"/o/b.mp4\"/></Type>\n"
        "    <Type name=\"AVI\"><item filepath=\"/o/c.avi\" time=\"t\"/></Type>\n</history>\n";
    QTest::newRow("no file") << QByteArray() << "MP4"
                             << "MP4:1" << false;
    QTest::newRow("used category moves last") << used << "MP4"
                                              << "AVI:1 MP4:3" << false;
    QTest::newRow("names are case-sensitive") << used << "mp4"
                                              << "MP4:2 AVI:1 mp4:1" << false;
    QTest::newRow("zero bytes") << QByteArray("") << "MP4"
                                << "MP4:1" << false;
    QTest::newRow("root only") << QByteArray("<history/>") << "MP4"
                               << "MP4:1" << false;
    QTest::newRow("not XML") << QByteArray("<history><Type name=") << "MP4"
                             << "MP4:1" << true;
}

void TestRuns::historyFile()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, itemName);
    QFETCH(QString, expected);
    QFETCH(bool, setAside);
    const QString path = ScrollAreaforBar::historyPath();
    if (before.isNull()) {
        QDir(QFileInfo(path).absolutePath()).removeRecursively();
    } else {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(before);
    }

    g_itemChunk.setNames("x.png", itemName, "MP4 Video.xml");
    ScrollAreaforBar queue(nullptr);
    VideoConvertBar bar;
    bar.setConvertFormat();
    g_itemChunk.setNames("MP4.png", "MP4", "MP4 Video.xml");
    bar.setOutputPath("/out/clip1.mp4");
    queue.saveHistoryXml(&bar);

    QDomDocument doc;
    QStringList got;
    for (const auto& category : historyCategories(&doc))
        got << category.first + ":" + QString::number(category.second);
    QCOMPARE(got.join(' '), expected);
    QCOMPARE(doc.documentElement().tagName(), QString("history"));
    const QDomElement last = doc.documentElement().lastChildElement().lastChildElement();
    QCOMPARE(last.tagName(), QString("item"));
    QCOMPARE(last.attribute("filepath"), QString("/out/clip1.mp4"));
    QVERIFY(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$")
                .match(last.attribute("time"))
                .hasMatch());
    QCOMPARE(QFile::exists(path + ".bad"), setAside);
    if (setAside) {
        QFile bad(path + ".bad");
        QVERIFY(bad.open(QIODevice::ReadOnly));
        QCOMPARE(bad.readAll(), before);
    }
    QFile written(path);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = written.readAll().split('\n');
    QCOMPARE(lines.at(0), QByteArray("<?xml version='1.0'?>"));
    QVERIFY(lines.at(2).startsWith("    <Type "));
    QVERIFY(lines.at(3).startsWith("        <item "));
}

void TestRuns::profileRewrite_data()
{
    QTest::addColumn<QByteArray>("profile");
    QTest::addColumn<int>("updated"); // TEMP_QUALITY_VALUE elements that take the new values
    QTest::addColumn<bool>("videoKept"); // the video attributes stay as they were
    const QByteArray head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    const QByteArray temp =
        "<TEMP_QUALITY_VALUE V_Encoder=\"H264\" V_Resolution=\"1280*720\" V_FrameRate=\"Original\" "
        "V_BitRate=\"3000\" A_Encoder=\"AAC\" A_Channel=\"2\" A_SampleRate=\"44100\" A_BitRate=\"128\"/>";
    const QByteArray format = "<VIDIO_FOMAT_INFO V_Format=\"MP4\" V_Extend=\"mp4\"/>";
    QTest::newRow("video") << head + "<P OnlyAudio=\"N\">" + temp + format + "</P>" << 1 << false;
    QTest::newRow("audio only") << head + "<P OnlyAudio=\"Y\">" + temp + format + "</P>" << 1 << true;
    QTest::newRow("two elements") << head + "<P>" + temp + format + temp + "</P>" << 2 << false;
    QTest::newRow("none") << head + "<P>" + format + "</P>" << 0 << false;
}

void TestRuns::profileRewrite()
{
    QFETCH(QByteArray, profile);
    QFETCH(int, updated);
    QFETCH(bool, videoKept);
    // Written where the program ships it; the rewrite lands in the person's
    // own copy, which is read from then on.
    const QString path = QIAppUtil::getResourcePath() + "/format/XML/Rewrite Test.xml";
    QFile::remove(UserData::path("format/XML/Rewrite Test.xml"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(profile);
    }
    g_itemChunk.setNames("x.png", "Test", "Rewrite Test.xml");
    VideoConvertBar bar;
    bar.setConvertFormat();
    g_itemChunk.setNames("MP4.png", "MP4", "MP4 Video.xml");

    Convertinfo edited;
    edited.V_Encoder = "MPEG-4";
    edited.V_Resolution = "640*360";
    edited.V_FrameRate = "25";
    edited.V_BitRate = "800";
    edited.A_Encoder = "MP3";
    edited.A_Channel = "1";
    edited.A_SampleRate = "22050";
    edited.A_BitRate = "64";
    bar.setConvertinfo(edited);
    QCOMPARE(bar.TargetInfo().A_Encoder, QString("MP3"));

    QCOMPARE(GobelItemChunk::profilePath("Rewrite Test.xml"), UserData::path("format/XML/Rewrite Test.xml"));
    QFile file(GobelItemChunk::profilePath("Rewrite Test.xml"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    // The declaration stays (the DOM writes it with single quotes).
    QVERIFY(QRegularExpression("^<\\?xml version=['\"]1.0['\"] encoding=['\"]UTF-8['\"]\\?>\n")
                .match(QString::fromUtf8(text))
                .hasMatch());
    QVERIFY(text.contains("\n    <VIDIO_FOMAT_INFO "));
    QDomDocument doc;
    QVERIFY(doc.setContent(text));
    const QDomNodeList temps = doc.elementsByTagName("TEMP_QUALITY_VALUE");
    QCOMPARE(temps.size(), updated);
    for (int i = 0; i < temps.size(); ++i) {
        const QDomElement e = temps.at(i).toElement();
        QCOMPARE(e.attribute("A_Encoder"), QString("MP3"));
        QCOMPARE(e.attribute("A_SampleRate"), QString("22050"));
        QCOMPARE(e.attribute("V_Resolution"), videoKept ? QString("1280*720") : QString("640*360"));
        QCOMPARE(e.attribute("V_Encoder"), videoKept ? QString("H264") : QString("MPEG-4"));
    }
    QCOMPARE(doc.elementsByTagName("VIDIO_FOMAT_INFO").size(), 1);
    QFile::remove(path);
    QFile::remove(file.fileName());
}

void TestRuns::settingsDialogHandOff()
{
    const QString clip = media("set.mov");
    auto queue = queueWith({clip});
    VideoConvertBar* bar = queue->barList().first();
    const QString profile = QIAppUtil::getResourcePath() + "/format/XML/MP4 Video.xml";

    Convertinfo shown;
    QString shownFile;
    int dialogs = 0;
    ModalWatcher watcher([&](QWidget* modal) {
        auto* dialog = qobject_cast<FormatSettingDialog*>(modal);
        if (!dialog)
            return false;
        ++dialogs;
        shown = dialog->convertinfo();
        shownFile = dialog->xmlFile();
        QMetaObject::invokeMethod(dialog, "OnBtnOK");
        return true;
    });
    // The catalogue's settings request with no chosen row opens the first.
    emit SignalClass::GetInstance(nullptr)->signalShowSettingDialog();
    QCOMPARE(dialogs, 1);
    QCOMPARE(queue->choosenBar(), bar);
    QCOMPARE(shown.V_Encoder, bar->TargetInfo().V_Encoder);
    QCOMPARE(shown.V_Extend, QString("mp4"));
    QCOMPARE(shownFile, profile);
    QVERIFY(bar->findChild<FormatSettingDialog*>());
}

void TestRuns::targetPanelShowsWhatIsWritten_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("resolution"); // the task's current profile value
    QTest::addColumn<QString>("shown");
    QTest::addColumn<qint64>("bytes"); // 2 s at the profile's rates
    QTest::newRow("small source scaled up") << 640 << 480 << "1280*720"
                                            << "1280*720" << qint64(782000);
    QTest::newRow("1080p scaled down") << 1920 << 1080 << "1280*720"
                                       << "1280*720" << qint64(782000);
    QTest::newRow("original size") << 640 << 480 << "Original"
                                   << "640*480" << qint64(782000);
    // No picture in the source: the output is sound only.
    QTest::newRow("audio file, 4K format") << 0 << 0 << "3840*2160"
                                           << "" << qint64(32000);
}

void TestRuns::targetPanelShowsWhatIsWritten()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QString, resolution);
    QFETCH(QString, shown);
    QFETCH(qint64, bytes);
    orvfake::MediaFacts facts;
    facts.width = uint32_t(width);
    facts.height = uint32_t(height);
    if (width == 0)
        facts.programs[0].videoCount = 0;
    Run run({media("panel.mov", facts)});
    VideoConvertBar* bar = run.rows.first();

    Convertinfo values = bar->TargetInfo();
    values.V_Resolution = resolution;
    values.V_BitRate = "3000";
    values.A_BitRate = "128";
    bar->setConvertinfo(values);
    QCOMPARE(bar->m_laterInfoWidget->m_size->text(), shown);
    QCOMPARE(bar->m_laterInfoWidget->m_sizeImage->isVisibleTo(bar), !shown.isEmpty());
    QCOMPARE(bar->m_laterInfoWidget->m_length->text(), QIAppUtil::size2String(quint64(bytes)));

    // The engine is told the size the panel shows.
    run.start();
    if (!shown.isEmpty())
        QCOMPARE(QString::fromStdString(orvfake::converter("V1")->config.at("SetVideoSize")),
                 QString(shown).replace('*', ", "));
    run.queue->CancelConvert();
    QFile::remove(UserData::path("format/XML/MP4 Video.xml"));
}

void TestRuns::contextMenuEntries()
{
    auto queue = queueWith({media("c0.mov"), media("c1.mov")});
    const QPoint onRow(200, 20);
    const QPoint offRow(200, 400);
    struct Case
    {
        bool running;
        QPoint at;
        QString enabled;
    };
    const Case cases[] = {
        {false, onRow, "Add file,Remove,Preview,Rename,Edit,Clear,Open file location,File info"},
        {false, offRow, "Add file,Clear"},
        {true, onRow, "Add file,Remove,Open file location,File info"},
        {true, offRow, "Add file"},
    };
    for (const Case& c : cases) {
        if (c.running && !queue->isConverting()) {
            queue->StartConvert();
            queue->SetConvertState(true);
        }
        QCOMPARE(queue->isConverting(), c.running);
        QContextMenuEvent event(QContextMenuEvent::Mouse, c.at, queue->viewport()->mapToGlobal(c.at));
        queue->contextMenuEvent(&event);
        QStringList enabled;
        for (QAction* action : queue->rightMenu()->actions()) {
            if (!action->isSeparator() && action->isEnabled())
                enabled << action->text();
        }
        queue->rightMenu()->hide();
        QCOMPARE(enabled.join(','), c.enabled);
    }
    queue->SetConvertState(false);
    QVERIFY(!queue->isConverting());
}

void TestRuns::dragReordersTheSelection()
{
    QStringList files;
    for (const char* name : {"A", "B", "C", "D", "E"})
        files << media(QString(name) + ".mov");
    auto queue = queueWith(files);
    QSignalSpy chosen(queue.get(), &ScrollAreaforBar::signalHasChoosenBar);
    QList<VideoConvertBar*> rows = queue->barList();
    const int h = rows.at(0)->height();
    auto names = [&] {
        QString order;
        for (VideoConvertBar* bar : queue->barList())
            order += bar->VideoName().left(1);
        return order;
    };
    // Moves go straight to the queue (nothing but a press makes a drag);
    // presses and releases travel the whole way from the row.
    auto move = [&](const QPoint& at) {
        QMouseEvent event(QEvent::MouseMove, at, queue->viewport()->mapToGlobal(at), Qt::NoButton,
                          Qt::LeftButton, Qt::NoModifier);
        queue->mouseMoveEvent(&event);
    };
    auto inRow = [&](VideoConvertBar* row, const QPoint& at) { return at - QPoint(0, row->y()); };

    // Click D, Command-click A: both selected, A chosen.
    QTest::mouseClick(rows.at(3), Qt::LeftButton, Qt::NoModifier, QPoint(300, h / 2));
    QTest::mouseClick(rows.at(0), Qt::LeftButton, Qt::ControlModifier, QPoint(300, h / 2));
    QCOMPARE(queue->selectedBarList(), (QList<VideoConvertBar*>{rows[3], rows[0]}));
    QCOMPARE(queue->choosenBar(), rows.at(0));
    QVERIFY(chosen.last().at(0).toBool());

    // Press on the selected D, drag to the slot between B and C, release.
    const QPoint slot(300, 2 * h + 5);
    QTest::mousePress(rows.at(3), Qt::LeftButton, Qt::NoModifier, QPoint(300, h / 2));
    move(slot);
    QVERIFY(rows.at(2)->m_labLine1->isVisible());
    QTest::mouseRelease(rows.at(3), Qt::LeftButton, Qt::NoModifier, inRow(rows.at(3), slot));
    QVERIFY(!rows.at(2)->m_labLine1->isVisible());
    QCOMPARE(names(), QString("BDACE"));
    for (int i = 0; i < 5; ++i)
        QCOMPARE(queue->Layout->itemAt(i)->widget(), queue->barList().at(i));

    // A drag released outside the area changes nothing.
    const QPoint outside(300, queue->viewport()->height() + 50);
    VideoConvertBar* pressed = queue->barList().at(1);
    QTest::mousePress(pressed, Qt::LeftButton, Qt::NoModifier, QPoint(300, h / 2));
    move(outside);
    QTest::mouseRelease(pressed, Qt::LeftButton, Qt::NoModifier, inRow(pressed, outside));
    QCOMPARE(names(), QString("BDACE"));

    // A plain click inside the selection narrows it to that row on release.
    QTest::mouseClick(queue->barList().at(1), Qt::LeftButton, Qt::NoModifier, QPoint(300, h / 2));
    QCOMPARE(queue->selectedBarList(), QList<VideoConvertBar*>{queue->barList().at(1)});

    // Command-clicking the only selected row leaves nothing chosen.
    QTest::mouseClick(queue->barList().at(1), Qt::LeftButton, Qt::ControlModifier, QPoint(300, h / 2));
    QVERIFY(queue->selectedBarList().isEmpty());
    QVERIFY(!queue->choosenBar());
    QVERIFY(!chosen.last().at(0).toBool());
    // Leave no modifier held for what follows.
    QTest::mouseClick(queue->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(300, queue->viewport()->height() - 5));

    // Removing while idle takes the rows out at once; an emptied queue
    // shows its hint again.
    queue->unselectConvertBar(queue->barList().at(0));
    queue->slotRemoveChoosenBar();
    QCOMPARE(names(), QString("DACE"));
    // A row's own delete button: the row goes although the request comes
    // from inside its own click.
    queue->barList().first()->m_btnDelete->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(names(), QString("ACE"));
    QCOMPARE(queue->findChildren<VideoConvertBar*>().size(), 3);
    QSignalSpy hasVideo(queue.get(), &ScrollAreaforBar::signalHasVideo);
    queue->slotClearVideoBar();
    QVERIFY(queue->barList().isEmpty());
    QCOMPARE(hasVideo.count(), 1);
    QVERIFY(queue->m_WidgetContents->m_labelImage->isVisible());
}

void TestRuns::fileInfoDialog()
{
    orvfake::MediaFacts facts;
    facts.frameRate = 29.97;
    const QString first = media("first.mov", facts);
    const QString second = media("second.mov");
    auto queue = queueWith({first, second});

    queue->slotViewFileInfo();
    QVERIFY(!queue->infoDialog());

    queue->unselectConvertBar(queue->barList().at(0));
    queue->slotViewFileInfo();
    ConverterBarInfoDialog* dialog = queue->infoDialog();
    QVERIFY(dialog && dialog->isVisible());
    QVERIFY(!dialog->isModal());
    QVERIFY(!dialog->m_widTop->isVisible());
    QCOMPARE(dialog->m_widFileInfo->m_labNameFirst->text(), QString("Name:"));
    QCOMPARE(dialog->m_widFileInfo->m_labValueFirst->text(), QString("first.mov"));
    QCOMPARE(dialog->m_widFileInfo->m_labValueSecend->text(), QString("MOV"));
    QCOMPARE(dialog->m_widVideoInfo->m_labFileInfo->text(), QString("Video Info"));
    QVERIFY(!dialog->m_widVideoInfo->m_labNameFirst->isVisible());
    QVERIFY(!dialog->m_widVideoInfo->m_labValueFirst->isVisible());
    QCOMPARE(dialog->m_widVideoInfo->m_labValueFourth->text(), QString("29 FPS"));
    QCOMPARE(dialog->m_widAudioInfo->m_labNameFourth->text(), QString("Channel:"));

    // A renamed task still shows the probed name; another task refills the
    // same window.
    queue->barList().at(1)->slotChangeVideoName("renamed.mp4");
    queue->unselectConvertBar(queue->barList().at(1));
    queue->slotViewFileInfo();
    QCOMPARE(queue->infoDialog(), dialog);
    QCOMPARE(dialog->m_widFileInfo->m_labValueFirst->text(), QString("second.mov"));
    dialog->m_btnOK->click();
    QVERIFY(!dialog->isVisible());
}

void TestRuns::folderOpening()
{
    if (QFileInfo::exists("/usr/bin/osascript"))
        QSKIP("this system reveals files through its own file manager script");
    // "Open file location" without a file manager that can point at a file
    // opens the file's folder.
    const QString clip = media("where.mov");
    auto queue = queueWith({clip});
    queue->unselectConvertBar(queue->barList().first());
    queue->slotOpenLocationFileBar();
    // Without a session bus there is no file manager to ask.
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        QCOMPARE(m_openedUrls, QList<QUrl>{QUrl::fromLocalFile(m_dir.path())});

    // The all-done dialog's "Open Folder" makes the last level of a missing
    // output folder, never its parents, and opens it as a file URL.
    m_openedUrls.clear();
    g_Configure.m_strOutputFolder = m_dir.filePath("out/with space#1");
    QDir().mkpath(m_dir.filePath("out"));
    FinishConvertDialog dialog;
    QCOMPARE(dialog.windowTitle(), QString("FinishConvert"));
    dialog.m_btnOpenFolder->click();
    QVERIFY(QFileInfo(g_Configure.m_strOutputFolder).isDir());
    QCOMPARE(m_openedUrls, QList<QUrl>{QUrl::fromLocalFile(g_Configure.m_strOutputFolder)});
    g_Configure.m_strOutputFolder = m_dir.filePath("gone/out");
    dialog.m_btnOpenFolder->click();
    QVERIFY(!QFileInfo::exists(m_dir.filePath("gone")));
    QCOMPARE(m_openedUrls.size(), 2);
}

QTEST_MAIN(TestRuns)
#include "tst_runs.moc"
