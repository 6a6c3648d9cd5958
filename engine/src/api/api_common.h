// Shared plumbing of the C entry points: registry lookup, the catch-all that
// turns any exception into a 0 result, and exact 1/0 answers.
#pragma once

#include "core/log.h"
#include "core/registry.h"

#include <exception>
#include <memory>

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

// Runs fn on the object behind a handle; an exception thrown on the way
// also marks the object's error as ORV_E_INTERNAL before the catch-all.
template <class T, class R, class F>
R withObject(const std::shared_ptr<T>& object, R fallback, F&& fn)
{
    if (!object)
        return fallback;
    try {
        return fn(*object);
    } catch (...) {
        object->setInternalError();
        throw;
    }
}

} // namespace orv
