#pragma once

// The merge run's job against the engine: one merger writes every item of
// the run into one output. Like a task's job it does its engine work on the
// one opener thread (creating and opening the merger, adding an item, which
// opens a source, and closing the merged file) and hands the outcome back to
// the application's thread; it owns the merger and is polled like a task's
// job. Nothing here touches a widget.

#include "queue/ConvertJob.h"

#include <orvalta.h>

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

class ConvertTask;
struct Convertinfo;

class MergeJob
{
public:
    MergeJob() = default;
    // Lets go of a pending add and releases the merger (not closed) on the
    // opener thread.
    ~MergeJob();
    MergeJob(const MergeJob&) = delete;
    MergeJob& operator=(const MergeJob&) = delete;

    // Hands one item to the opener thread, written with `format` (the merge
    // settings) and its own clip records and trim. The first add creates the
    // merger, opens it on `output` and starts it; the output's streams follow
    // the merge settings alone, not what that item leaves out. `added` runs
    // on the application's thread once the work has returned, unless the job
    // let go of it first.
    void add(const ConvertTask& item, const Convertinfo& format, const QString& output,
             std::function<void()> added);
    // Closes the merged file once its last item has ended; `closed` runs on
    // the application's thread once it is whole, unless the job let go of
    // it first.
    void close(std::function<void()> closed);
    // True from add or close until `added` or `closed` runs.
    bool isBusy() const { return m_pending != nullptr; }
    // From close on: nothing more is added or polled.
    bool isClosed() const { return m_closed; }

    // Once `added` ran: whether a merger exists, whether this add opened it,
    // whether the item was taken, and the merger's error.
    bool created() const { return m_merger != nullptr; }
    bool openedNow() const { return m_openedNow; }
    bool added() const { return m_added; }
    int error() const { return m_error; }

    // The item being merged, polled like a task's job.
    ConvertJob::Poll poll() const;
    // Lets go of pending work, then closes (when `close`, unless closed
    // already) and releases the merger on the opener thread, after the work
    // already handed to it.
    void release(bool close);

private:
    struct Work;
    void hand(const std::shared_ptr<Work>& work, std::function<void()> done);
    // On the opener thread: creates, opens and starts the merger if there is
    // none yet, then adds the item.
    static void addNow(Work& work);
    void delivered(const std::shared_ptr<Work>& work);

    std::shared_ptr<Work> m_pending;
    std::function<void()> m_done;
    MergerHandle m_merger = nullptr;
    bool m_closed = false;
    bool m_openedNow = false;
    bool m_added = false;
    int m_error = 0;
};
