#include "FirewareDownImpl.h"

#include "LogCategories.h"
#include "UpdateCacheFolder.h"
#include "UpdateTexts.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QThread>
#include <QUrl>

#include <curl/curl.h>

#include <cerrno>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

std::atomic<bool> FirewareDownImpl::s_isStop{false};

namespace {
const char kUserAgent[] = "Mozilla/5.0 (X11; Linux x86_64; rv:7.0.1) Gecko/20100101 Firefox/7.0.1";
constexpr long kConnectTimeoutS = 5;
// A transfer slower than one byte a second for this long counts as lost.
constexpr long kStallTimeoutS = 30;
constexpr int kMaxHashText = 4096;
constexpr qint64 kProgressStepMs = 50;

void globalInit()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_ALL); });
}

// Settings every request shares: only https (or loopback http, checked by
// the caller) and https redirects, certificate and host checks, bounded
// connect and stall times.
void applyCommon(CURL* h, const QByteArray& url)
{
    curl_easy_setopt(h, CURLOPT_URL, url.constData());
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "https,http");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutS);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, kStallTimeoutS);
    curl_easy_setopt(h, CURLOPT_USERAGENT, kUserAgent);
}

size_t appendText(char* data, size_t size, size_t count, void* user)
{
    auto* text = static_cast<QByteArray*>(user);
    const size_t n = size * count;
    if (text->size() + qint64(n) > kMaxHashText)
        return 0;
    text->append(data, int(n));
    return n;
}

bool writeAll(int fd, const char* data, size_t n)
{
    while (n > 0) {
        const ssize_t w = ::write(fd, data, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += w;
        n -= size_t(w);
    }
    return true;
}

qint64 fileSize(int fd)
{
    struct stat st;
    return ::fstat(fd, &st) == 0 ? qint64(st.st_size) : -1;
}
} // namespace

// The state of one GET, shared with the libcurl callbacks.
struct FirewareDownImpl::Transfer
{
    FirewareDownImpl* self = nullptr;
    int fd = -1;
    qint64 offset = 0; // bytes on disk when the request was made
    qint64 total = 0; // the image's size from the size request
    qint64 written = 0; // bytes of this response written
    long status = 0; // status of the last response header block
    qint64 rangeStart = -1; // start of its Content-Range, -1 when none
    bool bodyStarted = false;
    bool badStatus = false;
    bool rangeMismatch = false;
    bool oversize = false;
    bool ioError = false;

    static size_t onHeader(char* data, size_t size, size_t count, void* user)
    {
        auto* t = static_cast<Transfer*>(user);
        const size_t n = size * count;
        const QByteArray line = QByteArray(data, int(n)).trimmed();
        if (line.startsWith("HTTP/")) {
            // A new response (the first, or after a redirect).
            t->status = line.split(' ').value(1).toLong();
            t->rangeStart = -1;
        } else if (line.toLower().startsWith("content-range:")) {
            const QByteArray value = line.mid(14).trimmed();
            if (value.startsWith("bytes ")) {
                bool ok = false;
                const qint64 start = value.mid(6).split('-').value(0).toLongLong(&ok);
                t->rangeStart = ok ? start : -1;
            }
        }
        return n;
    }

    static size_t onWrite(char* data, size_t size, size_t count, void* user)
    {
        auto* t = static_cast<Transfer*>(user);
        const size_t n = size * count;
        if (!t->bodyStarted) {
            t->bodyStarted = true;
            // Only the image itself is written: never an error page, never a
            // range that does not continue the file.
            if (t->status == 206) {
                if (t->rangeStart != t->offset) {
                    t->rangeMismatch = true;
                    return 0;
                }
            } else if (t->status == 200) {
                if (t->offset != 0) {
                    t->rangeMismatch = true;
                    return 0;
                }
            } else {
                t->badStatus = true;
                return 0;
            }
        }
        if (s_isStop)
            return 0;
        if (t->offset + t->written + qint64(n) > t->total) {
            t->oversize = true;
            return 0;
        }
        if (!writeAll(t->fd, data, n)) {
            t->ioError = true;
            return 0;
        }
        t->written += qint64(n);
        const qint64 done = t->offset + t->written;
        t->self->reportProgress(done, t->total, done == t->total);
        return n;
    }
};

FirewareDownImpl::FirewareDownImpl() { globalInit(); }

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

bool FirewareDownImpl::fetchHash(const DownloadRequest& request, QByteArray* hash)
{
    CURL* h = curl_easy_init();
    if (!h)
        return fail(tr("The download could not be started."));
    QByteArray body;
    applyCommon(h, request.hashUrl.toUtf8());
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, appendText);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &body);
    const CURLcode rc = curl_easy_perform(h);
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(h);
    qCDebug(lcServices) << "checksum" << rc << status;
    if (rc != CURLE_OK || status != 200) {
        if (rc == CURLE_OK || status >= 400)
            return fail(tr("The checksum of the update could not be loaded (HTTP %1).").arg(status));
        return fail(
            tr("The update server could not be reached. Check your Internet connection and try again."));
    }
    *hash = parseSha256Text(body);
    if (hash->isEmpty())
        return fail(tr("The update server published no valid checksum for the update."));
    return true;
}

