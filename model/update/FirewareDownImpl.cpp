#include "update/FirewareDownImpl.h"

#include "LogCategories.h"
#include "update/UpdateCacheFolder.h"
#include "update/UpdateNetwork.h"
#include "update/UpdateTexts.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStorageInfo>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

std::atomic<bool> FirewareDownImpl::s_isStop{false};

namespace {
constexpr qint64 kMaxHashText = 4096;
constexpr qint64 kProgressStepMs = 50;
constexpr int kStopPollMs = 50;
// At most this much of the answer waits in memory for the disk.
constexpr qint64 kReadBuffer = 1 << 20;
// Free space is asked again after every this many bytes written.
constexpr qint64 kRoomCheckBytes = 4 << 20;

QNetworkRequest imageRequest(const QUrl& url)
{
    QNetworkRequest request = UpdateNetwork::request(url);
    // The bytes as stored, so sizes and ranges count the file itself.
    request.setRawHeader("Accept-Encoding", "identity");
    return request;
}

QString unreachable() { return UpdateNetwork::unreachableText(); }
} // namespace

// The open image and its folder, both closed when the holder goes; the
// image is opened without following a link (see UpdateCacheFolder).
class FirewareDownImpl::ImageFile
{
public:
    ImageFile() = default;
    ImageFile(const ImageFile&) = delete;
    ImageFile& operator=(const ImageFile&) = delete;
    ~ImageFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (m_dir >= 0)
            ::close(m_dir);
    }

    bool open(const QString& folder, const QString& name, QString* error)
    {
        m_name = QFile::encodeName(name);
        m_dir = UpdateCacheFolder::openFolder(folder, error);
        if (m_dir < 0)
            return false;
        m_fd = UpdateCacheFolder::openImage(m_dir, name, error);
        return m_fd >= 0;
    }

    int fd() const { return m_fd; }

    qint64 size() const
    {
        struct stat st;
        return ::fstat(m_fd, &st) == 0 ? qint64(st.st_size) : -1;
    }

    bool truncate() { return ::ftruncate(m_fd, 0) == 0; }

    // Writes the whole block; false (with errno) when the disk refuses.
    bool append(const char* data, qint64 n)
    {
        while (n > 0) {
            const ssize_t w = ::write(m_fd, data, size_t(n));
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            data += w;
            n -= w;
        }
        return true;
    }

    void remove() { ::unlinkat(m_dir, m_name.constData(), 0); }

private:
    int m_dir = -1;
    int m_fd = -1;
    QByteArray m_name;
};

// The state of one GET of the image.
struct FirewareDownImpl::Transfer
{
    qint64 offset = 0; // bytes on disk when the request was made
    qint64 total = 0; // the image's size from the size request
    qint64 written = 0; // bytes of this answer written
    qint64 roomCheckedAt = 0;
    int status = 0;
    bool checked = false; // the answer's status and range were looked at
    bool skipBody = false; // an answer without image bytes (416)
    bool badStatus = false;
    bool rangeMismatch = false;
    bool oversize = false;
    bool ioError = false;
    int ioErrno = 0;
    bool noRoom = false;
    bool networkError = false;
    QString failure;

    // The GET was given up because of what came.
    bool ended() const { return badStatus || rangeMismatch || oversize || ioError || noRoom; }

    // Looks at the answer's status and headers once: only the image itself
    // is written, never an error page, never a range that does not continue
    // the file, never more than announced. False when it is refused.
    bool accept(QNetworkReply* reply)
    {
        checked = true;
        status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (status == 416) {
            skipBody = true;
            return true;
        }
        if (status == 206) {
            // "bytes FROM-TO/SIZE"
            const QByteArray range = reply->rawHeader("Content-Range").trimmed();
            const QList<QByteArray> parts = range.mid(6).split('/');
            const qint64 from = parts.value(0).split('-').value(0).toLongLong();
            const QByteArray size = parts.value(1);
            rangeMismatch =
                !range.startsWith("bytes ") || from != offset || (size != "*" && size.toLongLong() != total);
        } else if (status == 200) {
            rangeMismatch = offset != 0;
        } else {
            badStatus = true;
        }
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (!badStatus && !rangeMismatch && length.isValid() && offset + length.toLongLong() > total)
            oversize = true;
        return !ended();
    }
};

FirewareDownImpl::FirewareDownImpl() = default;

FirewareDownImpl::~FirewareDownImpl() = default;

void FirewareDownImpl::stopDownload() { s_isStop = true; }

bool FirewareDownImpl::fail(const QString& text)
{
    m_error = text;
    return false;
}

void FirewareDownImpl::reportProgress(qint64 done, qint64 total, bool force)
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    const qint64 now = clock.elapsed();
    if (!force && m_lastEmitMs >= 0 && now - m_lastEmitMs < kProgressStepMs)
        return;
    m_lastEmitMs = now;
    emit downloadProgress(done, total);
}

