#pragma once

#include <QObject>
#include <QString>

#include <atomic>

class QNetworkAccessManager;
class QNetworkReply;
class QUrl;

// What one download needs: the image address, the address of its published
// SHA-256, and where the image goes (a file of the private cache folder).
struct DownloadRequest
{
    QString url;
    QString hashUrl;
    QString folder;
    QString fileName;
    // Free space the download leaves on the cache folder's disk.
    qint64 diskReserve = 0;
};

// The image downloader. Lives on the download thread and runs that thread's
// events while it waits, so the GUI thread never waits for the network or
// the disk. Steps: fetch the published checksum, ask for the image's size,
// fetch the image (resuming a partial file), verify it. Every step checks
// the answer, so an error page is never kept as an image, and the image
// never grows past its announced size, the size bound or the free space.
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
    // The largest image taken: far above any bundle of this program (a few
    // hundred MB at most), far below what would fill a disk unnoticed.
    static constexpr qint64 kMaxImageBytes = qint64(2) << 30;
    // Free space a download leaves on the disk, by default.
    static constexpr qint64 kDiskReserve = qint64(256) << 20;

signals:
    void downloadProgress(qlonglong curSize, qlonglong totalSize);
    void downloadComplete(bool isSuccess);

private:
    struct Transfer;
    class ImageFile;

    bool download(const DownloadRequest& request);
    bool fetchHash(const QUrl& url, QByteArray* hash);
    bool fetchSize(const QUrl& url, qint64* size);
    bool hasRoom(qint64 needed) const;
    // Fetches what is missing of the image into file, restarting once from
    // nothing when the server does not continue where the file ends.
    bool fetchImage(const QUrl& url, ImageFile* file, qint64 total);
    // One GET of the rest of the image; the outcome is in the transfer.
    void transfer(const QUrl& url, ImageFile* file, Transfer* t);
    void takeBody(QNetworkReply* reply, ImageFile* file, Transfer* t);
    bool verify(int fd, const QByteArray& hash);
    void waitFor(QNetworkReply* reply);
    bool fail(const QString& text);
    void reportProgress(qint64 done, qint64 total, bool force);

    static std::atomic<bool> s_isStop;
    QNetworkAccessManager* m_net = nullptr;
    QString m_folder;
    qint64 m_reserve = 0;
    QString m_error;
    qint64 m_lastEmitMs = -1;
};
