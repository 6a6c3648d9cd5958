#include "formats/ProfileLists.h"

#include <QDomDocument>

bool ProfileLists::read(const QString& path)
{
    QDomDocument doc;
    const QDomElement root = ProfileFile::load(path, doc);
    if (root.isNull())
        return false;
    m_hasLists = false;
    m_presets.clear();
    for (QDomElement e = root.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        const QString tag = e.tagName();
        if (tag == QLatin1String("ATTRIBUTE_VALUE")) {
            m_hasLists = true;
            for (int a = 0; a < kQualityAttributeCount; ++a)
                m_texts[a] = e.attribute(QLatin1String(kQualityAttributes[a].name));
        } else if (tag == QLatin1String("HIGH_QUALITY_VALUE")
                   || tag == QLatin1String("STANDARD_QUALITY_VALUE")
                   || tag == QLatin1String("SMALL_QUALITY_VALUE")) {
            Convertinfo preset;
            readQualityValues(e, preset);
            m_presets.append(preset);
        }
    }
    return true;
}

QStringList ProfileLists::split(const QString& text) { return text.split(QLatin1Char(',')); }
