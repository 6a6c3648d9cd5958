// The probe itself: the only part of the source model that calls the
// engine, kept apart so the checks link without one.
#include "clips/SourceProbe.h"

#include <orvalta.h>

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {
// Where a source that cannot seek is pictured.
constexpr uint64_t kFixedThumbnailTime = 10000000ull;

// Whether opening the file for reading is refused for want of permission;
// without blocking on a FIFO.
bool mayNotRead(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return false;
    }
    return errno == EACCES || errno == EPERM;
}
} // namespace

namespace SourceProbe {

SourceFacts probe(const QString& path, uint32_t thumbnailWidth, uint32_t thumbnailHeight)
{
    SourceFacts facts;
    facts.path = path;
    const QFileInfo fileInfo(path);
    facts.suffix = fileInfo.suffix();
    facts.bytes = fileInfo.size();
    QString unixPath = path;
    unixPath.replace(QLatin1Char('\\'), QLatin1Char('/'));
    facts.name = unixPath.mid(unixPath.lastIndexOf(QLatin1Char('/')) + 1);

    InfoHandle info = Info_Create(-1);
    const QByteArray utf8Path = path.toUtf8();
    // The getters of a reader that did not open give 0; the result only
    // decides whether the row says that the file could not be read.
    facts.failed = Info_Open(info, utf8Path.constData()) == 0;
    // A permission problem is told apart from a file that is not media.
    facts.denied = facts.failed && mayNotRead(path);
    facts.duration = Info_GetDuration(info);
    facts.width = Info_GetVideoWidth(info);
    facts.height = Info_GetVideoHeight(info);
    facts.sampleRate = Info_GetAudioSampleRate(info);
    facts.channels = Info_GetAudioChannels(info);
    facts.audioBitRate = Info_GetAudioBitRate(info);
    // The audio facts are read a second time for the source panel, as the
    // engine has always been asked; the reader gives the same values.
    Info_GetAudioBitRate(info);
    Info_GetAudioSampleRate(info);
    Info_GetAudioChannels(info);
    facts.frameRate = Info_GetVideoFrameRate(info);
    facts.videoBitRate = Info_GetVideoBitRate(info);

    facts.canSeek = Info_CanSeek(info) != 0;
    const uint64_t thumbnailTime = facts.canSeek ? Info_GetDuration(info) / 3 : kFixedThumbnailTime;
    const bool sized = thumbnailWidth > 0 && thumbnailHeight > 0;
    facts.thumbnailWidth = sized ? thumbnailWidth : facts.width;
    facts.thumbnailHeight = sized ? thumbnailHeight : facts.height;
    const unsigned char* block = Info_GetVideoImage(info, thumbnailTime, 1, int(sized ? thumbnailWidth : 0),
                                                    int(sized ? thumbnailHeight : 0));
    if (!checkThumbnail(block, facts.thumbnailWidth, facts.thumbnailHeight, facts.thumbnail))
        facts.thumbnailWidth = facts.thumbnailHeight = 0;

    if (!facts.failed) {
        const int programs = Info_GetProgrCount(info);
        for (int i = 0; i < programs && facts.program < 0; ++i) {
            if (Info_SetProgrIndex(info, i) && (Info_GetVideoCount(info) > 0 || Info_GetAudioCount(info) > 0))
                facts.program = i;
        }
        Info_SetProgrIndex(info, facts.program);
        facts.audioCount = Info_GetAudioCount(info);
        facts.subtitleCount = Info_GetSubtlCount(info);
    }

    Info_Close(info);
    Info_Release(info);
    return facts;
}

} // namespace SourceProbe
