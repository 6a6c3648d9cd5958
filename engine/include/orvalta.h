/*
 * orvalta: Lumivane's media engine.
 *
 * A C interface over FFmpeg's libraries and libass: probe files, convert one
 * source into one output with every processing option, and merge several
 * sources into one output. See engine/README.md for where things live.
 *
 * Conventions
 *  - Handles are opaque. Every function given 0 or a released handle does
 *    nothing and returns 0, 0.0 or NULL.
 *  - Yes/no and success results are exactly 1 or 0.
 *  - Times are microseconds (uint64_t) from the file's first timestamp.
 *  - Colours are 0xAARRGGBB. Positions are fractions of the output frame,
 *    scales are percent, bit rates are kbit/s going in and bit/s coming out.
 *  - Strings are UTF-8 and copied at the call. Returned strings belong to
 *    the handle until its next Open, selection change, Close or Release.
 */
#ifndef ORVALTA_H
#define ORVALTA_H

#include <stdint.h>

#if defined(ORVALTA_BUILD)
#define ORV_API __attribute__((visibility("default")))
#else
#define ORV_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct OrvInfo_* InfoHandle;
typedef struct OrvConfig_* Config;
typedef struct OrvConverter_* ConverterHandle;
typedef struct OrvMerger_* MergerHandle;

/* Error codes of Converter_GetError / Merger_GetError. */
enum {
    ORV_OK = 0,
    ORV_E_INPUT = 1,      /* source missing, unreadable or of unknown format */
    ORV_E_NOSTREAM = 2,   /* no output stream, or the merger wrote nothing */
    ORV_E_CONTAINER = 3,  /* unknown container, or it takes none of the streams */
    ORV_E_OUTPUT = 4,     /* dst exists or cannot be created */
    ORV_E_ENCODER = 5,    /* no encoder left, or it fails to open */
    ORV_E_WATERMARK = 6,  /* the watermark image does not decode */
    ORV_E_SUBTITLE = 7,   /* the external subtitle file fails */
    ORV_E_DECODE = 8,     /* demux I/O error, or a selected stream yields no frame */
    ORV_E_WRITE = 9,      /* write or mux failure */
    ORV_E_STATE = 10,     /* call not valid in this state */
    ORV_E_INTERNAL = 11,  /* out of memory or unexpected */
    ORV_E_SIZE = 12       /* the output picture is larger than 4096x2304 */
};

/* ---- Engine-wide ------------------------------------------------------ */

ORV_API const char* Engine_GetErrorText(int code);
/* level: 0 error, 1 warning, 2 info, 3 debug. NULL restores the default
 * handler (warnings and errors to stderr; ORVALTA_LOG=debug for all). */
ORV_API void Engine_SetLogHandler(void (*fn)(void* user, int level, const char* utf8), void* user);

/* ---- File information ------------------------------------------------- */

ORV_API InfoHandle Info_Create(int reserved);
ORV_API int Info_Open(InfoHandle h, const char* path);
ORV_API int Info_Close(InfoHandle h);
ORV_API int Info_Release(InfoHandle h);
ORV_API uint64_t Info_GetDuration(InfoHandle h);
ORV_API const char* Info_GetFormatName(InfoHandle h);
ORV_API uint32_t Info_GetVideoWidth(InfoHandle h);
ORV_API uint32_t Info_GetVideoHeight(InfoHandle h);
ORV_API uint32_t Info_GetVideoBitRate(InfoHandle h);
/* round(fps*100000) when that exceeds 100000 and fits, else round(fps). */
ORV_API uint32_t Info_GetVideoFrameRate(InfoHandle h);
ORV_API uint32_t Info_GetAudioSampleRate(InfoHandle h);
ORV_API uint32_t Info_GetAudioChannels(InfoHandle h);
ORV_API uint32_t Info_GetAudioBitRate(InfoHandle h);
ORV_API int Info_CanSeek(InfoHandle h);
/* A 54-byte BMP header (height negative: top-down) followed by w*h pixels
 * B,G,R,255. w = h = 0 gives the source size. Owned by the handle. */
