// Internal state of the fake engine: the handle registry, the scripts and
// the call log, all behind one mutex, and the Call object every entry point
// starts with.
#ifndef ORVALTA_FAKE_STATE_H
#define ORVALTA_FAKE_STATE_H

#include "call_format.h"
#include "orvalta_fake_control.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

namespace orvfake::detail {

using orvfake::ConverterRecord;
using orvfake::JobScript;
using orvfake::MediaFacts;
using orvfake::MergeItem;
using orvfake::MergerRecord;
using orvfake::PlaybackScript;
using orvfake::PlayerRecord;
using orvfake::PlayState;
using orvfake::Program;
using orvfake::Settings;
using orvfake::Track;

struct Object
{
    virtual ~Object() = default;
    int error = ORV_OK;
};

struct Slot
{
    Kind kind;
    int ordinal;
    std::shared_ptr<Object> object;
    bool live = true; // released handles keep their slot so they still print and can be inspected
};

struct State
{
    std::mutex mutex;
    std::vector<std::string> calls;

    uint64_t nextId = 1; // never reset, so a handle from before reset() stays stale
    std::map<uint64_t, Slot> handles;
    std::map<Kind, int> ordinals;

    std::map<std::string, MediaFacts> media;
    JobScript defaultScript;
    std::map<std::string, JobScript> scripts;
    std::map<std::string, long long> results;
    bool createFiles = true;
    PlaybackScript defaultPlayback;
    std::map<std::string, PlaybackScript> playbacks;
    std::set<const void*> liveFrames; // frames inside a handler call, for Frame_*
    std::map<std::string, orvfake::FileCheck> fileChecks;

    void (*logHandler)(void*, int, const char*) = nullptr;
    void* logUser = nullptr;
};

State& state();

// Registry and scripts; callers hold state().mutex.
uint64_t addHandle(Kind kind, std::shared_ptr<Object> object);
std::string labelOf(Kind kind, uint64_t id);
std::shared_ptr<Object> findObject(Kind kind, uint64_t id, bool liveOnly);
const MediaFacts* mediaFor(const char* path);
JobScript scriptFor(const char* path, const char* other = nullptr);
PlaybackScript playbackFor(const char* path);
// A file has video when it has a picture size and a program with video.
bool factsHaveVideo(const MediaFacts& media);
// The live object behind a label of this kind, or none.
std::shared_ptr<Object> objectByLabel(Kind kind, const std::string& label, bool liveOnly);

template <class H>
uint64_t idOf(H* handle)
{
    return reinterpret_cast<uintptr_t>(handle);
}
template <class H>
H* handleOf(uint64_t id)
{
    return reinterpret_cast<H*>(static_cast<uintptr_t>(id));
}

template <class H>
void put(std::string& out, H* handle)
{
    out += labelOf(HandleKind<H>::kind, idOf(handle));
}

inline void appendArgs(std::string&) {}
template <class A, class... More>
void appendArgs(std::string& out, const A& arg, const More&... more)
{
    put(out, arg);
    if constexpr (sizeof...(more) > 0) {
        out += ", ";
        appendArgs(out, more...);
    }
}

// One entry point's call: holds the engine lock for the whole call, so the
// log order is the execution order, and logs the line on construction.
class Call
{
public:
    template <class... A>
    explicit Call(const char* function, const A&... args)
        : m_lock(state().mutex)
        , m_function(function)
    {
        try {
            appendArgs(m_args, args...);
            state().calls.push_back(m_function + "(" + m_args + ")");
        } catch (...) {
        }
    }

    const std::string& function() const { return m_function; }

    // Lets go of the engine lock early: before a frame handler runs, since
    // the handler calls Frame_* from the same thread.
    void unlock() { m_lock.unlock(); }
    const std::string& args() const { return m_args; }

    // Runs body on the live object behind handle. 0, a released or a stale
    // handle gives none; a forced result replaces the call's effect; an
    // exception gives none with ORV_E_INTERNAL.
    template <class T, class H, class R, class Body>
    R on(H* handle, R none, Body&& body)
    {
        auto object = std::static_pointer_cast<T>(findObject(HandleKind<H>::kind, idOf(handle), true));
        if (!object)
            return none;
        if constexpr (std::is_arithmetic_v<R>) {
            auto forced = state().results.find(m_function);
            if (forced != state().results.end())
                return static_cast<R>(forced->second);
        }
        try {
            return body(*object);
        } catch (...) {
            object->error = ORV_E_INTERNAL;
            return none;
        }
    }

    // Registers a new object; creation results are never forced.
    template <class H>
    H* create(std::shared_ptr<Object> object)
    {
        try {
            return handleOf<H>(addHandle(HandleKind<H>::kind, std::move(object)));
        } catch (...) {
            return nullptr;
        }
    }

    // Release: the handle goes stale, its record stays for inspection.
    template <class T, class H, class Body>
    int release(H* handle, Body&& body)
    {
        return on<T>(handle, 0, [&](T& object) {
            body(object);
            state().handles[idOf(handle)].live = false;
            return 1;
        });
    }

private:
    std::unique_lock<std::mutex> m_lock;
    std::string m_function;
    std::string m_args;
};

// Output files the fake creates and removes, as the engine does.
bool createExclusive(const std::string& path);
void removeFile(const std::string& path);

// [begin, begin+length) within a source of this duration; length 0 or past
// the end means to the end.
uint64_t splitLength(uint64_t duration, uint64_t begin, uint64_t length);

} // namespace orvfake::detail

#endif // ORVALTA_FAKE_STATE_H
