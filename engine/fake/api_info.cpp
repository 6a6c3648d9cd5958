#include "fake_objects.h"

#include <cmath>

using namespace orvfake::detail;

namespace {

// The streams behind a program index; -1 or out of range means all of them.
Program viewOf(const MediaFacts& media, int program)
{
    if (program >= 0 && program < static_cast<int>(media.programs.size()))
        return media.programs[program];
    Program all;
    all.videoCount = 0;
    all.audio.clear();
    for (const Program& p : media.programs) {
        all.videoCount += p.videoCount;
        all.audio.insert(all.audio.end(), p.audio.begin(), p.audio.end());
        all.subtitles.insert(all.subtitles.end(), p.subtitles.begin(), p.subtitles.end());
    }
    return all;
}

void select(InfoObj& info, int program)
{
    info.program = program;
    info.view = viewOf(*info.media, program);
    info.audio = info.view.audio.empty() ? -1 : 0;
    info.subtitle = -1;
}

bool hasVideo(const MediaFacts& media) { return factsHaveVideo(media); }

const char* textOrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

const Track* selected(const std::vector<Track>& tracks, int index)
{
    return index >= 0 && index < static_cast<int>(tracks.size()) ? &tracks[index] : nullptr;
}

// A getter of the open file's facts: 0 or NULL when nothing is open.
template <class R, class Get>
R fact(const char* function, InfoHandle h, Get&& get)
{
    Call call(function, h);
    return call.on<InfoObj>(h, R{},
                            [&](InfoObj& info) { return info.media ? R(get(info, *info.media)) : R{}; });
}

} // namespace

