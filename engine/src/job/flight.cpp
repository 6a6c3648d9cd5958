#include "job/flight.h"

#include "job/output_plan.h"

#include <algorithm>
#include <cstdio>
#include <mutex>

namespace orv {
namespace {

// Peak memory per pixel of the picture, measured with the ffmpeg tool on
// 3840×2160 (libx264 medium at a fixed rate), each figure varied alone:
// a look-ahead frame 3 bytes, an x264 frame thread 10, a decoder thread
// 3; the rest (x264's reference and coded frames, the decoder's picture
// buffer) 16 for the decoder and 40 for the encoder; 48 MB that do not
// grow with the picture (libraries, sound, muxer). A queued frame is a
// yuv420p picture, 1.5 bytes a pixel.
constexpr int64_t kFixedBytes = 48LL << 20;
constexpr double kDecoderBase = 16, kDecoderThread = 3;
constexpr double kEncoderBase = 40, kEncoderThread = 10, kLookaheadFrame = 3;
constexpr double kQueuedFrame = 1.5;
constexpr int kPresetLookahead = 40; // x264's medium
constexpr int kMaxAutoDecoderThreads = 16; // FFmpeg's cap on its own count

int autoDecoderThreads(int cores) { return std::min(cores + 1, kMaxAutoDecoderThreads); }
int autoEncoderThreads(int cores) { return std::max(1, cores * 3 / 2); }

// A thread count capped at `most`; 0 (the library's own) stays 0 while
// the library's own count is within the cap.
int capThreads(int threads, int own, int most)
{
    const int n = threads > 0 ? threads : own;
    return n <= most ? threads : most;
}

} // namespace

int64_t flightBudget(const FlightInput& in)
{
    if (in.availableBytes < 0)
        return INT64_MAX;
    const int64_t shared = in.availableBytes / std::max(1, in.jobs);
    const int64_t left = std::max<int64_t>(0, in.availableBytes - std::max<int64_t>(0, in.reservedBytes));
    return std::min(shared, left) / 4 * 3;
}

int64_t flightBytes(const FlightInput& in, const Flight& f)
{
    const int dec = f.decoderThreads > 0 ? f.decoderThreads : autoDecoderThreads(in.cores);
    const int enc = f.encoderThreads > 0 ? f.encoderThreads : autoEncoderThreads(in.cores);
    const int ahead = f.lookahead > 0 ? f.lookahead : kPresetLookahead;
    const double decoded =
        double(in.decodedPixels) * (kDecoderBase + kDecoderThread * dec + kQueuedFrame * f.decodedQueue);
    const double encoded = double(in.outputPixels)
        * (kEncoderBase + kEncoderThread * enc + kLookaheadFrame * ahead + kQueuedFrame * f.processedQueue);
    return kFixedBytes + int64_t(decoded + encoded);
}

Flight planFlight(const FlightInput& in)
{
    const int cores = std::max(1, in.cores);
    // the jobs' share of the cores: with several jobs, each encoder gets
    // max(2, cores / jobs) threads; alone, the encoder's own count
    const int share = in.jobs <= 1 ? 0 : std::max(2, cores / in.jobs);
    const int64_t budget = flightBudget(in);
    Flight f;
    for (int level = 0; level < kFlightLevels; ++level) {
        f = Flight{};
        f.level = level;
        f.decodedQueue = countForPicture(kDecodedQueue1080p, in.decodedPixels);
        f.processedQueue = countForPicture(kProcessedQueue1080p, in.outputPixels);
        f.encoderThreads = share;
        switch (level) {
        case 0: // the encoders' own defaults
            break;
        case 1: // half the look-ahead: 60 bytes a pixel less
            f.lookahead = 20;
            break;
        case 2: // and at most four frame threads of each
            f.lookahead = 20;
            f.encoderThreads = capThreads(share, autoEncoderThreads(cores), 4);
            f.decoderThreads = capThreads(0, autoDecoderThreads(cores), 4);
            break;
        default: // two of each, 10 ahead on the coding thread (about 1 GB at 4K)
            f.lookahead = 10;
            f.lookaheadOnCodingThread = true;
            f.encoderThreads = capThreads(share, autoEncoderThreads(cores), 2);
            f.decoderThreads = capThreads(0, autoDecoderThreads(cores), 2);
            break;
        }
        f.bytes = flightBytes(in, f);
        if (f.bytes <= budget)
            break;
    }
    return f;
}

int64_t availableMemoryBytes()
{
    FILE* file = std::fopen("/proc/meminfo", "r");
    if (!file)
        return -1;
    char line[256];
    int64_t kb = -1;
    while (std::fgets(line, sizeof line, file)) {
        long long v = 0;
        if (std::sscanf(line, "MemAvailable: %lld kB", &v) == 1) {
            kb = v;
            break;
        }
    }
    std::fclose(file);
    return kb < 0 ? -1 : kb * 1024;
}

namespace {
std::mutex g_reservedMutex;
int64_t g_reservedBytes = 0;
} // namespace

Flight FlightReservation::reserve(FlightInput in)
{
    std::lock_guard<std::mutex> lock(g_reservedMutex);
    g_reservedBytes -= m_bytes;
    in.reservedBytes = g_reservedBytes;
    const Flight f = planFlight(in);
    m_bytes = f.bytes;
    g_reservedBytes += m_bytes;
    return f;
}

void FlightReservation::release()
{
    std::lock_guard<std::mutex> lock(g_reservedMutex);
    g_reservedBytes -= m_bytes;
    m_bytes = 0;
}

} // namespace orv
