#include "AddFileThread.h"

#include "LogCategories.h"
#include "QueueShared.h"
#include "queue/FreeMemory.h"

#include <QDeadlineTimer>
#include <QDebug>

std::atomic<int> AddFileThread::s_pauseMs{1000};

AddFileThread::AddFileThread(QObject* parent)
    : QThread(parent)
{
    static const bool registered = [] {
        qRegisterMetaType<SourceFacts>("SourceFacts");
        qRegisterMetaType<TaskFormat>("TaskFormat");
        return true;
    }();
    Q_UNUSED(registered);
}

AddFileThread::~AddFileThread()
{
    requestStop();
    wait();
}

void AddFileThread::setWork(const AddBatch& batch, uint32_t thumbnailWidth, uint32_t thumbnailHeight)
{
    m_batch = batch;
    m_thumbnailWidth = thumbnailWidth;
    m_thumbnailHeight = thumbnailHeight;
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
    const int count = m_batch.size();
    for (int i = 0; i < count; ++i) {
        if (m_bStop)
            return;
        const QString file = m_batch.file(i);
        logAddedFile(file);
        const SourceFacts facts = SourceProbe::probe(file, m_thumbnailWidth, m_thumbnailHeight);
        const TaskFormat& format = m_batch.format();
        if (m_bStop)
            return;
        emit signalProbed(m_batch.generation(), i, facts, format);
        emit signalSetProgress(i, file);

        // The pace of one file a second; a stop request cuts the pause short
        // so that a cancelled add ends promptly.
        QMutexLocker locker(&m_pauseLock);
        QDeadlineTimer deadline(s_pauseMs.load());
        while (!m_bStop && !deadline.hasExpired())
            m_pauseWake.wait(&m_pauseLock, deadline);
        locker.unlock();
        qCDebug(lcConvert) << i << "----";
    }
    // Decoding the pictures of large sources leaves freed frame memory
    // behind in this thread's arena.
    FreeMemory::giveBack();
}
