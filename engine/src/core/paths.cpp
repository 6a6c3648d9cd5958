#include "core/paths.h"

#include "core/log.h"
#include "orvalta.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv {

int createExclusive(const std::string& path)
{
    if (path.empty())
        return ORV_E_OUTPUT;
    const int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0) {
        logf(LogError, "cannot create output \"%s\": %s", path.c_str(), std::strerror(errno));
        return ORV_E_OUTPUT;
    }
    ::close(fd);
    return ORV_OK;
}

void removeFile(const std::string& path)
{
    if (!path.empty())
        ::unlink(path.c_str());
}

bool fileExists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

bool isRegularFile(const std::string& path)
{
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool readSmallFile(const std::string& path, size_t maxBytes, std::string* out)
{
    out->clear();
    // O_NONBLOCK: a FIFO swapped in after the check still cannot block us
    const int fd = path.empty() ? -1 : ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && uint64_t(st.st_size) <= maxBytes;
    if (ok) {
        out->resize(size_t(st.st_size));
        size_t got = 0;
        while (ok && got < out->size()) {
            const ssize_t n = ::read(fd, &(*out)[got], out->size() - got);
            if (n < 0 && errno == EINTR)
                continue;
            ok = n > 0;
            got += n > 0 ? size_t(n) : 0;
        }
    }
    ::close(fd);
    if (!ok)
        out->clear();
    return ok;
}

int64_t fileSize(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? int64_t(st.st_size) : -1;
}

int pickedFileStatus(const std::string& path)
{
    if (!fileExists(path))
        return ORV_FILE_UNREADABLE;
    if (!isRegularFile(path))
        return ORV_FILE_NOT_REGULAR;
    // a logo or a subtitle file larger than this is neither
    if (fileSize(path) > ORV_MAX_PICKED_FILE_BYTES)
        return ORV_FILE_TOO_MANY_BYTES;
    return ORV_FILE_OK;
}

} // namespace orv
