// The engine's own log lines in the application's logging scheme: one
// category, "lumivane.engine", with warnings and errors on by default and
// the rest off (QT_LOGGING_RULES="lumivane.engine.debug=true" shows all).
#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcEngine)

namespace EngineLog {

// Routes every engine log line into lcEngine from now on (the engine
// otherwise prints its warnings to stderr).
void install();

// The handler install() gives the engine: level 0 error, 1 warning,
// 2 information, 3 debug; any thread.
void line(void* user, int level, const char* utf8);

} // namespace EngineLog
