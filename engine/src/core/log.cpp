#include "core/log.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace orv {
namespace {

using Handler = void (*)(void*, int, const char*);

std::mutex g_logMutex;
Handler g_handler = nullptr;
void* g_user = nullptr;

int defaultMaxLevel()
{
    static const int level = [] {
        const char* env = std::getenv("ORVALTA_LOG");
        return (env && std::strcmp(env, "debug") == 0) ? int(LogDebug) : int(LogWarning);
    }();
    return level;
}

void ffmpegCallback(void* avcl, int level, const char* fmt, va_list vl)
{
    if (level > AV_LOG_ERROR)
        return;
    char line[1024];
    int prefix = 1;
    av_log_format_line2(avcl, level, fmt, vl, line, sizeof line, &prefix);
    size_t n = std::strlen(line);
    while (n > 0 && (line[n - 1] == '\n' || line[n - 1] == '\r'))
        line[--n] = '\0';
    if (n > 0)
        logMessage(LogError, std::string("ffmpeg: ") + line);
}

} // namespace

void ensureEngineInit()
{
    static std::once_flag once;
    std::call_once(once, [] {
        av_log_set_level(AV_LOG_ERROR);
        av_log_set_callback(ffmpegCallback);
    });
}

void logMessage(int level, const std::string& text)
{
    std::lock_guard<std::mutex> lock(g_logMutex);
    if (g_handler) {
        g_handler(g_user, level, text.c_str());
        return;
    }
    if (level <= defaultMaxLevel())
        std::fprintf(stderr, "orvalta: %s\n", text.c_str());
}

void logf(int level, const char* fmt, ...)
{
    char buf[2048];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    logMessage(level, buf);
}

void setLogHandler(void (*fn)(void* user, int level, const char* utf8), void* user)
{
    ensureEngineInit();
    std::lock_guard<std::mutex> lock(g_logMutex);
    g_handler = fn;
    g_user = fn ? user : nullptr;
}

std::string avErrorText(int err)
{
    char buf[AV_ERROR_MAX_STRING_SIZE] = {0};
    av_strerror(err, buf, sizeof buf);
    return buf;
}

} // namespace orv
