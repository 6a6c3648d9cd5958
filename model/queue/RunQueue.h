#pragma once

// The queue's tasks and their run, apart from the rows that show them. Each
// task is one RunTask: its record, its job against the engine and where it
// stands in the run (the one copy of that state). The run queue holds every
// task of the queue in order from its add to its removal, and those of the
// run under way; it fills the five slots, has a task yield its slot to a
// resumed one, polls the jobs, runs the merge job, names every output, lists
// every output written whole in the history, and announces each change of a
// task with a signal; a row shows what it announces. A run takes what it needs at Convert (a RunRequest) and
// reads nothing else while it runs. Nothing here touches a widget.

#include "formats/Convertinfo.h"
#include "queue/ConvertJob.h"
#include "queue/ConvertTask.h"
#include "queue/RunOutputs.h"
#include "queue/RunSchedule.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class MergeJob;

// What a run is asked for when it starts.
struct RunRequest
{
    QString outputFolder;
    bool merge = false;
    // The merge's output settings (every item is written with them).
    Convertinfo mergeFormat;
    // The history file every output written whole is listed in; empty:
    // none is listed.
    QString historyPath;
};

// Where one task stands.
struct RunState
{
    RunSchedule::Stage stage = RunSchedule::Stage::Idle;
    // The row draws the percentage and the time left.
    bool showsProgress = false;
    // The merge works on this task: its row takes no input.
    bool beingMerged = false;
    float percent = 0.0f;
    // Polls since the task started, 500 ms apart: the time-left estimate.
    int ticks = 0;
    // The last conversion ended in an error; stays until the task joins
    // another run or changes.
    bool failed = false;
    QString failure;
    // Written as far as a source went that ended before its stated length
    // ("Converted 00:00:02 of 00:00:10"); empty otherwise.
    QString endedEarly;
};

class RunTask : public QObject
{
    Q_OBJECT
public:
    // What changed, for whoever shows the task.
    enum class Change {
        Waiting, // joined a run: waits for its turn
        Opened, // the job opened: the output's name is final
        Started, // converting: the percentage is drawn
        Paused,
        Resumed,
        Progress, // a poll moved the percentage
        Written, // the output was written whole (100 %)
        Finished, // ended and its job released
        Failed, // the job ended in an error (or never opened) and was released
        FailureShown, // shown as failed, the job left as it is
        Ended, // left its slot, cleanly or not
        Recovered, // the run is over: back to idle
        FailureCleared, // changed since it failed
        MergeItem, // the merge took it
    };
    Q_ENUM(Change)

    // Names the task for as long as the program runs; never 0.
    using Id = quintptr;

    RunTask();
    ~RunTask() override;

    Id id() const { return m_id; }

    ConvertTask& record() { return m_record; }
    const ConvertTask& record() const { return m_record; }
    ConvertJob& job() { return *m_job; }
    const ConvertJob& job() const { return *m_job; }
    const RunState& state() const { return m_state; }
    // Runs every 500 ms while the task converts; the run queue polls the
    // job on it.
    QTimer* pollTimer() { return &m_poll; }

signals:
    void changed(RunTask::Change change);

private:
    friend class RunQueue;

    const Id m_id;
    ConvertTask m_record;
    RunState m_state;
    QTimer m_poll;
    // Last: a pending open is waited for before anything else goes.
    std::unique_ptr<ConvertJob> m_job;
};

class RunQueue : public QObject
{
    Q_OBJECT
public:
    using TaskPointer = std::shared_ptr<RunTask>;
    // A converting task's job is polled this often.
    static constexpr int kPollMs = 500;

    explicit RunQueue(QObject* parent = nullptr);
    ~RunQueue() override;

    // Polls the task's job on its timer from now on; once per task.
    void adopt(RunTask& task);

    // ---- The queue's tasks ---------------------------------------------------

    // A new task for a file being added: the queue holds it from now on, and
    // it takes its place in the queue's order once its facts are in
    // (append).
    TaskPointer create();
    // The task takes the last place in the queue's order; during a run it
    // joins the run and waits for its turn.
    void append(const TaskPointer& task);
    // The task leaves the queue (and the run under way: see leave).
    void remove(RunTask& task);
    // Moves the task at `from` of the queue's order to `to`.
    void move(int from, int to);
    // The queue's tasks in order (those whose file is still being added
    // not among them).
    const QList<TaskPointer>& queue() const { return m_queue; }
    // The task of the queue (or being added) with this id; null for none.
    TaskPointer find(RunTask::Id id) const;

    // ---- The run -----------------------------------------------------------

    // Starts a run of `tasks` in queue order: every task waits, then five
    // start side by side, or the merge takes the first.
    void convert(const RunRequest& request, const QList<TaskPointer>& tasks);
    // A run of every task of the queue.
    void convert(const RunRequest& request) { convert(request, m_queue); }
    // A task added while the run is under way (it waits already): it takes a
    // free slot once fillSlots runs; a merge takes it in its turn.
    void join(const TaskPointer& task);
    // A task that leaves the queue while the run is under way: its poll
    // stops, a pending open is released when it returns, its slot is free,
    // and the merge stays on the item it works on. A job that ended whole
    // before a poll saw it is listed; the job is released on the opener
    // thread after the work already handed to it (an unfinished one's
    // partial output is deleted there).
    void leave(RunTask& task);
    // Whatever freed a slot, the first waiting task not yet started takes it,
    // and every free slot is filled.
    void fillSlots();
    // Ends the run once no task waits, is paused or converts (runEnded,
    // delivered through the event loop, once); else fills the free slots.
    void check();
    // Ends the run: every task still in it back to idle, the merge job
    // closed and released, and the memory the jobs freed given back.
    void cancel();

