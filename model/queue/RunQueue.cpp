#include "queue/RunQueue.h"

#include "QIAppUtil.h"
#include "history/HistoryFile.h"
#include "queue/FreeMemory.h"
#include "queue/MergeJob.h"
#include "queue/Opener.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>

#include <atomic>

namespace {

using Stage = RunSchedule::Stage;

// The texts keep the contexts of the rows and the queue that show them.
QString rowText(const char* source) { return QCoreApplication::translate("VideoConvertBar", source); }

} // namespace

// ---- One task ------------------------------------------------------------------

namespace {
RunTask::Id nextTaskId()
{
    static std::atomic<RunTask::Id> last{0};
    return ++last;
}
} // namespace

RunTask::RunTask()
    : m_id(nextTaskId())
    , m_job(std::make_unique<ConvertJob>())
{}

RunTask::~RunTask() = default;

// ---- The run queue -------------------------------------------------------------

RunQueue::RunQueue(QObject* parent)
    : QObject(parent)
{
    m_mergePoll.setInterval(kPollMs);
    connect(&m_mergePoll, &QTimer::timeout, this, &RunQueue::pollMerge);
}

RunQueue::~RunQueue()
{
    // Nothing calls back into a queue that is gone: pending opens are
    // released as they return, and the merger (not closed) after them.
    for (const QList<TaskPointer>* tasks : {&m_tasks, &m_queue, &m_adding}) {
        for (const TaskPointer& task : *tasks) {
            task->m_poll.stop();
            task->job().abandonOpen();
        }
    }
    m_merge.reset();
}

// ---- The queue's tasks -------------------------------------------------------------

RunQueue::TaskPointer RunQueue::create()
{
    auto task = std::make_shared<RunTask>();
    adopt(*task);
    m_adding.append(task);
    return task;
}

void RunQueue::append(const TaskPointer& task)
{
    if (!task || m_queue.contains(task))
        return;
    m_adding.removeAll(task);
    m_queue.append(task);
    if (m_running) {
        wait(*task);
        join(task);
    }
}

void RunQueue::remove(RunTask& task)
{
    // Held here while it leaves: the caller may hold only a reference.
    const TaskPointer held = find(task.id());
    leave(task);
    for (QList<TaskPointer>* tasks : {&m_queue, &m_adding}) {
        for (int i = tasks->size() - 1; i >= 0; --i) {
            if (tasks->at(i).get() == &task)
                tasks->removeAt(i);
        }
    }
}

void RunQueue::move(int from, int to)
{
    if (from < 0 || from >= m_queue.size() || to < 0 || to >= m_queue.size())
        return;
    m_queue.move(from, to);
}

RunQueue::TaskPointer RunQueue::find(RunTask::Id id) const
{
    for (const QList<TaskPointer>* tasks : {&m_queue, &m_adding}) {
        for (const TaskPointer& task : *tasks) {
            if (task->id() == id)
                return task;
        }
    }
    return nullptr;
}

void RunQueue::adopt(RunTask& task)
{
    RunTask* polled = &task;
    connect(&task.m_poll, &QTimer::timeout, this, [this, polled] { poll(*polled); });
}

void RunQueue::announce(RunTask& task, RunTask::Change change)
{
    emit task.changed(change);
    emit taskChanged(&task, change);
}

// ---- The run ---------------------------------------------------------------------

void RunQueue::convert(const RunRequest& request, const QList<TaskPointer>& tasks)
{
    m_request = request;
    ++m_generation;
    m_endPending = false;
    m_outputs.clear();
    m_holders.clear();
    m_tasks = tasks;
    m_running = true;
    m_merging = request.merge;
    m_mergeIndex = 0;
    m_mergeItem = nullptr;
    m_mergeJoined = 0;
    m_mergeFailed = 0;
    m_mergeOutput.clear();
    m_mergeCategory.clear();
    for (const TaskPointer& task : tasks)
        wait(*task);
    if (m_merging)
        mergeCurrent();
    else
        fillSlots();
}

