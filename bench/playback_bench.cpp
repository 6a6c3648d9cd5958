// Times playback through the public API (see run.sh playback):
//
//   orvalta_playbench CLIP [seek-times-file]
//
// 1. Plays CLIP to the end with a handler that copies every picture, and
//    prints pictures delivered, dropped (expected - delivered), the share
//    delivered within half an interval of its slot, and the CPU seconds.
// 2. With a file of times (µs, one a line): for each, Seek while paused
//    (which processes and delivers the picture synchronously), and prints
//    the median time.
// 3. The hidden editor's cycle (Create, OpenEx, Play, Close, Release) 50
//    times: mean time, and threads and descriptors before and after.
#include "orvalta.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

#include <dirent.h>
#include <sys/resource.h>

namespace {

using Clock = std::chrono::steady_clock;

struct Copier
{
    std::mutex mutex;
    std::vector<unsigned char> buffer;
    std::vector<Clock::time_point> times;

    static int handler(void* user, FrameHandle f)
    {
        auto* c = static_cast<Copier*>(user);
        const int h = Frame_GetVideoHeight(f), stride = Frame_GetVideoStride0(f);
        std::lock_guard<std::mutex> lock(c->mutex);
        c->buffer.resize(size_t(h) * size_t(stride));
        std::memcpy(c->buffer.data(), Frame_GetVideoData0(f), c->buffer.size());
        c->times.push_back(Clock::now());
        return 0;
    }
};

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec)
        + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

int entries(const char* dir)
{
    int n = 0;
    if (DIR* d = opendir(dir)) {
        while (dirent* e = readdir(d))
            n += e->d_name[0] != '.';
        closedir(d);
    }
    return n;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: orvalta_playbench CLIP [seek-times-file]\n");
        return 2;
    }
    const char* clip = argv[1];

    // 1. real-time playback
    Copier copier;
    PlayerHandle p = Player_Create(27);
    Player_SetVideoFrameHandle(p, &Copier::handler, &copier);
    if (!Player_Open(p, clip)) {
        std::fprintf(stderr, "cannot open %s\n", clip);
        return 1;
    }
    const double duration = double(Player_GetDuration(p)) / 1e6;
    const double cpu0 = cpuSeconds();
    const Clock::time_point start = Clock::now();
    Player_Play(p);
    while (!Player_IsCompleted(p))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const double wall = ms(Clock::now() - start) / 1000.0;
    const double cpu = cpuSeconds() - cpu0;
    int onTime = 0;
    const int expected = int(std::lround(duration * 25.0));
    {
        std::lock_guard<std::mutex> lock(copier.mutex);
        // slots of 40 ms from the first picture; on time = within 20 ms of one
        std::vector<bool> taken(size_t(expected) + 2, false);
        for (const Clock::time_point& t : copier.times) {
            const double at = ms(t - copier.times.front());
            const long slot = std::lround(at / 40.0);
            if (slot >= 0 && size_t(slot) < taken.size() && !taken[size_t(slot)]
                && std::fabs(at - slot * 40.0) <= 20.0) {
                taken[size_t(slot)] = true;
                ++onTime;
            }
        }
    }
    const int delivered = int(copier.times.size());
    std::printf("playback: %.2f s of clip in %.2f s, %d pictures delivered, %d dropped, %.1f %% on schedule, "
                "%.2f CPU s\n",
                duration, wall, delivered, std::max(0, expected - delivered),
                100.0 * onTime / std::max(1, expected), cpu);

    // 2. accurate seeks while paused
    if (argc > 2) {
        std::ifstream in(argv[2]);
        std::vector<double> times;
        for (unsigned long long t; in >> t;) {
            const Clock::time_point s = Clock::now();
            Player_Seek(p, t);
            times.push_back(ms(Clock::now() - s));
        }
        std::sort(times.begin(), times.end());
        if (!times.empty())
            std::printf("seek + picture: median %.1f ms over %zu\n", times[times.size() / 2], times.size());
    }
    Player_Release(p);

    // 3. the hidden editor's cycle
    auto cycle = [&] {
        PlayerHandle e = Player_Create(-1);
        Player_OpenEx(e, clip, 640, 360, 0, 0);
        Player_Play(e);
        Player_Close(e);
        Player_Release(e);
    };
    cycle();
    const int threads = entries("/proc/self/task"), fds = entries("/proc/self/fd");
    const Clock::time_point c0 = Clock::now();
    for (int i = 0; i < 50; ++i)
        cycle();
    std::printf("hidden editor cycle: %.1f ms; threads %d -> %d, descriptors %d -> %d\n",
                ms(Clock::now() - c0) / 50, threads, entries("/proc/self/task"), fds,
                entries("/proc/self/fd"));
    return 0;
}