void FirewareDownImpl::waitFor(QNetworkReply* reply)
{
    QEventLoop loop;
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    // A stop from another thread ends the request within a poll.
    QTimer poll;
    connect(&poll, &QTimer::timeout, reply, [reply] {
        if (s_isStop)
            reply->abort();
    });
    poll.start(kStopPollMs);
    if (!reply->isFinished())
        loop.exec();
}

bool FirewareDownImpl::hasRoom(qint64 needed) const
{
    QStorageInfo disk(m_folder);
    if (!disk.isValid())
        return true; // nothing known; the writes themselves will tell
    return disk.bytesAvailable() - needed >= m_reserve;
}

bool FirewareDownImpl::fetchHash(const QUrl& url, QByteArray* hash)
{
    const QString what = tr("The checksum of the update could not be loaded.");
    QNetworkReply* reply = m_net->get(UpdateNetwork::request(url));
    UpdateNetwork::guard(reply, kMaxHashText);
    waitFor(reply);
    const QString failure = UpdateNetwork::failure(
        reply, tr("The update server's checksum answer is too long to be a checksum."));
    const QByteArray body = failure.isEmpty() ? reply->readAll() : QByteArray();
    delete reply;
    qCDebug(lcServices) << "checksum" << failure;
    if (s_isStop)
        return fail(tr("The download was stopped."));
    if (!failure.isEmpty())
        return fail(what + QLatin1Char(' ') + failure);
    *hash = UpdateTexts::parseSha256Text(body);
    if (hash->isEmpty())
        return fail(tr("The update server published no valid checksum for the update."));
    return true;
}

bool FirewareDownImpl::fetchSize(const QUrl& url, qint64* size)
{
    for (int attempt = 1;; ++attempt) {
        QNetworkReply* reply = m_net->head(imageRequest(url));
        UpdateNetwork::guard(reply, -1);
        waitFor(reply);
        const QString failure = UpdateNetwork::failure(reply, QString());
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        const bool reached = reply->error() == QNetworkReply::NoError
            || reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() > 0;
        delete reply;
        qCDebug(lcServices) << "size request" << attempt << failure << length;
        if (s_isStop)
            return fail(tr("The download was stopped."));
        if (reached && !failure.isEmpty())
            return fail(failure);
        if (reached && !length.isValid())
            return fail(tr("The update server did not tell the size of the update."));
        if (reached && length.toLongLong() > 0) {
            *size = length.toLongLong();
            return true;
        }
        // No answer or an empty image: try again a few times, then give up.
        if (attempt >= kSizeTries)
            return fail(reached ? tr("The update on the server is empty.") : failure);
        for (int i = 0; i < 10; ++i) {
            if (s_isStop)
                return fail(tr("The download was stopped."));
            QThread::msleep(100);
        }
    }
}

void FirewareDownImpl::takeBody(QNetworkReply* reply, ImageFile* file, Transfer* t)
{
    if (!reply->isOpen() || t->ended())
        return;
    if (!t->checked && !t->accept(reply)) {
        reply->abort();
        return;
    }
    if (t->skipBody) {
        reply->readAll();
        return;
    }
    while (reply->bytesAvailable() > 0) {
        const QByteArray block = reply->read(kReadBuffer);
        if (t->offset + t->written + block.size() > t->total) {
            t->oversize = true;
            reply->abort();
            return;
        }
        if (!file->append(block.constData(), block.size())) {
            t->ioError = true;
            t->ioErrno = errno;
            reply->abort();
            return;
        }
        t->written += block.size();
        if (t->written - t->roomCheckedAt >= kRoomCheckBytes) {
            t->roomCheckedAt = t->written;
            if (!hasRoom(0)) {
                t->noRoom = true;
                reply->abort();
                return;
            }
        }
        const qint64 done = t->offset + t->written;
        reportProgress(done, t->total, done == t->total);
    }
}

void FirewareDownImpl::transfer(const QUrl& url, ImageFile* file, Transfer* t)
{
    QNetworkRequest request = imageRequest(url);
    if (t->offset > 0)
        request.setRawHeader("Range", "bytes=" + QByteArray::number(t->offset) + "-");
    QNetworkReply* reply = m_net->get(request);
    UpdateNetwork::guard(reply, -1);
    reply->setReadBufferSize(kReadBuffer);
    connect(reply, &QNetworkReply::readyRead, reply, [=] { takeBody(reply, file, t); });
    waitFor(reply);
    takeBody(reply, file, t);
    if (!t->checked)
        t->status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    t->failure = UpdateNetwork::failure(reply, QString(), true);
    t->networkError = reply->error() != QNetworkReply::NoError;
    delete reply;
    qCDebug(lcServices) << "transfer from" << t->offset << "status" << t->status << "written" << t->written
                        << t->failure;
}

