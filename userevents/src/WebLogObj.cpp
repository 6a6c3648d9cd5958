#include "pimbrel.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <string>

namespace {

// One lock for every writer of the process, whichever export object it uses.
std::mutex g_writeMutex;

// Keeps one record on one line whatever the text holds.
void appendEscaped(std::string& line, const char* text)
{
    if (!text)
        return;
    for (const char* p = text; *p; ++p) {
        switch (*p) {
        case '\\':
            line += "\\\\";
            break;
        case '\n':
            line += "\\n";
            break;
        case '\r':
            line += "\\r";
            break;
        default:
            line += *p;
            break;
        }
    }
}

class WebLogObj final : public IWebLogObj
{
public:
    WebLogObj()
    {
        if (const char* path = std::getenv("LUMIVANE_EVENT_LOG"))
            m_path = path;
        if (const char* fails = std::getenv("LUMIVANE_EVENT_STARTUP_FAILS"))
            m_startupFails = std::atol(fails);
    }

    virtual ~WebLogObj() = default;

    int SendLog(int eventId, int value, const char* text, int productId, int languageId, int siteId,
                const char* version, const char* account, int reserved, int versionId) override
    {
        std::string line = "event=" + std::to_string(eventId) + " value=" + std::to_string(value)
            + " product=" + std::to_string(productId) + " language=" + std::to_string(languageId)
            + " site=" + std::to_string(siteId) + " version=";
        appendEscaped(line, version);
        line +=
            " versionid=" + std::to_string(versionId) + " reserved=" + std::to_string(reserved) + " account=";
        appendEscaped(line, account);
        // The text goes last: it may hold blanks and '='.
        line += " text=";
        appendEscaped(line, text);
        return writeLine(line) ? 1 : 0;
    }

    int Probe(int* first, int* second) override
    {
        const long call = ++m_probeCalls;
        const bool ok = call > m_startupFails;
        if (first)
            *first = ok ? 1 : 0;
        if (second)
            *second = ok ? 1 : 0;
        writeLine("startup call=" + std::to_string(call) + (ok ? " ok" : " failed"));
        return ok ? 1 : 0;
    }

private:
    // Opened per line with O_APPEND and written in one call, so a line is
    // on disk when the call returns and lines never interleave.
    bool writeLine(std::string line)
    {
        if (m_path.empty())
            return false;
        line += '\n';
        std::lock_guard<std::mutex> lock(g_writeMutex);
        const int fd = ::open(m_path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0)
            return false;
        const char* data = line.data();
        size_t left = line.size();
        while (left > 0) {
            const ssize_t n = ::write(fd, data, left);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            data += n;
            left -= static_cast<size_t>(n);
        }
        ::close(fd);
        return left == 0;
    }

    std::string m_path;
    long m_startupFails = 0;
    std::atomic<long> m_probeCalls{0};
};

} // namespace

IWebLogObj* CreateExportObj(void) { return new WebLogObj; }

void DestroyExportObj(IWebLogObj* object) { delete static_cast<WebLogObj*>(object); }
