// What stands behind a player handle in the fake, and the pictures it hands
// to frame handlers.
#ifndef ORVALTA_FAKE_PLAYER_H
#define ORVALTA_FAKE_PLAYER_H

#include "fake_objects.h"

#include <list>
#include <mutex>

namespace orvfake::detail {

// A solid picture as a FrameHandle points to it.
struct FakeFrame
{
    int format = ORV_FRAME_YUV420P;
    int width = 0, height = 0;
    int stride[3] = {0, 0, 0};
    std::vector<unsigned char> plane[3];

    FakeFrame(int format, int w, int h, uint32_t argb);
};

struct PlayerObj : Object
{
    // Held across every handler call, and by Close, Release and the handler
    // setters, so that no handler runs after they return. Taken before the
    // engine lock, never while holding it.
    std::mutex delivery;
    FrameHandler frameFn = nullptr, originalFn = nullptr; // guarded by delivery
    void *frameUser = nullptr, *originalUser = nullptr;

    PlayerRecord record;
    std::optional<MediaFacts> media;
    PlaybackScript script;
    bool textLayer = false, imageLayer = false;
    std::list<std::pair<PictureBlock, unsigned char*>> captures; // block, its address
};

} // namespace orvfake::detail

#endif // ORVALTA_FAKE_PLAYER_H
