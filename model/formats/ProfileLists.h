#pragma once

// What a profile offers the settings dialog: for each quality value the list
// of values it allows (ATTRIBUTE_VALUE, "," separated) and the presets
// (HIGH_, STANDARD_ and SMALL_QUALITY_VALUE, in file order). See
// ProfileFile.h for the file's layout.

#include "formats/Convertinfo.h"
#include "formats/ProfileFile.h"

#include <QList>
#include <QString>
#include <QStringList>

class ProfileLists
{
public:
    // Reads the profile at path. False, the lists left as they were, when it
    // cannot be read, is damaged or holds no element. A profile is shipped
    // data and stays where it is.
    bool read(const QString& path);

    // Whether the profile has value lists; a later ATTRIBUTE_VALUE wins.
    bool hasLists() const { return m_hasLists; }
    // The list text of a quality value, in kQualityAttributes order.
    QString listText(int attribute) const { return m_texts[attribute]; }
    // Each preset element's eight values, in file order.
    const QList<Convertinfo>& presets() const { return m_presets; }

    // "a,b,c" -> {"a", "b", "c"}; every part is kept as written, an empty
    // text is one empty value.
    static QStringList split(const QString& text);

private:
    bool m_hasLists = false;
    QString m_texts[kQualityAttributeCount];
    QList<Convertinfo> m_presets;
};
