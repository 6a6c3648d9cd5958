#include "DeleteVideoThread.h"

#include "VideoConvertBar.h"

DeleteVideoThread::DeleteVideoThread(QObject* parent)
    : QThread(parent)
{
}

DeleteVideoThread::~DeleteVideoThread()
{
    wait();
}

void DeleteVideoThread::run()
{
    if (m_convertBar)
        m_convertBar->DeleteConvert();
}