    bool isRunning() const { return m_running; }
    bool isMerging() const { return m_merging; }
    const RunRequest& request() const { return m_request; }
    const QList<TaskPointer>& tasks() const { return m_tasks; }
    // The slot holders, in the order they took their slots.
    const QList<RunTask*>& holders() const { return m_holders; }
    // True once no task of the run waits, is paused or converts.
    bool ended() const;
    // The outputs handed out in this run.
    const QSet<QString>& outputs() const { return m_outputs.taken(); }
    // True while the task's job, or the merge's add of it, is with the
    // opener thread.
    bool isOpening(const RunTask& task) const;

    // ---- One task ----------------------------------------------------------

    // Joins a run: waits for its turn, and forgets how an earlier run ended.
    void wait(RunTask& task);
    // Names the task's output and hands its open to the opener thread; once
    // open it starts (or, refused, is held paused).
    void start(RunTask& task);
    // The pause button: pauses a converting task (its slot goes to the next
    // waiting one) or resumes a paused one (the oldest converting holder
    // yields when every slot is taken).
    void pause(RunTask& task);
    // Pauses or resumes the job without touching the slots.
    void park(RunTask& task);
    void resume(RunTask& task);
    // Ends a task whose job has ended: its converter is released.
    void finish(RunTask& task);
    // One poll of the task's job.
    void poll(RunTask& task);
    // Polls a converting task's job every kPollMs from now on.
    void watch(RunTask& task);
    // Shows the task as failed with `detail`; the job is left as it is.
    void setFailed(RunTask& task, const QString& detail);
    // The task changed since it failed: the failure goes.
    void clearFailure(RunTask& task);
    // The task draws `percent` (the merge's progress of its item).
    void setProgress(RunTask& task, float percent);
    // Shows the task as converting (the percentage is drawn).
    void showConverting(RunTask& task);
    // Whether the task's percentage is drawn, the stage left as it is.
    void showProgress(RunTask& task, bool shown);
    // Back to idle; a job not ended is released on the opener thread (a
    // merge item holds none), one that ended whole unseen is listed first.
    void recover(RunTask& task);

    // ---- The merge ---------------------------------------------------------

    // The merge walks the run's tasks by index.
    int mergeIndex() const { return m_mergeIndex; }
    // The item the merge works on (null once it left the queue).
    RunTask* mergeItem() const { return m_mergeItem; }
    // Adds the task at the merge index to the merge job.
    void mergeCurrent();
    // Moves on to the next task, or closes the merged file after the last
    // (mergeEnded once it is whole).
    void mergeNext();
    // One poll of the merge job (every 500 ms while an item merges).
    void pollMerge();
    // The merged file and the history category of its first item, once the
    // merger opened.
    const QString& mergeOutput() const { return m_mergeOutput; }
    const QString& mergeCategory() const { return m_mergeCategory; }

signals:
    // Every change of a task of this queue (the task also signals it).
    void taskChanged(RunTask* task, RunTask::Change change);
    // A run that does not merge ended: every task ended or left. Never
    // emitted inside a call into the queue.
    void runEnded();
    // The merge went past its last item and its file is whole: how many
    // items were joined and how many failed.
    void mergeEnded(int joined, int failed);
    // A usage event: 11621 as a conversion starts (with its text), 11623 as
    // one is written whole (no text).
    void usage(int event, const QString& text);

private:
    void announce(RunTask& task, RunTask::Change change);
    // The job's end, seen once: listed when written whole, else failed.
    void jobEnded(RunTask& task, const ConvertJob::Poll& poll);
    // The output was written whole: the task says so and it is listed.
    void written(RunTask& task, const ConvertJob::Poll& poll);
    // A task leaving the run with its job held: a job that ended whole
    // unseen is listed, and the job is released on the opener thread.
    void letGo(RunTask& task);
    void appendHistory(const QString& category, const QString& path);
    // The open handed back: start the job, or fail the task.
    void opened(RunTask& task);
    // The job failed: released, the task ends as failed.
    void fail(RunTask& task, const QString& detail);
    // The task left its slot; the run moves on.
    void ended(RunTask& task);
    void mergeAdded(const QString& output, const QString& category);
    // The merged file is whole: listed, and the merge ends.
    void mergeClosed(int joined, int failed);
    void deferMergeNext();
    // Once the percentage reached 100 after it was shown, it is drawn no
    // more and the time-left estimate starts over.
    void progressShown(RunTask& task);

    // Every task from its add until its removal: in the queue's order, and
    // those whose file is still being added.
    QList<TaskPointer> m_queue;
    QList<TaskPointer> m_adding;

    RunRequest m_request;
    RunOutputs m_outputs;
    // The run's tasks (the queue's at its start and those added since).
    QList<TaskPointer> m_tasks;
    QList<RunTask*> m_holders;
    bool m_running = false;
    bool m_merging = false;
    // Bumped at every start and end of a run, so that a step deferred to
    // the event loop never acts on a later run.
    int m_generation = 0;
    // runEnded is on its way through the event loop.
    bool m_endPending = false;

    std::unique_ptr<MergeJob> m_merge;
    QTimer m_mergePoll;
    int m_mergeIndex = 0;
    RunTask* m_mergeItem = nullptr;
    int m_mergeJoined = 0;
    int m_mergeFailed = 0;
    QString m_mergeOutput;
    QString m_mergeCategory;
};
