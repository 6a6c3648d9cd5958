// Task rows and the queue: the task's values and its engine configuration,
// forwarded to the task's record. A task's own start and the merge run both
// send ConvertTask::mappingValues through the one mapping, so the two can
// never send different calls.
#include "ScrollAreaforBar.h"
#include "VideoConvertBar.h"
#include "clips/ConfigMapping.h"

// ---- Getters ------------------------------------------------------------------

unsigned long long VideoConvertBar::getBeginTime() const { return m_task.beginUs(); }
unsigned long long VideoConvertBar::getEndTime() const { return m_task.endUs(); }
bool VideoConvertBar::getIsDisVideo() const { return m_task.clips().disVideo; }
bool VideoConvertBar::getIsDisAudio() const { return m_task.clips().disAudio; }

int VideoConvertBar::getVideoWidth(QString resolution) const { return m_task.videoWidth(resolution); }

int VideoConvertBar::getVideoHeigth(QString resolution) const { return m_task.videoHeight(resolution); }

int VideoConvertBar::getVideBitRate(QString bitRate) const { return ConfigMapping::videoBitRate(bitRate); }

int VideoConvertBar::getAudioChannels(QString channels) const { return m_task.audioChannels(channels); }

int VideoConvertBar::getAudioSampleRate(QString sampleRate) const
{
    return m_task.audioSampleRate(sampleRate);
}

int VideoConvertBar::getAudioBitRate(QString bitRate) const { return ConfigMapping::audioBitRate(bitRate); }

void VideoConvertBar::getCropSettings(CropSettings& settings) const { settings = m_task.clips().crop; }
void VideoConvertBar::getSubtitleValueInfo(SubtitleValueInfo& info) const { info = m_task.clips().streams; }
void VideoConvertBar::getSubtitleSettings(SubtitleSettings& settings) const
{
    settings = m_task.clips().subtitle;
}

void VideoConvertBar::getWatermarkTextSettings(WatermarkTextSettings& settings) const
{
    settings = m_task.clips().text;
}

void VideoConvertBar::getWatermarkImageSettings(WatermarkImageSettings& settings) const
{
    settings = m_task.clips().image;
}

// ---- Entry points -------------------------------------------------------------

// The starting task passes itself; the receiving task's own values play no
// part.
void VideoConvertBar::setConverterConfig(Config& config, VideoConvertBar* bar)
{
    if (bar)
        ConfigMapping::send(config, bar->task().mappingValues(bar->TargetInfo()));
}

// What the merge run sends for an item (it builds the same values through
// ConvertJob::Configuration): the merge settings the person chose as the
// target, the item's clip, crop, subtitles and marks.
void ScrollAreaforBar::setConverterConfig(Config& config, VideoConvertBar* bar, const Convertinfo& target)
{
    if (bar)
        ConfigMapping::send(config, bar->task().mappingValues(target));
}
