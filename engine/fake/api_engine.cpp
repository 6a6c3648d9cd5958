#include "fake_state.h"

using namespace orvfake::detail;

extern "C" {

ORV_API const char* Engine_GetErrorText(int code)
{
    Call call(__func__, code);
    static const char* const texts[] = {
        "no error",
        "the source is missing, damaged or of an unknown format",
        "there is no stream to write",
        "the container is unknown or takes none of the streams",
        "the output file exists or cannot be created",
        "no encoder is available, or it failed to open",
        "the watermark image cannot be decoded",
        "the subtitle file cannot be read",
        "the source cannot be decoded",
        "the output cannot be written",
        "the call is not valid in this state",
        "internal error",
        "the output picture is too large (at most 4096x2304)",
        "the source may not be read",
    };
    if (code < 0 || code >= static_cast<int>(sizeof texts / sizeof texts[0]))
        return "unknown error";
    return texts[code];
}

ORV_API void Engine_SetLogHandler(void (*fn)(void* user, int level, const char* utf8), void* user)
{
    Call call(__func__, FnArg{fn != nullptr}, PtrArg{user != nullptr});
    state().logHandler = fn;
    state().logUser = fn ? user : nullptr;
}

} // extern "C"
