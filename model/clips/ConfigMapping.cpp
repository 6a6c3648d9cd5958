#include "clips/ConfigMapping.h"

#include "LogCategories.h"
#include "formats/AVCodecAnalysis.h"

#include <QDebug>

#include <climits>
#include <cmath>
#include <type_traits>
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
    ConfigMapping::sendTextStyle(config, t);
    ConfigMapping::sendImageStyle(config, i);
}

void sendAll(Config config, const MappingValues& values)
{
    sendVideo(config, values);
    sendAudio(config, values);
    ConfigMapping::sendPicture(config, values.crop);
    sendStreams(config, values.streams);
    // The style goes out even with no subtitle chosen: the engine simply keeps it.
    ConfigMapping::sendSubtitleStyle(config, values.subtitle);
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

// ---- The clip records, for a configuration and for a player ----------------------

namespace {

// The engine's setters of a clip record exist twice, Config_X and Player_X
// with the same arguments; one overload per sink lets the mapping below be
// written once for both.
#define LV_BOTH_SINKS(Name, Params, Args)                                                                    \
    int Name(Config h LV_UNPAREN Params) { return Config_##Name(h LV_UNPAREN Args); }                        \
    int Name(PlayerHandle h LV_UNPAREN Params) { return Player_##Name(h LV_UNPAREN Args); }
#define LV_UNPAREN(...) , __VA_ARGS__

namespace sink {
LV_BOTH_SINKS(SetVideoAspectRatio, (int w, int h2), (w, h2))
LV_BOTH_SINKS(SetVideoRotate, (int degrees), (degrees))
LV_BOTH_SINKS(SetVideoMirror, (int on), (on))
LV_BOTH_SINKS(SetVideoPadAndColor, (int pad, uint32_t argb), (pad, argb))
int SetVideoCrop(Config h, double x, double y, double w, double hh)
{
    return Config_SetVideoCropf(h, x, y, w, hh);
}
int SetVideoCrop(PlayerHandle h, double x, double y, double w, double hh)
{
    return Player_SetVideoCrop(h, x, y, w, hh);
}

LV_BOTH_SINKS(SetSubtlAlpha, (int v), (v))
LV_BOTH_SINKS(SetSubtlScale, (int x, int y), (x, y))
LV_BOTH_SINKS(SetSubtlDelay, (int64_t us), (us))
LV_BOTH_SINKS(SetSubtlTextFont, (const char* family), (family))
LV_BOTH_SINKS(SetSubtlTextBold, (int v), (v))
LV_BOTH_SINKS(SetSubtlTextItalic, (int v), (v))
LV_BOTH_SINKS(SetSubtlTextUnderline, (int v), (v))
LV_BOTH_SINKS(SetSubtlTextStrikeout, (int v), (v))
LV_BOTH_SINKS(SetSubtlTextSize, (int v), (v))
LV_BOTH_SINKS(SetSubtlTextColor, (uint32_t v), (v))
LV_BOTH_SINKS(SetSubtlTextShadowColor, (uint32_t v), (v))
LV_BOTH_SINKS(SetSubtlTextOutlineColor, (uint32_t v), (v))
LV_BOTH_SINKS(SetSubtlTextShadowOffset, (double v), (v))
LV_BOTH_SINKS(SetSubtlTextOutlineSize, (double v), (v))

LV_BOTH_SINKS(SetWatermarkTextFont, (const char* family), (family))
LV_BOTH_SINKS(SetWatermarkTextAlpha, (int v), (v))
LV_BOTH_SINKS(SetWatermarkTextScale, (int x, int y), (x, y))
LV_BOTH_SINKS(SetWatermarkTextSize, (int v), (v))
LV_BOTH_SINKS(SetWatermarkTextBold, (int v), (v))
LV_BOTH_SINKS(SetWatermarkTextItalic, (int v), (v))
LV_BOTH_SINKS(SetWatermarkTextUnderline, (int v), (v))
LV_BOTH_SINKS(SetWatermarkTextStrikeout, (int v), (v))
LV_BOTH_SINKS(SetWatermarkTextColor, (uint32_t v), (v))
LV_BOTH_SINKS(SetWatermarkTextShadowColor, (uint32_t v), (v))
LV_BOTH_SINKS(SetWatermarkTextOutlineColor, (uint32_t v), (v))
LV_BOTH_SINKS(SetWatermarkTextShadowOffset, (double v), (v))
LV_BOTH_SINKS(SetWatermarkTextOutlineSize, (double v), (v))
LV_BOTH_SINKS(SetWatermarkTextPosition, (double x, double y), (x, y))
LV_BOTH_SINKS(SetWatermarkTextLayerTopmost, (int v), (v))
LV_BOTH_SINKS(SetWatermarkImageAlpha, (int v), (v))
LV_BOTH_SINKS(SetWatermarkImageScale, (int x, int y), (x, y))
LV_BOTH_SINKS(SetWatermarkImagePosition, (double x, double y), (x, y))
} // namespace sink

#undef LV_BOTH_SINKS
#undef LV_UNPAREN

// One row of a record: the record's field and the setter it goes to.
template <class Handle, class Record, class Value>
struct Row
{
    int (*set)(Handle, Value);
    int32_t Record::*field;
};

template <class Handle, class Record>
struct ColourRow
{
    int (*set)(Handle, uint32_t);
    uint32_t Record::*field;
};

template <class Handle, class Record>
struct ThousandthsRow
{
    int (*set)(Handle, double);
    int32_t Record::*field;
};

template <class Handle, class Record, size_t N>
void sendInts(Handle h, const Record& r, const Row<Handle, Record, int> (&rows)[N])
{
    for (const auto& row : rows)
        row.set(h, r.*row.field);
}

template <class Handle, class Record, size_t N>
void sendColours(Handle h, const Record& r, const ColourRow<Handle, Record> (&rows)[N])
{
    for (const auto& row : rows)
        row.set(h, r.*row.field);
}

template <class Handle, class Record, size_t N>
void sendThousandths(Handle h, const Record& r, const ThousandthsRow<Handle, Record> (&rows)[N])
{
    for (const auto& row : rows)
        row.set(h, ConfigMapping::thousandths(r.*row.field));
}

template <class Handle>
void picture(Handle h, const CropSettings& crop)
{
    const bool fullScreen = crop.ratio_type == Ratio_FullScreen;
    const bool panScan = ::panScanActive(crop);
    // Full screen and pan and scan fill the output after rotation, so a
    // quarter turn turns their aspect (the output's) too.
    if ((fullScreen || panScan) && crop.rotate % 180 != 0)
        sink::SetVideoAspectRatio(h, crop.aspect_height, crop.aspect_width);
    else
        sink::SetVideoAspectRatio(h, crop.aspect_width, crop.aspect_height);
    sink::SetVideoRotate(h, crop.rotate);
    sink::SetVideoMirror(h, crop.mirror);

    // Pan and scan fills the frame from its own rectangle, so it never pads;
    // full screen stretches and pads nothing either.
    if (panScan) {
        sink::SetVideoPadAndColor(h, 0, crop.pad_color);
        sink::SetVideoCrop(h, crop.panscan_x, crop.panscan_y, crop.panscan_w, crop.panscan_h);
    } else {
        sink::SetVideoPadAndColor(h, fullScreen ? 0 : crop.pad, crop.pad_color);
        sink::SetVideoCrop(h, crop.crop_x, crop.crop_y, crop.crop_w, crop.crop_h);
    }
}

template <class Handle>
void subtitleStyle(Handle h, const SubtitleSettings& s)
{
    using R = SubtitleSettings;
    sink::SetSubtlAlpha(h, s.alpha);
    sink::SetSubtlScale(h, s.scale_x, s.scale_y);
    sink::SetSubtlDelay(h, int64_t(s.delay) * 1000);
    sink::SetSubtlTextFont(h, ConfigMapping::fontFamily(s.font_family).constData());
    const Row<Handle, R, int> flags[] = {
        {sink::SetSubtlTextBold, &R::bold},           {sink::SetSubtlTextItalic, &R::italic},
        {sink::SetSubtlTextUnderline, &R::underline}, {sink::SetSubtlTextStrikeout, &R::strikeout},
        {sink::SetSubtlTextSize, &R::font_size},
    };
    sendInts(h, s, flags);
    const ColourRow<Handle, R> colours[] = {
        {sink::SetSubtlTextColor, &R::text_color},
        {sink::SetSubtlTextShadowColor, &R::shadow_color},
        {sink::SetSubtlTextOutlineColor, &R::outline_color},
    };
    sendColours(h, s, colours);
    const ThousandthsRow<Handle, R> sizes[] = {
        {sink::SetSubtlTextShadowOffset, &R::shadow_offset},
        {sink::SetSubtlTextOutlineSize, &R::outline_size},
    };
    sendThousandths(h, s, sizes);
}

template <class Handle>
void textStyle(Handle h, const WatermarkTextSettings& t)
{
    using R = WatermarkTextSettings;
    sink::SetWatermarkTextFont(h, ConfigMapping::fontFamily(t.font_family).constData());
    sink::SetWatermarkTextAlpha(h, t.alpha);
    sink::SetWatermarkTextScale(h, t.scale_x, t.scale_y);
    const Row<Handle, R, int> flags[] = {
        {sink::SetWatermarkTextSize, &R::font_size},      {sink::SetWatermarkTextBold, &R::bold},
        {sink::SetWatermarkTextItalic, &R::italic},       {sink::SetWatermarkTextUnderline, &R::underline},
        {sink::SetWatermarkTextStrikeout, &R::strikeout},
    };
    sendInts(h, t, flags);
    const ColourRow<Handle, R> colours[] = {
        {sink::SetWatermarkTextColor, &R::text_color},
        {sink::SetWatermarkTextShadowColor, &R::shadow_color},
        {sink::SetWatermarkTextOutlineColor, &R::outline_color},
    };
    sendColours(h, t, colours);
    const ThousandthsRow<Handle, R> sizes[] = {
        {sink::SetWatermarkTextShadowOffset, &R::shadow_offset},
        {sink::SetWatermarkTextOutlineSize, &R::outline_size},
    };
    sendThousandths(h, t, sizes);
    sink::SetWatermarkTextPosition(h, ConfigMapping::thousandths(t.pos_x),
                                   ConfigMapping::thousandths(t.pos_y));
    sink::SetWatermarkTextLayerTopmost(h, t.topmost);
}

template <class Handle>
void imageStyle(Handle h, const WatermarkImageSettings& i)
{
    sink::SetWatermarkImageAlpha(h, i.alpha);
    sink::SetWatermarkImageScale(h, i.scale_x, i.scale_y);
    sink::SetWatermarkImagePosition(h, ConfigMapping::thousandths(i.pos_x),
                                    ConfigMapping::thousandths(i.pos_y));
}

} // namespace

namespace ConfigMapping {

double thousandths(int32_t value) { return value / 1000.0; }

QByteArray fontFamily(const QString& family)
{
    return (family.startsWith(QLatin1Char('@')) ? family.mid(1) : family).toUtf8();
}

void sendPicture(Config config, const CropSettings& crop) { picture(config, crop); }
void sendPicture(PlayerHandle player, const CropSettings& crop) { picture(player, crop); }
void sendSubtitleStyle(Config config, const SubtitleSettings& s) { subtitleStyle(config, s); }
void sendSubtitleStyle(PlayerHandle player, const SubtitleSettings& s) { subtitleStyle(player, s); }
void sendTextStyle(Config config, const WatermarkTextSettings& t) { textStyle(config, t); }
void sendTextStyle(PlayerHandle player, const WatermarkTextSettings& t) { textStyle(player, t); }
void sendImageStyle(Config config, const WatermarkImageSettings& i) { imageStyle(config, i); }
void sendImageStyle(PlayerHandle player, const WatermarkImageSettings& i) { imageStyle(player, i); }

} // namespace ConfigMapping
