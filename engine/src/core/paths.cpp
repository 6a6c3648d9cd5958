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

int64_t fileSize(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? int64_t(st.st_size) : -1;
}

} // namespace orv