void RunQueue::join(const TaskPointer& task)
{
    if (!m_running || !task || m_tasks.contains(task))
        return;
    m_tasks.append(task);
}

void RunQueue::leave(RunTask& task)
{
    int index = -1;
    for (int i = 0; i < m_tasks.size() && index < 0; ++i) {
        if (m_tasks.at(i).get() == &task)
            index = i;
    }
    if (index < 0)
        return;
    if (m_merging) {
        // The merge walks the list by index: keep it on the item it works on.
        const RunSchedule::MergePosition merge = RunSchedule::afterRemoval(m_mergeIndex, index);
        m_mergeIndex = merge.index;
        if (merge.removedCurrent)
            m_mergeItem = nullptr;
    }
    task.m_poll.stop();
    task.job().abandonOpen();
    if (!m_request.merge)
        letGo(task);
    m_holders.removeAll(&task);
    m_tasks.removeAt(index);
}

void RunQueue::letGo(RunTask& task)
{
    if (!task.job().converter() || task.m_state.stage == Stage::Finished)
        return;
    // The engine may have finished since the last poll: that output is
    // whole, listed and kept; the release deletes only a partial one.
    const ConvertJob::Poll poll = task.job().poll();
    const bool whole = poll.ended && poll.error == 0;
    if (whole)
        written(task, poll);
    task.job().releaseLater();
    if (whole)
        return;
    const QString output = task.m_record.outputPath();
    m_outputs.going(output);
    const QPointer<RunQueue> self(this);
    Opener::runThenHandBack([] {},
                            [self, output] {
                                if (self)
                                    self->m_outputs.gone(output);
                            });
}

void RunQueue::fillSlots()
{
    if (!m_running || m_merging)
        return;
    while (m_holders.size() < RunSchedule::kSlots) {
        QVector<RunSchedule::Task> tasks;
        tasks.reserve(m_tasks.size());
        for (const TaskPointer& task : qAsConst(m_tasks))
            tasks.append({task->m_state.stage == Stage::Waiting, m_holders.contains(task.get())});
        const int index = RunSchedule::nextTask(tasks);
        if (index < 0)
            break;
        RunTask* next = m_tasks.at(index).get();
        start(*next);
        m_holders.append(next);
    }
}

bool RunQueue::ended() const
{
    QVector<Stage> stages;
    stages.reserve(m_tasks.size());
    for (const TaskPointer& task : m_tasks)
        stages.append(task->m_state.stage);
    return RunSchedule::runEnded(stages);
}

void RunQueue::check()
{
    if (!m_running)
        return;
    if (!ended()) {
        fillSlots();
        return;
    }
    if (m_endPending)
        return;
    // Delivered through the event loop: whatever shows the end (a modal
    // dialog) never runs inside the poll or removal that ended the run.
    m_endPending = true;
    const int generation = m_generation;
    QTimer::singleShot(0, this, [this, generation] {
        if (generation != m_generation)
            return;
        m_endPending = false;
        if (m_running && ended())
            emit runEnded();
    });
}

void RunQueue::cancel()
{
    m_running = false;
    m_endPending = false;
    ++m_generation;
    for (const TaskPointer& task : qAsConst(m_tasks)) {
        if (task->m_state.stage != Stage::Idle)
            recover(*task);
    }
    m_tasks.clear();
    m_holders.clear();
    m_mergePoll.stop();
    if (m_merge) {
        // A merge cancelled (or its window closed) before its file was
        // whole leaves no file: the merger is let go of unclosed, which
        // deletes what it wrote.
        m_merge->release(false);
        m_merge.reset();
    }
    m_mergeIndex = 0;
    m_mergeItem = nullptr;
    m_merging = false;
    m_mergeOutput.clear();
    m_mergeCategory.clear();
    // The run's threads have freed their buffers into the allocator's arenas:
    // hand that memory back once the jobs are released.
    Opener::run([] { FreeMemory::giveBack(); });
}

