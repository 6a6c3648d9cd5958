// Placeholder entry points, replaced by the player.
#include "orvalta.h"

extern "C" {

ORV_API PlayerHandle Player_Create(int) { return nullptr; }
ORV_API int Player_Open(PlayerHandle, const char*) { return 0; }
ORV_API int Player_OpenEx(PlayerHandle, const char*, unsigned, unsigned, int, int) { return 0; }
ORV_API int Player_Close(PlayerHandle) { return 0; }
ORV_API int Player_Release(PlayerHandle) { return 0; }
ORV_API int Player_Play(PlayerHandle) { return 0; }
ORV_API int Player_Pause(PlayerHandle) { return 0; }
ORV_API int Player_Stop(PlayerHandle) { return 0; }
ORV_API int Player_IsCompleted(PlayerHandle) { return 0; }
ORV_API uint64_t Player_GetDuration(PlayerHandle) { return 0; }
ORV_API uint64_t Player_GetPlayTime(PlayerHandle) { return 0; }
ORV_API int Player_Seek(PlayerHandle, uint64_t) { return 0; }
ORV_API int Player_FrameStep(PlayerHandle, int) { return 0; }
ORV_API int Player_HasVideo(PlayerHandle) { return 0; }
ORV_API int Player_HasAudio(PlayerHandle) { return 0; }
ORV_API int Player_GetVideoWidth(PlayerHandle) { return 0; }
ORV_API int Player_GetVideoHeight(PlayerHandle) { return 0; }
ORV_API int Player_GetVideoAspectRatioX(PlayerHandle) { return 0; }
ORV_API int Player_GetVideoAspectRatioY(PlayerHandle) { return 0; }
ORV_API int Player_SetAudioVolume(PlayerHandle, int) { return 0; }
ORV_API int Player_SetVideoFrameHandle(PlayerHandle, FrameHandler, void*) { return 0; }
ORV_API int Player_SetOrignalVideoFrameHandle(PlayerHandle, FrameHandler, void*) { return 0; }
ORV_API int Player_ShowVideoFrame(PlayerHandle) { return 0; }
ORV_API unsigned char* Player_CaptureVideoImage(PlayerHandle, int, int) { return nullptr; }
ORV_API int Player_FreeVideoImage(PlayerHandle, void*) { return 0; }
ORV_API int Player_SetAudioIndex(PlayerHandle, int) { return 0; }
ORV_API int Player_SetSubtlIndex(PlayerHandle, int) { return 0; }
ORV_API int Player_EnableClosedCaption(PlayerHandle, int) { return 0; }
ORV_API int Player_SetSubtlFile(PlayerHandle, const char*) { return 0; }
ORV_API int Player_SetVideoCrop(PlayerHandle, double, double, double, double) { return 0; }
ORV_API int Player_SetVideoAspectRatio(PlayerHandle, int, int) { return 0; }
ORV_API int Player_SetVideoPadAndColor(PlayerHandle, int, uint32_t) { return 0; }
ORV_API int Player_SetVideoRotate(PlayerHandle, int) { return 0; }
ORV_API int Player_SetVideoMirror(PlayerHandle, int) { return 0; }
ORV_API int Player_EnableVideoCropBorder(PlayerHandle, int) { return 0; }
ORV_API int Player_SetWatermarkText(PlayerHandle, const char*) { return 0; }
ORV_API int Player_SetWatermarkTextFont(PlayerHandle, const char*) { return 0; }
ORV_API int Player_SetWatermarkTextAlpha(PlayerHandle, int) { return 0; }
ORV_API int Player_SetWatermarkTextScale(PlayerHandle, int, int) { return 0; }
ORV_API int Player_SetWatermarkTextSize(PlayerHandle, int) { return 0; }
ORV_API int Player_SetWatermarkTextBold(PlayerHandle, int) { return 0; }
ORV_API int Player_SetWatermarkTextItalic(PlayerHandle, int) { return 0; }
ORV_API int Player_SetWatermarkTextUnderline(PlayerHandle, int) { return 0; }
ORV_API int Player_SetWatermarkTextStrikeout(PlayerHandle, int) { return 0; }
ORV_API int Player_SetWatermarkTextColor(PlayerHandle, uint32_t) { return 0; }
ORV_API int Player_SetWatermarkTextShadowColor(PlayerHandle, uint32_t) { return 0; }
ORV_API int Player_SetWatermarkTextOutlineColor(PlayerHandle, uint32_t) { return 0; }
ORV_API int Player_SetWatermarkTextShadowOffset(PlayerHandle, double) { return 0; }
ORV_API int Player_SetWatermarkTextOutlineSize(PlayerHandle, double) { return 0; }
ORV_API int Player_SetWatermarkTextPosition(PlayerHandle, double, double) { return 0; }
ORV_API int Player_SetWatermarkTextLayerTopmost(PlayerHandle, int) { return 0; }
ORV_API int Player_SetWatermarkImageFile(PlayerHandle, const char*) { return 0; }
ORV_API int Player_SetWatermarkImageAlpha(PlayerHandle, int) { return 0; }
ORV_API int Player_SetWatermarkImageScale(PlayerHandle, int, int) { return 0; }
ORV_API int Player_SetWatermarkImagePosition(PlayerHandle, double, double) { return 0; }
ORV_API int Player_EnableWatermarkTextBorder(PlayerHandle, int) { return 0; }
ORV_API int Player_EnableWatermarkImageBorder(PlayerHandle, int) { return 0; }
ORV_API double Player_GetWatermarkTextWidth(PlayerHandle) { return 0.0; }
ORV_API double Player_GetWatermarkTextHeight(PlayerHandle) { return 0.0; }
ORV_API double Player_GetWatermarkImageWidth(PlayerHandle) { return 0.0; }
ORV_API double Player_GetWatermarkImageHeight(PlayerHandle) { return 0.0; }
ORV_API int Player_SetSubtlAlpha(PlayerHandle, int) { return 0; }
ORV_API int Player_SetSubtlScale(PlayerHandle, int, int) { return 0; }
ORV_API int Player_SetSubtlDelay(PlayerHandle, int64_t) { return 0; }
ORV_API int Player_SetSubtlTextFont(PlayerHandle, const char*) { return 0; }
ORV_API int Player_SetSubtlTextBold(PlayerHandle, int) { return 0; }
ORV_API int Player_SetSubtlTextItalic(PlayerHandle, int) { return 0; }
ORV_API int Player_SetSubtlTextUnderline(PlayerHandle, int) { return 0; }
ORV_API int Player_SetSubtlTextStrikeout(PlayerHandle, int) { return 0; }
ORV_API int Player_SetSubtlTextSize(PlayerHandle, int) { return 0; }
ORV_API int Player_SetSubtlTextColor(PlayerHandle, uint32_t) { return 0; }
ORV_API int Player_SetSubtlTextShadowColor(PlayerHandle, uint32_t) { return 0; }
ORV_API int Player_SetSubtlTextOutlineColor(PlayerHandle, uint32_t) { return 0; }
ORV_API int Player_SetSubtlTextShadowOffset(PlayerHandle, double) { return 0; }
ORV_API int Player_SetSubtlTextOutlineSize(PlayerHandle, double) { return 0; }
ORV_API int Frame_GetVideoFormat(FrameHandle) { return 0; }
ORV_API int Frame_GetVideoWidth(FrameHandle) { return 0; }
ORV_API int Frame_GetVideoHeight(FrameHandle) { return 0; }
ORV_API int Frame_GetVideoStride0(FrameHandle) { return 0; }
ORV_API int Frame_GetVideoStride1(FrameHandle) { return 0; }
ORV_API int Frame_GetVideoStride2(FrameHandle) { return 0; }
ORV_API unsigned char* Frame_GetVideoData0(FrameHandle) { return nullptr; }
ORV_API unsigned char* Frame_GetVideoData1(FrameHandle) { return nullptr; }
ORV_API unsigned char* Frame_GetVideoData2(FrameHandle) { return nullptr; }

} // extern "C"