ORV_API unsigned char* Info_GetVideoImage(InfoHandle h, uint64_t timeUs, int accurate, int w, int hgt);
ORV_API int Info_GetProgrCount(InfoHandle h);
ORV_API int Info_SetProgrIndex(InfoHandle h, int index);
ORV_API const char* Info_GetProgrName(InfoHandle h);
ORV_API int Info_GetVideoCount(InfoHandle h);
ORV_API int Info_GetAudioCount(InfoHandle h);
ORV_API int Info_GetSubtlCount(InfoHandle h);
ORV_API int Info_SetAudioIndex(InfoHandle h, int index);
ORV_API const char* Info_GetAudioTitle(InfoHandle h);
ORV_API const char* Info_GetAudioLanguage(InfoHandle h);
ORV_API int Info_SetSubtlIndex(InfoHandle h, int index);
ORV_API const char* Info_GetSubtlTitle(InfoHandle h);
ORV_API const char* Info_GetSubtlLanguage(InfoHandle h);
ORV_API int Info_EnableClosedCaption(InfoHandle h, int on);

/* ---- Conversion configuration ---------------------------------------- */

ORV_API Config Config_Create(void);
ORV_API int Config_Release(Config c);

ORV_API int Config_SetVideoFormat(Config c, int codecId);
ORV_API int Config_SetVideoSize(Config c, int w, int h);
ORV_API int Config_SetVideoBitRate(Config c, int kbps);
ORV_API int Config_SetVideoFrameRateFlag(Config c, int flag);
ORV_API int Config_SetVideoFrameRate(Config c, unsigned num, unsigned den);
ORV_API int Config_SetAudioFormat(Config c, int codecId);
ORV_API int Config_SetAudioChannels(Config c, int channels);
ORV_API int Config_SetAudioSampleRate(Config c, int hz);
ORV_API int Config_SetAudioBitRate(Config c, int kbps);
ORV_API int Config_SetAudioVolume(Config c, int percent);
ORV_API int Config_SetVideoAspectRatio(Config c, int aw, int ah);
ORV_API int Config_SetVideoRotate(Config c, int degrees);
ORV_API int Config_SetVideoMirror(Config c, int mirror);
ORV_API int Config_SetVideoPadAndColor(Config c, int pad, uint32_t argb);
ORV_API int Config_SetVideoCropf(Config c, double x, double y, double w, double h);
ORV_API int Config_SetProgrIndex(Config c, int index);
ORV_API int Config_SetAudioIndex(Config c, int index);
ORV_API int Config_SetSubtlIndex(Config c, int index);
ORV_API int Config_EnableClosedCaption(Config c, int on);
ORV_API int Config_SetSubtlFile(Config c, const char* path);
ORV_API int Config_SetSubtlAlpha(Config c, int alpha);
ORV_API int Config_SetSubtlScale(Config c, int sx, int sy);
ORV_API int Config_SetSubtlDelay(Config c, int64_t us);
ORV_API int Config_SetSubtlTextFont(Config c, const char* family);
ORV_API int Config_SetSubtlTextBold(Config c, int on);
ORV_API int Config_SetSubtlTextItalic(Config c, int on);
ORV_API int Config_SetSubtlTextUnderline(Config c, int on);
ORV_API int Config_SetSubtlTextStrikeout(Config c, int on);
ORV_API int Config_SetSubtlTextSize(Config c, int pt);
ORV_API int Config_SetSubtlTextColor(Config c, uint32_t argb);
ORV_API int Config_SetSubtlTextShadowColor(Config c, uint32_t argb);
ORV_API int Config_SetSubtlTextOutlineColor(Config c, uint32_t argb);
ORV_API int Config_SetSubtlTextShadowOffset(Config c, double px);
ORV_API int Config_SetSubtlTextOutlineSize(Config c, double px);
ORV_API int Config_SetWatermarkText(Config c, const char* text);
ORV_API int Config_SetWatermarkTextFont(Config c, const char* family);
ORV_API int Config_SetWatermarkTextAlpha(Config c, int alpha);
ORV_API int Config_SetWatermarkTextScale(Config c, int sx, int sy);
ORV_API int Config_SetWatermarkTextSize(Config c, int pt);
ORV_API int Config_SetWatermarkTextBold(Config c, int on);
ORV_API int Config_SetWatermarkTextItalic(Config c, int on);
ORV_API int Config_SetWatermarkTextUnderline(Config c, int on);
ORV_API int Config_SetWatermarkTextStrikeout(Config c, int on);
ORV_API int Config_SetWatermarkTextColor(Config c, uint32_t argb);
ORV_API int Config_SetWatermarkTextShadowColor(Config c, uint32_t argb);
ORV_API int Config_SetWatermarkTextOutlineColor(Config c, uint32_t argb);
ORV_API int Config_SetWatermarkTextShadowOffset(Config c, double px);
ORV_API int Config_SetWatermarkTextOutlineSize(Config c, double px);
ORV_API int Config_SetWatermarkTextPosition(Config c, double x, double y);
ORV_API int Config_SetWatermarkTextLayerTopmost(Config c, int topmost);
ORV_API int Config_SetWatermarkImageFile(Config c, const char* path);
ORV_API int Config_SetWatermarkImageAlpha(Config c, int alpha);
ORV_API int Config_SetWatermarkImageScale(Config c, int sx, int sy);
ORV_API int Config_SetWatermarkImagePosition(Config c, double x, double y);

