/*
 * orvalta: Lumivane's media engine.
 *
 * A C interface over FFmpeg's libraries, libass and SDL2: probe files,
 * convert one source into one output with every processing option, merge
 * several sources into one output, and play a file with the same processing
 * applied live. See engine/README.md for where things live.
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
typedef struct OrvPlayer_* PlayerHandle;
/* One delivered picture, valid only during the FrameHandler call. */
typedef void* FrameHandle;
/* Called for each picture a player delivers; the result is ignored. Runs on
 * the player's own thread while playing, and on the caller's thread inside
 * Player_ShowVideoFrame, and inside Seek, FrameStep and Stop when not
 * playing. A handler must not call Player_* functions. */
typedef int (*FrameHandler)(void* user, FrameHandle frame);

/* Frame_GetVideoFormat results. */
enum {
    ORV_FRAME_YUV420P = 0, /* three planes, chroma at half width and height */
    ORV_FRAME_BGRA = 30 /* one plane of B,G,R,A bytes (A = 255) */
};

/* Error codes of Converter_GetError / Merger_GetError. */
enum {
    ORV_OK = 0,
    ORV_E_INPUT = 1, /* source missing, not a regular file, damaged or of unknown format */
    ORV_E_NOSTREAM = 2, /* no output stream, or the merger wrote nothing */
    ORV_E_CONTAINER = 3, /* unknown container, or it takes none of the streams */
    ORV_E_OUTPUT = 4, /* dst exists or cannot be created */
    ORV_E_ENCODER = 5, /* no encoder left, or it fails to open */
    ORV_E_WATERMARK = 6, /* the watermark image does not decode */
    ORV_E_SUBTITLE = 7, /* the external subtitle file fails */
    ORV_E_DECODE = 8, /* demux I/O error, or a selected stream yields no frame */
    ORV_E_WRITE = 9, /* write or mux failure */
    ORV_E_STATE = 10, /* call not valid in this state */
    ORV_E_INTERNAL = 11, /* out of memory or unexpected */
    ORV_E_SIZE = 12, /* the output picture is larger than 4096x2304 */
    ORV_E_ACCESS = 13 /* the source may not be read (no read permission) */
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
/* The source picture's own size (square pixels, auto-rotated): odd sides
 * stay odd. An output at the source's size is rounded by the converter. */
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

/* ---- Checks of a picked file ------------------------------------------ */
/*
 * A watermark picture or subtitle file judged by the very loading a
 * conversion or a player does, so a file these accept never fails a job
 * with ORV_E_WATERMARK or ORV_E_SUBTITLE, and a file they refuse would.
 * A folder, FIFO or device is refused by its status, never opened. Any
 * thread; they read and decode the whole file, so not on a GUI thread.
 */

/* Results of Info_CheckWatermarkPicture and Info_CheckSubtitleFile. */
enum {
    ORV_FILE_OK = 0,
    ORV_FILE_UNREADABLE = 1, /* missing, or it cannot be opened or read */
    ORV_FILE_NOT_REGULAR = 2, /* a folder, a FIFO or a device */
    ORV_FILE_TOO_MANY_BYTES = 3, /* larger than ORV_MAX_PICKED_FILE_BYTES */
    ORV_FILE_PICTURE_TOO_LARGE = 4, /* wider or taller than the maxSide asked */
    ORV_FILE_UNUSABLE = 5 /* not a kind the engine reads, damaged, or holding no subtitle */
};

/* The most a watermark picture or a subtitle file may hold (64 MB). */
enum { ORV_MAX_PICKED_FILE_BYTES = 64 << 20 };

/* A PNG, JPEG, BMP or GIF (its first picture) that decodes whole. maxSide
 * > 0 refuses a picture with a larger side from its header, before it is
 * decoded. *w and *hgt (either may be NULL) receive the picture's size
 * when known, else 0. NULL path: ORV_FILE_UNREADABLE. */
ORV_API int Info_CheckWatermarkPicture(const char* path, int maxSide, int* w, int* hgt);
/* A subtitle file FFmpeg reads, holding at least one subtitle. */
ORV_API int Info_CheckSubtitleFile(const char* path);

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
ORV_API int Converter_Open(ConverterHandle h, const char* src, const char* dst, const char* container,
                           Config c);
ORV_API int Converter_SetSplitTime(ConverterHandle h, uint64_t beginUs, uint64_t lengthUs);
ORV_API int Converter_Start(ConverterHandle h);
ORV_API int Converter_Pause(ConverterHandle h);
ORV_API int Converter_IsCompleted(ConverterHandle h);
ORV_API uint64_t Converter_GetDuration(ConverterHandle h);
ORV_API uint64_t Converter_GetConvertTime(ConverterHandle h);
/* Once completed without error: how much of the source the output holds,
 * in microseconds. Equal to Converter_GetDuration unless the source ended
 * early (a damaged or truncated file yields less than it declares): what
 * could be read is converted and this is the length written. An output at
 * most two frames short counts as whole. 0 before completion and after a
 * failure. The duration is the longest the source declares: its
 * container's estimate, its streams' durations and frame counts. */
ORV_API uint64_t Converter_GetConvertedDuration(ConverterHandle h);
/* Any state, any thread; an output that did not complete is deleted. */
ORV_API int Converter_Release(ConverterHandle h);
ORV_API int Converter_GetError(ConverterHandle h);

/* ---- Merger ----------------------------------------------------------- */

/*
 * Items one after another into one output. The output's streams are those
 * its Config names at Merger_Open: video unless the video format is -1, and
 * audio unless the audio format is -1, whatever the items hold. The first
 * item settles what that Config leaves at 0 (size, frame rate, sample rate,
 * channels) from its own streams, or from 1280x720, 25 fps, 44.1 kHz
 * stereo where it has none. Every item lasts its length (its split length,
 * else its duration less its begin), or less when its source ends early:
 * an item without pictures gives black at the output size, one without
 * sound gives silence, as does an item whose own Config sets that format
 * to -1. Of an item's Config the processing and stream choices count, not
 * its codecs, size or rates. An item that fails while it is written keeps
 * what it wrote, both streams brought to the same end, so the items after
 * it stay in step; when nothing else was written before it, the output
 * starts again with the next item, which then settles the zeros.
 */
ORV_API MergerHandle Merger_Create(int reserved);
ORV_API int Merger_Open(MergerHandle h, const char* dst, const char* container, Config output);
ORV_API int Merger_Start(MergerHandle h);
ORV_API int Merger_AddTask(MergerHandle h, const char* src, uint64_t beginUs, uint64_t lengthUs, Config item);
ORV_API int Merger_IsCompleted(MergerHandle h);
ORV_API uint64_t Merger_GetDuration(MergerHandle h);
ORV_API uint64_t Merger_GetConvertTime(MergerHandle h);
/* Once the current item completed without error: how much of it the output
 * holds, in microseconds, as Converter_GetConvertedDuration tells of a
 * conversion. An item whose source ends early (damaged or truncated) holds
 * what could be read, and the next item follows straight on. 0 before the
 * item completes and after it failed. */
ORV_API uint64_t Merger_GetConvertedDuration(MergerHandle h);
ORV_API int Merger_Close(MergerHandle h);
ORV_API int Merger_Release(MergerHandle h);
ORV_API int Merger_GetError(MergerHandle h);

/* ---- Player ----------------------------------------------------------- */
/*
 * Playback with the conversion's processing applied live: the same crop,
 * aspect, rotation, mirror, pad, watermarks and subtitles, so the picture a
 * handler receives is the picture a conversion with equal settings writes.
 *
 * Processing settings belong to the player, not to the file: they are kept
 * with no file open and across Open, Stop and Close. Setters clamp and
 * answer 1, like Config_Set*; the new settings apply from the next picture
 * (and at once on Player_ShowVideoFrame).
 */

/* Cheap: no thread, no device until a file plays. */
ORV_API PlayerHandle Player_Create(int reserved);
/* = Player_OpenEx(h, path, 0, 0, 0, 0). */
ORV_API int Player_Open(PlayerHandle h, const char* path);
/* Closes any current file, opens path and decodes its first picture as the
 * current one without delivering it; stopped at 0. Processed pictures are
 * w x hgt (a 0 takes the source's value). */
ORV_API int Player_OpenEx(PlayerHandle h, const char* path, unsigned w, unsigned hgt, int reserved1,
                          int reserved2);
/* Stops playback and frees the file; no handler call arrives after it
 * returns. The settings stay. */
ORV_API int Player_Close(PlayerHandle h);
/* Close, free the captures, free the handle. */
ORV_API int Player_Release(PlayerHandle h);
/* Plays from the current position, or resumes; a completed player starts
 * again from 0. 0 without a file. */
ORV_API int Player_Play(PlayerHandle h);
ORV_API int Player_Pause(PlayerHandle h);
/* Rewinds to 0, delivers the first picture and clears IsCompleted. */
ORV_API int Player_Stop(PlayerHandle h);
/* 1 once playback has reached the end of every stream it plays. */
ORV_API int Player_IsCompleted(PlayerHandle h);
ORV_API uint64_t Player_GetDuration(PlayerHandle h);
/* The time of the picture shown (audio only: the clock); the duration once
 * completed. */
ORV_API uint64_t Player_GetPlayTime(PlayerHandle h);
/* Lands on the first picture at or after timeUs, never before; at or past
 * the last picture, on that picture with the time = the duration. Delivers
 * it at once when not playing. */
ORV_API int Player_Seek(PlayerHandle h, uint64_t timeUs);
/* Pauses, then shows the next (+1) or the previous (-1) picture and
 * delivers it; 0 at either end. */
ORV_API int Player_FrameStep(PlayerHandle h, int direction);
/* Cover art is not video. */
ORV_API int Player_HasVideo(PlayerHandle h);
ORV_API int Player_HasAudio(PlayerHandle h);
/* The source picture's size (square pixels, auto-rotated), not the size of
 * the processed pictures; 0 without video. */
ORV_API int Player_GetVideoWidth(PlayerHandle h);
ORV_API int Player_GetVideoHeight(PlayerHandle h);
/* The size of the processed pictures the player delivers: OpenEx's w x hgt
 * as the engine took it (a 0 gives the source's); 0 without video. */
ORV_API int Player_GetOutputWidth(PlayerHandle h);
ORV_API int Player_GetOutputHeight(PlayerHandle h);
/* The source size divided by its greatest common divisor. */
ORV_API int Player_GetVideoAspectRatioX(PlayerHandle h);
ORV_API int Player_GetVideoAspectRatioY(PlayerHandle h);
/* 0..100, a gain of volume/100. */
ORV_API int Player_SetAudioVolume(PlayerHandle h, int volume);
/* Processed pictures; fn NULL unregisters. A replaced handler is not called
 * after this returns. */
ORV_API int Player_SetVideoFrameHandle(PlayerHandle h, FrameHandler fn, void* user);
/* The unprocessed source picture, with the crop border when enabled. */
ORV_API int Player_SetOrignalVideoFrameHandle(PlayerHandle h, FrameHandler fn, void* user);
/* Processes the current picture with the current settings (the subtitle at
 * the current time included) and hands it to the processed handler, then
 * the source picture to the original handler, on the caller's thread.
 * 1 if a picture was delivered. */
ORV_API int Player_ShowVideoFrame(PlayerHandle h);
/* The current processed picture without preview borders, scaled to exactly
 * w x hgt, as a block like Info_GetVideoImage's. Owned by the player until
 * Player_FreeVideoImage or Player_Release. NULL if w or hgt is outside
 * 1..16384 or there is no picture. */
ORV_API unsigned char* Player_CaptureVideoImage(PlayerHandle h, int w, int hgt);
ORV_API int Player_FreeVideoImage(PlayerHandle h, void* picture);

/* Streams of the player's program (the first with video or audio), as
 * Info lists them. Audio: negative = the default stream; while playing the
 * player seeks to where it was. The last of SetSubtlIndex (negative =
 * none), EnableClosedCaption and SetSubtlFile ("" = none) decides which
 * subtitles are drawn. */
ORV_API int Player_SetAudioIndex(PlayerHandle h, int index);
ORV_API int Player_SetSubtlIndex(PlayerHandle h, int index);
ORV_API int Player_EnableClosedCaption(PlayerHandle h, int on);
ORV_API int Player_SetSubtlFile(PlayerHandle h, const char* path);

/* As the Config_ setters of the same names (crop = Config_SetVideoCropf). */
ORV_API int Player_SetVideoCrop(PlayerHandle h, double x, double y, double w, double hgt);
ORV_API int Player_SetVideoAspectRatio(PlayerHandle h, int aw, int ah);
ORV_API int Player_SetVideoPadAndColor(PlayerHandle h, int pad, uint32_t argb);
ORV_API int Player_SetVideoRotate(PlayerHandle h, int degrees);
ORV_API int Player_SetVideoMirror(PlayerHandle h, int mirror);
/* A border around the crop rectangle, on original pictures only. */
ORV_API int Player_EnableVideoCropBorder(PlayerHandle h, int on);

ORV_API int Player_SetWatermarkText(PlayerHandle h, const char* text);
ORV_API int Player_SetWatermarkTextFont(PlayerHandle h, const char* family);
ORV_API int Player_SetWatermarkTextAlpha(PlayerHandle h, int alpha);
ORV_API int Player_SetWatermarkTextScale(PlayerHandle h, int sx, int sy);
ORV_API int Player_SetWatermarkTextSize(PlayerHandle h, int pt);
ORV_API int Player_SetWatermarkTextBold(PlayerHandle h, int on);
ORV_API int Player_SetWatermarkTextItalic(PlayerHandle h, int on);
ORV_API int Player_SetWatermarkTextUnderline(PlayerHandle h, int on);
ORV_API int Player_SetWatermarkTextStrikeout(PlayerHandle h, int on);
ORV_API int Player_SetWatermarkTextColor(PlayerHandle h, uint32_t argb);
ORV_API int Player_SetWatermarkTextShadowColor(PlayerHandle h, uint32_t argb);
ORV_API int Player_SetWatermarkTextOutlineColor(PlayerHandle h, uint32_t argb);
ORV_API int Player_SetWatermarkTextShadowOffset(PlayerHandle h, double px);
ORV_API int Player_SetWatermarkTextOutlineSize(PlayerHandle h, double px);
ORV_API int Player_SetWatermarkTextPosition(PlayerHandle h, double x, double y);
ORV_API int Player_SetWatermarkTextLayerTopmost(PlayerHandle h, int topmost);
ORV_API int Player_SetWatermarkImageFile(PlayerHandle h, const char* path);
ORV_API int Player_SetWatermarkImageAlpha(PlayerHandle h, int alpha);
ORV_API int Player_SetWatermarkImageScale(PlayerHandle h, int sx, int sy);
ORV_API int Player_SetWatermarkImagePosition(PlayerHandle h, double x, double y);
/* Preview borders around the layers, on processed pictures only (never in
 * captures). */
ORV_API int Player_EnableWatermarkTextBorder(PlayerHandle h, int on);
ORV_API int Player_EnableWatermarkImageBorder(PlayerHandle h, int on);
/* The drawn box as a fraction of the processed picture's width or height,
 * from the current settings even before any picture; 0.0 without the layer
 * or without a file. */
ORV_API double Player_GetWatermarkTextWidth(PlayerHandle h);
ORV_API double Player_GetWatermarkTextHeight(PlayerHandle h);
ORV_API double Player_GetWatermarkImageWidth(PlayerHandle h);
ORV_API double Player_GetWatermarkImageHeight(PlayerHandle h);

ORV_API int Player_SetSubtlAlpha(PlayerHandle h, int alpha);
ORV_API int Player_SetSubtlScale(PlayerHandle h, int sx, int sy);
ORV_API int Player_SetSubtlDelay(PlayerHandle h, int64_t us);
ORV_API int Player_SetSubtlTextFont(PlayerHandle h, const char* family);
ORV_API int Player_SetSubtlTextBold(PlayerHandle h, int on);
ORV_API int Player_SetSubtlTextItalic(PlayerHandle h, int on);
ORV_API int Player_SetSubtlTextUnderline(PlayerHandle h, int on);
ORV_API int Player_SetSubtlTextStrikeout(PlayerHandle h, int on);
ORV_API int Player_SetSubtlTextSize(PlayerHandle h, int pt);
ORV_API int Player_SetSubtlTextColor(PlayerHandle h, uint32_t argb);
ORV_API int Player_SetSubtlTextShadowColor(PlayerHandle h, uint32_t argb);
ORV_API int Player_SetSubtlTextOutlineColor(PlayerHandle h, uint32_t argb);
ORV_API int Player_SetSubtlTextShadowOffset(PlayerHandle h, double px);
ORV_API int Player_SetSubtlTextOutlineSize(PlayerHandle h, double px);

/* ---- Frame ------------------------------------------------------------ */
/*
 * Reading a delivered picture inside a FrameHandler. The real engine always
 * delivers ORV_FRAME_BGRA; stand-ins may deliver ORV_FRAME_YUV420P. Strides
 * are bytes per row, each a multiple of 64; plane 0 has height rows, planes
 * 1 and 2 (YUV only, else NULL and 0) have (height+1)/2.
 */
ORV_API int Frame_GetVideoFormat(FrameHandle frame);
ORV_API int Frame_GetVideoWidth(FrameHandle frame);
ORV_API int Frame_GetVideoHeight(FrameHandle frame);
ORV_API int Frame_GetVideoStride0(FrameHandle frame);
ORV_API int Frame_GetVideoStride1(FrameHandle frame);
ORV_API int Frame_GetVideoStride2(FrameHandle frame);
ORV_API unsigned char* Frame_GetVideoData0(FrameHandle frame);
ORV_API unsigned char* Frame_GetVideoData1(FrameHandle frame);
ORV_API unsigned char* Frame_GetVideoData2(FrameHandle frame);

#ifdef __cplusplus
}
#endif

#endif /* ORVALTA_H */
