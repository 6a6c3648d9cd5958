#include "files/DataFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QDomDocument>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMutex>
#include <QMutexLocker>
#include <QRunnable>
#include <QSaveFile>
#include <QTextStream>
#include <QThread>
#include <QThreadPool>
#include <QXmlStreamReader>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kWriteWarning = "error::ParserXML->writeOperateXml->file.open\n";

QMutex s_handlerLock;
DataFile::FailureHandler s_handler;
DataFile::NoticeHandler s_noticeHandler;
DataFile::ReadHook s_readHook;

// Set-asides of one file never replace each other; past this many the
// file is left where it is.
constexpr int kMaxAsideNumber = 999;

// One background thread, so the program's changes keep their order.
class ChangeThread : public QThreadPool
{
public:
    ChangeThread()
    {
        setMaxThreadCount(1);
        setExpiryTimeout(-1);
    }
    // The queued changes are made before the program ends.
    ~ChangeThread() override { waitForDone(); }
};

Q_GLOBAL_STATIC(ChangeThread, s_changes)

// Changes queued and not yet made: while there are any, a change asked for
// now must wait its turn behind them.
std::atomic<int> s_pending{0};

void reportFailure(const QString& path)
{
    qWarning("%s", kWriteWarning);
    DataFile::FailureHandler handler;
    {
        QMutexLocker lock(&s_handlerLock);
        handler = s_handler;
    }
    if (handler)
        handler(path);
}

void notice(const QString& path, const QString& keptAs)
{
    DataFile::NoticeHandler handler;
    {
        QMutexLocker lock(&s_handlerLock);
        handler = s_noticeHandler;
    }
    if (handler)
        handler(path, keptAs);
    else if (keptAs.isEmpty())
        qWarning("data file is not a regular file and was not read: %s", qPrintable(path));
    else
        qWarning("data file set aside as %s", qPrintable(keptAs));
}

bool existsOrLinks(const QString& path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

// A streaming pass first: it needs no recursion, so depth and size are
// known before the recursive DOM parser sees the text.
bool withinLimits(const QByteArray& text, const DataFile::Limits& limits)
{
    QXmlStreamReader reader(text);
    int depth = 0;
    int elements = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            if (++depth > limits.maxDepth || ++elements > limits.maxElements)
                return false;
            for (const QXmlStreamAttribute& attribute : reader.attributes()) {
                if (attribute.value().size() > limits.maxAttributeLength)
                    return false;
            }
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        default:
            break;
        }
    }
    return !reader.hasError();
}

} // namespace

bool DataFile::isRegularOrMissing(const QString& path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR;
    return S_ISREG(st.st_mode);
}

DataFile::Read DataFile::read(const QString& path, QDomDocument& doc, const Limits& limits)
{
    DataFile::ReadHook hook;
    {
        QMutexLocker lock(&s_handlerLock);
        hook = s_readHook;
    }
    if (hook)
        hook(path);
    // Non-blocking: opening a pipe for reading would otherwise wait for a
    // writer that never comes, and the type is only known once it is open.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return Read::Missing;
        if (!isRegularOrMissing(path))
            notice(path, QString());
        return Read::Unreadable;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        notice(path, QString());
        return Read::Unreadable;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return Read::Unreadable;
    }
    // The size is checked before a byte is read; what is read is bounded
    // as well, for a file that grows meanwhile.
    if (file.size() > limits.maxBytes)
        return Read::Damaged;
    const QByteArray text = file.read(limits.maxBytes + 1);
    if (text.isEmpty())
        return Read::Empty;
    if (text.size() > limits.maxBytes)
        return Read::Damaged;
    if (!withinLimits(text, limits))
        return Read::Damaged;
    return doc.setContent(text, false) ? Read::Ok : Read::Damaged;
}

bool DataFile::readOrSetAside(const QString& path, QDomDocument& doc, const Limits& limits,
                              const QString& suffix)
{
    switch (read(path, doc, limits)) {
    case Read::Ok:
        return true;
    case Read::Unreadable:
    case Read::Damaged:
        setAside(path, suffix);
        return false;
    case Read::Missing:
    case Read::Empty:
        return false;
    }
    return false;
}

bool DataFile::writeTo(QIODevice& device, const QDomDocument& doc)
{
    QTextStream stream(&device);
    stream.setCodec("utf-8");
    doc.save(stream, 4);
    // A buffered stream only meets a full disk here, at the flush.
    stream.flush();
    return stream.status() == QTextStream::Ok;
}

