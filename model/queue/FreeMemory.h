#pragma once

// Returning memory to the system once work has ended. A run's encoder and
// decoder threads each allocate through their own allocator arena; what they
// free stays in those arenas, so a finished run of 50 small conversions kept
// hundreds of MB although the program used a few dozen. Nothing here touches
// a widget.
namespace FreeMemory {

// Bounds how many allocator arenas threads created from now on may use, so
// that freed memory collects where it can be handed back. Once per process;
// later calls do nothing.
void boundArenas();

// Hands the allocator's free memory back to the system. Takes a while on a
// large heap: call it off the GUI thread.
void giveBack();

} // namespace FreeMemory