extern "C" {

ORV_API InfoHandle Info_Create(int reserved)
{
    Call call(__func__, reserved);
    return call.create<OrvInfo_>(std::make_shared<InfoObj>());
}

ORV_API int Info_Open(InfoHandle h, const char* path)
{
    Call call(__func__, h, path);
    return call.on<InfoObj>(h, 0, [&](InfoObj& info) {
        info.media.reset();
        info.picture.clear();
        const MediaFacts* media = mediaFor(path);
        if (!media)
            return 0;
        info.media = *media;
        select(info, -1);
        return 1;
    });
}

ORV_API int Info_Close(InfoHandle h)
{
    Call call(__func__, h);
    return call.on<InfoObj>(h, 0, [](InfoObj& info) {
        info.media.reset();
        info.picture.clear();
        return 1;
    });
}

ORV_API int Info_Release(InfoHandle h)
{
    Call call(__func__, h);
    return call.release<InfoObj>(h, [](InfoObj& info) {
        info.media.reset();
        info.picture.clear();
    });
}

ORV_API uint64_t Info_GetDuration(InfoHandle h)
{
    return fact<uint64_t>(__func__, h, [](InfoObj&, const MediaFacts& m) { return m.durationUs; });
}

ORV_API const char* Info_GetFormatName(InfoHandle h)
{
    return fact<const char*>(
        __func__, h, [](InfoObj& info, const MediaFacts&) { return textOrNull(info.media->formatName); });
}

ORV_API uint32_t Info_GetVideoWidth(InfoHandle h)
{
    return fact<uint32_t>(__func__, h,
                          [](InfoObj&, const MediaFacts& m) { return hasVideo(m) ? m.width : 0; });
}

ORV_API uint32_t Info_GetVideoHeight(InfoHandle h)
{
    return fact<uint32_t>(__func__, h,
                          [](InfoObj&, const MediaFacts& m) { return hasVideo(m) ? m.height : 0; });
}

ORV_API uint32_t Info_GetVideoBitRate(InfoHandle h)
{
    return fact<uint32_t>(__func__, h,
                          [](InfoObj&, const MediaFacts& m) { return hasVideo(m) ? m.videoBitRate : 0; });
}

ORV_API uint32_t Info_GetVideoFrameRate(InfoHandle h)
{
    return fact<uint32_t>(__func__, h, [](InfoObj&, const MediaFacts& m) -> uint32_t {
        if (!hasVideo(m) || !(m.frameRate > 0))
            return 0;
        // Fractional rates survive as fps*100000 when that is unambiguous and fits.
        const double scaled = std::round(m.frameRate * 100000.0);
        if (scaled > 100000.0 && scaled <= 4294967295.0)
            return static_cast<uint32_t>(scaled);
        return static_cast<uint32_t>(std::round(m.frameRate));
    });
}

ORV_API uint32_t Info_GetAudioSampleRate(InfoHandle h)
{
    return fact<uint32_t>(
        __func__, h, [](InfoObj& info, const MediaFacts& m) { return info.audio >= 0 ? m.sampleRate : 0; });
}

ORV_API uint32_t Info_GetAudioChannels(InfoHandle h)
{
    return fact<uint32_t>(
        __func__, h, [](InfoObj& info, const MediaFacts& m) { return info.audio >= 0 ? m.channels : 0; });
}

ORV_API uint32_t Info_GetAudioBitRate(InfoHandle h)
{
    return fact<uint32_t>(
        __func__, h, [](InfoObj& info, const MediaFacts& m) { return info.audio >= 0 ? m.audioBitRate : 0; });
}

ORV_API int Info_CanSeek(InfoHandle h)
{
    return fact<int>(__func__, h,
                     [](InfoObj&, const MediaFacts& m) { return m.canSeek && m.durationUs > 0; });
}

ORV_API unsigned char* Info_GetVideoImage(InfoHandle h, uint64_t timeUs, int accurate, int w, int hgt)
{
    Call call(__func__, h, timeUs, accurate, w, hgt);
    return call.on<InfoObj>(h, static_cast<unsigned char*>(nullptr), [&](InfoObj& info) -> unsigned char* {
        info.picture.clear();
        if (!info.media || !hasVideo(*info.media))
            return nullptr;
        const bool sourceSize = w <= 0 || hgt <= 0;
        return info.picture.fill(sourceSize ? static_cast<int>(info.media->width) : w,
                                 sourceSize ? static_cast<int>(info.media->height) : hgt,
                                 info.media->pictureArgb);
    });
}

ORV_API int Info_GetProgrCount(InfoHandle h)
{
    return fact<int>(__func__, h,
                     [](InfoObj&, const MediaFacts& m) { return static_cast<int>(m.programs.size()); });
}

ORV_API int Info_SetProgrIndex(InfoHandle h, int index)
{
    Call call(__func__, h, index);
    return call.on<InfoObj>(h, 0, [&](InfoObj& info) {
        if (!info.media || index < -1 || index >= static_cast<int>(info.media->programs.size()))
            return 0;
        select(info, index);
        return 1;
    });
}

ORV_API const char* Info_GetProgrName(InfoHandle h)
{
    return fact<const char*>(__func__, h, [](InfoObj& info, const MediaFacts&) {
        return info.program >= 0 ? textOrNull(info.view.name) : nullptr;
    });
}

ORV_API int Info_GetVideoCount(InfoHandle h)
{
    return fact<int>(__func__, h, [](InfoObj& info, const MediaFacts&) { return info.view.videoCount; });
}

ORV_API int Info_GetAudioCount(InfoHandle h)
{
    return fact<int>(__func__, h, [](InfoObj& info, const MediaFacts&) {
        return static_cast<int>(info.view.audio.size());
    });
}

ORV_API int Info_GetSubtlCount(InfoHandle h)
{
    return fact<int>(__func__, h, [](InfoObj& info, const MediaFacts&) {
        return static_cast<int>(info.view.subtitles.size());
    });
}

ORV_API int Info_SetAudioIndex(InfoHandle h, int index)
{
    Call call(__func__, h, index);
    return call.on<InfoObj>(h, 0, [&](InfoObj& info) {
        if (!info.media || !selected(info.view.audio, index))
            return 0;
        info.audio = index;
        return 1;
    });
}

ORV_API const char* Info_GetAudioTitle(InfoHandle h)
{
    return fact<const char*>(__func__, h, [](InfoObj& info, const MediaFacts&) {
        const Track* track = selected(info.view.audio, info.audio);
        return track ? textOrNull(track->title) : nullptr;
    });
}

ORV_API const char* Info_GetAudioLanguage(InfoHandle h)
{
    return fact<const char*>(__func__, h, [](InfoObj& info, const MediaFacts&) {
        const Track* track = selected(info.view.audio, info.audio);
        return track ? textOrNull(track->language) : nullptr;
    });
}

ORV_API int Info_SetSubtlIndex(InfoHandle h, int index)
{
    Call call(__func__, h, index);
    return call.on<InfoObj>(h, 0, [&](InfoObj& info) {
        // -1 is valid: it is how "no subtitle" is chosen.
        if (!info.media || (index != -1 && !selected(info.view.subtitles, index)))
            return 0;
        info.subtitle = index;
        return 1;
    });
}

ORV_API const char* Info_GetSubtlTitle(InfoHandle h)
{
    return fact<const char*>(__func__, h, [](InfoObj& info, const MediaFacts&) {
        const Track* track = selected(info.view.subtitles, info.subtitle);
        return track ? textOrNull(track->title) : nullptr;
    });
}

ORV_API const char* Info_GetSubtlLanguage(InfoHandle h)
{
    return fact<const char*>(__func__, h, [](InfoObj& info, const MediaFacts&) {
        const Track* track = selected(info.view.subtitles, info.subtitle);
        return track ? textOrNull(track->language) : nullptr;
    });
}

ORV_API int Info_EnableClosedCaption(InfoHandle h, int on)
{
    Call call(__func__, h, on);
    return call.on<InfoObj>(h, 0, [&](InfoObj& info) {
        if (!info.media)
            return 0;
        return on ? (info.media->closedCaptions ? 1 : 0) : 1;
    });
}

} // extern "C"