bool FirewareDownImpl::fetchSize(const QString& url, qint64* size)
{
    for (int attempt = 1;; ++attempt) {
        CURL* h = curl_easy_init();
        if (!h)
            return fail(tr("The download could not be started."));
        applyCommon(h, url.toUtf8());
        curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
        const CURLcode rc = curl_easy_perform(h);
        long status = 0;
        curl_off_t length = -1;
        curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
        if (rc == CURLE_OK)
            curl_easy_getinfo(h, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        curl_easy_cleanup(h);
        qCDebug(lcServices) << "size request" << attempt << rc << status << length;
        if (rc == CURLE_OK && status != 200)
            return fail(tr("The update server answered with an error (HTTP %1).").arg(status));
        if (rc == CURLE_OK && length < 0)
            return fail(tr("The update server did not tell the size of the update."));
        if (rc == CURLE_OK && length > 0) {
            *size = qint64(length);
            return true;
        }
        // No answer or an empty image: try again a few times, then give up.
        if (attempt >= kSizeTries)
            return fail(rc == CURLE_OK ? tr("The update on the server is empty.")
                                       : tr("The update server could not be reached. Check your Internet "
                                            "connection and try again."));
        for (int i = 0; i < 10; ++i) {
            if (s_isStop)
                return fail(tr("The download was stopped."));
            QThread::msleep(100);
        }
    }
}

int FirewareDownImpl::download(const QString& url, Transfer* t)
{
    CURL* h = curl_easy_init();
    if (!h)
        return CURLE_FAILED_INIT;
    applyCommon(h, url.toUtf8());
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &Transfer::onHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, t);
    curl_easy_setopt(h, CURLOPT_RESUME_FROM_LARGE, curl_off_t(t->offset));
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &Transfer::onWrite);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, t);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(
        h, CURLOPT_XFERINFOFUNCTION,
        +[](void*, curl_off_t, curl_off_t, curl_off_t, curl_off_t) -> int { return s_isStop ? 1 : 0; });
    const CURLcode rc = curl_easy_perform(h);
    curl_easy_cleanup(h);
    qCDebug(lcServices) << "transfer from" << t->offset << "ended" << rc << curl_easy_strerror(rc) << "status"
                        << t->status << "written" << t->written;
    return int(rc);
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

int FirewareDownImpl::startDownload(const DownloadRequest& request)
{
    s_isStop = false;
    m_error.clear();
    m_lastEmitMs = -1;
    const bool ok = [&]() -> bool {
        if (!isAllowedUpdateUrl(QUrl(request.url)) || !isAllowedUpdateUrl(QUrl(request.hashUrl)))
            return fail(tr("The update address is not a secure (https) address, so it was not used."));
        QByteArray hash;
        if (!fetchHash(request, &hash))
            return false;
        qint64 total = 0;
        if (!fetchSize(request.url, &total))
            return false;

        QString error;
        const int dir = UpdateCacheFolder::openFolder(request.folder, &error);
        if (dir < 0)
            return fail(tr("The update could not be stored (%1).").arg(error));
        const int fd = UpdateCacheFolder::openImage(dir, request.fileName, &error);
        if (fd < 0) {
            ::close(dir);
            return fail(tr("The update could not be stored (%1).").arg(error));
        }
        auto removeImage = [&] { ::unlinkat(dir, QFile::encodeName(request.fileName).constData(), 0); };
        auto finish = [&](bool result) {
            ::close(fd);
            ::close(dir);
            return result;
        };

        bool restarted = false;
        for (;;) {
            qint64 local = fileSize(fd);
            if (local > total) {
                // Not a prefix of this image: start again from nothing.
                if (::ftruncate(fd, 0) != 0)
                    return finish(fail(tr("The update could not be stored.")));
                local = 0;
            }
            if (local == total) {
                reportProgress(total, total, true);
                break;
            }
            Transfer t;
            t.self = this;
            t.fd = fd;
            t.offset = local;
            t.total = total;
            const int rc = download(request.url, &t);
            if (s_isStop || rc == CURLE_ABORTED_BY_CALLBACK)
                return finish(fail(tr("The download was stopped.")));
            if (t.oversize) {
                removeImage();
                return finish(
                    fail(tr("The update server sent more data than announced; the download was deleted.")));
            }
            if (t.ioError)
                return finish(fail(tr("The update could not be written to disk.")));
            const bool ignoredRange =
                rc == CURLE_RANGE_ERROR || t.rangeMismatch || (t.status == 416 && fileSize(fd) != total);
            if (ignoredRange) {
                // The server did not continue where the file ends: fetch the
                // whole image once more, from the start.
                if (restarted)
                    return finish(fail(tr("The update server does not resume downloads correctly.")));
                restarted = true;
                if (::ftruncate(fd, 0) != 0)
                    return finish(fail(tr("The update could not be stored.")));
                continue;
            }
            if (t.status == 416)
                break; // what is on disk is already the whole image
            if (t.badStatus || (rc == CURLE_OK && t.status != 200 && t.status != 206))
                return finish(fail(tr("The update server answered with an error (HTTP %1).").arg(t.status)));
            if (rc != CURLE_OK || fileSize(fd) != total)
                return finish(fail(tr("The download was interrupted (%1). Press Retry to continue it.")
                                       .arg(QString::fromLatin1(curl_easy_strerror(CURLcode(rc))))));
            break;
        }
        if (!verify(fd, hash)) {
            if (!s_isStop)
                removeImage();
            return finish(false);
        }
        return finish(true);
    }();
    emit downloadComplete(ok);
    return ok ? 0 : -1;
}
