#include "QVideoSettingXml.h"

#include "QIAppUtil.h"

#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QTextStream>

Q_LOGGING_CATEGORY(lcCaptureSettings, "lumivane.editor.capturesettings")

namespace {

const QString kRoot = QStringLiteral("ROOTITEM");
const QString kElement = QStringLiteral("Screenshots");
const QString kSuffix = QStringLiteral("IMG_SUFFIX");
const QString kFolder = QStringLiteral("IMG_Folder");

enum class Load { Fresh, Parsed, Unreadable, Broken };

Load load(const QString& path, QDomDocument& doc)
{
    QFile file(path);
    if (!file.exists()) {
        doc.appendChild(doc.createElement(kRoot));
        return Load::Fresh;
    }
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return Load::Unreadable;
    QString message;
    int line = 0, column = 0;
    if (!doc.setContent(&file, &message, &line, &column)) {
        qCWarning(lcCaptureSettings) << path << message << line << column;
        return Load::Broken;
    }
    if (doc.documentElement().isNull()) {
        doc.appendChild(doc.createElement(kRoot));
        return Load::Fresh;
    }
    return Load::Parsed;
}

// A file we cannot parse is kept beside, under a name of its own, so the
// user's edits are not lost when a fresh file takes its place.
bool moveAside(const QString& path)
{
    for (int i = 0; i < 100; ++i) {
        const QString aside = path + (i == 0 ? QStringLiteral(".unreadable")
                                             : QStringLiteral(".unreadable%1").arg(i));
        if (!QFileInfo::exists(aside))
            return QFile::rename(path, aside);
    }
    return false;
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

QString defaultFolder()
{
    return QIAppUtil::getResourcePath() + QStringLiteral("/Screenshots");
}

} // namespace

QString QVideoSettingXml::fileName()
{
    return QIAppUtil::getResourcePath() + QStringLiteral("/VideoCaptureSetting.xml");
}

QString QVideoSettingXml::getCaptureImgSuffix()
{
    return readValue(kSuffix, QStringLiteral("JPEG"));
}

QString QVideoSettingXml::getCaptrueImaSavePath()
{
    return readValue(kFolder, defaultFolder());
}

bool QVideoSettingXml::setCaptureImgSuffix(const QString& suffix)
{
    return writeValue(kSuffix, suffix);
}

bool QVideoSettingXml::setCaptrueImaPath(const QString& path)
{
    return writeValue(kFolder, path);
}

QString QVideoSettingXml::readValue(const QString& attribute, const QString& fallback)
{
    const QString path = fileName();
    QDomDocument doc;
    Load state = load(path, doc);
    if (state == Load::Unreadable)
        return fallback;
    if (state == Load::Broken) {
        if (!moveAside(path))
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
    } else if (state == Load::Parsed && element.attribute(attribute) == value && element.hasAttribute(attribute)) {
        return true;
    }
    element.setAttribute(attribute, value);
    return SaveXml(path, doc);
}

bool QVideoSettingXml::SaveXml(const QString& path, const QDomDocument& doc)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        qWarning("error::ParserXML->writeOperateXml->file.open\n");
        return false;
    }
    QTextStream out(&file);
    out.setCodec("utf-8");
    doc.save(out, 4);
    out.flush();
    if (!file.commit()) {
        qWarning("error::ParserXML->writeOperateXml->file.open\n");
        return false;
    }
    return true;
}
