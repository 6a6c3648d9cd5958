// Info_Check*: a scripted answer, else the file-level checks the engine
// makes and a look at the file's beginning (no decoding here).
#include "fake_objects.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace orvfake::detail;

namespace {

constexpr size_t kSniffBytes = 256 * 1024;

// ORV_FILE_OK with the file's first bytes, or why they cannot be had. A
// folder, FIFO or device is refused by its status, never opened.
int readBeginning(const char* path, std::string* bytes)
{
    struct stat st;
    if (!path || ::stat(path, &st) != 0)
        return ORV_FILE_UNREADABLE;
    if (!S_ISREG(st.st_mode))
        return ORV_FILE_NOT_REGULAR;
    if (st.st_size > ORV_MAX_PICKED_FILE_BYTES)
        return ORV_FILE_TOO_MANY_BYTES;
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return ORV_FILE_UNREADABLE;
    bytes->resize(kSniffBytes);
    const ssize_t n = ::read(fd, &(*bytes)[0], bytes->size());
    ::close(fd);
    if (n < 0)
        return ORV_FILE_UNREADABLE;
    bytes->resize(size_t(n));
    return ORV_FILE_OK;
}

uint32_t at(const std::string& b, size_t i) { return uint8_t(b[i]); }

// The size a PNG, BMP or GIF header states (a JPEG's is not read: 0 x 0);
// false for none of the four kinds.
bool pictureHeader(const std::string& b, long long* w, long long* h)
{
    *w = *h = 0;
    const size_t n = b.size();
    if (n >= 24 && b.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0) {
        *w = (long long)(at(b, 16) << 24 | at(b, 17) << 16 | at(b, 18) << 8 | at(b, 19));
        *h = (long long)(at(b, 20) << 24 | at(b, 21) << 16 | at(b, 22) << 8 | at(b, 23));
        return true;
    }
    if (n >= 10 && (b.compare(0, 6, "GIF87a") == 0 || b.compare(0, 6, "GIF89a") == 0)) {
        *w = at(b, 6) | at(b, 7) << 8;
        *h = at(b, 8) | at(b, 9) << 8;
        return true;
    }
    if (n >= 26 && b.compare(0, 2, "BM") == 0) {
        *w = std::llabs(int32_t(at(b, 18) | at(b, 19) << 8 | at(b, 20) << 16 | at(b, 21) << 24));
        *h = std::llabs(int32_t(at(b, 22) | at(b, 23) << 8 | at(b, 24) << 16 | at(b, 25) << 24));
        return true;
    }
    return n >= 3 && at(b, 0) == 0xFF && at(b, 1) == 0xD8 && at(b, 2) == 0xFF;
}

bool hasTimedLine(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    if (text.find("-->") != std::string::npos || text.find("dialogue:") != std::string::npos
        || text.find("<sync") != std::string::npos)
        return true;
    // MicroDVD: a line starting {frame}{frame}
    for (size_t line = 0; line < text.size(); line = text.find('\n', line) + 1) {
        size_t i = line;
        if (text[i] == '{' && std::isdigit(static_cast<unsigned char>(text[i + 1]))) {
            i = text.find('}', i);
            if (i != std::string::npos && i + 1 < text.size() && text[i + 1] == '{')
                return true;
        }
        if (text.find('\n', line) == std::string::npos)
            break;
    }
    return false;
}

const orvfake::FileCheck* scripted(const char* path)
{
    if (!path)
        return nullptr;
    auto it = state().fileChecks.find(path);
    return it == state().fileChecks.end() ? nullptr : &it->second;
}

} // namespace

extern "C" {

ORV_API int Info_CheckWatermarkPicture(const char* path, int maxSide, int* w, int* hgt)
{
    Call call(__func__, path, maxSide, PtrArg{w != nullptr}, PtrArg{hgt != nullptr});
    orvfake::FileCheck answer;
    if (const orvfake::FileCheck* script = scripted(path)) {
        answer = *script;
    } else {
        std::string bytes;
        long long width = 0, height = 0;
        answer.result = readBeginning(path, &bytes);
        if (answer.result == ORV_FILE_OK && !pictureHeader(bytes, &width, &height))
            answer.result = ORV_FILE_UNUSABLE;
        if (answer.result == ORV_FILE_OK && width <= INT32_MAX && height <= INT32_MAX) {
            answer.width = int(width);
            answer.height = int(height);
            if (maxSide > 0 && (width > maxSide || height > maxSide))
                answer.result = ORV_FILE_PICTURE_TOO_LARGE;
        }
    }
    if (w)
        *w = answer.width;
    if (hgt)
        *hgt = answer.height;
    return answer.result;
}

ORV_API int Info_CheckSubtitleFile(const char* path)
{
    Call call(__func__, path);
    if (const orvfake::FileCheck* script = scripted(path))
        return script->result;
    std::string bytes;
    const int result = readBeginning(path, &bytes);
    if (result != ORV_FILE_OK)
        return result;
    // Text only: a NUL byte is binary data (UTF-16 is not looked into).
    const bool utf16 =
        bytes.size() >= 2 && (bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0);
    if (utf16)
        return ORV_FILE_OK;
    return bytes.find('\0') == std::string::npos && hasTimedLine(bytes) ? ORV_FILE_OK : ORV_FILE_UNUSABLE;
}

} // extern "C"
