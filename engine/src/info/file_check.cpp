#include "info/file_check.h"

#include "core/paths.h"
#include "layers/blend.h"
#include "orvalta.h"
#include "text/subtitle_feed.h"

#include <cstdint>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace orv {

int checkWatermarkPicture(const std::string& path, int maxSide, int* w, int* h)
{
    std::vector<uint8_t> rgba;
    return loadImageFile(path, maxSide, w, h, &rgba);
}

int checkSubtitleFile(const std::string& path)
{
    // The status first: a folder or a FIFO is never opened.
    if (const int status = pickedFileStatus(path))
        return status;
    // O_NONBLOCK: a FIFO swapped in after the status still cannot block.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return ORV_FILE_UNREADABLE;
    ::close(fd);
    // What a conversion's layers open.
    return SubtitleFeed::openFile(path) ? ORV_FILE_OK : ORV_FILE_UNUSABLE;
}

} // namespace orv
