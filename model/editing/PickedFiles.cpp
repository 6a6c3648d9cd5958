#include "editing/PickedFiles.h"

#include <orvalta.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QTemporaryFile>
#include <QThreadPool>

namespace PickedFiles {

namespace {

QString tr(const char* text) { return QCoreApplication::translate("PickedFiles", text); }

QString name(const QString& path) { return QFileInfo(path).fileName(); }

Verdict refused(const QString& message)
{
    Verdict v;
    v.message = message;
    return v;
}

constexpr int kMaxFileMB = ORV_MAX_PICKED_FILE_BYTES >> 20;

// The texts every kind of picked file shares; empty for the others.
QString fileLevelMessage(int result, const QString& path)
{
    switch (result) {
    case ORV_FILE_UNREADABLE:
        return tr("\"%1\" cannot be read.").arg(name(path));
    case ORV_FILE_NOT_REGULAR:
        return tr("\"%1\" cannot be read: it is not a file.").arg(name(path));
    default:
        return QString();
    }
}

} // namespace

Verdict checkWatermarkPicture(const QString& path)
{
    int width = 0, height = 0;
    const int result =
        Info_CheckWatermarkPicture(path.toUtf8().constData(), kMaxWatermarkSide, &width, &height);
    const QSize size = width > 0 && height > 0 ? QSize(width, height) : QSize();
    Verdict v;
    switch (result) {
    case ORV_FILE_OK:
        v.usable = true;
        break;
    case ORV_FILE_TOO_MANY_BYTES:
        v.message = tr("\"%1\" is too large for a watermark. Use a picture file of at most %2 MB.")
                        .arg(name(path))
                        .arg(kMaxFileMB);
        break;
    case ORV_FILE_PICTURE_TOO_LARGE:
        v.message = tr("\"%1\" is too large for a watermark (%2 x %3 pixels). Use a picture of at most "
                       "%4 x %4 pixels.")
                        .arg(name(path))
                        .arg(width)
                        .arg(height)
                        .arg(kMaxWatermarkSide);
        break;
    default:
        v.message = fileLevelMessage(result, path);
        // A size read from the header: the file is one of the four kinds
        // and its picture does not decode.
        if (v.message.isEmpty() && size.isValid())
            v.message = tr("\"%1\" cannot be used as a watermark: the picture is damaged.").arg(name(path));
        else if (v.message.isEmpty())
            v.message = tr("\"%1\" cannot be used as a watermark: it is not a PNG, JPEG, BMP or GIF picture.")
                            .arg(name(path));
        break;
    }
    v.size = size;
    return v;
}

Verdict checkSubtitleFile(const QString& path)
{
    const int result = Info_CheckSubtitleFile(path.toUtf8().constData());
    if (result == ORV_FILE_OK) {
        Verdict v;
        v.usable = true;
        return v;
    }
    if (result == ORV_FILE_TOO_MANY_BYTES)
        return refused(tr("\"%1\" is too large for subtitles. Use a subtitle file of at most %2 MB.")
                           .arg(name(path))
                           .arg(kMaxFileMB));
    const QString message = fileLevelMessage(result, path);
    return refused(message.isEmpty()
                       ? tr("\"%1\" cannot be used as subtitles: it holds no subtitle text.").arg(name(path))
                       : message);
}

Verdict checkSnapshotFolder(const QString& folder)
{
    QTemporaryFile probe(folder + QStringLiteral("/snapshot-XXXXXX.probe"));
    if (folder.isEmpty() || !QFileInfo(folder).isDir() || !probe.open())
        return refused(tr("Snapshots cannot be saved in \"%1\": the folder cannot be written to. "
                          "Choose another folder.")
                           .arg(QDir::toNativeSeparators(folder)));
    Verdict v;
    v.usable = true;
    return v;
}

void checkInBackground(QObject* receiver, std::function<Verdict()> check,
                       std::function<void(const Verdict&)> done)
{
    QPointer<QObject> guard(receiver);
    QThreadPool::globalInstance()->start([guard, check = std::move(check), done = std::move(done)]() {
        const Verdict verdict = check();
        // Posted to the application object, which outlives the receiver:
        // the receiver itself is only looked at on the GUI thread.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [guard, done, verdict]() {
                if (guard)
                    done(verdict);
            },
            Qt::QueuedConnection);
    });
}

} // namespace PickedFiles
