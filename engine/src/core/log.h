// Engine log: one handler for our messages and FFmpeg's (routed at error
// level), so the application decides where they go.
#pragma once

#include <string>

namespace orv {

enum LogLevel { LogError = 0, LogWarning = 1, LogInfo = 2, LogDebug = 3 };

// Installs the FFmpeg log callback once; every entry point that can reach
// FFmpeg calls it first.
void ensureEngineInit();

void logMessage(int level, const std::string& text);
void logf(int level, const char* fmt, ...) __attribute__((format(printf, 2, 3)));

// NULL restores the default handler (stderr, ORVALTA_LOG=debug for all).
void setLogHandler(void (*fn)(void* user, int level, const char* utf8), void* user);

// FFmpeg's error text for an AVERROR value.
std::string avErrorText(int err);

} // namespace orv
