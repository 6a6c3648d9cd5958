#include "fake_objects.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace orvfake::detail {

State& state()
{
    static State instance;
    return instance;
}

uint64_t addHandle(Kind kind, std::shared_ptr<Object> object)
{
    State& s = state();
    const uint64_t id = s.nextId++;
    s.handles[id] = Slot{kind, ++s.ordinals[kind], std::move(object)};
    return id;
}

std::string labelOf(Kind kind, uint64_t id)
{
    if (id == 0)
        return "0";
    auto it = state().handles.find(id);
    if (it == state().handles.end() || it->second.kind != kind)
        return "stale";
    return static_cast<char>(kind) + std::to_string(it->second.ordinal);
}

std::shared_ptr<Object> findObject(Kind kind, uint64_t id, bool liveOnly)
{
    auto it = state().handles.find(id);
    if (it == state().handles.end() || it->second.kind != kind || (liveOnly && !it->second.live))
        return nullptr;
    return it->second.object;
}

const MediaFacts* mediaFor(const char* path)
{
    if (!path)
        return nullptr;
    auto it = state().media.find(path);
    return it == state().media.end() ? nullptr : &it->second;
}

JobScript scriptFor(const char* path, const char* other)
{
    for (const char* key : {path, other}) {
        if (!key)
            continue;
        auto it = state().scripts.find(key);
        if (it != state().scripts.end())
            return it->second;
    }
    return state().defaultScript;
}

PlaybackScript playbackFor(const char* path)
{
    if (path) {
        auto it = state().playbacks.find(path);
        if (it != state().playbacks.end())
            return it->second;
    }
    return state().defaultPlayback;
}

bool factsHaveVideo(const MediaFacts& media)
{
    if (media.width == 0 || media.height == 0)
        return false;
    for (const Program& p : media.programs)
        if (p.videoCount > 0)
            return true;
    return false;
}

std::shared_ptr<Object> objectByLabel(Kind kind, const std::string& label, bool liveOnly)
{
    for (auto& entry : state().handles) {
        const Slot& slot = entry.second;
        if (slot.kind == kind && (slot.live || !liveOnly) && labelOf(kind, entry.first) == label)
            return slot.object;
    }
    return nullptr;
}

bool createExclusive(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

void removeFile(const std::string& path) { std::remove(path.c_str()); }

uint64_t splitLength(uint64_t duration, uint64_t begin, uint64_t length)
{
    if (begin >= duration)
        return 0;
    const uint64_t rest = duration - begin;
    return length == 0 || length > rest ? rest : length;
}

void ScriptedRun::start()
{
    if (m_script.polls == 0)
        m_completed = true;
}

void ScriptedRun::poll()
{
    if (m_completed || m_script.polls < 0)
        return;
    if (m_steps + 1 >= m_script.polls)
        m_completed = true;
    // A failing job stops where it was: its last poll brings no progress.
    if (!m_completed || m_script.error == ORV_OK)
        ++m_steps;
}

uint64_t ScriptedRun::time() const
{
    if (m_script.polls <= 0)
        return m_completed && m_script.error == ORV_OK ? m_duration : 0;
    const uint64_t n = static_cast<uint64_t>(m_script.polls), k = static_cast<uint64_t>(m_steps);
    // Split so that long durations cannot overflow.
    return m_duration / n * k + m_duration % n * k / n;
}

} // namespace orvfake::detail

// ---- Control --------------------------------------------------------------

namespace orvfake {

using namespace detail;

namespace {

std::unique_lock<std::mutex> lock() { return std::unique_lock<std::mutex>(state().mutex); }

template <class T>
std::shared_ptr<T> byLabel(Kind kind, const std::string& label)
{
    return std::static_pointer_cast<T>(objectByLabel(kind, label, false));
}

} // namespace

void reset()
{
    auto guard = lock();
    State& s = state();
    s.calls.clear();
    s.handles.clear();
    s.ordinals.clear();
    s.media.clear();
    s.defaultScript = JobScript{};
    s.scripts.clear();
    s.results.clear();
    s.createFiles = true;
    s.defaultPlayback = PlaybackScript{};
    s.playbacks.clear();
    s.fileChecks.clear();
    s.logHandler = nullptr;
    s.logUser = nullptr;
}

std::vector<std::string> calls()
{
    auto guard = lock();
    return state().calls;
}

std::vector<std::string> calls(const std::string& prefix)
{
    auto guard = lock();
    std::vector<std::string> matching;
    for (const std::string& line : state().calls)
        if (line.compare(0, prefix.size(), prefix) == 0)
            matching.push_back(line);
    return matching;
}

void clearCalls()
{
    auto guard = lock();
    state().calls.clear();
}

void setMedia(const std::string& path, const MediaFacts& facts)
{
    auto guard = lock();
    state().media[path] = facts;
}

void setJobScript(const JobScript& script)
{
    auto guard = lock();
    state().defaultScript = script;
}

void setFileCheck(const std::string& path, const FileCheck& check)
{
    auto guard = lock();
    state().fileChecks[path] = check;
}

void setJobScript(const std::string& path, const JobScript& script)
{
    auto guard = lock();
    state().scripts[path] = script;
}

void setResult(const std::string& function, long long value)
{
    auto guard = lock();
    state().results[function] = value;
}

void clearResult(const std::string& function)
{
    auto guard = lock();
    state().results.erase(function);
}

void setCreateFiles(bool create)
{
    auto guard = lock();
    state().createFiles = create;
}

void emitLog(int level, const std::string& text)
{
    auto guard = lock();
    auto handler = state().logHandler;
    void* user = state().logUser;
    guard.unlock(); // the handler may call back into the engine
    if (handler)
        handler(user, level, text.c_str());
    else if (level <= 1)
        std::fprintf(stderr, "orvalta: %s\n", text.c_str());
}

std::string label(const void* handle)
{
    auto guard = lock();
    const uint64_t id = reinterpret_cast<uintptr_t>(handle);
    auto it = state().handles.find(id);
    if (id == 0 || it == state().handles.end())
        return id == 0 ? "0" : "stale";
    return labelOf(it->second.kind, id);
}

std::optional<Settings> config(const std::string& label)
{
    auto guard = lock();
    if (auto object = byLabel<ConfigObj>(Kind::Config, label))
        return object->settings;
    return std::nullopt;
}

std::optional<ConverterRecord> converter(const std::string& label)
{
    auto guard = lock();
    if (auto object = byLabel<ConverterObj>(Kind::Converter, label))
        return object->record;
    return std::nullopt;
}

std::optional<MergerRecord> merger(const std::string& label)
{
    auto guard = lock();
    if (auto object = byLabel<MergerObj>(Kind::Merger, label))
        return object->record;
    return std::nullopt;
}

} // namespace orvfake
