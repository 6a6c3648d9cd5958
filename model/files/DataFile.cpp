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

enum class Pass { Within, Over, NotWellFormed };

// A streaming pass first: it needs no recursion, so depth and size are
// known before the recursive DOM parser sees the text.
Pass withinLimits(const QByteArray& text, const DataFile::Limits& limits)
{
    QXmlStreamReader reader(text);
    int depth = 0;
    int elements = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            if (++depth > limits.maxDepth || ++elements > limits.maxElements)
                return Pass::Over;
            for (const QXmlStreamAttribute& attribute : reader.attributes()) {
                if (attribute.value().size() > limits.maxAttributeLength)
                    return Pass::Over;
            }
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        default:
            break;
        }
    }
    return reader.hasError() ? Pass::NotWellFormed : Pass::Within;
}

// What stood before the fault of a text that is not well-formed, within
// the limits up to there: the elements whose start tags were read whole,
// with their attributes, text, comments and instructions. Built as a
// stream, without recursion.
QDomDocument readBeforeFault(const QByteArray& text)
{
    QDomDocument doc;
    QXmlStreamReader reader(text);
    // The open element; null at the top, where nodes go to the document
    // (which exists only once a node was made).
    QDomNode current;
    const auto append = [&doc, &current](const QDomNode& node) {
        if (current.isNull())
            doc.appendChild(node);
        else
            current.appendChild(node);
    };
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartDocument:
            if (!reader.documentVersion().isEmpty()) {
                QString declaration = QStringLiteral("version='%1'").arg(reader.documentVersion());
                if (!reader.documentEncoding().isEmpty())
                    declaration += QStringLiteral(" encoding='%1'").arg(reader.documentEncoding());
                if (reader.isStandaloneDocument())
                    declaration += QStringLiteral(" standalone='yes'");
                append(doc.createProcessingInstruction(QStringLiteral("xml"), declaration));
            }
            break;
        case QXmlStreamReader::StartElement: {
            if (current.isNull() && !doc.documentElement().isNull())
                return doc;
            QDomElement element = doc.createElement(reader.qualifiedName().toString());
            for (const QXmlStreamAttribute& attribute : reader.attributes())
                element.setAttribute(attribute.qualifiedName().toString(), attribute.value().toString());
            append(element);
            current = element;
            break;
        }
        case QXmlStreamReader::EndElement: {
            const QDomNode parent = current.parentNode();
            current = parent.isDocument() ? QDomNode() : parent;
            break;
        }
        case QXmlStreamReader::Characters:
            // As the DOM parser does, text of only blanks is left out.
            if (!reader.isWhitespace()) {
                const QString value = reader.text().toString();
                append(reader.isCDATA() ? QDomNode(doc.createCDATASection(value))
                                        : QDomNode(doc.createTextNode(value)));
            }
            break;
        case QXmlStreamReader::Comment:
            append(doc.createComment(reader.text().toString()));
            break;
        case QXmlStreamReader::ProcessingInstruction:
            append(doc.createProcessingInstruction(reader.processingInstructionTarget().toString(),
                                                   reader.processingInstructionData().toString()));
            break;
        default:
            break;
        }
    }
    return doc;
}

// Whether the character at i is one XML cannot hold, or the escape itself;
// the halves of a surrogate pair are not.
bool mustEscape(const QString& text, int i)
{
    const ushort c = text.at(i).unicode();
    if (c < 0x20)
        return c != '\t' && c != '\n' && c != '\r';
    if (c == DataFile::kEscape || c == 0xFFFE || c == 0xFFFF)
        return true;
    if (QChar::isHighSurrogate(c))
        return i + 1 >= text.size() || !QChar::isLowSurrogate(text.at(i + 1).unicode());
    if (QChar::isLowSurrogate(c))
        return i == 0 || !QChar::isHighSurrogate(text.at(i - 1).unicode());
    return false;
}

