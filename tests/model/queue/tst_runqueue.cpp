// The run queue without a window, on the recording engine: five tasks side
// by side and the next waiting one taking a freed slot, a resumed task and
// the holder that yields to it, how one task ends (written, short, failed,
// held paused), cancelling and leaving mid-run, output names handed out
// once, and the merge job's adds, polls and failures.
#include "clips/SourceProbe.h"
#include "formats/ProfileFile.h"
#include "history/HistoryFile.h"
#include "queue/ConvertJob.h"
#include "queue/ConvertTask.h"
#include "queue/RunQueue.h"

#include <orvalta_fake_control.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(orvfake::JobScript)

namespace {

using Stage = RunSchedule::Stage;
using Change = RunTask::Change;

TaskFormat mp4Format()
{
    TaskFormat format;
    format.itemName = QStringLiteral("MP4 Video");
    format.profile = QStringLiteral("mp4.xml");
    format.read = true;
    format.values.isVideo = true;
    format.values.V_Encoder = QStringLiteral("H264");
    format.values.V_Resolution = QStringLiteral("Original");
    format.values.V_FrameRate = QStringLiteral("25");
    format.values.V_BitRate = QStringLiteral("1000");
    format.values.A_Encoder = QStringLiteral("AAC");
    format.values.A_Channel = QStringLiteral("Original");
    format.values.A_SampleRate = QStringLiteral("Original");
    format.values.A_BitRate = QStringLiteral("128");
    format.values.V_Format = QStringLiteral("MP4");
    format.values.V_Extend = QStringLiteral("mp4");
    return format;
}

// A queue with one task per source, each task's announcements recorded.
class Run
{
public:
    explicit Run(const QStringList& sources, const QString& folder, bool merge = false)
    {
        request.outputFolder = folder;
        request.merge = merge;
        request.mergeFormat = mp4Format().values;
        for (const QString& source : sources) {
            auto task = std::make_shared<RunTask>();
            SourceFacts facts;
            facts.path = source;
            facts.name = QFileInfo(source).fileName();
            facts.suffix = QFileInfo(source).suffix();
            facts.duration = 10000000;
            facts.width = 320;
            facts.height = 240;
            facts.program = 0;
            facts.audioCount = 1;
            task->record().applyFacts(facts);
            task->record().applyFormat(mp4Format());
            queue.adopt(*task);
            const int index = tasks.size();
            changes.append(QList<Change>());
            QObject::connect(task.get(), &RunTask::changed, &queue,
                             [this, index](Change change) { changes[index].append(change); });
            tasks.append(task);
        }
    }

    void convert()
    {
        queue.convert(request, tasks);
        ConvertJob::waitForOpens();
    }

    RunTask& at(int i) { return *tasks.at(i); }
    Stage stage(int i) const { return tasks.at(i)->state().stage; }

    // The indexes of the slot holders, in slot order.
    QList<int> holders() const
    {
        QList<int> indexes;
        for (const RunTask* holder : queue.holders()) {
            for (int i = 0; i < tasks.size(); ++i)
                indexes += tasks.at(i).get() == holder ? QList<int>{i} : QList<int>();
        }
        return indexes;
    }

    QList<int> inStage(Stage wanted) const
    {
        QList<int> indexes;
        for (int i = 0; i < tasks.size(); ++i) {
            if (tasks.at(i)->state().stage == wanted)
                indexes.append(i);
        }
        return indexes;
    }

    // Polls a converting task until its job has ended; the opens that
    // started in turn are let through.
    void finish(int i)
    {
        for (int poll = 0; poll < 400 && stage(i) == Stage::Converting; ++poll)
            queue.poll(at(i));
        ConvertJob::waitForOpens();
    }

    // Drives the merge by hand until it has ended (or 2000 steps passed).
    void mergeToTheEnd(QSignalSpy& ended)
    {
        for (int step = 0; step < 2000 && ended.isEmpty(); ++step) {
            ConvertJob::waitForOpens();
            QCoreApplication::processEvents();
            queue.pollMerge();
        }
    }

