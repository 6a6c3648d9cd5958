#pragma once

#include <QByteArray>
#include <QString>

class QUrl;

// The update client's text rules: versions, release notes, checksums,
// addresses and bodies.
namespace UpdateTexts {

// The version this build reports and compares against.
extern const char kRunningVersion[];

// 1 when a is newer than b, -1 when older, 0 when equal; -2 when either is
// not four dot-separated numbers. Numbers of any length compare exactly.
int compareVersion(QString a, QString b);

// True for exactly four dot-separated decimal numbers, nothing around them.
bool isStrictVersion(const QString& text);

// The version in a latest-version answer: the body up to its first zero
// byte, trimmed; "" when that is not a strict version.
QString parseVersionAnswer(const QByteArray& body);

// Release notes (CR LF lines, "<a.b.c.d>" opening each section) rendered as
// HTML for the versions newer than the running one, notes escaped.
QString getVersionInfo(const QString& text);

// A published checksum: the first word of the text, 64 hex digits; empty
// when the text holds none. Lower-case hex.
QByteArray parseSha256Text(const QByteArray& text);

// Update addresses must be https; plain http only to this machine (tests).
bool isAllowedUpdateUrl(const QUrl& url);

// A text body as sent: UTF-8 when it is valid UTF-8, else Latin-1.
QString decodeUpdateText(const QByteArray& body);

} // namespace UpdateTexts
