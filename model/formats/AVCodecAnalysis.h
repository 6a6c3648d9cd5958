// Codec names of the profile files translated into the engine's codec ids,
// and integer frame rates into the rational rate the engine takes.
#pragma once

#include <QString>
#include <QtGlobal>

// One table row: a codec name and its engine codec id.
struct CodecEntry
{
    QString name;
    qint32 id = 0;
};

class AVCodecAnalysis
{
public:
    AVCodecAnalysis();

    // The named rows stand first; the first row with an empty name ends a table.
    static CodecEntry m_VideoCodecArray[260];
    static CodecEntry m_AudioCodecArray[260];

    // Result of the latest lookup of each kind; 0 before the first.
    static qint32 m_videoCodec;
    static qint32 m_audioCodec;

    // Case-insensitive whole-name lookups; 0 when the table has no such name.
    static qint32 GetVideoCodec(QString name);
    static qint32 GetAudioCodec(QString name);

    // The numerator and denominator for an integer frame rate, as the engine takes it.
    static void GetVideoFrameRate(unsigned int rate, unsigned int& numerator, unsigned int& denominator);
};
