// What stands behind each kind of handle in the fake.
#ifndef ORVALTA_FAKE_OBJECTS_H
#define ORVALTA_FAKE_OBJECTS_H

#include "fake_state.h"
#include "picture_block.h"

namespace orvfake::detail {

struct ConfigObj : Object
{
    Settings settings;
};

struct InfoObj : Object
{
    std::optional<MediaFacts> media;
    Program view; // streams of the selected program (all of them for -1)
    int program = -1, audio = -1, subtitle = -1;
    PictureBlock picture;
};

// A job's scripted course: one step per poll while running.
class ScriptedRun
{
public:
    ScriptedRun() = default;
    ScriptedRun(const JobScript& script, uint64_t duration)
        : m_script(script)
        , m_duration(duration)
    {}

    void start(); // a job of 0 polls ends here
    void poll();
    bool completed() const { return m_completed; }
    int error() const { return m_completed ? m_script.error : ORV_OK; }
    uint64_t duration() const { return m_duration; }
    uint64_t time() const;
    const JobScript& script() const { return m_script; }

private:
    JobScript m_script;
    uint64_t m_duration = 0;
    int m_steps = 0;
    bool m_completed = false;
};

enum class JobState { Created, Opened, Running, Paused, Completed };

struct ConverterObj : Object
{
    JobState state = JobState::Created;
    ConverterRecord record;
    uint64_t sourceDuration = 0;
    JobScript script;
    ScriptedRun run;
    bool ownsFile = false;
};

struct MergerObj : Object
{
    bool opened = false, started = false, closed = false;
    MergerRecord record;
    bool ownsFile = false;
    bool wrote = false; // an item without an error was added, so Close has something to keep
    std::optional<ScriptedRun> item;
};

} // namespace orvfake::detail

#endif // ORVALTA_FAKE_OBJECTS_H