// Whether the writer escapes this character in some text.
bool isEscaped(uint c)
{
    return (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == DataFile::kEscape
        || (c >= 0xD800 && c <= 0xDFFF) || c == 0xFFFE || c == 0xFFFF;
}

bool needsStoring(const QString& text)
{
    for (int i = 0; i < text.size(); ++i) {
        if (mustEscape(text, i))
            return true;
    }
    return false;
}

bool holdsEscape(const QString& text) { return text.contains(QChar(DataFile::kEscape)); }

// Every text a document holds, in document order: attribute values, text
// and sections, comments and instructions' data. Those `pick` picks are
// replaced by what convert makes of them and counted; without convert only
// whether there is one is counted. Without recursion: the depth is the
// file's.
int convertTexts(const QDomNode& top, bool (*pick)(const QString&), QString (*convert)(const QString&))
{
    int count = 0;
    // True when counting only and one is found: the count is known then.
    const auto stop = [&](const QString& value, const auto& set) {
        if (!pick(value))
            return false;
        ++count;
        if (convert)
            set(convert(value));
        return !convert;
    };
    QDomNode node = top.firstChild();
    while (!node.isNull()) {
        if (node.isElement()) {
            const QDomNamedNodeMap attributes = node.attributes();
            for (int i = 0; i < attributes.count(); ++i) {
                QDomAttr attribute = attributes.item(i).toAttr();
                if (stop(attribute.value(), [&](const QString& v) { attribute.setValue(v); }))
                    return count;
            }
        } else if (node.isCharacterData()) {
            QDomCharacterData data = node.toCharacterData();
            if (stop(data.data(), [&](const QString& v) { data.setData(v); }))
                return count;
        } else if (node.isProcessingInstruction()) {
            QDomProcessingInstruction instruction = node.toProcessingInstruction();
            if (stop(instruction.data(), [&](const QString& v) { instruction.setData(v); }))
                return count;
        }
        if (!node.firstChild().isNull()) {
            node = node.firstChild();
            continue;
        }
        while (!node.isNull() && node != top && node.nextSibling().isNull())
            node = node.parentNode();
        if (node.isNull() || node == top)
            break;
        node = node.nextSibling();
    }
    return count;
}

void restoreTexts(QDomDocument& doc, const QByteArray& text)
{
    // A file without the escape character has nothing to restore.
    if (text.contains(QString(QChar(DataFile::kEscape)).toUtf8()))
        convertTexts(doc, holdsEscape, DataFile::restored);
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
    switch (withinLimits(text, limits)) {
    case Pass::Within:
        break;
    case Pass::Over:
        return Read::Damaged;
    case Pass::NotWellFormed:
        doc = readBeforeFault(text);
        restoreTexts(doc, text);
        return Read::Damaged;
    }
    if (!doc.setContent(text, false))
        return Read::Damaged;
    restoreTexts(doc, text);
    return Read::Ok;
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

QString DataFile::stored(const QString& text)
{
    if (!needsStoring(text))
        return text;
    QString result;
    result.reserve(text.size() + 16);
    for (int i = 0; i < text.size(); ++i) {
        if (mustEscape(text, i)) {
            result += QChar(kEscape);
            result += QStringLiteral("%1").arg(text.at(i).unicode(), 4, 16, QLatin1Char('0')).toUpper();
        } else {
            result += text.at(i);
        }
    }
    return result;
}

QString DataFile::restored(const QString& text)
{
    if (!holdsEscape(text))
        return text;
    QString result;
    result.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i).unicode() == kEscape && i + 4 < text.size()) {
            uint c = 0;
            bool hex = true;
            for (int k = 1; k <= 4 && hex; ++k) {
                const ushort d = text.at(i + k).unicode();
                hex = (d >= '0' && d <= '9') || (d >= 'A' && d <= 'F');
                if (hex)
                    c = c * 16 + uint(d <= '9' ? d - '0' : d - 'A' + 10);
            }
            // Only what the writer escapes: other text after the escape
            // character is read as it stands.
            if (hex && isEscaped(c)) {
                result += QChar(ushort(c));
                i += 4;
                continue;
            }
        }
        result += text.at(i);
    }
    return result;
}

bool DataFile::writeTo(QIODevice& device, const QDomDocument& doc)
{
    // The DOM writes every character as it is, also those its reader
    // refuses; a copy holds them stored.
    QDomDocument written = doc;
    if (convertTexts(doc, needsStoring, nullptr) > 0) {
        written = doc.cloneNode(true).toDocument();
        convertTexts(written, needsStoring, stored);
    }
    QTextStream stream(&device);
    stream.setCodec("utf-8");
    written.save(stream, 4);
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
        // A lock file that cannot be made at all (a full disk, a folder
        // without write access) is no other copy's.
        const bool otherCopy = m_file->error() == QLockFile::LockFailedError;
        if (!otherCopy || waited.elapsed() >= waitMs) {
            // A look without waiting is answered by its caller.
            if (waitMs > 0 && otherCopy)
                qWarning("data file stays locked by another copy: %s", qPrintable(path));
            else if (waitMs > 0)
                qWarning("data file's lock file could not be made: %s", qPrintable(path + ".lock"));
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
