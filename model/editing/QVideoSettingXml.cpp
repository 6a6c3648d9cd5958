#include "editing/QVideoSettingXml.h"

#include "LogCategories.h"
#include "files/DataFile.h"
#include "files/UserData.h"
#include "formats/ProfileFile.h"

#include <QDir>
#include <QDomDocument>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QRegularExpression>

namespace {

// Diagnostics go to the editor's category (lcEditor): these are the
// editor's settings, wherever the code lives.

const QString kRoot = QStringLiteral("ROOTITEM");
const QString kElement = QStringLiteral("Screenshots");
const QString kSuffix = QStringLiteral("IMG_SUFFIX");
const QString kFolder = QStringLiteral("IMG_Folder");

// Another instance of the program takes the lock only for one read and
// write of a file of a few hundred bytes, so a short wait is enough.
constexpr int kLockWaitMs = 1000;

QDomDocument freshDocument()
{
    QDomDocument doc;
    doc.appendChild(doc.createElement(kRoot));
    return doc;
}

// After a read that gave no document: true when the path holds nothing
// worth keeping, so a fresh file may take its place.
bool nothingToKeep(const QString& path)
{
    const QFileInfo info(path);
    return !info.exists() || (info.isFile() && info.size() == 0);
}

// The first child element of `parent` named exactly `tag`; firstChildElement
// would take any element for an empty tag.
QDomElement firstChild(const QDomNode& parent, const QString& tag)
{
    for (QDomElement e = parent.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        if (e.tagName() == tag)
            return e;
    }
    return QDomElement();
}

// A name the file can hold: a DOM element or attribute with any other name
// would be written out as text no parser reads back.
bool isXmlName(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z_][A-Za-z0-9._-]*$"));
    return pattern.match(name).hasMatch();
}

// The root child describing a device format of the shipped values file,
// or a null element.
QDomElement deviceFormat(QDomDocument& doc, const QString& format)
{
    if (format.isEmpty())
        return QDomElement();
    const QString path = QVideoSettingXml::formatFileName();
    const DataFile::Read read = DataFile::read(path, doc);
    if (read != DataFile::Read::Ok) {
        qCDebug(lcEditor) << "device values not read:" << path << int(read);
        return QDomElement();
    }
    for (QDomElement e = doc.documentElement().firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        if (e.attribute(QStringLiteral("DevFormat")) == format)
            return e;
    }
    return QDomElement();
}

bool isOnlyAudio(const QDomElement& format) { return format.attribute(QStringLiteral("OnlyAudio")) == "Y"; }

// Where each quality value goes, in kQualityAttributes' order; the names,
// units and which values belong to the picture come from that table.
struct ValueFields
{
    QStringList VideoFormatAllInfo::*list;
    QString VideoQualitySet::*value;
};

const ValueFields kValueFields[kQualityAttributeCount] = {
    {&VideoFormatAllInfo::V_Encoder, &VideoQualitySet::V_Encoder},
    {&VideoFormatAllInfo::V_Resolution, &VideoQualitySet::V_Resolution},
    {&VideoFormatAllInfo::V_FrameRate, &VideoQualitySet::V_FrameRate},
    {&VideoFormatAllInfo::V_BitRate, &VideoQualitySet::V_BitRate},
    {&VideoFormatAllInfo::A_Encoder, &VideoQualitySet::A_Encoder},
    {&VideoFormatAllInfo::A_Channel, &VideoQualitySet::A_Channel},
    {&VideoFormatAllInfo::A_SampleRate, &VideoQualitySet::A_SampleRate},
    {&VideoFormatAllInfo::A_BitRate, &VideoQualitySet::A_BitRate},
};

} // namespace

VideoFormatAllInfo QVideoSettingXml::m_formatInfo;
VideoQualitySet QVideoSettingXml::m_highQualitySet;
VideoFileFormatInfo QVideoSettingXml::m_fileFormatInfo;

