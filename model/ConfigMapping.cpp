#include "ConfigMapping.h"

#include "AVCodecAnalysis.h"
#include "LogCategories.h"

#include <QDebug>

#include <climits>
#include <cmath>
#include <utility>

#include <QLoggingCategory>

namespace {

const QString kOriginal = QStringLiteral("Original");
const QString kAuto = QStringLiteral("Auto");

bool isOriginalOrAuto(const QString& text) { return text == kOriginal || text == kAuto; }

// An unsigned decimal profile number; anything else, and a number the
// engine's int cannot hold, is 0.
int profileNumber(const QString& text)
{
    bool ok = false;
    const uint value = text.toUInt(&ok, 10);
    return ok && value <= uint(INT_MAX) ? int(value) : 0;
}

int sourceValue(uint32_t value) { return value <= uint32_t(INT_MAX) ? int(value) : 0; }

// One side of "width*height"; a missing, unusable or zero side is the
// source's.
int resolutionSide(const QString& resolution, bool height, uint32_t source)
{
    const int star = resolution.indexOf(QLatin1Char('*'));
    if (star >= 0) {
        const int value = profileNumber(height ? resolution.mid(star + 1) : resolution.left(star));
        if (value > 0)
            return value;
    }
    return sourceValue(source);
}

// "23.976" -> 23; not a number, negative or beyond 32 bits -> 0, which
// sends no frame rate.
unsigned frameRateNumber(const QString& text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !(value >= 0.0) || value >= 4294967296.0)
        return 0;
    return unsigned(std::trunc(value));
}

