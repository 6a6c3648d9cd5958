#include "queue/ConvertTask.h"

#include "QIAppUtil.h"
#include "clips/ConfigMapping.h"
#include "clips/SourceProbe.h"
#include "formats/GobelItemChunk.h"
#include "formats/ProfileFile.h"

#include <algorithm>

// ---- The source ----------------------------------------------------------------

void ConvertTask::applyFacts(const SourceFacts& facts)
{
    m_path = facts.path;
    m_suffix = facts.suffix;
    m_sizeText = QIAppUtil::size2String(static_cast<unsigned long long>(facts.bytes));
    m_probeFailed = facts.failed;
    m_probeDenied = facts.failed && facts.denied;
    m_name = facts.name;

    m_totalUs = facts.duration;
    m_endUs = facts.duration;

    m_width = facts.width;
    m_height = facts.height;
    m_sampleRate = facts.sampleRate;
    m_channels = facts.channels;
    m_audioBitRate = facts.audioBitRate;

    const QString durationText = getTime(facts.duration);
    const QString formatText = m_suffix.toUpper();
    m_target.F_Size = m_sizeText;
    m_target.F_Duration = durationText;
    m_target.F_Format = formatText;
    m_sourceInfo.F_Size = m_sizeText;
    m_sourceInfo.F_Duration = durationText;
    m_sourceInfo.F_Format = formatText;
    m_sourceInfo.V_Resolution = sourceResolutionText();

    takeSourceRates(facts);
    chooseDefaultStreams(facts);
}

void ConvertTask::takeSourceRates(const SourceFacts& facts)
{
    m_sourceInfo.A_BitRate = QString::number(facts.audioBitRate / 1000) + " kbps";
    m_sourceInfo.A_SampleRate = QString::number(facts.sampleRate) + " HZ";
    m_sourceInfo.A_Channel = QString::number(facts.channels);
    // The engine reports some rates scaled by 1000 or 100000.
    uint32_t rate = facts.frameRate;
    if (rate > 100000)
        rate /= 100000;
    else if (rate > 1000)
        rate /= 1000;
    m_sourceInfo.V_FrameRate = QString::number(rate) + " FPS";
    m_sourceVideoBitRate = facts.videoBitRate;
    m_sourceInfo.V_BitRate = QString::number(facts.videoBitRate / 1000) + " kbps";
    m_sourceInfo.F_Name = m_name;
}

// The editor's defaults, from the reader the probe already had open: the
// first program with a picture or a sound, its first audio stream and first
// subtitle.
void ConvertTask::chooseDefaultStreams(const SourceFacts& facts)
{
    SubtitleValueInfo& streams = m_clips.streams;
    streams = SubtitleValueInfo();
    if (facts.failed) {
        streams.program_index = -1;
        streams.audio_index = -1;
        streams.subtitle_index = -1;
        streams.subtitle_count = 0;
        return;
    }
    streams.program_index = facts.program;
    streams.audio_index = facts.audioCount > 0 ? 0 : -1;
    streams.subtitle_count = facts.subtitleCount;
    streams.subtitle_index = facts.subtitleCount > 0 ? 1 : 0;
}

QString ConvertTask::sourceResolutionText() const { return QString("%1*%2").arg(m_width).arg(m_height); }

// ---- The target ----------------------------------------------------------------

bool ConvertTask::applyFormat(const TaskFormat& format)
{
    if (!chooseFormat(format.itemName, format.profile))
        return false;
    if (!format.read)
        return true;
    m_target.isVideo = format.values.isVideo;
    setQualityValues(format.values);
    if (!format.values.V_Format.isEmpty() || !format.values.V_Extend.isEmpty()) {
        m_target.V_Format = format.values.V_Format;
        m_target.V_Extend = format.values.V_Extend;
    }
    return true;
}

bool ConvertTask::chooseFormat(const QString& itemName, const QString& profile)
{
    if (m_profile == profile)
        return false;
    m_itemName = itemName;
    m_profile = profile;
    return true;
}

bool ConvertTask::readProfile()
{
    return ProfileFile::read(GobelItemChunk::profilePath(m_profile), QStringLiteral("TEMP_QUALITY_VALUE"),
                             m_target);
}

bool ConvertTask::saveProfile(const QString& path) { return ProfileFile::writeCurrent(path, m_target); }

void ConvertTask::setQualityValues(const Convertinfo& info)
{
    for (const QualityAttribute& a : kQualityAttributes)
        m_target.*(a.value) = info.*(a.value);
}

QString ConvertTask::targetResolutionText() const
{
    if (m_probeFailed || !m_target.isVideo || m_clips.disVideo || m_width == 0 || m_height == 0)
        return QString();
    const int width = videoWidth(m_target.V_Resolution);
    const int height = videoHeight(m_target.V_Resolution);
    return QString("%1*%2").arg(width).arg(height);
}

unsigned long long ConvertTask::estimatedOutputBytes() const
{
    auto kbps = [](const QString& text, unsigned long long sourceKbps) -> unsigned long long {
        bool ok = false;
        const unsigned value = text.toUInt(&ok);
        return ok ? value : sourceKbps;
    };
    unsigned long long total = 0;
    if (!targetResolutionText().isEmpty())
        total += kbps(m_target.V_BitRate, m_sourceVideoBitRate / 1000);
    if (m_channels != 0 && !m_clips.disAudio)
        total += kbps(m_target.A_BitRate, m_audioBitRate / 1000);
    const unsigned long long seconds = lengthUs() / 1000000ull;
    return total * seconds * 1000ull / 8ull;
}

// ---- Trim ------------------------------------------------------------------------

void ConvertTask::setTrim(uint64_t beginUs, uint64_t endUs)
{
    m_beginUs = beginUs;
    m_endUs = endUs;
}

uint64_t ConvertTask::lengthUs() const
{
    return m_endUs != 0 && m_endUs > m_beginUs ? m_endUs - m_beginUs : 0;
}

// ---- Values for the engine ---------------------------------------------------------

namespace {

// A picture side as the engine writes it: even, 16 to 8192. The source's
// own size is shown as it is; only the output's is rounded.
int outputSide(int side) { return side <= 0 ? side : std::clamp(side, 16, 8192) & ~1; }

} // namespace

int ConvertTask::videoWidth(const QString& resolution) const
{
    return outputSide(ConfigMapping::videoWidth(resolution, m_width));
}

int ConvertTask::videoHeight(const QString& resolution) const
{
    return outputSide(ConfigMapping::videoHeight(resolution, m_height));
}

int ConvertTask::audioChannels(const QString& channels) const
{
    return ConfigMapping::audioChannels(channels, m_channels);
}

int ConvertTask::audioSampleRate(const QString& sampleRate) const
{
    return ConfigMapping::audioSampleRate(sampleRate, m_sampleRate);
}

MappingValues ConvertTask::mappingValues(const Convertinfo& target) const
{
    MappingValues values;
    static_cast<TaskClips&>(values) = m_clips;
    values.target = target;
    values.width = videoWidth(target.V_Resolution);
    values.height = videoHeight(target.V_Resolution);
    values.videoBitRate = ConfigMapping::videoBitRate(target.V_BitRate);
    values.channels = audioChannels(target.A_Channel);
    values.sampleRate = audioSampleRate(target.A_SampleRate);
    values.audioBitRate = ConfigMapping::audioBitRate(target.A_BitRate);
    return values;
}
