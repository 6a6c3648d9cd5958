// Shared plumbing of the C entry points: registry lookup, the catch-all that
// turns any exception into a 0 result, and exact 1/0 answers.
#pragma once

#include "core/log.h"
#include "core/registry.h"

#include <exception>

namespace orv {

template <class R, class F>
R guarded(R fallback, F&& body) noexcept
{
    try {
        return body();
    } catch (const std::exception& e) {
        logf(LogError, "internal error: %s", e.what());
    } catch (...) {
        logf(LogError, "internal error");
    }
    return fallback;
}

inline int yes(bool b) { return b ? 1 : 0; }

} // namespace orv
