#include "queue/FreeMemory.h"

// Any C library header defines __GLIBC__ when the library is glibc.
#include <cstdlib>

// Under AddressSanitizer the sanitizer's allocator serves every allocation
// and glibc's arenas are never set up: tuning or trimming them would crash.
#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
#define LV_GLIBC_ARENAS 1
#include <malloc.h>
#endif

#include <mutex>

namespace {
// Enough for five jobs to allocate side by side without waiting on one
// another (measured: no slower than one arena per thread), few enough that
// one trim after the run reaches what they freed.
constexpr int kArenas = 4;
// glibc's own starting value. Set explicitly, it stays: by default each
// freed mapping raises the threshold to its size (up to 32 MB), after which
// every picture buffer comes from an arena and stays there when freed, and
// a run of hundreds of jobs grew by hundreds of MB. Decoders, filters and
// encoders pool their pictures, so a run is no slower (measured); opening a
// decoder faults its buffers in anew, a few tens of ms a probed file.
constexpr int kOwnMappingBytes = 128 * 1024;
} // namespace

namespace FreeMemory {

void setUpAllocator()
{
#if defined(LV_GLIBC_ARENAS)
    static std::once_flag once;
    std::call_once(once, [] {
        mallopt(M_ARENA_MAX, kArenas);
        mallopt(M_MMAP_THRESHOLD, kOwnMappingBytes);
    });
#endif
}

void giveBack()
{
#if defined(LV_GLIBC_ARENAS)
    malloc_trim(0);
#endif
}

} // namespace FreeMemory
