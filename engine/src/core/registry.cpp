#include "core/registry.h"

#include <atomic>

namespace orv {

uint64_t nextHandleId()
{
    static std::atomic<uint64_t> counter{0};
    return ++counter;
}

} // namespace orv
