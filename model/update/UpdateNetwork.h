#pragma once

#include <QString>

class QNetworkReply;
class QNetworkRequest;
class QUrl;

// The one way the update client talks to its server, for the check and the
// download alike: Qt's network classes, https only (plain http only to this
// machine, for tests), certificates checked, redirects followed only to
// allowed addresses and at most five times, and every failure told in words
// that say what went wrong.
namespace UpdateNetwork {

// A request with the client's headers, its redirect rule and a stall bound.
QNetworkRequest request(const QUrl& url);

// Watches a reply: a redirect to an address that is not allowed is refused,
// and a body longer than limit bytes (when limit >= 0) is cut off.
void guard(QNetworkReply* reply, qint64 limit);

// Marks a reply that was ended because its answer was too large.
void markTooLarge(QNetworkReply* reply);

// The reason a finished reply failed, or "" when it is a good 200 answer
// (or 206 when partial is true). tooLarge is the text for an answer over
// its bound.
QString failure(QNetworkReply* reply, const QString& tooLarge, bool partial = false);

// How many redirects one request may follow.
constexpr int kMaxRedirects = 5;
// A transfer that receives nothing for this long counts as lost.
constexpr int kStallMs = 30000;

QString unreachableText();
QString insecureAddressText();

} // namespace UpdateNetwork
