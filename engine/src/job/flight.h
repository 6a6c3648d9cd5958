// How many frames a job keeps in flight (decoder threads, frame queues,
// x264's frame threads and look-ahead), chosen from the jobs running and
// the memory the machine has when the job opens. One large job on a
// machine with memory to spare gets the encoders' own defaults (what the
// ffmpeg tool runs with); several, or a small machine, step down a ladder
// of levels until the job's estimated peak fits its share.
#pragma once

#include <cstdint>

namespace orv {

struct FlightInput
{
    int64_t decodedPixels = 0; // w×h of the decoded pictures, 0 without video
    int64_t outputPixels = 0; // w×h of the encoded pictures, 0 without video
    int jobs = 1; // jobs running, this one included
    int cores = 1;
    int64_t availableBytes = -1; // the machine's MemAvailable, -1 unknown
    int64_t reservedBytes = 0; // what the other running jobs were planned to hold
};

struct Flight
{
    int level = 0; // 0: the encoders' own defaults … kFlightLevels - 1: the least
    int decoderThreads = 0; // 0: FFmpeg's own count (a thread a core, and one)
    int decodedQueue = 12; // frames between decoder and processing (a merge's first item)
    int processedQueue = 6; // frames between processing and encoder
    int encoderThreads = 0; // 0: the encoder's own (x264: 1.5 a core)
    int lookahead = 0; // x264 rc-lookahead, 0: the preset's (40 for medium)
    bool lookaheadOnCodingThread = false; // x264 sync-lookahead=0
    int64_t bytes = 0; // the job's estimated peak at this level
};

constexpr int kFlightLevels = 4;
// The queues hold as many pictures as these at 1080p (4K: 3 and 2).
constexpr int kDecodedQueue1080p = 12, kProcessedQueue1080p = 6;

// The job's budget: three quarters of the available memory, shared evenly
// by the jobs running and no more than what the others left unreserved.
// Unknown memory gets the defaults.
int64_t flightBudget(const FlightInput& in);
// The estimated peak of a job flying `f`, from measured costs per pixel.
int64_t flightBytes(const FlightInput& in, const Flight& f);
// The highest level whose estimate fits the budget, else the lowest.
Flight planFlight(const FlightInput& in);

// MemAvailable from /proc/meminfo in bytes, -1 when unknown.
int64_t availableMemoryBytes();

// The process's running jobs' planned peaks, so that jobs opened one after
// another do not each count on the same free memory.
class FlightReservation
{
public:
    FlightReservation() = default;
    ~FlightReservation() { release(); }
    FlightReservation(const FlightReservation&) = delete;
    FlightReservation& operator=(const FlightReservation&) = delete;

    // Plans the job with what the other jobs reserved and reserves its
    // estimate (replacing any earlier reservation of this job).
    Flight reserve(FlightInput in);
    void release();

private:
    int64_t m_bytes = 0;
};

} // namespace orv
