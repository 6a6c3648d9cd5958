#include "formats/AVCodecAnalysis.h"

#include "LogCategories.h"

#include <QDebug>

#include <QLoggingCategory>

// Ids in libavcodec's numbering of the engine's interface; "XVID" is the
// fourcc X, V, I, D read as a little-endian number.
// clang-format off
CodecEntry AVCodecAnalysis::m_VideoCodecArray[260] = {
    {QStringLiteral("MPEG-4"), 13},
    {QStringLiteral("H264"), 28},
    {QStringLiteral("H263"), 5},
    {QStringLiteral("XVID"), 1145656920},
    {QStringLiteral("MSMPEG4V3"), 17},
    {QStringLiteral("MJPEG"), 8},
    {QStringLiteral("PCM_S16BE"), 65537},
    {QStringLiteral("DVVIDEO"), 25},
    {QStringLiteral("MPEG-2"), 2},
    {QStringLiteral("MPEG-1"), 1},
    {QStringLiteral("VP8"), 141},
    {QStringLiteral("WMV1"), 18},
    {QStringLiteral("WMV2"), 19},
    {QStringLiteral("WMV3"), 72},
    {QStringLiteral("VC-1"), 71},
    {QStringLiteral("FLV"), 22},
    {QStringLiteral("SWF"), 69645},
};

CodecEntry AVCodecAnalysis::m_AudioCodecArray[260] = {
    {QStringLiteral("MP2"), 86016},
    {QStringLiteral("AAC"), 86018},
    {QStringLiteral("MP3"), 86017},
    {QStringLiteral("AMR_NB"), 73728},
    {QStringLiteral("AC3"), 86019},
    {QStringLiteral("WMAV1"), 86023},
    {QStringLiteral("WMAV2"), 86024},
    {QStringLiteral("DVAUDIO"), 86022},
    {QStringLiteral("VORBIS"), 86021},
    {QStringLiteral("OGG"), 86021},
    {QStringLiteral("PCM_s24be"), 65549},
    {QStringLiteral("FLAC"), 86028},
    {QStringLiteral("PCM"), 65536},
};
// clang-format on

qint32 AVCodecAnalysis::m_videoCodec = 0;
qint32 AVCodecAnalysis::m_audioCodec = 0;

namespace {

qint32 lookUp(const CodecEntry* table, const QString& name)
{
    for (int i = 0; i < 260 && !table[i].name.isEmpty(); ++i) {
        if (table[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return table[i].id;
    }
    return 0;
}

} // namespace

AVCodecAnalysis::AVCodecAnalysis() {}

qint32 AVCodecAnalysis::GetVideoCodec(QString name)
{
    m_videoCodec = 0;
    m_videoCodec = lookUp(m_VideoCodecArray, name);
    qCDebug(lcModel) << "AVCodecAnalysis" << m_videoCodec;
    return m_videoCodec;
}

qint32 AVCodecAnalysis::GetAudioCodec(QString name)
{
    m_audioCodec = 0;
    m_audioCodec = lookUp(m_AudioCodecArray, name);
    return m_audioCodec;
}

void AVCodecAnalysis::GetVideoFrameRate(unsigned int rate, unsigned int& numerator, unsigned int& denominator)
{
    // Profiles write the NTSC rates as 23.976, 29.97, 59.94 ...; the caller
    // truncates them, so one below each whole NTSC rate stands for it.
    switch (rate) {
    case 23:
    case 29:
    case 47:
    case 59:
    case 119:
    case 239:
        numerator = (rate + 1) * 1000;
        denominator = 1001;
        break;
    default:
        numerator = rate;
        denominator = 1;
        break;
    }
}