/* ---- Converter -------------------------------------------------------- */

ORV_API ConverterHandle Converter_Create(int reserved);
/* Synchronous: probes src, resolves muxer and encoders, creates dst with
 * O_EXCL. container NULL = guess from dst's extension. */
ORV_API int Converter_Open(ConverterHandle h, const char* src, const char* dst, const char* container, Config c);
ORV_API int Converter_SetSplitTime(ConverterHandle h, uint64_t beginUs, uint64_t lengthUs);
ORV_API int Converter_Start(ConverterHandle h);
ORV_API int Converter_Pause(ConverterHandle h);
ORV_API int Converter_IsCompleted(ConverterHandle h);
ORV_API uint64_t Converter_GetDuration(ConverterHandle h);
ORV_API uint64_t Converter_GetConvertTime(ConverterHandle h);
/* Once completed without error: how much of the source the output holds,
 * in microseconds. Equal to Converter_GetDuration unless the source ended
 * early (a damaged or truncated file yields less than it declares): what
 * could be read is converted and this is its length. 0 before completion
 * and after a failure. */
ORV_API uint64_t Converter_GetConvertedDuration(ConverterHandle h);
/* Any state, any thread; an output that did not complete is deleted. */
ORV_API int Converter_Release(ConverterHandle h);
ORV_API int Converter_GetError(ConverterHandle h);

/* ---- Merger ----------------------------------------------------------- */

ORV_API MergerHandle Merger_Create(int reserved);
ORV_API int Merger_Open(MergerHandle h, const char* dst, const char* container, Config output);
ORV_API int Merger_Start(MergerHandle h);
ORV_API int Merger_AddTask(MergerHandle h, const char* src, uint64_t beginUs, uint64_t lengthUs, Config item);
ORV_API int Merger_IsCompleted(MergerHandle h);
ORV_API uint64_t Merger_GetDuration(MergerHandle h);
ORV_API uint64_t Merger_GetConvertTime(MergerHandle h);
ORV_API int Merger_Close(MergerHandle h);
ORV_API int Merger_Release(MergerHandle h);
ORV_API int Merger_GetError(MergerHandle h);

#ifdef __cplusplus
}
#endif

#endif /* ORVALTA_H */