    RunQueue queue;
    RunRequest request;
    QList<RunQueue::TaskPointer> tasks;
    QList<QList<Change>> changes;
};

QList<int> range(int from, int to)
{
    QList<int> indexes;
    for (int i = from; i < to; ++i)
        indexes.append(i);
    return indexes;
}

} // namespace

class TestRunQueue : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        orvfake::reset();
        QVERIFY(m_dir.isValid());
        QDir(m_dir.filePath("out")).removeRecursively();
    }
    void cleanup() { ConvertJob::waitForOpens(); }

    // Up to five convert side by side in queue order; each end hands its
    // slot to the next waiting task, and the run ends once all have ended.
    void fiveSlots_data()
    {
        QTest::addColumn<int>("count");
        for (int count : {1, 5, 7, 12})
            QTest::addRow("%d tasks", count) << count;
    }

    void fiveSlots()
    {
        QFETCH(int, count);
        orvfake::setCreateFiles(false);
        Run run(sources(count), m_dir.filePath("out"));
        QSignalSpy ended(&run.queue, &RunQueue::runEnded);
        QSignalSpy usage(&run.queue, &RunQueue::usage);
        run.convert();

        const int running = qMin(count, RunSchedule::kSlots);
        QCOMPARE(run.holders(), range(0, running));
        QCOMPARE(run.inStage(Stage::Converting), range(0, running));
        QCOMPARE(run.inStage(Stage::Waiting), range(running, count));
        const std::vector<std::string> opened = orvfake::calls("Converter_Open(");
        QCOMPARE(int(opened.size()), running);
        for (int i = 0; i < running; ++i)
            QVERIFY(QString::fromStdString(opened.at(size_t(i))).contains(QString("t%1.mov").arg(i)));
        QVERIFY(run.at(0).pollTimer()->isActive());

        run.finish(0);
        QCOMPARE(run.stage(0), Stage::Finished);
        QVERIFY(!run.at(0).job().converter());
        QVERIFY(!run.at(0).pollTimer()->isActive());
        QCOMPARE(run.holders(), range(1, qMin(count, RunSchedule::kSlots + 1)));

        for (int round = 0; round < count && !run.queue.ended(); ++round) {
            for (int i = 0; i < count; ++i)
                run.finish(i);
        }
        // The end comes through the event loop, never inside a poll, once.
        QVERIFY(ended.isEmpty());
        QTRY_COMPARE(ended.count(), 1);
        QCoreApplication::processEvents();
        QCOMPARE(ended.count(), 1);
        QVERIFY(run.queue.ended());
        QVERIFY(run.queue.holders().isEmpty());
        QCOMPARE(run.inStage(Stage::Finished), range(0, count));
        QCOMPARE(run.queue.outputs().size(), count);
        for (int i = 0; i < count; ++i) {
            QCOMPARE(run.at(i).state().percent, 100.0f);
            QCOMPARE(run.changes.at(i).count(Change::Written), 1);
            QCOMPARE(run.changes.at(i).count(Change::Ended), 1);
        }
        // A start and a whole output each tell the usage log.
        int starts = 0, written = 0;
        for (const QList<QVariant>& event : qAsConst(usage)) {
            starts += event.at(0).toInt() == 11621 ? 1 : 0;
            written += event.at(0).toInt() == 11623 ? 1 : 0;
        }
        QCOMPARE(starts, count);
        QCOMPARE(written, count);

        // The next run starts every task afresh.
        run.queue.cancel();
        QCOMPARE(run.inStage(Stage::Idle), range(0, count));
        run.convert();
        QCOMPARE(run.holders(), range(0, running));
        run.queue.cancel();
    }

    // Pauses and resumes: a pause frees the slot for the next waiting task;
    // a resume takes a free slot, or the oldest converting holder yields its
    // own; a refused pause keeps the task where it was.
    void yield_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("steps"); // "pause i", "refuse" (pauses are refused from now on)
        QTest::addColumn<QList<int>>("holders");
        QTest::addColumn<QList<int>>("paused");
        QTest::newRow("pause frees a slot")
            << 7 << QStringList{"pause 1"} << QList<int>{0, 2, 3, 4, 5} << QList<int>{1};
        QTest::newRow("resume takes the oldest converting slot")
            << 7 << QStringList{"pause 1", "pause 1"} << QList<int>{2, 3, 4, 5, 1} << QList<int>{0};
        QTest::newRow("the next converting holder yields")
            << 7 << QStringList{"pause 1", "pause 0", "pause 1"} << QList<int>{3, 4, 5, 6, 1}
            << QList<int>{0, 2};
        QTest::newRow("resume with a free slot")
            << 3 << QStringList{"pause 0", "pause 0"} << QList<int>{1, 2, 0} << QList<int>();
        QTest::newRow("refused pause keeps the slot")
            << 7 << QStringList{"refuse", "pause 1"} << QList<int>{0, 1, 2, 3, 4} << QList<int>();
    }

    void yield()
    {
        QFETCH(int, count);
        QFETCH(QStringList, steps);
        QFETCH(QList<int>, holders);
        QFETCH(QList<int>, paused);
        orvfake::setCreateFiles(false);
        Run run(sources(count), m_dir.filePath("out"));
        run.convert();
        for (const QString& step : steps) {
            if (step == "refuse") {
                orvfake::setResult("Converter_Pause", 0);
                continue;
            }
            run.queue.pause(run.at(step.section(' ', 1).toInt()));
            ConvertJob::waitForOpens();
        }
        QCOMPARE(run.holders(), holders);
        QCOMPARE(run.inStage(Stage::Paused), paused);
        for (int i : holders)
            QCOMPARE(run.stage(i), Stage::Converting);
        for (int i : paused)
            QVERIFY(!run.at(i).pollTimer()->isActive());
        QVERIFY(!run.queue.ended());
        run.queue.cancel();
    }

    // One task's end, and where the run goes from there: the slot is free
    // and the waiting task takes it.
    void oneTaskEnds_data()
    {
        QTest::addColumn<orvfake::JobScript>("script");
        QTest::addColumn<QString>("forced"); // engine results while the first jobs open: "function=value,.."
        QTest::addColumn<int>("stage");
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("endedEarly");
        orvfake::JobScript whole;
        QTest::newRow("written whole") << whole << "" << int(Stage::Finished) << ""
                                       << "";
        orvfake::JobScript early;
        early.endsEarlyUs = 2900000;
        QTest::newRow("source ends early") << early << "" << int(Stage::Finished) << ""
                                           << "Converted 00:00:02 of 00:00:10";
        orvfake::JobScript unreadable;
        unreadable.openError = ORV_E_INPUT;
        // The stand-in sources are not on disk.
        QTest::newRow("open refused, source gone")
            << unreadable << "" << int(Stage::Finished) << "Cannot find this file"
            << "";
        orvfake::JobScript denied;
        denied.openError = ORV_E_ACCESS;
        QTest::newRow("open refused, no permission")
            << denied << "" << int(Stage::Finished) << "No permission to read this file"
            << "";
        orvfake::JobScript broken;
        broken.error = ORV_E_ENCODER;
        QTest::newRow("job fails") << broken << "" << int(Stage::Finished)
                                   << "This format cannot hold this file"
                                   << "";
        QTest::newRow("start refused: held paused")
            << whole << "Converter_Start=0,Converter_Pause=1" << int(Stage::Paused) << ""
            << "";
        QTest::newRow("start and pause refused") << whole << "Converter_Start=0" << int(Stage::Finished)
                                                 << ConvertJob::failureReason(ORV_OK, QString()) << "";
    }

    void oneTaskEnds()
    {
        QFETCH(orvfake::JobScript, script);
        QFETCH(QString, forced);
        QFETCH(int, stage);
        QFETCH(QString, failure);
        QFETCH(QString, endedEarly);
        orvfake::setCreateFiles(false);
        const QStringList files = sources(6);
        orvfake::setJobScript(files.first().toStdString(), script);
        const QStringList results = forced.split(',', Qt::SkipEmptyParts);
        for (const QString& result : results)
            orvfake::setResult(result.section('=', 0, 0).toStdString(), result.section('=', 1).toLongLong());
        Run run(files, m_dir.filePath("out"));
        // The first five starts are refused alike; the sixth task starts
        // once a slot is free.
        run.convert();
        for (const QString& result : results)
            orvfake::clearResult(result.section('=', 0, 0).toStdString());
        ConvertJob::waitForOpens();
        run.finish(0);

        const RunState& state = run.at(0).state();
        QCOMPARE(int(state.stage), stage);
        QCOMPARE(state.failed, !failure.isEmpty());
        QCOMPARE(state.failure, failure);
        QCOMPARE(state.endedEarly, endedEarly);
        QCOMPARE(run.changes.at(0).contains(Change::Written),
                 failure.isEmpty() && stage != int(Stage::Paused));
        if (stage == int(Stage::Paused)) {
            // Held in its slot, so that the person may resume it.
            QCOMPARE(run.holders(), range(0, 5));
            run.queue.cancel();
            return;
        }
        QCOMPARE(run.changes.at(0).count(Change::Ended), 1);
        QVERIFY(!run.at(0).job().converter());
        QVERIFY(!run.holders().contains(0));
        // The freed slot went to the waiting task (whose own start a forced
        // result may have refused as well).
        QVERIFY(run.holders().contains(5) || run.at(5).state().failed);
        ConvertJob::waitForOpener();
        QCOMPARE(orvfake::calls("Converter_Release(V1)").size(), size_t(1));
        run.queue.cancel();
        // A failure stays after the run, until the task joins another one.
        QCOMPARE(run.at(0).state().failed, !failure.isEmpty());
        run.queue.wait(run.at(0));
        QVERIFY(!run.at(0).state().failed);
        QVERIFY(run.at(0).state().endedEarly.isEmpty());
    }

    // Cancelling while jobs open, convert or are paused: every task is idle,
    // nothing opened later calls back, and every converter is released.
    void cancel_data()
    {
        QTest::addColumn<QString>("when");
        for (const char* when : {"opening", "converting", "paused"})
            QTest::newRow(when) << when;
    }

    void cancel()
    {
        QFETCH(QString, when);
        orvfake::setCreateFiles(false);
        Run run(sources(3), m_dir.filePath("out"));
        run.queue.convert(run.request, run.tasks);
        if (when != "opening")
            ConvertJob::waitForOpens();
        if (when == "paused")
            run.queue.pause(run.at(1));
        run.queue.cancel();
        ConvertJob::waitForOpens();
        QVERIFY(!run.queue.isRunning());
        QCOMPARE(run.inStage(Stage::Idle), range(0, 3));
        for (int i = 0; i < 3; ++i) {
            QVERIFY(!run.at(i).job().isOpening());
            QVERIFY(!run.at(i).job().converter());
            QVERIFY(!run.at(i).pollTimer()->isActive());
            QCOMPARE(run.changes.at(i).last(), Change::Recovered);
        }
        ConvertJob::waitForOpener();
        QCOMPARE(orvfake::calls("Converter_Release(V").size(), size_t(3));
    }

    // The partial outputs of a cancelled run are deleted on the opener
    // thread before any later open: a run started at once keeps the names.
    void aRunAfterACancelKeepsItsNames()
    {
        Run run(sources(2), m_dir.filePath("out"));
        run.convert();
        const QString first = run.at(0).record().outputPath();
        const QString second = run.at(1).record().outputPath();
        QVERIFY(QFileInfo::exists(first));
        run.queue.cancel();
        run.convert();
        QCOMPARE(run.at(0).record().outputPath(), first);
        QCOMPARE(run.at(1).record().outputPath(), second);
        QCOMPARE(run.inStage(Stage::Converting), range(0, 2));
        QVERIFY(QFileInfo::exists(first));
        run.queue.cancel();
        ConvertJob::waitForOpens();
        QVERIFY(!QFileInfo::exists(first));
    }

    // A task that leaves mid-run: its slot goes to the next waiting task; a
    // pending open is released when it returns and never calls back; a job
    // is released on the opener thread, its partial output deleted there,
    // while one that ended whole before a poll saw it is listed and kept.
    void leave_data()
    {
        QTest::addColumn<QString>("when");
        for (const char* when : {"converting", "opening", "ended unseen"})
            QTest::newRow(when) << when;
    }

    void leave()
    {
        QFETCH(QString, when);
        const bool opening = when == "opening";
        const bool endedUnseen = when == "ended unseen";
        const QStringList files = sources(7);
        if (endedUnseen) {
            orvfake::JobScript quick;
            quick.polls = 1;
            orvfake::setJobScript(files.at(2).toStdString(), quick);
        }
        Run run(files, m_dir.filePath("out"));
        const QString history = m_dir.filePath("history.xml");
        QFile::remove(history);
        run.request.historyPath = history;
        run.queue.convert(run.request, run.tasks);
        if (!opening)
            ConvertJob::waitForOpens();
        RunQueue::TaskPointer leaving = run.tasks.at(2);
        const QString output = leaving->record().outputPath();
        const std::string converter = orvfake::label(leaving->job().converter());
        run.queue.leave(*leaving);
        run.tasks.removeAt(2);
        run.queue.fillSlots();
        ConvertJob::waitForOpens();
        QCOMPARE(run.holders(), (QList<int>{0, 1, 2, 3, 4}));
        QCOMPARE(run.queue.tasks().size(), 6);
        QVERIFY(!leaving->pollTimer()->isActive());
        QVERIFY(!leaving->job().isOpening());
        QVERIFY(!leaving->job().converter());
        if (!opening)
            QCOMPARE(orvfake::calls("Converter_Release(" + converter + ")").size(), size_t(1));
        QCOMPARE(QFileInfo::exists(output), endedUnseen);
        QCOMPARE(leaving->state().stage, opening ? Stage::Waiting : Stage::Converting);
        HistoryFile::waitForLater();
        HistoryFile listed(history);
        listed.read();
        QStringList paths;
        for (const HistoryCategory& category : listed.categories()) {
            for (const HistoryEntry& entry : category.entries)
                paths << entry.filePath;
        }
        QCOMPARE(paths, endedUnseen ? QStringList{output} : QStringList());
        run.queue.cancel();
    }

    // The queue holds every task from its add to its removal: a task being
    // added is found but not in the order until appended; reorder and
    // removal change the order; a task appended mid-run waits in the run,
    // and one removed mid-run leaves it.
    void queueOrder()
    {
        orvfake::setCreateFiles(false);
        const QStringList files = sources(3);
        RunQueue queue;
        QList<RunQueue::TaskPointer> tasks;
        for (const QString& file : files) {
            tasks.append(queue.create());
            SourceFacts facts;
            facts.path = file;
            facts.name = QFileInfo(file).fileName();
            facts.duration = 10000000;
            tasks.last()->record().applyFacts(facts);
            tasks.last()->record().applyFormat(mp4Format());
        }
        QVERIFY(queue.queue().isEmpty());
        QCOMPARE(queue.find(tasks.at(1)->id()), tasks.at(1));
        QVERIFY(tasks.at(0)->id() != tasks.at(1)->id());
        queue.append(tasks.at(0));
        queue.append(tasks.at(1));
        queue.move(1, 0);
        QCOMPARE(queue.queue(), (QList<RunQueue::TaskPointer>{tasks.at(1), tasks.at(0)}));

        RunRequest request;
        request.outputFolder = m_dir.filePath("out");
        queue.convert(request);
        QCOMPARE(queue.tasks(), queue.queue());
        queue.append(tasks.at(2));
        QCOMPARE(queue.tasks().last(), tasks.at(2));
        QCOMPARE(tasks.at(2)->state().stage, Stage::Waiting);
        queue.remove(*tasks.at(1));
        QCOMPARE(queue.queue(), (QList<RunQueue::TaskPointer>{tasks.at(0), tasks.at(2)}));
        QCOMPARE(queue.tasks(), queue.queue());
        QVERIFY(!queue.find(tasks.at(1)->id()));
        queue.cancel();
        ConvertJob::waitForOpens();
    }

    // Two tasks of one file never share an output: a name is handed out at
    // the start, before the engine makes the file; the folder is made.
    void outputsAreHandedOutOnce()
    {
        orvfake::setCreateFiles(false);
        const QString source = m_dir.filePath("clip.mov");
        orvfake::setMedia(source.toStdString(), orvfake::MediaFacts());
        const QString folder = m_dir.filePath("out/deep/");
        Run run({source, source}, folder);
        run.convert();
        const QString a = m_dir.filePath("out/deep/clip.mp4");
        const QString b = m_dir.filePath("out/deep/clip1.mp4");
        QVERIFY(QFileInfo(m_dir.filePath("out/deep")).isDir());
        QCOMPARE(QString::fromStdString(orvfake::converter("V1")->dst), a);
        QCOMPARE(QString::fromStdString(orvfake::converter("V2")->dst), b);
        QCOMPARE(run.at(1).record().outputPath(), b);
        QCOMPARE(run.queue.outputs(), (QSet<QString>{a, b}));
        run.queue.cancel();
    }

    // The merge: items are added in queue order on the opener thread, each
    // polled to its end; an item that cannot be added or fails is counted
    // and the merge moves on; a merger that cannot open fails every item.
    void merge_data()
    {
        QTest::addColumn<int>("refusedItem"); // -1: none
        QTest::addColumn<int>("failingItem");
        QTest::addColumn<int>("earlyItem"); // its source ends early
        QTest::addColumn<bool>("outputRefused");
        QTest::addColumn<int>("joined");
        QTest::addColumn<QList<int>>("failed");
        QTest::newRow("all joined") << -1 << -1 << -1 << false << 3 << QList<int>();
        QTest::newRow("an item cannot be added") << 1 << -1 << -1 << false << 2 << QList<int>{1};
        QTest::newRow("an item fails while merged") << -1 << 2 << -1 << false << 2 << QList<int>{2};
        QTest::newRow("an item's source ends early") << -1 << -1 << 1 << false << 3 << QList<int>();
        QTest::newRow("the merger cannot open") << -1 << -1 << -1 << true << 0 << QList<int>{0, 1, 2};
    }

    void merge()
    {
        QFETCH(int, refusedItem);
        QFETCH(int, failingItem);
        QFETCH(int, earlyItem);
        QFETCH(bool, outputRefused);
        QFETCH(int, joined);
        QFETCH(QList<int>, failed);
        const QStringList files = sources(3);
        orvfake::JobScript refused;
        refused.openError = ORV_E_INPUT;
        orvfake::JobScript failing;
        failing.error = ORV_E_DECODE;
        if (refusedItem >= 0)
            orvfake::setJobScript(files.at(refusedItem).toStdString(), refused);
        if (failingItem >= 0)
            orvfake::setJobScript(files.at(failingItem).toStdString(), failing);
        orvfake::JobScript early;
        early.endsEarlyUs = 2900000;
        if (earlyItem >= 0)
            orvfake::setJobScript(files.at(earlyItem).toStdString(), early);
        const QString output = m_dir.filePath("out/t0.mp4");
        orvfake::JobScript unwritable;
        unwritable.openError = ORV_E_OUTPUT;
        if (outputRefused)
            orvfake::setJobScript(output.toStdString(), unwritable);

        Run run(files, m_dir.filePath("out"), true);
        QSignalSpy ended(&run.queue, &RunQueue::mergeEnded);
        run.queue.convert(run.request, run.tasks);
        // The add is with the opener thread; nothing ends inside the start.
        QVERIFY(run.queue.isOpening(run.at(0)));
        QVERIFY(ended.isEmpty());
        run.mergeToTheEnd(ended);

        QCOMPARE(ended.count(), 1);
        // Ended once the merged file is whole.
        QCOMPARE(orvfake::merger("M1")->closed, !outputRefused);
        QCOMPARE(ended.first().at(0).toInt(), joined);
        QCOMPARE(ended.first().at(1).toInt(), failed.size());
        QVERIFY(orvfake::calls("Converter_").empty());
        QList<int> failedTasks;
        for (int i = 0; i < 3; ++i) {
            if (run.at(i).state().failed)
                failedTasks.append(i);
            QCOMPARE(run.stage(i), Stage::Waiting);
            // the row says how far its source went, as outside a merge
            QCOMPARE(run.at(i).state().endedEarly,
                     i == earlyItem ? QString("Converted 00:00:02 of 00:00:10") : QString());
        }
        QCOMPARE(failedTasks, failed);
        const auto record = orvfake::merger("M1");
        QVERIFY(record);
        QCOMPARE(QString::fromStdString(record->dst), output);
        QCOMPARE(int(record->items.size()), outputRefused ? 0 : 3 - (refusedItem >= 0 ? 1 : 0));
        QCOMPARE(run.queue.mergeOutput(), outputRefused ? QString() : output);
        QCOMPARE(run.queue.outputs(), outputRefused ? QSet<QString>() : QSet<QString>{output});
        if (!outputRefused)
            QCOMPARE(run.queue.mergeCategory(), QString("MP4 Video"));
        if (!outputRefused && refusedItem != 0)
            QCOMPARE(run.at(0).record().outputPath(), output);

        // Cancelled at its end: the merger is released once, not closed again.
        run.queue.cancel();
        ConvertJob::waitForOpener();
        QCOMPARE(orvfake::calls("Merger_Release(M1)").size(), size_t(1));
        QCOMPARE(orvfake::calls("Merger_Close(M1)").size(), size_t(1));
        QCOMPARE(run.inStage(Stage::Idle), range(0, 3));
    }

    // A merge cancelled mid-item leaves no file: its merger is let go of
    // unclosed.
    void mergeCancelled()
    {
        orvfake::JobScript item;
        item.polls = 50;
        orvfake::setJobScript(item);
        QVERIFY(QDir().mkpath(m_dir.filePath("out")));
        Run run(sources(3), m_dir.filePath("out"), true);
        run.queue.convert(run.request, run.tasks);
        ConvertJob::waitForOpens();
        run.queue.pollMerge();
        QCOMPARE(run.queue.mergeIndex(), 0);
        const QString output = m_dir.filePath("out/t0.mp4");
        QVERIFY(QFile::exists(output));
        run.queue.cancel();
        ConvertJob::waitForOpener();
        QVERIFY(!QFile::exists(output));
        QVERIFY(orvfake::calls("Merger_Close(M1)").empty());
        QCOMPARE(orvfake::calls("Merger_Release(M1)").size(), size_t(1));
        QCOMPARE(run.inStage(Stage::Idle), range(0, 3));
    }

    // The merge stays on its item when an earlier one leaves, and goes on
    // past an item that leaves while it is merged.
    void mergeFollowsTheQueue()
    {
        orvfake::JobScript item;
        item.polls = 6;
        orvfake::setJobScript(item);
        const QStringList files = sources(4);
        Run run(files, m_dir.filePath("out"), true);
        QSignalSpy ended(&run.queue, &RunQueue::mergeEnded);
        run.queue.convert(run.request, run.tasks);
        ConvertJob::waitForOpens();
        for (int step = 0; step < 2000 && run.queue.mergeIndex() < 1; ++step) {
            run.queue.pollMerge();
            ConvertJob::waitForOpens();
        }
        QCOMPARE(run.queue.mergeItem(), &run.at(1));
        run.queue.leave(run.at(0));
        QCOMPARE(run.queue.mergeIndex(), 0);
        QCOMPARE(run.queue.mergeItem(), &run.at(1));
        run.queue.leave(run.at(1));
        QVERIFY(!run.queue.mergeItem());
        run.mergeToTheEnd(ended);
        QCOMPARE(ended.count(), 1);
        QStringList merged;
        const auto record = orvfake::merger("M1");
        for (const orvfake::MergeItem& added : record->items)
            merged << QString::fromStdString(added.src);
        QCOMPARE(merged, files);
        QCOMPARE(run.queue.tasks().size(), 2);
        QCOMPARE(run.at(3).state().percent, 100.0f);
        run.queue.cancel();
    }

private:
    QStringList sources(int count)
    {
        QStringList files;
        for (int i = 0; i < count; ++i) {
            files << m_dir.filePath(QString("t%1.mov").arg(i));
            orvfake::MediaFacts facts;
            facts.durationUs = 10000000;
            orvfake::setMedia(files.last().toStdString(), facts);
        }
        return files;
    }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestRunQueue)
#include "tst_runqueue.moc"