QString QVideoSettingXml::defaultFolder() { return UserData::folder() + QStringLiteral("/Screenshots"); }

QString QVideoSettingXml::fileName() { return UserData::path(QStringLiteral("VideoCaptureSetting.xml")); }

QString QVideoSettingXml::formatFileName()
{
    return UserData::shippedPath(QStringLiteral("VideoSetting.xml"));
}

QString QVideoSettingXml::getCaptureImgSuffix()
{
    return readValue(kElement, kSuffix, QStringLiteral("JPEG"), Empty::Fill);
}

QString QVideoSettingXml::getCaptrueImaSavePath()
{
    return readValue(kElement, kFolder, defaultFolder(), Empty::Fill);
}

bool QVideoSettingXml::setCaptureImgSuffix(const QString& suffix)
{
    return writeValue(kElement, kSuffix, suffix);
}

bool QVideoSettingXml::setCaptrueImaPath(const QString& path) { return writeValue(kElement, kFolder, path); }

QString QVideoSettingXml::GetItemValue(const QString& element, const QString& attribute,
                                       const QString& fallback)
{
    if (!isXmlName(element) || !isXmlName(attribute))
        return fallback;
    const QString value = readValue(element, attribute, fallback, Empty::Keep);
    qCDebug(lcEditor).noquote() << value << "oxoxoxoxoxoxoxoxxo";
    return value;
}

bool QVideoSettingXml::SetItemValue(const QString& element, const QString& attribute, const QString& value)
{
    qCDebug(lcEditor).noquote() << "restName---" << value;
    if (!isXmlName(element) || !isXmlName(attribute))
        return false;
    return writeValue(element, attribute, value);
}

QString QVideoSettingXml::readValue(const QString& elementName, const QString& attribute,
                                    const QString& fallback, Empty empty)
{
    const QString path = fileName();
    QDir().mkpath(QFileInfo(path).absolutePath());
    const DataFile::Lock lock(path, kLockWaitMs);
    // Without the lock the file is only read, never written.
    const bool locked = lock.isLocked();

    QDomDocument doc;
    bool changed = false;
    // The one rule for a file that cannot be used: set aside, then begun anew.
    if (!DataFile::readOrSetAside(path, doc) || doc.documentElement().isNull()) {
        if (!nothingToKeep(path))
            return fallback;
        doc = freshDocument();
        changed = true;
    }

    QString result = fallback;
    QDomElement element = firstChild(doc.documentElement(), elementName);
    if (element.isNull()) {
        element = doc.createElement(elementName);
        element.setAttribute(attribute, fallback);
        doc.documentElement().appendChild(element);
        changed = true;
    } else {
        const QString value = element.attribute(attribute);
        if (!value.isEmpty()) {
            result = value;
        } else if (empty == Empty::Fill) {
            element.setAttribute(attribute, fallback);
            changed = true;
        }
    }
    // Written only when it lacked something, so that opening the editor
    // leaves an intact file alone.
    if (changed && locked)
        SaveXml(path, doc);
    return result;
}

bool QVideoSettingXml::writeValue(const QString& elementName, const QString& attribute, const QString& value)
{
    const QString path = fileName();
    QDir().mkpath(QFileInfo(path).absolutePath());
    const DataFile::Lock lock(path, kLockWaitMs);
    if (!lock.isLocked()) {
        qCDebug(lcEditor) << "snapshot settings busy:" << path;
        return false;
    }
    QDomDocument doc;
    switch (DataFile::read(path, doc)) {
    case DataFile::Read::Ok:
        if (!doc.documentElement().isNull())
            break;
        return false;
    case DataFile::Read::Missing:
    case DataFile::Read::Empty:
        doc = freshDocument();
        break;
    case DataFile::Read::Unreadable:
    case DataFile::Read::Damaged:
        // Left as it is: the next getter sets it aside.
        return false;
    }
    QDomElement element = firstChild(doc.documentElement(), elementName);
    if (element.isNull()) {
        element = doc.createElement(elementName);
        doc.documentElement().appendChild(element);
    } else if (element.hasAttribute(attribute) && element.attribute(attribute) == value) {
        return true;
    }
    element.setAttribute(attribute, value);
    return SaveXml(path, doc);
}

