#pragma once

#include <QMetaType>
#include <QString>

// Conversion parameters of one output. Values are the profile's own texts
// without units; "Original" and "Auto" defer to the source or the engine.
struct Convertinfo
{
    bool isVideo = false;
    QString V_Encoder;
    QString V_Resolution;
    QString V_FrameRate;
    QString V_BitRate;
    QString A_Encoder;
    QString A_Channel;
    QString A_SampleRate;
    QString A_BitRate;
    QString V_Format;
    QString V_Extend;
    // Display texts, filled only by the queue's task rows.
    QString F_Name;
    QString F_Size;
    QString F_Duration;
    QString F_Format;
};

Q_DECLARE_METATYPE(Convertinfo)
