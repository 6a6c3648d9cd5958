#pragma once

// Returning memory to the system as work ends. Conversions allocate picture
// buffers of hundreds of kilobytes to megabytes on many threads; left to its
// defaults the allocator keeps such buffers in its arenas once freed, so a
// run of hundreds of small conversions grew by a gigabyte although only five
// ran at a time. Nothing here touches a widget.
namespace FreeMemory {

// Sets the allocator up for conversions: a bounded number of arenas, so that
// freed memory collects where it can be handed back, and large blocks each
// in a mapping of their own, handed back the moment they are freed. Once per
// process, before the threads that convert start; later calls do nothing.
void setUpAllocator();

// Hands the allocator's free memory back to the system. Takes a while on a
// large heap: call it off the GUI thread.
void giveBack();

} // namespace FreeMemory
