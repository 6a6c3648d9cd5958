#pragma once

// The queue's add worker: probes the rows of one add one after the other,
// away from the GUI thread, and hands each probed row back by a queued
// signal. It never touches a widget.

#include <QList>
#include <QMutex>
#include <QStringList>
#include <QThread>
#include <QWaitCondition>

#include <atomic>

class VideoConvertBar;

class AddFileThread : public QThread
{
    Q_OBJECT
public:
    explicit AddFileThread(QObject* parent = nullptr);
    ~AddFileThread() override;

    // Only while the worker is not running.
    void setWork(const QList<VideoConvertBar*>& bars, const QStringList& files);
    QList<VideoConvertBar*> bars() const { return m_addBars; }

    void requestStop();
    bool stopRequested() const { return m_bStop; }

signals:
    void signalSetProgress(int index, QString fileName);

protected:
    void run() override;

private:
    QList<VideoConvertBar*> m_addBars;
    QStringList m_addFiles;
    std::atomic<bool> m_bStop{false};
    static constexpr int m_pauseMs = 1000; // one file a second
    QMutex m_pauseLock;
    QWaitCondition m_pauseWake;
};
