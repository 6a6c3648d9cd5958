#include "DeleteVideoThread.h"

#include "VideoConvertBar.h"

#include <QMutexLocker>

DeleteVideoThread::DeleteVideoThread(QObject* parent)
    : QThread(parent)
{}

DeleteVideoThread::~DeleteVideoThread() { finishAndWait(); }

void DeleteVideoThread::addConvertBar(VideoConvertBar* bar)
{
    if (!bar)
        return;
    {
        QMutexLocker locker(&m_lock);
        m_pending.append(bar);
        m_bStop = false;
        m_wake.wakeAll();
    }
    // The worker waits for rows rather than ending after each, so a row
    // handed over while it runs is never left behind.
    if (!isRunning())
        start();
}

VideoConvertBar* DeleteVideoThread::convertBar() const
{
    QMutexLocker locker(&m_lock);
    return m_convertBar;
}

void DeleteVideoThread::finishAndWait()
{
    {
        QMutexLocker locker(&m_lock);
        m_bStop = true;
        m_wake.wakeAll();
    }
    wait();
}

void DeleteVideoThread::run()
{
    for (;;) {
        VideoConvertBar* bar = nullptr;
        {
            QMutexLocker locker(&m_lock);
            while (m_pending.isEmpty() && !m_bStop)
                m_wake.wait(&m_lock);
            if (m_pending.isEmpty())
                return;
            bar = m_pending.takeFirst();
            m_convertBar = bar;
        }
        bar->DeleteConvert();
        {
            QMutexLocker locker(&m_lock);
            m_convertBar = nullptr;
        }
        emit signalBarReleased(bar);
    }
}
