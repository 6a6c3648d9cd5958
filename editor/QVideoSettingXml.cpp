#include "QVideoSettingXml.h"

#include "DataFile.h"
#include "UserData.h"

#include <QDomDocument>

namespace {

const QString kRoot = QStringLiteral("ROOTITEM");
const QString kElement = QStringLiteral("Screenshots");
const QString kSuffix = QStringLiteral("IMG_SUFFIX");
const QString kFolder = QStringLiteral("IMG_Folder");

enum class Load { Fresh, Parsed, Unreadable, Broken };

Load load(const QString& path, QDomDocument& doc)
{
    switch (DataFile::read(path, doc)) {
    case DataFile::Read::Ok:
        if (!doc.documentElement().isNull())
            return Load::Parsed;
        break;
    case DataFile::Read::Missing:
    case DataFile::Read::Empty:
        break;
    case DataFile::Read::Unreadable:
        return Load::Unreadable;
    case DataFile::Read::Damaged:
        return Load::Broken;
    }
    doc = QDomDocument();
    doc.appendChild(doc.createElement(kRoot));
    return Load::Fresh;
}

QDomElement firstScreenshots(const QDomDocument& doc)
{
    for (QDomNode n = doc.documentElement().firstChild(); !n.isNull(); n = n.nextSibling()) {
        const QDomElement e = n.toElement();
        if (!e.isNull() && e.tagName() == kElement)
            return e;
    }
    return QDomElement();
}

} // namespace

QString QVideoSettingXml::defaultFolder() { return UserData::folder() + QStringLiteral("/Screenshots"); }

QString QVideoSettingXml::fileName() { return UserData::path(QStringLiteral("VideoCaptureSetting.xml")); }

QString QVideoSettingXml::getCaptureImgSuffix() { return readValue(kSuffix, QStringLiteral("JPEG")); }

QString QVideoSettingXml::getCaptrueImaSavePath() { return readValue(kFolder, defaultFolder()); }

bool QVideoSettingXml::setCaptureImgSuffix(const QString& suffix) { return writeValue(kSuffix, suffix); }

bool QVideoSettingXml::setCaptrueImaPath(const QString& path) { return writeValue(kFolder, path); }

QString QVideoSettingXml::readValue(const QString& attribute, const QString& fallback)
{
    const QString path = fileName();
    QDomDocument doc;
    Load state = load(path, doc);
    if (state == Load::Unreadable)
        return fallback;
    if (state == Load::Broken) {
        // Kept beside under a name of its own, so the person's edits are not lost.
        if (!DataFile::setAside(path))
            return fallback;
        doc = QDomDocument();
        doc.appendChild(doc.createElement(kRoot));
        state = Load::Fresh;
    }

    QString result = fallback;
    bool changed = state == Load::Fresh;
    QDomElement element = firstScreenshots(doc);
    if (element.isNull()) {
        element = doc.createElement(kElement);
        element.setAttribute(attribute, fallback);
        doc.documentElement().appendChild(element);
        changed = true;
    } else {
        const QString value = element.attribute(attribute);
        if (value.isEmpty()) {
            element.setAttribute(attribute, fallback);
            changed = true;
        } else {
            result = value;
        }
    }
    // The file is written only when it lacked something, so opening the
    // editor leaves an intact file alone.
    if (changed)
        SaveXml(path, doc);
    return result;
}

bool QVideoSettingXml::writeValue(const QString& attribute, const QString& value)
{
    const QString path = fileName();
    QDomDocument doc;
    const Load state = load(path, doc);
    if (state == Load::Unreadable || state == Load::Broken)
        return false;
    QDomElement element = firstScreenshots(doc);
    if (element.isNull()) {
        element = doc.createElement(kElement);
        doc.documentElement().appendChild(element);
    } else if (state == Load::Parsed && element.attribute(attribute) == value
               && element.hasAttribute(attribute)) {
        return true;
    }
    element.setAttribute(attribute, value);
    return SaveXml(path, doc);
}

bool QVideoSettingXml::SaveXml(const QString& path, const QDomDocument& doc)
{
    return DataFile::save(path, doc);
}
