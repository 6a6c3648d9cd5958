// Info_*: several readers may run at once on different threads; each handle
// is used by one thread at a time.
#include "api/api_common.h"
#include "info/file_check.h"
#include "info/info_reader.h"
#include "orvalta.h"

#include <mutex>

using namespace orv;

namespace {

struct InfoObject
{
    std::mutex mutex; // a Release racing a getter waits for it
    InfoReader reader;
};

Registry<InfoObject>& infos()
{
    static Registry<InfoObject> r;
    return r;
}

template <class R, class F>
R withInfo(InfoHandle h, R fallback, F&& fn)
{
    return guarded(fallback, [&]() -> R {
        auto obj = infos().get(handleId(h));
        if (!obj)
            return fallback;
        std::lock_guard<std::mutex> lock(obj->mutex);
        return fn(obj->reader);
    });
}

} // namespace

extern "C" {

ORV_API InfoHandle Info_Create(int)
{
    return guarded<InfoHandle>(nullptr, [] {
        ensureEngineInit();
        return makeHandle<InfoHandle>(infos().add(std::make_shared<InfoObject>()));
    });
}

ORV_API int Info_Open(InfoHandle h, const char* path)
{
    std::string p = path ? path : "";
    return withInfo(h, 0, [&](InfoReader& r) { return yes(r.open(p) == 0); });
}

ORV_API int Info_Close(InfoHandle h)
{
    return withInfo(h, 0, [](InfoReader& r) {
        r.close();
        return 1;
    });
}

ORV_API int Info_Release(InfoHandle h)
{
    return guarded(0, [&] {
        auto obj = infos().take(handleId(h));
        if (!obj)
            return 0;
        std::lock_guard<std::mutex> lock(obj->mutex);
        obj->reader.close();
        return 1;
    });
}

ORV_API uint64_t Info_GetDuration(InfoHandle h)
{
    return withInfo(h, uint64_t(0), [](InfoReader& r) { return r.duration(); });
}

ORV_API const char* Info_GetFormatName(InfoHandle h)
{
    return withInfo(h, static_cast<const char*>(nullptr), [](InfoReader& r) { return r.formatName(); });
}

#define INFO_U32(Name, method)                                                                               \
    ORV_API uint32_t Info_##Name(InfoHandle h)                                                               \
    {                                                                                                        \
        return withInfo(h, uint32_t(0), [](InfoReader& r) { return r.isOpen() ? r.method() : 0u; });         \
    }

INFO_U32(GetVideoWidth, videoWidth)
INFO_U32(GetVideoHeight, videoHeight)
INFO_U32(GetVideoBitRate, videoBitRate)
INFO_U32(GetVideoFrameRate, videoFrameRate)
INFO_U32(GetAudioSampleRate, audioSampleRate)
INFO_U32(GetAudioChannels, audioChannels)
INFO_U32(GetAudioBitRate, audioBitRate)

ORV_API int Info_CanSeek(InfoHandle h)
{
    return withInfo(h, 0, [](InfoReader& r) { return yes(r.canSeek()); });
}

ORV_API unsigned char* Info_GetVideoImage(InfoHandle h, uint64_t timeUs, int accurate, int w, int hgt)
{
    return withInfo(h, static_cast<unsigned char*>(nullptr),
                    [&](InfoReader& r) { return r.videoImage(timeUs, accurate != 0, w, hgt); });
}

ORV_API int Info_GetProgrCount(InfoHandle h)
{
    return withInfo(h, 0, [](InfoReader& r) { return r.isOpen() ? r.programCount() : 0; });
}

ORV_API int Info_SetProgrIndex(InfoHandle h, int index)
{
    return withInfo(h, 0, [&](InfoReader& r) { return yes(r.setProgram(index)); });
}

ORV_API const char* Info_GetProgrName(InfoHandle h)
{
    return withInfo(h, static_cast<const char*>(nullptr), [](InfoReader& r) { return r.programName(); });
}

ORV_API int Info_GetVideoCount(InfoHandle h)
{
    return withInfo(h, 0, [](InfoReader& r) { return r.isOpen() ? r.videoCount() : 0; });
}

ORV_API int Info_GetAudioCount(InfoHandle h)
{
    return withInfo(h, 0, [](InfoReader& r) { return r.isOpen() ? r.audioCount() : 0; });
}

ORV_API int Info_GetSubtlCount(InfoHandle h)
{
    return withInfo(h, 0, [](InfoReader& r) { return r.isOpen() ? r.subtitleCount() : 0; });
}

ORV_API int Info_SetAudioIndex(InfoHandle h, int index)
{
    return withInfo(h, 0, [&](InfoReader& r) { return yes(r.setAudio(index)); });
}

ORV_API const char* Info_GetAudioTitle(InfoHandle h)
{
    return withInfo(h, static_cast<const char*>(nullptr), [](InfoReader& r) { return r.audioTitle(); });
}

ORV_API const char* Info_GetAudioLanguage(InfoHandle h)
{
    return withInfo(h, static_cast<const char*>(nullptr), [](InfoReader& r) { return r.audioLanguage(); });
}

ORV_API int Info_SetSubtlIndex(InfoHandle h, int index)
{
    return withInfo(h, 0, [&](InfoReader& r) { return yes(r.setSubtitle(index)); });
}

ORV_API const char* Info_GetSubtlTitle(InfoHandle h)
{
    return withInfo(h, static_cast<const char*>(nullptr), [](InfoReader& r) { return r.subtitleTitle(); });
}

ORV_API const char* Info_GetSubtlLanguage(InfoHandle h)
{
    return withInfo(h, static_cast<const char*>(nullptr), [](InfoReader& r) { return r.subtitleLanguage(); });
}

ORV_API int Info_EnableClosedCaption(InfoHandle h, int on)
{
    return withInfo(h, 0, [&](InfoReader& r) { return yes(r.enableClosedCaption(on != 0)); });
}

ORV_API int Info_CheckWatermarkPicture(const char* path, int maxSide, int* w, int* hgt)
{
    int width = 0, height = 0;
    const int result = guarded(int(ORV_FILE_UNUSABLE), [&] {
        ensureEngineInit();
        return path ? checkWatermarkPicture(path, maxSide, &width, &height) : int(ORV_FILE_UNREADABLE);
    });
    if (w)
        *w = width;
    if (hgt)
        *hgt = height;
    return result;
}

ORV_API int Info_CheckSubtitleFile(const char* path)
{
    return guarded(int(ORV_FILE_UNUSABLE), [&] {
        ensureEngineInit();
        return path ? checkSubtitleFile(path) : int(ORV_FILE_UNREADABLE);
    });
}

} // extern "C"
