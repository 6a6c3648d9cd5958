#pragma once

#include <QObject>
#include <QString>

#include <atomic>

// What one download needs: the image address, the address of its published
// SHA-256, and where the image goes (a file of the private cache folder).
struct DownloadRequest
{
    QString url;
    QString hashUrl;
    QString folder;
    QString fileName;
};

// The libcurl downloader. Lives on the download thread: fetches the
// published checksum, asks for the image's size, fetches the image (resuming
// a partial file), and verifies it. Every step checks the HTTP status, so an
// error page is never kept as an image.
class FirewareDownImpl : public QObject
{
    Q_OBJECT
public:
    FirewareDownImpl();
    ~FirewareDownImpl() override;

    // Blocks until the image is complete and verified (0) or the download
    // failed or was stopped (-1, with errorText()).
    int startDownload(const DownloadRequest& request);
    // Any thread: ends a download under way as soon as possible.
    static void stopDownload();
    QString errorText() const { return m_error; }

    // How often the size request is tried before giving up, 1 s apart.
    static constexpr int kSizeTries = 3;

signals:
    void downloadProgress(qlonglong curSize, qlonglong totalSize);
    void downloadComplete(bool isSuccess);

private:
    struct Transfer;
    friend struct Transfer;

    bool fetchHash(const DownloadRequest& request, QByteArray* hash);
    bool fetchSize(const QString& url, qint64* size);
    // One GET of the rest of the image; the outcome is in the transfer.
    int download(const QString& url, Transfer* transfer);
    bool verify(int fd, const QByteArray& hash);
    bool fail(const QString& text);
    void reportProgress(qint64 done, qint64 total, bool force);

    static std::atomic<bool> s_isStop;
    QString m_error;
    qint64 m_lastEmitMs = -1;
};
