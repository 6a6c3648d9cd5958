// Handles are ids from one never-reused counter; a registry per handle kind
// maps them to shared objects, held by the caller for the length of a call,
// so a stale or released handle simply finds nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace orv {

uint64_t nextHandleId();

template <class T>
class Registry
{
public:
    uint64_t add(std::shared_ptr<T> object)
    {
        const uint64_t id = nextHandleId();
        std::lock_guard<std::mutex> lock(m_mutex);
        m_objects.emplace(id, std::move(object));
        return id;
    }

    std::shared_ptr<T> get(uint64_t id)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_objects.find(id);
        return it == m_objects.end() ? nullptr : it->second;
    }

    std::shared_ptr<T> take(uint64_t id)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_objects.find(id);
        if (it == m_objects.end())
            return nullptr;
        auto object = std::move(it->second);
        m_objects.erase(it);
        return object;
    }

private:
    std::mutex m_mutex;
    std::unordered_map<uint64_t, std::shared_ptr<T>> m_objects;
};

template <class Handle>
inline uint64_t handleId(Handle h)
{
    return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(h));
}

template <class Handle>
inline Handle makeHandle(uint64_t id)
{
    return reinterpret_cast<Handle>(static_cast<uintptr_t>(id));
}

} // namespace orv
