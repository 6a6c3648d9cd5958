#include "FreeMemory.h"

// Any C library header defines __GLIBC__ when the library is glibc.
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <mutex>

namespace {
// Enough for five jobs to allocate side by side without waiting on one
// another (measured: no slower than one arena per thread), few enough that
// one trim after the run reaches what they freed.
constexpr int kArenas = 4;
} // namespace

namespace FreeMemory {

void boundArenas()
{
#if defined(__GLIBC__)
    static std::once_flag once;
    std::call_once(once, [] { mallopt(M_ARENA_MAX, kArenas); });
#endif
}

void giveBack()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace FreeMemory