bool RunQueue::isOpening(const RunTask& task) const
{
    return task.job().isOpening() || (m_mergeItem == &task && m_merge && m_merge->isBusy());
}

// ---- One task ----------------------------------------------------------------------

void RunQueue::wait(RunTask& task)
{
    RunState& state = task.m_state;
    state.stage = Stage::Waiting;
    state.percent = 0.0f;
    state.failed = false;
    state.failure.clear();
    state.endedEarly.clear();
    announce(task, RunTask::Change::Waiting);
}

void RunQueue::start(RunTask& task)
{
    ConvertTask& record = task.m_record;
    const QString output = m_outputs.take(m_request.outputFolder, record.name(), record.target().V_Extend);
    record.setOutputPath(output);
    emit usage(11621, RunOutputs::startEventText(record.path(), record.target().V_Format));

    // A merge run adds the task to its merge job instead.
    if (m_request.merge)
        return;
    const QPointer<RunQueue> self(this);
    RunTask* opening = &task;
    task.job().open(record, output, [self, opening] {
        if (self)
            self->opened(*opening);
    });
}

void RunQueue::opened(RunTask& task)
{
    ConvertJob& job = task.job();
    if (!job.created()) {
        fail(task, rowText("The converter could not be created."));
        return;
    }
    if (!job.isOpen()) {
        fail(task, ConvertJob::failureReason(job.openError(), task.m_record));
        return;
    }
    // A taken name gave the output a number: the row names the real file.
    announce(task, RunTask::Change::Opened);
    if (job.start()) {
        showConverting(task);
        task.m_poll.start(kPollMs);
        return;
    }
    // Not started: held paused so that the person may try again; a job
    // that takes neither can only fail.
    park(task);
    if (task.m_state.stage != Stage::Paused)
        fail(task, ConvertJob::failureReason(job.error(), task.m_record));
}

void RunQueue::pause(RunTask& task)
{
    RunState& state = task.m_state;
    if (state.stage == Stage::Paused) {
        resume(task);
    } else if (state.stage == Stage::Converting) {
        park(task);
    }
    if (!m_running || m_merging)
        return;
    if (state.stage == Stage::Paused) {
        if (m_holders.removeOne(&task))
            fillSlots();
        return;
    }
    // A refused pause or resume leaves the stage as it was: a task keeps its
    // one slot.
    if (state.stage != Stage::Converting || m_holders.contains(&task))
        return;
    QVector<Stage> holders;
    holders.reserve(m_holders.size());
    for (const RunTask* holder : qAsConst(m_holders))
        holders.append(holder->m_state.stage);
    const int yielding = RunSchedule::yieldingHolder(holders);
    if (yielding >= 0)
        park(*m_holders.takeAt(yielding));
    m_holders.append(&task);
}

void RunQueue::park(RunTask& task)
{
    if (!task.job().pause())
        return;
    task.m_state.stage = Stage::Paused;
    task.m_poll.stop();
    announce(task, RunTask::Change::Paused);
}

void RunQueue::resume(RunTask& task)
{
    if (!task.job().start())
        return;
    task.m_state.stage = Stage::Converting;
    task.m_poll.start(kPollMs);
    announce(task, RunTask::Change::Resumed);
}

void RunQueue::finish(RunTask& task)
{
    if (!task.job().converter())
        return;
    // The job has ended: freeing its encoders can take tens of milliseconds,
    // which the window does not wait for.
    task.job().releaseLater();
    task.m_state.stage = Stage::Finished;
    task.m_poll.stop();
    announce(task, RunTask::Change::Finished);
}

void RunQueue::poll(RunTask& task)
{
    const ConvertJob::Poll poll = task.job().poll();
    RunState& state = task.m_state;
    ++state.ticks;
    if (poll.ended) {
        jobEnded(task, poll);
        return;
    }
    state.percent = poll.percent;
    announce(task, RunTask::Change::Progress);
    progressShown(task);
}

