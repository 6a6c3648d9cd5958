// Engine-wide entry points: error texts and the log handler.
#include "api/api_common.h"
#include "core/errors.h"
#include "orvalta.h"

using namespace orv;

extern "C" {

ORV_API const char* Engine_GetErrorText(int code) { return errorText(code); }

ORV_API void Engine_SetLogHandler(void (*fn)(void* user, int level, const char* utf8), void* user)
{
    guarded(0, [&] {
        setLogHandler(fn, user);
        return 0;
    });
}

} // extern "C"