bool wantsFrameRateFlag(const QString& container)
{
    for (const char* name : {"AVI", "mpegts", "MPEG1VIDEO"}) {
        if (container.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// Vertical fonts are listed with a leading "@"; the engine knows the family
// by its plain name.
QByteArray fontFamily(const QString& family)
{
    return (family.startsWith(QLatin1Char('@')) ? family.mid(1) : family).toUtf8();
}

double thousandths(int32_t value) { return value / 1000.0; }

using IntSetter = int (*)(Config, int);
using ColourSetter = int (*)(Config, uint32_t);

void sendVideo(Config config, const MappingValues& v)
{
    const int videoCodec =
        (!v.target.isVideo || v.disVideo) ? -1 : AVCodecAnalysis::GetVideoCodec(v.target.V_Encoder);
    Config_SetVideoFormat(config, videoCodec);
    Config_SetVideoSize(config, v.width, v.height);
    Config_SetVideoBitRate(config, v.videoBitRate);
    if (wantsFrameRateFlag(v.target.V_Format))
        Config_SetVideoFrameRateFlag(config, 1);

    unsigned numerator = 0;
    unsigned denominator = 0;
    if (v.target.isVideo && !isOriginalOrAuto(v.target.V_FrameRate)) {
        AVCodecAnalysis::GetVideoFrameRate(frameRateNumber(v.target.V_FrameRate), numerator, denominator);
        if (numerator != 0)
            Config_SetVideoFrameRate(config, numerator, denominator);
    }
    qCDebug(lcModel) << videoCodec << v.width << v.height;
    qCDebug(lcModel) << "V_BitRate = " << v.videoBitRate << "A_BitRate = " << v.audioBitRate;
    qCDebug(lcModel) << numerator << denominator;
}

void sendAudio(Config config, const MappingValues& v)
{
    const int audioCodec = v.disAudio ? -1 : AVCodecAnalysis::GetAudioCodec(v.target.A_Encoder);
    qCDebug(lcModel) << audioCodec << "-=-=--=";
    Config_SetAudioFormat(config, audioCodec);
    Config_SetAudioChannels(config, v.channels);
    Config_SetAudioSampleRate(config, v.sampleRate);
    Config_SetAudioBitRate(config, v.audioBitRate);
    Config_SetAudioVolume(config, 100);
}

void sendPicture(Config config, const CropSettings& crop)
{
    const bool fullScreen = crop.ratio_type == Ratio_FullScreen;
    // Full screen fills the output after rotation, so a quarter turn turns
    // its aspect too.
    if (fullScreen && crop.rotate % 180 != 0)
        Config_SetVideoAspectRatio(config, crop.aspect_height, crop.aspect_width);
    else
        Config_SetVideoAspectRatio(config, crop.aspect_width, crop.aspect_height);
    Config_SetVideoRotate(config, crop.rotate);
    Config_SetVideoMirror(config, crop.mirror);

    // Pan and scan fills the frame from its own rectangle, so it never pads;
    // full screen stretches and pads nothing either.
    if (crop.pad && crop.fill_type == 1 && !fullScreen) {
        Config_SetVideoPadAndColor(config, 0, crop.pad_color);
        Config_SetVideoCropf(config, crop.panscan_x, crop.panscan_y, crop.panscan_w, crop.panscan_h);
    } else {
        Config_SetVideoPadAndColor(config, fullScreen ? 0 : crop.pad, crop.pad_color);
        Config_SetVideoCropf(config, crop.crop_x, crop.crop_y, crop.crop_w, crop.crop_h);
    }
}

void sendStreams(Config config, const SubtitleValueInfo& streams)
{
    Config_SetProgrIndex(config, streams.program_index);
    Config_SetAudioIndex(config, streams.audio_index);
    // Compared in 64 bits: count + 1 must not overflow.
    const int64_t choice = streams.subtitle_index;
    const int64_t count = streams.subtitle_count;
    if (choice <= count) {
        Config_SetSubtlIndex(config, streams.subtitle_index - 1);
    } else if (choice == count + 1) {
        Config_EnableClosedCaption(config, 1);
    } else {
        const QByteArray file = streams.subtitle_file.toUtf8();
        Config_SetSubtlFile(config, file.constData());
    }
}

// The style goes out even with no subtitle chosen: the engine simply keeps it.
void sendSubtitleStyle(Config config, const SubtitleSettings& s)
{
    Config_SetSubtlAlpha(config, s.alpha);
    Config_SetSubtlScale(config, s.scale_x, s.scale_y);
    Config_SetSubtlDelay(config, int64_t(s.delay) * 1000);
    const QByteArray font = fontFamily(s.font_family);
    Config_SetSubtlTextFont(config, font.constData());
    const std::pair<IntSetter, int32_t> flags[] = {
        {Config_SetSubtlTextBold, s.bold},           {Config_SetSubtlTextItalic, s.italic},
        {Config_SetSubtlTextUnderline, s.underline}, {Config_SetSubtlTextStrikeout, s.strikeout},
        {Config_SetSubtlTextSize, s.font_size},
    };
    for (const auto& [set, value] : flags)
        set(config, value);
    const std::pair<ColourSetter, uint32_t> colours[] = {
        {Config_SetSubtlTextColor, s.text_color},
        {Config_SetSubtlTextShadowColor, s.shadow_color},
        {Config_SetSubtlTextOutlineColor, s.outline_color},
    };
    for (const auto& [set, value] : colours)
        set(config, value);
    Config_SetSubtlTextShadowOffset(config, thousandths(s.shadow_offset));
    Config_SetSubtlTextOutlineSize(config, thousandths(s.outline_size));
}

// Only the text and the file decide whether a layer exists; the rest of the
// style is sent either way. The preview frames (`border`) stay in the editor.
void sendWatermarks(Config config, const WatermarkTextSettings& t, const WatermarkImageSettings& i)
{
    if (!t.text.isEmpty()) {
        const QByteArray text = t.text.toUtf8();
        Config_SetWatermarkText(config, text.constData());
    }
    if (!i.image_file.isEmpty()) {
        const QByteArray file = i.image_file.toUtf8();
        Config_SetWatermarkImageFile(config, file.constData());
    }
    const QByteArray font = fontFamily(t.font_family);
    Config_SetWatermarkTextFont(config, font.constData());
    Config_SetWatermarkTextAlpha(config, t.alpha);
    Config_SetWatermarkTextScale(config, t.scale_x, t.scale_y);
    const std::pair<IntSetter, int32_t> flags[] = {
        {Config_SetWatermarkTextSize, t.font_size},      {Config_SetWatermarkTextBold, t.bold},
        {Config_SetWatermarkTextItalic, t.italic},       {Config_SetWatermarkTextUnderline, t.underline},
        {Config_SetWatermarkTextStrikeout, t.strikeout},
    };
    for (const auto& [set, value] : flags)
        set(config, value);
    const std::pair<ColourSetter, uint32_t> colours[] = {
        {Config_SetWatermarkTextColor, t.text_color},
        {Config_SetWatermarkTextShadowColor, t.shadow_color},
        {Config_SetWatermarkTextOutlineColor, t.outline_color},
    };
    for (const auto& [set, value] : colours)
        set(config, value);
    Config_SetWatermarkTextShadowOffset(config, thousandths(t.shadow_offset));
    Config_SetWatermarkTextOutlineSize(config, thousandths(t.outline_size));
    Config_SetWatermarkImageAlpha(config, i.alpha);
    Config_SetWatermarkImageScale(config, i.scale_x, i.scale_y);
    Config_SetWatermarkTextPosition(config, thousandths(t.pos_x), thousandths(t.pos_y));
    Config_SetWatermarkImagePosition(config, thousandths(i.pos_x), thousandths(i.pos_y));
    Config_SetWatermarkTextLayerTopmost(config, t.topmost);
}

void sendAll(Config config, const MappingValues& values)
{
    sendVideo(config, values);
    sendAudio(config, values);
    sendPicture(config, values.crop);
    sendStreams(config, values.streams);
    sendSubtitleStyle(config, values.subtitle);
    sendWatermarks(config, values.text, values.image);
}

} // namespace

namespace ConfigMapping {

int videoWidth(const QString& resolution, uint32_t sourceWidth)
{
    return resolutionSide(resolution, false, sourceWidth);
}

int videoHeight(const QString& resolution, uint32_t sourceHeight)
{
    return resolutionSide(resolution, true, sourceHeight);
}

int videoBitRate(const QString& bitRate) { return isOriginalOrAuto(bitRate) ? 0 : profileNumber(bitRate); }

int audioChannels(const QString& channels, uint32_t sourceChannels)
{
    return channels == kOriginal ? sourceValue(sourceChannels) : profileNumber(channels);
}

int audioSampleRate(const QString& sampleRate, uint32_t sourceRate)
{
    return isOriginalOrAuto(sampleRate) ? sourceValue(sourceRate) : profileNumber(sampleRate);
}

int audioBitRate(const QString& bitRate) { return isOriginalOrAuto(bitRate) ? 0 : profileNumber(bitRate); }

void send(Config config, const MappingValues& values) { sendAll(config, values); }

} // namespace ConfigMapping
