#include "editing/SnapshotWriter.h"

#include "LogCategories.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLoggingCategory>

namespace {

// The engine's picture block: a 54-byte bitmap header, then rows of
// B, G, R, 255 from the top without gaps.
constexpr int kHeaderBytes = 54;

} // namespace

SnapshotWriter::SnapshotWriter(QObject* parent)
    : QObject(parent)
{
    m_pool.setMaxThreadCount(1);
}

SnapshotWriter::~SnapshotWriter() { m_pool.waitForDone(); }

QString SnapshotWriter::fileName(const QDateTime& when, const QString& format)
{
    return when.toString("dd-MM-yyyy hh-mm-ss.zzz") + "_kestrova." + format.toLower();
}

QString SnapshotWriter::filePath(const QString& folder, const QString& name)
{
    QString path = QString("%1/%2").arg(folder, name);
    while (path.contains("//"))
        path.replace("//", "/");
    return path;
}

SnapshotWriter::Outcome SnapshotWriter::take(PlayerHandle player, const QString& folder,
                                             const QString& format, const QDateTime& when)
{
    if (!QFileInfo(folder).isDir())
        return FolderMissing;
    const QString path = filePath(folder, fileName(when, format));
    qCDebug(lcEditor) << "OnScreenshots" << path;
    if (!player)
        return NoPicture;

    // The picture as the player makes it, at the output frame's shape.
    const int width = Player_GetOutputWidth(player);
    const int height = Player_GetOutputHeight(player);
    // The engine has no picture of no size to give.
    if (width <= 0 || height <= 0)
        return EmptyPicture;
    unsigned char* block = Player_CaptureVideoImage(player, width, height);
    if (!block)
        return NoPicture;
    // Copied so the block goes back to the engine before anything else.
    const QImage picture = QImage(block + kHeaderBytes, width, height, QImage::Format_RGB32).copy();
    Player_FreeVideoImage(player, block);
    if (picture.isNull())
        return EmptyPicture;

    const QByteArray imageFormat = format.toLower().toLatin1();
    m_pool.start([this, picture, path, imageFormat]() {
        const bool saved = picture.save(path, imageFormat.constData());
        // Queued to the writer's thread; the destructor waits for this task,
        // so the writer is alive when it posts.
        QMetaObject::invokeMethod(
            this, [this, saved, path]() { emit finished(saved, path); }, Qt::QueuedConnection);
    });
    return Saving;
}

#include "moc_SnapshotWriter.cpp"
