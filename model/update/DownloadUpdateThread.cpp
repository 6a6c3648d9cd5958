#include "update/DownloadUpdateThread.h"

#include <QTimer>

DownloadUpdateThread::DownloadUpdateThread(QObject* parent)
    : QThread(parent)
{
    m_timer = new QTimer(this);
    m_timer->setInterval(5000);
    connect(m_timer, &QTimer::timeout, this, &DownloadUpdateThread::onCheckNetworkTimer);
    connect(this, &DownloadUpdateThread::startCheckNetworkTimer, m_timer, QOverload<>::of(&QTimer::start));
    // The watch belongs to a transfer; once it has ended nothing is watched.
    connect(this, &QThread::finished, m_timer, &QTimer::stop);
}

DownloadUpdateThread::~DownloadUpdateThread()
{
    FirewareDownImpl::stopDownload();
    wait();
    delete m_downloader;
}

void DownloadUpdateThread::setRequest(const DownloadRequest& request, const QString& lookupHost)
{
    m_request = request;
    m_lookupHost = lookupHost;
}

void DownloadUpdateThread::run()
{
    if (!m_downloader) {
        m_downloader = new FirewareDownImpl;
        connect(m_downloader, &FirewareDownImpl::downloadProgress, this,
                &DownloadUpdateThread::downloadProgress);
    }
    {
        QMutexLocker lock(&m_mutex);
        m_failCount = 0;
    }
    emit startCheckNetworkTimer();
    m_ok = m_downloader->startDownload(m_request) == 0;
    m_error = m_downloader->errorText();
}

void DownloadUpdateThread::stopDownload()
{
    m_timer->stop();
    FirewareDownImpl::stopDownload();
}

void DownloadUpdateThread::onCheckNetworkTimer()
{
    QHostInfo::lookupHost(m_lookupHost, this, SLOT(onLookUpHost(QHostInfo)));
}

void DownloadUpdateThread::onLookUpHost(QHostInfo host)
{
    QMutexLocker lock(&m_mutex);
    if (host.error() == QHostInfo::NoError || !isRunning())
        return;
    if (++m_failCount > 2) {
        m_failCount = 0;
        m_timer->stop();
        emit connectInternetError();
    }
}

#include "moc_DownloadUpdateThread.cpp"
