#include "DataFile.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QSaveFile>
#include <QTextStream>
#include <QXmlStreamReader>

namespace {

const char* const kWriteWarning = "error::ParserXML->writeOperateXml->file.open\n";

QMutex s_handlerLock;
DataFile::FailureHandler s_handler;

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

DataFile::Read DataFile::read(const QString& path, QDomDocument& doc, const Limits& limits)
{
    QFile file(path);
    if (!file.exists())
        return Read::Missing;
    if (!file.open(QIODevice::ReadOnly))
        return Read::Unreadable;
    // The size is checked before a byte is read; a pipe has none, so what
    // is read is bounded as well.
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

bool DataFile::readOrSetAside(const QString& path, QDomDocument& doc)
{
    switch (read(path, doc)) {
    case Read::Ok:
        return true;
    case Read::Unreadable:
    case Read::Damaged:
        setAside(path);
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

bool DataFile::setAside(const QString& path, const QString& suffix)
{
    const QString aside = path + suffix;
    QFile::remove(aside);
    if (QFile::rename(path, aside))
        return true;
    qWarning("data file could not be set aside: %s", qPrintable(path));
    return false;
}

void DataFile::setFailureHandler(FailureHandler handler)
{
    QMutexLocker lock(&s_handlerLock);
    s_handler = std::move(handler);
}
