// Task rows and the queue: turning a task into an engine configuration.
//
// A task's own start and the queue's merge run both fill a configuration
// from one task. Each entry point only gathers the task's values; the model
// sends them, so the two can never send different calls.
#include "ConfigMapping.h"
#include "ScrollAreaforBar.h"
#include "VideoConvertBar.h"

// ---- Getters ------------------------------------------------------------------

unsigned long long VideoConvertBar::getBeginTime() const { return m_beginTime; }
unsigned long long VideoConvertBar::getEndTime() const { return m_endTime; }
bool VideoConvertBar::getIsDisVideo() const { return m_bDisVideo; }
bool VideoConvertBar::getIsDisAudio() const { return m_bDisAudio; }

int VideoConvertBar::getVideoWidth(QString resolution) const
{
    return ConfigMapping::videoWidth(resolution, m_videoWidth);
}

int VideoConvertBar::getVideoHeigth(QString resolution) const
{
    return ConfigMapping::videoHeight(resolution, m_videoHeight);
}

int VideoConvertBar::getVideBitRate(QString bitRate) const { return ConfigMapping::videoBitRate(bitRate); }

int VideoConvertBar::getAudioChannels(QString channels) const
{
    return ConfigMapping::audioChannels(channels, m_audioChannels);
}

int VideoConvertBar::getAudioSampleRate(QString sampleRate) const
{
    return ConfigMapping::audioSampleRate(sampleRate, m_audioSampleRate);
}

int VideoConvertBar::getAudioBitRate(QString bitRate) const { return ConfigMapping::audioBitRate(bitRate); }

void VideoConvertBar::getCropSettings(CropSettings& settings) const { settings = m_cropSettings; }
void VideoConvertBar::getSubtitleValueInfo(SubtitleValueInfo& info) const { info = m_subtitleInfo; }
void VideoConvertBar::getSubtitleSettings(SubtitleSettings& settings) const { settings = m_subtitleSettings; }

void VideoConvertBar::getWatermarkTextSettings(WatermarkTextSettings& settings) const
{
    settings = m_textWaterSettings;
}

void VideoConvertBar::getWatermarkImageSettings(WatermarkImageSettings& settings) const
{
    settings = m_imageWaterSettings;
}

// ---- Entry points -------------------------------------------------------------

namespace {

// Both entry points read a task through its getters, so they agree on every
// value as well as on the calls. The target settings are the task's own for a
// conversion and the merge settings for a merge.
MappingValues valuesOf(const VideoConvertBar& bar, const Convertinfo& target)
{
    MappingValues values;
    values.target = target;
    values.disVideo = bar.getIsDisVideo();
    values.disAudio = bar.getIsDisAudio();
    values.width = bar.getVideoWidth(values.target.V_Resolution);
    values.height = bar.getVideoHeigth(values.target.V_Resolution);
    values.videoBitRate = bar.getVideBitRate(values.target.V_BitRate);
    values.channels = bar.getAudioChannels(values.target.A_Channel);
    values.sampleRate = bar.getAudioSampleRate(values.target.A_SampleRate);
    values.audioBitRate = bar.getAudioBitRate(values.target.A_BitRate);
    bar.getCropSettings(values.crop);
    bar.getSubtitleValueInfo(values.streams);
    bar.getSubtitleSettings(values.subtitle);
    bar.getWatermarkTextSettings(values.text);
    bar.getWatermarkImageSettings(values.image);
    return values;
}

} // namespace

// The starting task passes itself; the receiving task's own values play no
// part.
void VideoConvertBar::setConverterConfig(Config& config, VideoConvertBar* bar)
{
    if (bar)
        ConfigMapping::send(config, valuesOf(*bar, bar->TargetInfo()));
}

// The merge run's entry: the merged file is written with the merge settings
// the person chose; the item gives its clip, crop, subtitles and marks.
void ScrollAreaforBar::setConverterConfig(Config& config, VideoConvertBar* bar, const Convertinfo& target)
{
    if (bar)
        ConfigMapping::send(config, valuesOf(*bar, target));
}