bool FirewareDownImpl::fetchImage(const QUrl& url, ImageFile* file, qint64 total)
{
    bool restarted = false;
    for (;;) {
        qint64 local = file->size();
        if (local > total) {
            // Not a prefix of this image: start again from nothing.
            if (!file->truncate())
                return fail(tr("The update could not be stored."));
            local = 0;
        }
        if (local == total) {
            reportProgress(total, total, true);
            return true;
        }
        if (!hasRoom(total - local)) {
            // What is on disk cannot be finished; it only takes space.
            file->remove();
            const QString text = tr("There is not enough free disk space for the update (%1 MB are needed, "
                                    "including %2 MB kept free for the system).")
                                     .arg((total - local + m_reserve) >> 20)
                                     .arg(m_reserve >> 20);
            return fail(local > 0 ? text + QLatin1Char(' ') + tr("The part already downloaded was deleted.")
                                  : text);
        }
        Transfer t;
        t.offset = local;
        t.total = total;
        transfer(url, file, &t);
        if (s_isStop)
            return fail(tr("The download was stopped."));
        if (t.oversize) {
            file->remove();
            return fail(tr("The update server sent more data than announced; the download was deleted."));
        }
        if (t.ioError) {
            file->remove();
            return fail(tr("The update could not be written to disk (%1); the download was deleted.")
                            .arg(QString::fromLocal8Bit(std::strerror(t.ioErrno))));
        }
        if (t.noRoom) {
            file->remove();
            return fail(tr("The disk ran out of free space during the download; the download was deleted."));
        }
        const bool ignoredRange = t.rangeMismatch || (t.status == 416 && file->size() != total);
        if (ignoredRange) {
            // The server did not continue where the file ends: fetch the
            // whole image once more, from the start.
            if (restarted)
                return fail(tr("The update server does not resume downloads correctly."));
            restarted = true;
            if (!file->truncate())
                return fail(tr("The update could not be stored."));
            continue;
        }
        if (t.status == 416)
            return true; // what is on disk is already the whole image
        const bool answered = t.status == 200 || t.status == 206;
        if (!answered || (t.badStatus && !t.failure.isEmpty()))
            return fail(t.failure.isEmpty() ? unreachable() : t.failure);
        if (t.networkError || file->size() != total)
            return fail(tr("The download was interrupted. Press Retry to continue it."));
        return true;
    }
}

bool FirewareDownImpl::verify(int fd, const QByteArray& hash)
{
    QCryptographicHash sha(QCryptographicHash::Sha256);
    QByteArray block(1 << 20, Qt::Uninitialized);
    off_t pos = 0;
    for (;;) {
        if (s_isStop)
            return fail(tr("The download was stopped."));
        const ssize_t r = ::pread(fd, block.data(), size_t(block.size()), pos);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return fail(tr("The downloaded update could not be read."));
        }
        if (r == 0)
            break;
        sha.addData(block.constData(), int(r));
        pos += r;
    }
    if (sha.result().toHex() != hash)
        return fail(tr("The downloaded update does not match its published checksum, so it was deleted. "
                       "Please try again later."));
    return true;
}

bool FirewareDownImpl::download(const DownloadRequest& request)
{
    const QUrl url(request.url);
    const QUrl hashUrl(request.hashUrl);
    if (!UpdateTexts::isAllowedUpdateUrl(url) || !UpdateTexts::isAllowedUpdateUrl(hashUrl))
        return fail(UpdateNetwork::insecureAddressText());
    QByteArray hash;
    if (!fetchHash(hashUrl, &hash))
        return false;
    qint64 total = 0;
    if (!fetchSize(url, &total))
        return false;

    ImageFile file;
    QString error;
    if (!file.open(request.folder, request.fileName, &error))
        return fail(tr("The update could not be stored (%1).").arg(error));
    if (total > kMaxImageBytes) {
        file.remove();
        return fail(tr("The update on the server is larger than %1 MB, more than an update of this program "
                       "can be, so it was not downloaded.")
                        .arg(kMaxImageBytes >> 20));
    }
    if (!fetchImage(url, &file, total))
        return false;
    if (!verify(file.fd(), hash)) {
        if (!s_isStop)
            file.remove();
        return false;
    }
    return true;
}

int FirewareDownImpl::startDownload(const DownloadRequest& request)
{
    s_isStop = false;
    m_error.clear();
    m_lastEmitMs = -1;
    m_folder = request.folder;
    m_reserve = request.diskReserve;
    // Made and dropped on this thread, within the download.
    QNetworkAccessManager net;
    m_net = &net;
    const bool ok = download(request);
    m_net = nullptr;
    emit downloadComplete(ok);
    return ok ? 0 : -1;
}

#include "moc_FirewareDownImpl.cpp"
