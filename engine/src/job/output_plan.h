// Everything about the output that is decided before a job runs: muxer,
// encoders and every encoder parameter, after the fallbacks and limits.
#pragma once

#include "codec/codec_tables.h"
#include "settings/settings.h"

#include <string>

namespace orv {

class InputFile;

struct OutputPlan
{
    std::string path;
    const AVOutputFormat* muxer = nullptr;
    CodecChoice video, audio; // encoder nullptr: no such stream

    int width = 0, height = 0;
    AVRational fps{25, 1};
    AVPixelFormat pixFmt = AV_PIX_FMT_YUV420P;
    int videoKbps = 0;

    int sampleRate = 44100;
    int channels = 2;
    AVSampleFormat sampleFmt = AV_SAMPLE_FMT_FLTP;
    int audioKbps = 0;

    bool hasVideo() const { return video.encoder != nullptr; }
    bool hasAudio() const { return audio.encoder != nullptr; }
};

// The largest output picture: each side at most 4096, the area at most
// 4096x2304 (4K in either form). Above it one job's encoder and queues need
// gigabytes; at it, five jobs fit in 8 GB.
constexpr int kMaxOutputSide = 4096;
constexpr int64_t kMaxOutputArea = 4096 * 2304;
bool fitsSizeLimit(int w, int h);

// Pictures above 1080p in area are large: a job holding them queues fewer
// (see job/flight.h for the rest of what a job keeps in flight).
constexpr int64_t kLargePictureArea = 1920 * 1088;
// How many pictures of `pixels` (w×h) hold the pixels of `count` at 1080p:
// `count` up to 1080p, fewer of larger pictures, never under two (4K: a
// quarter).
int countForPicture(int count, int64_t pixels);

// Resolves muxer and codecs only (the merger knows no source at open).
int resolveContainer(const EncodeSettings& enc, const char* container, const std::string& dst,
                     OutputPlan& plan);

// What becomes of an output kind the source has no stream of.
enum class MissingKinds {
    Drop, // a conversion: the output has no such stream
    Keep // a merge: later items may have it; settings, else defaults, decide
};

// The picture of a merge whose settings leave the size to a first item
// without one, and the sound's rate and channels in the same case.
constexpr int kDefaultWidth = 1280, kDefaultHeight = 720;
constexpr int kDefaultSampleRate = 44100, kDefaultChannels = 2;

// Fills the parameters from the settings and the source's streams (-1 for
// none). 0 or an ORV_E_* code.
int resolveParameters(const EncodeSettings& enc, const InputFile& src, int videoStream, int audioStream,
                      OutputPlan& plan, MissingKinds missing = MissingKinds::Drop);

} // namespace orv
