#include "PickedFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPointer>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QTextCodec>
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

// The picture kinds the engine draws as a watermark.
bool engineFormat(const QByteArray& format)
{
    return format == "png" || format == "jpeg" || format == "jpg" || format == "bmp" || format == "gif";
}

// Enough of a subtitle file to find its first timed lines.
constexpr qint64 kSubtitleProbeBytes = 256 * 1024;

QString subtitleText(const QByteArray& bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return QTextCodec::codecForName("UTF-16")->toUnicode(bytes);
    // Binary data: a text subtitle never holds a NUL byte.
    if (bytes.contains('\0'))
        return QString();
    // Latin-1 keeps every byte; the markers sought are plain ASCII.
    return QString::fromLatin1(bytes);
}

bool hasTimedLine(const QString& text, const QString& suffix)
{
    // Built per call: the checks run on worker threads.
    const QRegularExpression srt(
        QStringLiteral("\\d{1,2}:\\d{2}:\\d{2}[,.]\\d{1,3}\\s*-->\\s*\\d{1,2}:\\d{2}:\\d{2}"));
    const QRegularExpression ass(QStringLiteral("^\\s*Dialogue\\s*:"),
                                 QRegularExpression::MultilineOption
                                     | QRegularExpression::CaseInsensitiveOption);
    const QRegularExpression sami(QStringLiteral("<sync\\s+start\\s*="),
                                  QRegularExpression::CaseInsensitiveOption);
    const QRegularExpression microDvd(QStringLiteral("^\\s*\\{\\d+\\}\\{\\d*\\}"),
                                      QRegularExpression::MultilineOption);
    const QRegularExpression subViewer(
        QStringLiteral("\\d{1,2}:\\d{2}:\\d{2}\\.\\d{2}\\s*,\\s*\\d{1,2}:\\d{2}:\\d{2}\\.\\d{2}"));
    if (suffix == QLatin1String("srt"))
        return srt.match(text).hasMatch();
    if (suffix == QLatin1String("ass") || suffix == QLatin1String("ssa"))
        return ass.match(text).hasMatch();
    if (suffix == QLatin1String("smi") || suffix == QLatin1String("sami"))
        return sami.match(text).hasMatch();
    if (suffix == QLatin1String("sub"))
        return microDvd.match(text).hasMatch() || subViewer.match(text).hasMatch();
    for (const QRegularExpression* any : {&srt, &ass, &sami, &microDvd, &subViewer}) {
        if (any->match(text).hasMatch())
            return true;
    }
    return false;
}

} // namespace

Verdict checkWatermarkPicture(const QString& path)
{
    const QString notPicture =
        tr("\"%1\" cannot be used as a watermark: it is not a PNG, JPEG, BMP or GIF picture.")
            .arg(name(path));
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead() || !engineFormat(reader.format()))
        return refused(notPicture);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return refused(notPicture);
    if (size.width() > kMaxWatermarkSide || size.height() > kMaxWatermarkSide) {
        Verdict v =
            refused(tr("\"%1\" is too large for a watermark (%2 x %3 pixels). Use a picture of at most "
                       "%4 x %4 pixels.")
                        .arg(name(path))
                        .arg(size.width())
                        .arg(size.height())
                        .arg(kMaxWatermarkSide));
        v.size = size;
        return v;
    }
    // Within bounds: decoded once, so a cut or damaged file is caught now.
    const QImage picture = reader.read();
    if (picture.isNull())
        return refused(notPicture);
    Verdict v;
    v.usable = true;
    v.size = picture.size();
    return v;
}

Verdict checkSubtitleFile(const QString& path)
{
    const QString notSubtitle =
        tr("\"%1\" cannot be used as subtitles: it holds no subtitle text.").arg(name(path));
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return refused(tr("\"%1\" cannot be read.").arg(name(path)));
    const QString text = subtitleText(file.read(kSubtitleProbeBytes));
    if (text.isEmpty() || !hasTimedLine(text, QFileInfo(path).suffix().toLower()))
        return refused(notSubtitle);
    Verdict v;
    v.usable = true;
    return v;
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