bool QVideoSettingXml::SaveXml(const QString& path, const QDomDocument& doc)
{
    return DataFile::save(path, doc);
}

QStringList QVideoSettingXml::analysisTextInfo(const QString& text)
{
    QStringList items;
    for (const QString& item : text.split(QLatin1Char(','))) {
        const QString trimmed = item.trimmed();
        if (!trimmed.isEmpty())
            items << trimmed;
    }
    return items;
}

QStringList QVideoSettingXml::analysisTextInfo(const QString& text, const QString& key)
{
    QStringList items = analysisTextInfo(text);
    for (QString& item : items)
        item = addUnit(item, key);
    return items;
}

QString QVideoSettingXml::addUnit(const QString& value, const QString& key)
{
    const QString trimmed = value.trimmed();
    // A blank value stays blank rather than becoming a unit alone.
    if (trimmed.isEmpty())
        return trimmed;
    for (const QualityAttribute& a : kQualityAttributes) {
        if (key == QLatin1String(a.name))
            return qualityDisplayForm(trimmed, QString::fromLatin1(a.unit));
    }
    return trimmed;
}

std::optional<VideoFormatAllInfo> QVideoSettingXml::GetFormatAllInfo(const QString& format)
{
    m_formatInfo = VideoFormatAllInfo();
    QDomDocument doc;
    const QDomElement device = deviceFormat(doc, format);
    if (device.isNull())
        return std::nullopt;
    m_formatInfo.onlyAudio = isOnlyAudio(device);
    const QDomElement values = firstChild(device, QStringLiteral("ATTRIBUTE_VALUE"));
    if (values.isNull())
        return std::nullopt;
    for (int i = 0; i < kQualityAttributeCount; ++i) {
        if (kQualityAttributes[i].video && m_formatInfo.onlyAudio)
            continue;
        const QString name = QString::fromLatin1(kQualityAttributes[i].name);
        m_formatInfo.*kValueFields[i].list = analysisTextInfo(values.attribute(name), name);
    }
    return m_formatInfo;
}

std::optional<VideoQualitySet> QVideoSettingXml::GetQuality(const QString& tag, const QString& format)
{
    m_highQualitySet = VideoQualitySet();
    QDomDocument doc;
    const QDomElement device = deviceFormat(doc, format);
    if (device.isNull())
        return std::nullopt;
    const QDomElement quality = firstChild(device, tag);
    if (quality.isNull())
        return std::nullopt;
    m_highQualitySet.onlyAudio = isOnlyAudio(device);
    for (int i = 0; i < kQualityAttributeCount; ++i) {
        const QualityAttribute& a = kQualityAttributes[i];
        if (a.video && m_highQualitySet.onlyAudio)
            continue;
        const QString name = QString::fromLatin1(a.name);
        const QString value = quality.attribute(name);
        // Only a value with a unit is trimmed.
        m_highQualitySet.*kValueFields[i].value = *a.unit ? addUnit(value, name) : value;
    }
    return m_highQualitySet;
}

std::optional<VideoFileFormatInfo> QVideoSettingXml::GetFormatInfo(const QString& format)
{
    m_fileFormatInfo = VideoFileFormatInfo();
    QDomDocument doc;
    const QDomElement device = deviceFormat(doc, format);
    if (device.isNull())
        return std::nullopt;
    const QDomElement info = firstChild(device, QStringLiteral("VIDIO_FOMAT_INFO"));
    if (info.isNull())
        return std::nullopt;
    m_fileFormatInfo.V_Format = info.attribute(QStringLiteral("V_Format"));
    m_fileFormatInfo.V_Extend = info.attribute(QStringLiteral("V_Extend"));
    return m_fileFormatInfo;
}
