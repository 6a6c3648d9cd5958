#include "EngineLog.h"

#include "orvalta.h"

Q_LOGGING_CATEGORY(lcEngine, "lumivane.engine", QtWarningMsg)

namespace EngineLog {

void install() { Engine_SetLogHandler(&line, nullptr); }

void line(void*, int level, const char* utf8)
{
    const QString text = QString::fromUtf8(utf8 ? utf8 : "");
    switch (level) {
    case 0:
        qCCritical(lcEngine).noquote() << text;
        break;
    case 1:
        qCWarning(lcEngine).noquote() << text;
        break;
    case 2:
        qCInfo(lcEngine).noquote() << text;
        break;
    default:
        qCDebug(lcEngine).noquote() << text;
        break;
    }
}

} // namespace EngineLog