bool DataFile::save(const QString& path, const QDomDocument& doc)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        reportFailure(path);
        return false;
    }
    if (!writeTo(file, doc) || file.error() != QFileDevice::NoError) {
        // Without this, commit would still replace the old file with the
        // part that was written.
        file.cancelWriting();
        file.commit();
        reportFailure(path);
        return false;
    }
    if (!file.commit()) {
        reportFailure(path);
        return false;
    }
    return true;
}

QString DataFile::asideName(const QString& path, const QString& suffix)
{
    const QString first = path + suffix;
    if (!existsOrLinks(first))
        return first;
    for (int n = 1; n <= kMaxAsideNumber; ++n) {
        const QString numbered = first + QLatin1Char('.') + QString::number(n);
        if (!existsOrLinks(numbered))
            return numbered;
    }
    return QString();
}

bool DataFile::setAside(const QString& path, const QString& suffix)
{
    // A plain rename: it moves pipes and folders too without opening them,
    // where a copying rename would block or fail.
    const QString aside = asideName(path, suffix);
    if (!aside.isEmpty()
        && ::rename(QFile::encodeName(path).constData(), QFile::encodeName(aside).constData()) == 0) {
        notice(path, aside);
        return true;
    }
    qWarning("data file could not be set aside: %s", qPrintable(path));
    return false;
}

void DataFile::setFailureHandler(FailureHandler handler)
{
    QMutexLocker lock(&s_handlerLock);
    s_handler = std::move(handler);
}

void DataFile::setNoticeHandler(NoticeHandler handler)
{
    QMutexLocker lock(&s_handlerLock);
    s_noticeHandler = std::move(handler);
}

void DataFile::setReadHook(ReadHook hook)
{
    QMutexLocker lock(&s_handlerLock);
    s_readHook = std::move(hook);
}

DataFile::Lock::Lock(const QString& path, int waitMs)
    : m_file(std::make_unique<QLockFile>(path + QStringLiteral(".lock")))
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Held for one read and save, far under this; an older lock is left
    // from a copy that hung (one that died is seen at once).
    m_file->setStaleLockTime(kStaleLockMs);
    if (waitMs == kWaitByThread) {
        const QCoreApplication* app = QCoreApplication::instance();
        waitMs = app && QThread::currentThread() == app->thread() ? kBriefWaitMs : kWorkerWaitMs;
    }
    // Polled in short steps: QLockFile's own wait sleeps ever longer, up to
    // seconds, while the other copy holds the file for milliseconds.
    QElapsedTimer waited;
    waited.start();
    int pause = 1;
    while (!m_file->tryLock(0)) {
        if (m_file->error() != QLockFile::LockFailedError || waited.elapsed() >= waitMs) {
            // A look without waiting is answered by its caller.
            if (waitMs > 0)
                qWarning("data file stays locked by another copy: %s", qPrintable(path));
            break;
        }
        QThread::msleep(pause);
        pause = qMin(pause * 2, 20);
    }
}

DataFile::Lock::~Lock() = default;

bool DataFile::Lock::isLocked() const { return m_file->isLocked(); }

bool DataFile::changeLocked(const QString& path, const Change& change)
{
    const Lock lock(path, kWorkerWaitMs);
    if (!lock.isLocked()) {
        // Past a hung copy's stale lock this is a lock that cannot be made
        // at all (a folder without write access): the save would fail too.
        reportFailure(path);
        return false;
    }
    return change();
}

void DataFile::changeLater(const QString& path, Change change, Done done)
{
    ++s_pending;
    s_changes()->start(QRunnable::create([path, change = std::move(change), done = std::move(done)] {
        const bool made = changeLocked(path, change);
        // Before done: a change it asks for is not held back by this one.
        --s_pending;
        if (done)
            done(made);
    }));
}

bool DataFile::changeNowOrLater(const QString& path, Change change, Done done)
{
    if (s_pending.load() == 0) {
        bool now = false;
        bool made = false;
        {
            const Lock lock(path, 0);
            if (lock.isLocked()) {
                now = true;
                made = change();
            }
        }
        if (now) {
            if (done)
                done(made);
            return made;
        }
    }
    changeLater(path, std::move(change), std::move(done));
    return true;
}

bool DataFile::waitForChanges(int msecs) { return s_changes()->waitForDone(msecs); }
