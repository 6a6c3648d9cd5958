/*
 * Control side of orvalta_fake, the recording stand-in for the media engine.
 *
 * The fake exports every function of orvalta.h. Instead of media it has
 * facts a test sets per path, jobs that end after a scripted number of
 * polls, and a log of every call made to it, one line per call:
 *
 *   Config_SetWatermarkTextPosition(C1, 0.5, 0.25)
 *
 * Handles print as I#, C#, V#, M#, P# (Info, Config, conVerter, Merger,
 * Player), numbered per kind in creation order since the last reset(); 0
 * prints as 0 and a handle from before a reset as "stale". Colours print as
 * 0xAARRGGBB, doubles as %.6g, strings C-quoted (NULL as null), callbacks and
 * pointers (frame handles included) as fn/ptr.
 *
 * Players play the MediaFacts set for their path: no thread and no clock.
 * Play time moves only when a test moves it (setPlayTime, completePlayback)
 * or by a PlaybackScript's step per poll. Pictures are solid frames of the
 * media's pictureArgb, delivered on the caller's thread to the registered
 * handlers wherever the engine delivers one synchronously (ShowVideoFrame,
 * and Stop, Seek and FrameStep when not playing), and by deliverFrame(),
 * which stands in for the engine's own thread while playing.
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
    int error = ORV_OK; // the job ends with this error (its output removed)
    int openError = ORV_OK; // Converter_Open, Merger_Open or Merger_AddTask fails with it
    // Converter_GetConvertedDuration (or Merger_GetConvertedDuration of a
    // merge item) of a job that succeeded: the source ended early at this
    // time (µs); negative = the whole duration.
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

// How players behave on a path (or on every path). Polls are calls of
// Player_GetPlayTime or Player_IsCompleted while playing.
struct PlaybackScript
{
    // Play time added by each poll; reaching the duration completes playback.
    // 0: the time moves only through setPlayTime() and completePlayback().
    uint64_t stepUs = 0;
    // Format of delivered pictures: ORV_FRAME_YUV420P as stand-ins deliver,
    // or ORV_FRAME_BGRA as the real engine does.
    int frameFormat = ORV_FRAME_YUV420P;
    // Player_GetWatermarkText/ImageWidth/Height while a file with video is
    // open and the layer is set (a non-empty text or image path); else 0.0.
    double textBoxW = 0.25, textBoxH = 0.1;
    double imageBoxW = 0.1, imageBoxH = 0.1;
};

// What Info_CheckWatermarkPicture or Info_CheckSubtitleFile answers for a
// path (an ORV_FILE_* result, and a picture's size).
struct FileCheck
{
    int result = ORV_FILE_OK;
    int width = 0, height = 0;
};

enum class PlayState {
    Closed, // no file
    Stopped,
    Playing,
    Paused,
    Completed
};

struct PlayerRecord
{
    std::string path; // the open file, "" when none
    unsigned openW = 0, openH = 0; // OpenEx's size, 0 = the source's
    PlayState state = PlayState::Closed;
    uint64_t timeUs = 0; // what Player_GetPlayTime answers
    // Processing setters and SetAudioVolume: name without the "Player_"
    // prefix -> the last arguments as logged, e.g. "SetVideoCrop" ->
    // "0.1, 0, 0.8, 1". Kept across Open and Close, like the engine's.
    Settings settings;
    bool frameHandler = false, originalHandler = false; // registered now
    int processedFrames = 0, originalFrames = 0; // handler calls so far
    int captures = 0; // captures not yet freed
};

// Back to the initial state: no handles (numbering restarts), no media, no
// scripts or forced results, an empty log, files created, no log handler.
ORV_API void reset();

ORV_API std::vector<std::string> calls();
// Only the lines starting with prefix, e.g. "Config_" or "Converter_Open(".
ORV_API std::vector<std::string> calls(const std::string& prefix);
ORV_API void clearCalls();

ORV_API void setMedia(const std::string& path, const MediaFacts& facts);

// The script of every job, and of a job whose src or dst (for a merge item:
// whose src; for Merger_Open: whose dst) is path, which takes precedence.
ORV_API void setJobScript(const JobScript& script);
ORV_API void setJobScript(const std::string& path, const JobScript& script);

// Forces the result of a function on live handles; the call is logged and
// otherwise has no effect. Integer and time results only.
ORV_API void setResult(const std::string& function, long long value);
ORV_API void clearResult(const std::string& function);

// false: Open creates no output and Release deletes nothing.
ORV_API void setCreateFiles(bool create);

// The answer of the file checks for path. An unscripted file is judged at
// the file level as the engine judges it (missing or unreadable, not a
// regular file, over ORV_MAX_PICKED_FILE_BYTES) and then by its beginning
// alone: a picture by a PNG, JPEG, BMP or GIF header and the size it states,
// subtitles by a timed line of SubRip, SubStation, SAMI or MicroDVD text.
// A damaged body is found only when scripted.
ORV_API void setFileCheck(const std::string& path, const FileCheck& check);

ORV_API void setPlaybackScript(const PlaybackScript& script);
ORV_API void setPlaybackScript(const std::string& path, const PlaybackScript& script);

// A player's state; released players keep their record until reset().
ORV_API std::optional<PlayerRecord> player(const std::string& label);

// What the engine's own thread does to a live player with a file open.
// false for an unknown, released or closed player.
ORV_API bool setPlayTime(const std::string& label, uint64_t timeUs);
// IsCompleted becomes 1 and the play time the duration.
ORV_API bool completePlayback(const std::string& label);
// Delivers the current picture to the handlers on the calling thread (call
// it from another thread to act as the engine's); false when there is no
// picture (no file, or no video).
ORV_API bool deliverFrame(const std::string& label);

// While held, Player_Open and Player_OpenEx wait before they act, as on a
// slow file; opensWaiting() counts the calls waiting now.
ORV_API void holdOpens(bool hold);
ORV_API int opensWaiting();

// Sends a message through the handler set with Engine_SetLogHandler, or to
// stderr for errors and warnings when none is set.
ORV_API void emitLog(int level, const std::string& text);

// "C2" for a handle, "0" for 0, "stale" for one from before a reset.
ORV_API std::string label(const void* handle);

// Look-ups by label; released handles keep their records until reset().
ORV_API std::optional<Settings> config(const std::string& label);
ORV_API std::optional<ConverterRecord> converter(const std::string& label);
ORV_API std::optional<MergerRecord> merger(const std::string& label);

} // namespace orvfake

#endif // ORVALTA_FAKE_CONTROL_H
