#pragma once

// One conversion job against the engine, apart from the row that shows it:
// what its open needs, the open itself on the one opener thread, its
// release there, and what a poll of the running job tells. Nothing here
// touches a widget.

#include <orvalta.h>

#include <QByteArray>

#include <cstdint>
#include <functional>

namespace ConvertJob {

// What the opener thread needs for one open and what it hands back.
struct Opening
{
    QByteArray source;
    QByteArray target;
    QByteArray container;
    bool hasContainer = false;
    uint64_t begin = 0;
    uint64_t length = 0; // 0: to the source's end
    Config config = nullptr;
    ConverterHandle converter = nullptr;
    bool opened = false;
    int error = 0;
    bool released = false;
};

// Opening a job probes the source and sets up the encoders, which takes
// tens of milliseconds per 1080p clip: it runs off the GUI thread, one
// piece of work at a time, so that the engine sees the opens in queue order
// and ended jobs are released after them.
void onOpener(std::function<void()> work);
// Returns once every piece of work handed to the opener thread has run.
void waitForOpener();

// On the opener thread: creates the converter and opens the job.
void open(Opening& job);
// Releases what an open that nobody took over holds; once.
void release(Opening& job);
// Releases an ended job's converter on the opener thread.
void releaseLater(ConverterHandle converter);

// A job that is open: start (or resume) and pause, each true when the
// engine took it; its error; its release now.
bool start(ConverterHandle converter);
bool pause(ConverterHandle converter);
int error(ConverterHandle converter);
void releaseNow(ConverterHandle converter);

// What one poll of a running job tells.
struct Poll
{
    bool ended = false;
    int error = 0; // the engine's error once ended, else 0
    float percent = 0.0f; // 0 to 100; 0 while the length is unknown
    uint64_t wholeUs = 0; // once ended: the length the job was to write
    uint64_t convertedUs = 0; // once ended: the length written
    // Ended without an error, but short of its length.
    bool endedEarly() const { return ended && error == 0 && convertedUs < wholeUs; }
};
Poll poll(ConverterHandle converter);

// The merge run's job: one merger writes every item into one output. An
// item is added as a job of its own (same trim and configuration rules).
// Creates and opens the merger; on failure `merger` holds what was created
// (or null) for the error and the release.
bool openMerge(MergerHandle& merger, const QByteArray& target, const QByteArray* container, Config config);
bool startMerge(MergerHandle merger);
bool addToMerge(MergerHandle merger, const QByteArray& source, uint64_t begin, uint64_t length,
                Config config);
int mergeError(MergerHandle merger);
// The item being merged, polled like a job (no early-end facts).
Poll pollMerge(MergerHandle merger);
// Closes (when `close`) and releases the merger.
void releaseMerge(MergerHandle merger, bool close);

} // namespace ConvertJob