void RunQueue::watch(RunTask& task)
{
    if (task.m_state.stage == Stage::Converting && task.job().converter())
        task.m_poll.start(kPollMs);
}

void RunQueue::jobEnded(RunTask& task, const ConvertJob::Poll& poll)
{
    if (poll.error != 0) {
        fail(task, ConvertJob::failureReason(poll.error, task.m_record));
        return;
    }
    written(task, poll);
    finish(task);
    ended(task);
}

void RunQueue::written(RunTask& task, const ConvertJob::Poll& poll)
{
    RunState& state = task.m_state;
    // A source that ends before its probed length is written as far as it
    // goes; the task says how far, and the run does not count it as clean.
    if (poll.endedEarly())
        state.endedEarly =
            rowText("Converted %1 of %2").arg(getTime(poll.convertedUs), getTime(poll.wholeUs));
    emit usage(11623, QString());
    state.percent = 100.0f;
    // Listed once written whole, straight from here: a failed task, or a
    // cancelled or removed one whose output was partial, leaves no entry.
    appendHistory(task.m_record.itemName(), task.m_record.outputPath());
    announce(task, RunTask::Change::Written);
    progressShown(task);
}

void RunQueue::appendHistory(const QString& category, const QString& path)
{
    // Saved in the background: another copy of the program may hold the file.
    if (!m_request.historyPath.isEmpty())
        HistoryFile::appendLater(m_request.historyPath, category, path);
}

void RunQueue::fail(RunTask& task, const QString& detail)
{
    task.job().releaseLater();
    task.m_poll.stop();
    RunState& state = task.m_state;
    state.stage = Stage::Finished;
    state.failed = true;
    state.failure = detail;
    state.showsProgress = false;
    state.ticks = 0;
    announce(task, RunTask::Change::Failed);
    ended(task);
}

void RunQueue::ended(RunTask& task)
{
    m_holders.removeOne(&task);
    announce(task, RunTask::Change::Ended);
    check();
}

void RunQueue::setFailed(RunTask& task, const QString& detail)
{
    RunState& state = task.m_state;
    state.failed = true;
    state.failure = detail;
    // A percentage would be drawn over the failure text.
    state.showsProgress = false;
    state.ticks = 0;
    announce(task, RunTask::Change::FailureShown);
}

void RunQueue::clearFailure(RunTask& task)
{
    RunState& state = task.m_state;
    if (!state.failed)
        return;
    state.failed = false;
    state.failure.clear();
    announce(task, RunTask::Change::FailureCleared);
}

void RunQueue::setProgress(RunTask& task, float percent)
{
    ++task.m_state.ticks;
    task.m_state.percent = percent;
    announce(task, RunTask::Change::Progress);
    progressShown(task);
}

void RunQueue::showConverting(RunTask& task)
{
    task.m_state.stage = Stage::Converting;
    task.m_state.showsProgress = true;
    announce(task, RunTask::Change::Started);
}

void RunQueue::showProgress(RunTask& task, bool shown) { task.m_state.showsProgress = shown; }

void RunQueue::progressShown(RunTask& task)
{
    RunState& state = task.m_state;
    if (state.showsProgress && state.percent >= 100.0f) {
        state.showsProgress = false;
        state.ticks = 0;
    }
}

void RunQueue::recover(RunTask& task)
{
    task.job().abandonOpen();
    RunState& state = task.m_state;
    // Freeing a job's encoders takes tens of milliseconds: a cancel of five
    // jobs does not wait for them.
    if (!m_request.merge)
        letGo(task);
    task.m_poll.stop();
    state.stage = Stage::Idle;
    state.showsProgress = false;
    state.beingMerged = false;
    state.percent = 0.0f;
    state.ticks = 0;
    announce(task, RunTask::Change::Recovered);
}

// ---- The merge -----------------------------------------------------------------------

void RunQueue::deferMergeNext()
{
    // A skipped item hands over through the event loop: a queue of failing
    // items never recurses, and a run never ends inside its own start.
    const int generation = m_generation;
    QTimer::singleShot(0, this, [this, generation] {
        if (generation == m_generation && m_running && m_merging)
            mergeNext();
    });
}

