#include "QVideoSettingXml.h"

#include "QIAppUtil.h"

#include <QDomDocument>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>

namespace {

QString settingsPath()
{
    return QIAppUtil::getResourcePath() + "/VideoCaptureSetting.xml";
}

QString readValue(const QString& attribute, const QString& fallback)
{
    const QString path = settingsPath();
    QDomDocument doc;
    if (QFile::exists(path)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text) || !doc.setContent(&file))
            return fallback;
    } else {
        doc.appendChild(doc.createElement("ROOTITEM"));
    }
    QDomElement root = doc.documentElement();
    QDomElement shots = root.firstChildElement("Screenshots");
    bool changed = false;
    QString result = fallback;
    if (shots.isNull()) {
        shots = doc.createElement("Screenshots");
        shots.setAttribute(attribute, fallback);
        root.appendChild(shots);
        changed = true;
    } else if (shots.attribute(attribute).isEmpty()) {
        shots.setAttribute(attribute, fallback);
        changed = true;
    } else {
        result = shots.attribute(attribute);
    }
    if (changed)
        QVideoSettingXml::SaveXml(path, doc);
    return result;
}

bool writeValue(const QString& attribute, const QString& value)
{
    const QString path = settingsPath();
    QDomDocument doc;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text) || !doc.setContent(&file))
        return false;
    file.close();
    QDomElement shots = doc.documentElement().firstChildElement("Screenshots");
    if (shots.isNull())
        return false;
    shots.setAttribute(attribute, value);
    return QVideoSettingXml::SaveXml(path, doc);
}

} // namespace

QString QVideoSettingXml::getCaptureImgSuffix()
{
    return readValue("IMG_SUFFIX", "JPEG");
}

QString QVideoSettingXml::getCaptrueImaSavePath()
{
    return readValue("IMG_Folder", QIAppUtil::getResourcePath() + "/Screenshots");
}

bool QVideoSettingXml::setCaptureImgSuffix(QString suffix)
{
    return writeValue("IMG_SUFFIX", suffix);
}

bool QVideoSettingXml::setCaptrueImaPath(QString path)
{
    return writeValue("IMG_Folder", path);
}

bool QVideoSettingXml::SaveXml(QString path, QDomDocument& doc)
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
    return file.commit();
}
