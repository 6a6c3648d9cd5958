// Helpers shared by the fake converter and merger.
#ifndef ORVALTA_FAKE_JOBS_H
#define ORVALTA_FAKE_JOBS_H

#include "fake_objects.h"

namespace orvfake::detail {

// Open and AddTask copy the configuration, so the caller may release it at once.
inline Settings settingsOf(Config c)
{
    auto config = std::static_pointer_cast<ConfigObj>(findObject(Kind::Config, idOf(c), true));
    return config ? config->settings : Settings{};
}

inline std::optional<std::string> optionalText(const char* text)
{
    return text ? std::optional<std::string>(text) : std::nullopt;
}

// Creates dst as the engine does (O_CREAT|O_EXCL) unless files are off;
// false when it exists or cannot be created.
inline bool createOutput(const char* dst, bool& owns)
{
    owns = false;
    if (!state().createFiles)
        return true;
    if (!createExclusive(dst))
        return false;
    owns = true;
    return true;
}

} // namespace orvfake::detail

#endif // ORVALTA_FAKE_JOBS_H
