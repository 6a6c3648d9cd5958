#include "AddFileThread.h"

#include "VideoConvertBar.h"

#include <QDebug>
#include <QDeadlineTimer>

AddFileThread::AddFileThread(QObject* parent)
    : QThread(parent)
{
}

AddFileThread::~AddFileThread()
{
    requestStop();
    wait();
}

void AddFileThread::setWork(const QList<VideoConvertBar*>& bars, const QStringList& files)
{
    m_addBars = bars;
    m_addFiles = files;
    // Cleared here, before start(), so that a stop requested between start()
    // and the first instruction of run() is not lost.
    m_bStop = false;
}

void AddFileThread::requestStop()
{
    QMutexLocker locker(&m_pauseLock);
    m_bStop = true;
    m_pauseWake.wakeAll();
}

void AddFileThread::run()
{
    const int count = qMin(m_addBars.size(), m_addFiles.size());
    for (int i = 0; i < count; ++i) {
        if (m_bStop)
            return;
        m_addBars.at(i)->setFile(m_addFiles.at(i));
        if (m_bStop)
            return;
        emit signalSetProgress(i, m_addFiles.at(i));

        // The pace of one file a second; a stop request cuts the pause short
        // so that a cancelled add ends promptly.
        QMutexLocker locker(&m_pauseLock);
        QDeadlineTimer deadline(m_pauseMs);
        while (!m_bStop && !deadline.hasExpired())
            m_pauseWake.wait(&m_pauseLock, deadline);
        locker.unlock();
        qDebug() << i << "----";
    }
}
