#include "formats/ProfileFile.h"

#include "files/DataFile.h"
#include "files/UserData.h"
#include "formats/GobelItemChunk.h"

#include <QDomDocument>

#include <atomic>
#include <memory>

// clang-format off
const QualityAttribute kQualityAttributes[kQualityAttributeCount] = {
    {"V_Encoder",    &Convertinfo::V_Encoder,    "",      true},
    {"V_Resolution", &Convertinfo::V_Resolution, "",      true},
    {"V_FrameRate",  &Convertinfo::V_FrameRate,  " fps",  true},
    {"V_BitRate",    &Convertinfo::V_BitRate,    " kbps", true},
    {"A_Encoder",    &Convertinfo::A_Encoder,    "",      false},
    {"A_Channel",    &Convertinfo::A_Channel,    "",      false},
    {"A_SampleRate", &Convertinfo::A_SampleRate, " HZ",   false},
    {"A_BitRate",    &Convertinfo::A_BitRate,    " kbps", false},
};
// clang-format on

namespace {

const QString kCurrentValues = QStringLiteral("TEMP_QUALITY_VALUE");

bool isWord(const QString& value)
{
    return value == QLatin1String("Original") || value == QLatin1String("Auto");
}

bool isVideoProfile(const QDomElement& root) { return root.attribute("OnlyAudio") != QLatin1String("Y"); }

} // namespace

void readQualityValues(const QDomElement& element, Convertinfo& info)
{
    for (const QualityAttribute& a : kQualityAttributes)
        info.*(a.value) = element.attribute(QLatin1String(a.name));
}

QString qualityDisplayForm(const QString& value, const QString& unit)
{
    return unit.isEmpty() || isWord(value) ? value : value + unit;
}

QString qualityValueForm(const QString& text, const QString& unit)
{
    if (unit.isEmpty() || isWord(text) || text.size() < unit.size())
        return text;
    return text.left(text.size() - unit.size());
}

QString ProfileFile::path(const QString& file)
{
    return UserData::readPath(QStringLiteral("format/XML/") + file);
}

QDomElement ProfileFile::load(const QString& path, QDomDocument& doc)
{
    if (DataFile::read(path, doc) != DataFile::Read::Ok)
        return QDomElement();
    const QDomElement root = doc.documentElement();
    if (root.isNull() || root.firstChildElement().isNull())
        return QDomElement();
    return root;
}

bool ProfileFile::read(const QString& path, const QString& tag, Convertinfo& info)
{
    QDomDocument doc;
    const QDomElement root = load(path, doc);
    if (root.isNull())
        return false;
    info.isVideo = isVideoProfile(root);
    for (QDomElement e = root.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        if (e.tagName() == tag) {
            readQualityValues(e, info);
        } else if (e.tagName() == QLatin1String("VIDIO_FOMAT_INFO")) {
            info.V_Format = e.attribute("V_Format");
            info.V_Extend = e.attribute("V_Extend");
        }
    }
    return true;
}

namespace {

// Rewrites the current values of the profile read from `path` into `own`;
// the file's video flag goes to isVideo (1 video, 0 audio only).
bool writeValues(const QString& path, const QString& own, Convertinfo info, std::atomic<int>& isVideo)
{
    QDomDocument doc;
    QDomElement root = ProfileFile::load(path, doc);
    if (root.isNull())
        return false;
    info.isVideo = isVideoProfile(root);
    isVideo = info.isVideo ? 1 : 0;
    for (QDomElement e = root.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        if (e.tagName() != kCurrentValues)
            continue;
        // An audio-only profile keeps whatever picture values it holds.
        for (const QualityAttribute& a : kQualityAttributes) {
            if (info.isVideo || !a.video)
                e.setAttribute(QLatin1String(a.name), info.*(a.value));
        }
    }
    return DataFile::save(own, doc);
}

} // namespace

bool ProfileFile::writeCurrent(const QString& path, Convertinfo& info)
{
    const QString own = UserData::ownCopyOf(path);
    auto isVideo = std::make_shared<std::atomic<int>>(-1);
    const bool made = DataFile::changeNowOrLater(
        own, [path, own, info, isVideo] { return writeValues(path, own, info, *isVideo); });
    // Known once the profile was read: at once, or by the background
    // thread already.
    if (*isVideo >= 0)
        info.isVideo = *isVideo == 1;
    return made;
}

TaskFormat ProfileFile::currentTaskFormat()
{
    TaskFormat format;
    QString image;
    g_itemChunk.copyNames(image, format.itemName, format.profile);
    format.read = read(path(format.profile), kCurrentValues, format.values);
    return format;
}
