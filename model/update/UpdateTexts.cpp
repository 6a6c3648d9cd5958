#include "update/UpdateTexts.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <QStringList>
#include <QTextCodec>
#include <QUrl>

namespace UpdateTexts {

const char kRunningVersion[] = "3.2.2.0";

namespace {
const QRegularExpression& versionPattern()
{
    static const QRegularExpression re(QStringLiteral("^\\d+\\.\\d+\\.\\d+\\.\\d+$"));
    return re;
}

const QRegularExpression& sectionPattern()
{
    static const QRegularExpression re(QStringLiteral("^<(\\d+\\.\\d+\\.\\d+\\.\\d+)>$"));
    return re;
}

// Compares two digit strings as numbers without converting them, so a
// part too long for an integer cannot wrap round.
int compareNumber(QString a, QString b)
{
    while (a.size() > 1 && a.startsWith('0'))
        a.remove(0, 1);
    while (b.size() > 1 && b.startsWith('0'))
        b.remove(0, 1);
    if (a.size() != b.size())
        return a.size() > b.size() ? 1 : -1;
    const int c = QString::compare(a, b);
    return c > 0 ? 1 : (c < 0 ? -1 : 0);
}
} // namespace

bool isStrictVersion(const QString& text) { return versionPattern().match(text).hasMatch(); }

int compareVersion(QString a, QString b)
{
    a = a.trimmed();
    b = b.trimmed();
    if (!isStrictVersion(a) || !isStrictVersion(b))
        return -2;
    const QStringList pa = a.split('.');
    const QStringList pb = b.split('.');
    for (int i = 0; i < pa.size(); ++i) {
        const int c = compareNumber(pa.at(i), pb.at(i));
        if (c != 0)
            return c;
    }
    return 0;
}

QString decodeUpdateText(const QByteArray& body)
{
    QTextCodec::ConverterState state;
    const QString text = QTextCodec::codecForName("UTF-8")->toUnicode(body.constData(), body.size(), &state);
    if (state.invalidChars == 0)
        return text;
    return QString::fromLatin1(body);
}

QString parseVersionAnswer(const QByteArray& body)
{
    const int zero = body.indexOf('\0');
    const QString text = QString::fromLatin1(zero < 0 ? body : body.left(zero)).trimmed();
    return isStrictVersion(text) ? text : QString();
}

QString getVersionInfo(const QString& text)
{
    QStringList versions;
    QMap<QString, QStringList> notes;
    QString current;
    const QStringList lines = text.trimmed().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty())
            continue;
        const QRegularExpressionMatch m = sectionPattern().match(line);
        if (m.hasMatch()) {
            current = m.captured(1);
            versions.append(current);
            notes[current] = QStringList();
        } else if (!current.isEmpty()) {
            notes[current].append(line);
        }
    }

    QString html;
    const QString running = QString::fromLatin1(kRunningVersion);
    for (const QString& version : versions) {
        if (compareVersion(version, running) <= 0)
            continue;
        html += QStringLiteral("<font size=\"5\" color=\"%1\">%2</font><br/>")
                    .arg(QStringLiteral("gray"), version);
        const QStringList& list = notes[version];
        for (int i = 0; i < list.size(); ++i)
            html += QStringLiteral("%1. %2<br/>").arg(i + 1).arg(list.at(i).toHtmlEscaped());
        html += QStringLiteral("<br/>");
    }
    return html;
}

QByteArray parseSha256Text(const QByteArray& text)
{
    const QByteArray word = text.trimmed().split(' ').value(0).split('\t').value(0).trimmed().toLower();
    if (word.size() != 64)
        return QByteArray();
    for (char c : word) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return QByteArray();
    }
    return word;
}

bool isAllowedUpdateUrl(const QUrl& url)
{
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https"))
        return true;
    if (scheme != QLatin1String("http"))
        return false;
    const QString host = url.host().toLower();
    if (host == QLatin1String("localhost"))
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

} // namespace UpdateTexts
