// Frame_*: reading the picture a frame handler was given.
#include "orvalta.h"
#include "player/frame_delivery.h"

using namespace orv;

namespace {

template <class R, class F>
R read(FrameHandle frame, R none, F&& get)
{
    const DeliveredFrame* f = DeliveredFrame::from(frame);
    return f ? get(*f) : none;
}

} // namespace

extern "C" {

ORV_API int Frame_GetVideoFormat(FrameHandle frame)
{
    return read(frame, 0, [](const DeliveredFrame&) { return int(ORV_FRAME_BGRA); });
}

ORV_API int Frame_GetVideoWidth(FrameHandle frame)
{
    return read(frame, 0, [](const DeliveredFrame& f) { return f.width; });
}

ORV_API int Frame_GetVideoHeight(FrameHandle frame)
{
    return read(frame, 0, [](const DeliveredFrame& f) { return f.height; });
}

ORV_API int Frame_GetVideoStride0(FrameHandle frame)
{
    return read(frame, 0, [](const DeliveredFrame& f) { return f.stride; });
}

// One packed plane: planes 1 and 2 do not exist.
ORV_API int Frame_GetVideoStride1(FrameHandle) { return 0; }
ORV_API int Frame_GetVideoStride2(FrameHandle) { return 0; }

ORV_API unsigned char* Frame_GetVideoData0(FrameHandle frame)
{
    return read(frame, static_cast<unsigned char*>(nullptr), [](const DeliveredFrame& f) { return f.data; });
}

ORV_API unsigned char* Frame_GetVideoData1(FrameHandle) { return nullptr; }
ORV_API unsigned char* Frame_GetVideoData2(FrameHandle) { return nullptr; }

} // extern "C"