void RunQueue::mergeCurrent()
{
    if (m_mergeIndex < 0 || m_mergeIndex >= m_tasks.size()) {
        deferMergeNext();
        return;
    }
    RunTask& item = *m_tasks.at(m_mergeIndex);
    m_mergeItem = &item;
    item.m_state.beingMerged = true;
    item.m_state.showsProgress = true;
    announce(item, RunTask::Change::MergeItem);

    const ConvertTask& record = item.m_record;
    const Convertinfo& format = m_request.mergeFormat;
    const QString output = m_outputs.choose(m_request.outputFolder, record.name(), format.V_Extend);
    emit usage(11621, RunOutputs::startEventText(record.path(), format.V_Format));
    if (!m_merge)
        m_merge = std::make_unique<MergeJob>();
    const QString category = record.itemName();
    // The merge job is this queue's: its answer never outlives the queue.
    m_merge->add(record, format, output, [this, output, category] { mergeAdded(output, category); });
}

void RunQueue::mergeAdded(const QString& output, const QString& category)
{
    // Null when the item left the queue while it was being added.
    RunTask* item = m_mergeItem;
    if (m_merge->openedNow()) {
        m_outputs.handOut(output);
        if (item)
            item->m_record.setOutputPath(output);
        m_mergeOutput = output;
        m_mergeCategory = category;
    }
    if (m_merge->added()) {
        if (!m_mergePoll.isActive())
            m_mergePoll.start();
        return;
    }
    ++m_mergeFailed;
    if (item)
        setFailed(*item,
                  m_merge->created()
                      ? ConvertJob::failureReason(m_merge->error(), output)
                      : QCoreApplication::translate("ScrollAreaforBar", "The merger could not be created."));
    deferMergeNext();
}

void RunQueue::mergeNext()
{
    ++m_mergeIndex;
    if (m_mergeIndex < m_tasks.size()) {
        mergeCurrent();
        return;
    }
    m_mergePoll.stop();
    // The merge ends once its file is whole.
    const int joined = m_mergeJoined;
    const int failed = m_mergeFailed;
    if (!m_merge) {
        emit mergeEnded(joined, failed);
        return;
    }
    m_merge->close([this, joined, failed] { mergeClosed(joined, failed); });
}

void RunQueue::mergeClosed(int joined, int failed)
{
    // The merged file is listed once it is whole, never while it is written.
    if (joined > 0 && QFileInfo::exists(m_mergeOutput))
        appendHistory(m_mergeCategory, m_mergeOutput);
    emit mergeEnded(joined, failed);
}

void RunQueue::pollMerge()
{
    if (!m_merging || !m_merge || !m_merge->created() || m_merge->isBusy() || m_merge->isClosed())
        return;
    // Only the item being merged shows the progress; one that left the
    // queue leaves it unshown.
    RunTask* item = m_mergeItem;
    const ConvertJob::Poll poll = m_merge->poll();
    if (!poll.ended) {
        if (item)
            setProgress(*item, poll.percent);
        return;
    }
    m_mergePoll.stop();
    if (poll.error != 0) {
        ++m_mergeFailed;
        if (item) {
            const QString& output = item->m_record.outputPath();
            setFailed(*item,
                      ConvertJob::failureReason(poll.error,
                                                output.isEmpty() ? m_request.outputFolder + "/" : output));
        }
    } else {
        ++m_mergeJoined;
        emit usage(11623, QString());
        if (item) {
            // A source that ends early is written as far as it goes and the
            // next item follows on; its row says how far, as outside a merge.
            if (poll.endedEarly())
                item->m_state.endedEarly =
                    rowText("Converted %1 of %2").arg(getTime(poll.convertedUs), getTime(poll.wholeUs));
            setProgress(*item, 100.0f);
        }
    }
    mergeNext();
}

#include "moc_RunQueue.cpp"
