#pragma once

// The queue's remove worker: releases the engine converters of tasks that
// leave the queue during a run, one after the other in the order they were
// removed, away from the GUI thread. A released row goes back to the queue
// through a queued signal; the queue deletes it then.

#include <QList>
#include <QMutex>
#include <QThread>
#include <QWaitCondition>

class VideoConvertBar;

class DeleteVideoThread : public QThread
{
    Q_OBJECT
public:
    explicit DeleteVideoThread(QObject* parent = nullptr);
    // Lets every row handed over be released, then ends the worker.
    ~DeleteVideoThread() override;

    // The row must be out of the queue with its progress poll stopped;
    // nothing may touch it until signalBarReleased hands it back.
    void addConvertBar(VideoConvertBar* bar);
    // The row being released now, if any.
    VideoConvertBar* convertBar() const;
    // Ends the worker after the rows already handed over.
    void finishAndWait();

signals:
    void signalBarReleased(VideoConvertBar* bar);

protected:
    void run() override;

private:
    mutable QMutex m_lock;
    QWaitCondition m_wake;
    QList<VideoConvertBar*> m_pending;
    VideoConvertBar* m_convertBar = nullptr;
    bool m_bStop = false;
};
