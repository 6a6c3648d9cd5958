// Times conversions through the public API, for comparison with the ffmpeg
// command-line tool at equal encoder settings (see run.sh).
//
//   orvalta_bench SRC DST [-f container] [-v videoId] [-a audioId]
//                 [-s WxH] [-vb kbps] [-ab kbps] [-j copies] [-sub file]
//
// With -j N, N converters run at once into DST with ".N" before the
// extension. -sub burns a subtitle file in. Prints the wall time and this process's peak RSS.
#include "orvalta.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <sys/resource.h>

namespace {

int usage()
{
    std::fprintf(stderr,
                 "usage: orvalta_bench SRC DST [-f container] [-v id] [-a id] [-s WxH] [-vb kbps] "
                 "[-ab kbps] [-j copies] [-sub file]\n");
    return 2;
}

std::string numbered(const std::string& dst, int i, int n)
{
    if (n == 1)
        return dst;
    const size_t dot = dst.find_last_of('.');
    const std::string tag = "." + std::to_string(i);
    return dot == std::string::npos ? dst + tag : dst.substr(0, dot) + tag + dst.substr(dot);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return usage();
    const std::string src = argv[1], dst = argv[2];
    const char* container = nullptr;
    std::string subFile;
    int vid = 28, aid = 86018, w = 0, h = 0, vkbps = 0, akbps = 0, copies = 1;
    for (int i = 3; i + 1 < argc; i += 2) {
        const std::string opt = argv[i];
        const char* val = argv[i + 1];
        if (opt == "-f")
            container = val;
        else if (opt == "-v")
            vid = std::atoi(val);
        else if (opt == "-a")
            aid = std::atoi(val);
        else if (opt == "-s")
            std::sscanf(val, "%dx%d", &w, &h);
        else if (opt == "-vb")
            vkbps = std::atoi(val);
        else if (opt == "-ab")
            akbps = std::atoi(val);
        else if (opt == "-j")
            copies = std::max(1, std::atoi(val));
        else if (opt == "-sub")
            subFile = val;
        else
            return usage();
    }

    Config cfg = Config_Create();
    Config_SetVideoFormat(cfg, vid);
    Config_SetAudioFormat(cfg, aid);
    Config_SetVideoSize(cfg, w, h);
    Config_SetVideoBitRate(cfg, vkbps);
    Config_SetAudioBitRate(cfg, akbps);
    if (!subFile.empty())
        Config_SetSubtlFile(cfg, subFile.c_str());

    const auto t0 = std::chrono::steady_clock::now();
    std::vector<ConverterHandle> jobs;
    for (int i = 0; i < copies; ++i) {
        const std::string out = numbered(dst, i, copies);
        std::remove(out.c_str());
        ConverterHandle c = Converter_Create(-1);
        if (!Converter_Open(c, src.c_str(), out.c_str(), container, cfg)) {
            std::fprintf(stderr, "open failed: %s\n", Engine_GetErrorText(Converter_GetError(c)));
            return 1;
        }
        jobs.push_back(c);
    }
    Config_Release(cfg);
    for (ConverterHandle c : jobs)
        Converter_Start(c);
    int failures = 0;
    for (ConverterHandle c : jobs) {
        while (!Converter_IsCompleted(c))
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (Converter_GetError(c)) {
            std::fprintf(stderr, "job failed: %s\n", Engine_GetErrorText(Converter_GetError(c)));
            ++failures;
        }
        Converter_Release(c);
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    rusage ru;
    getrusage(RUSAGE_SELF, &ru);
    std::printf("wall %.3f s\nmaxrss %ld kB\n", wall, ru.ru_maxrss);
    return failures ? 1 : 0;
}
