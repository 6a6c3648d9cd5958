/*
 * Control side of orvalta_fake, the recording stand-in for the media engine.
 *
 * The fake exports every function of orvalta.h. Instead of media it has
 * facts a test sets per path, jobs that end after a scripted number of
 * polls, and a log of every call made to it, one line per call:
 *
 *   Config_SetWatermarkTextPosition(C1, 0.5, 0.25)
 *
 * Handles print as I#, C#, V#, M# (Info, Config, conVerter, Merger), numbered
 * per kind in creation order since the last reset(); 0 prints as 0 and a
 * handle from before a reset as "stale". Colours print as 0xAARRGGBB, doubles
 * as %.6g, strings C-quoted (NULL as null), callbacks and pointers as fn/ptr.
 */
#ifndef ORVALTA_FAKE_CONTROL_H
#define ORVALTA_FAKE_CONTROL_H

#include "orvalta.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orvfake {

// Empty strings come back from the getters as NULL.
struct Track
{
    std::string title, language;
};

struct Program
{
    std::string name;
    int videoCount = 1;
    std::vector<Track> audio{Track{}};
    std::vector<Track> subtitles;
};

// What Info reports for a path. The defaults describe a small clip with one
// video and one audio stream; set programs[0].videoCount = 0 for audio only.
struct MediaFacts
{
    uint64_t durationUs = 2000000;
    std::string formatName = "mov";
    uint32_t width = 320, height = 240;
    double frameRate = 25.0; // fps; Info_GetVideoFrameRate encodes it as the engine does
    uint32_t videoBitRate = 1000000;
    uint32_t sampleRate = 48000, channels = 2, audioBitRate = 128000;
    bool canSeek = true;
    bool closedCaptions = false;
    uint32_t pictureArgb = 0xFF808080; // fill of the Info_GetVideoImage picture
    std::vector<Program> programs{Program{}};
};

// How a conversion, or one merge item, runs once started. Polls are calls of
// IsCompleted or GetConvertTime while running; progress rises linearly with
// them and the job ends on the polls-th one (at Start for 0, never if < 0).
struct JobScript
{
    int polls = 3;
    int error = ORV_OK;     // the job ends with this error (its output removed)
    int openError = ORV_OK; // Converter_Open, Merger_Open or Merger_AddTask fails with it
    // Converter_GetConvertedDuration of a job that succeeded: the source
    // ended early at this time (µs); negative = the whole duration.
    int64_t endsEarlyUs = -1;
};

// A Config's values: setter name without the family prefix -> the last
// arguments as logged, e.g. "SetVideoSize" -> "640, 480".
using Settings = std::map<std::string, std::string>;

struct ConverterRecord
{
    std::string src, dst;
    std::optional<std::string> container;
    Settings config;
    uint64_t beginUs = 0, lengthUs = 0;
};

struct MergeItem
{
    std::string src;
    uint64_t beginUs = 0, lengthUs = 0;
    Settings config;
};

struct MergerRecord
{
    std::string dst;
    std::optional<std::string> container;
    Settings output;
    std::vector<MergeItem> items; // successful AddTask calls, in order
    bool closed = false;
};

// Back to the initial state: no handles (numbering restarts), no media, no
// scripts or forced results, an empty log, files created, no log handler.
ORV_API void reset();

ORV_API std::vector<std::string> calls();
// Only the lines starting with prefix, e.g. "Config_" or "Converter_Open(".
ORV_API std::vector<std::string> calls(const std::string &prefix);
ORV_API void clearCalls();

ORV_API void setMedia(const std::string &path, const MediaFacts &facts);

// The script of every job, and of a job whose src or dst (for a merge item:
// whose src; for Merger_Open: whose dst) is path, which takes precedence.
ORV_API void setJobScript(const JobScript &script);
ORV_API void setJobScript(const std::string &path, const JobScript &script);

// Forces the result of a function on live handles; the call is logged and
// otherwise has no effect. Integer and time results only.
ORV_API void setResult(const std::string &function, long long value);
ORV_API void clearResult(const std::string &function);

// false: Open creates no output and Release deletes nothing.
ORV_API void setCreateFiles(bool create);

// Sends a message through the handler set with Engine_SetLogHandler, or to
// stderr for errors and warnings when none is set.
ORV_API void emitLog(int level, const std::string &text);

// "C2" for a handle, "0" for 0, "stale" for one from before a reset.
ORV_API std::string label(const void *handle);

// Look-ups by label; released handles keep their records until reset().
ORV_API std::optional<Settings> config(const std::string &label);
ORV_API std::optional<ConverterRecord> converter(const std::string &label);
ORV_API std::optional<MergerRecord> merger(const std::string &label);

} // namespace orvfake

#endif // ORVALTA_FAKE_CONTROL_H
