#pragma once

// The one opener thread that every job against the engine works on, and its
// hand-back to the application's thread. Opening a job probes the source
// and sets up the encoders, which takes tens of milliseconds per 1080p
// clip; releasing one frees its encoders, which takes as long. Both run
// here, one piece of work at a time in the order handed over, so that the
// engine sees opens in queue order and a job is released after the work
// already handed over for it. Nothing here touches a widget.

#include <orvalta.h>

#include <functional>

struct MappingValues;

class Opener
{
public:
    // Runs `work` on the opener thread after the work handed over before it.
    static void run(std::function<void()> work);
    // Runs `work` on the opener thread, then `back` on the application's
    // thread through its event loop (never inside the caller).
    static void runThenHandBack(std::function<void()> work, std::function<void()> back);
    // Returns once every piece of work handed over has run.
    static void waitForDone();
    // Also delivers what that work handed back to the application's thread,
    // and waits for the work those hand-backs handed over in turn.
    static void waitForHandBacks();

    // An engine configuration made from one task's values; the caller
    // releases it (Config_Release).
    static Config configFor(const MappingValues& values);
};
