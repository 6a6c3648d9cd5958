#include "Convertinfo.h"

#include <QDomElement>

void readQualityValues(const QDomElement& element, Convertinfo& info)
{
    info.V_Encoder = element.attribute("V_Encoder");
    info.V_Resolution = element.attribute("V_Resolution");
    info.V_FrameRate = element.attribute("V_FrameRate");
    info.V_BitRate = element.attribute("V_BitRate");
    info.A_Encoder = element.attribute("A_Encoder");
    info.A_Channel = element.attribute("A_Channel");
    info.A_SampleRate = element.attribute("A_SampleRate");
    info.A_BitRate = element.attribute("A_BitRate");
}
