#pragma once

#include "update/FirewareDownImpl.h"

#include <QHostInfo>
#include <QMutex>
#include <QThread>

class QTimer;

// Runs one download of the update image at a time on a thread of its own.
// The object itself lives on the GUI thread: its progress signal and its
// connectivity watch reach the GUI thread's event loop.
class DownloadUpdateThread : public QThread
{
    Q_OBJECT
public:
    explicit DownloadUpdateThread(QObject* parent);
    ~DownloadUpdateThread() override;

    // Set before start(); read by the next run only.
    void setRequest(const DownloadRequest& request, const QString& lookupHost);
    // Valid once the thread has finished.
    bool succeeded() const { return m_ok; }
    QString errorText() const { return m_error; }

signals:
    void downloadProgress(qlonglong bytesRead, qlonglong totalBytes);
    void connectInternetError();
    void startCheckNetworkTimer();

public slots:
    void stopDownload();
    void onCheckNetworkTimer();
    void onLookUpHost(QHostInfo host);

protected:
    void run() override;

private:
    DownloadRequest m_request;
    QString m_lookupHost;
    FirewareDownImpl* m_downloader = nullptr;
    QTimer* m_timer = nullptr;
    int m_failCount = 0;
    QMutex m_mutex;
    bool m_ok = false;
    QString m_error;
};
