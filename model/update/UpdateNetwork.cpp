#include "update/UpdateNetwork.h"

#include "LogCategories.h"
#include "update/UpdateTexts.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

namespace UpdateNetwork {
namespace {
const char* const kTooLarge = "lvTooLarge";
const char* const kBadRedirect = "lvBadRedirect";
const char* const kRedirects = "lvRedirects";

QString tr(const char* text) { return QCoreApplication::translate("UpdateNetwork", text); }
} // namespace

QString unreachableText()
{
    return tr("The update server could not be reached. Check your Internet connection and try again.");
}

QString insecureAddressText()
{
    return tr("The update address is not a secure (https) address, so it was not used.");
}

QNetworkRequest request(const QUrl& url)
{
    QNetworkRequest request(url);
    // No Accept-Encoding of our own: the network layer asks for the
    // encodings it can undo and undoes them.
    request.setRawHeader("User-Agent",
                         "Mozilla/5.0 (X11; Linux x86_64; rv:7.0.1) Gecko/20100101 Firefox/7.0.1");
    request.setRawHeader("Accept", "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8");
    request.setRawHeader("Accept-Language", "zh-cn,zh;q=0.5");
    request.setRawHeader("Accept-Charset", "utf-8;q=0.7,*;q=0.7");
    request.setRawHeader("Connection", "keep-alive");
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setTransferTimeout(kStallMs);
    return request;
}

void guard(QNetworkReply* reply, qint64 limit)
{
    QObject::connect(reply, &QNetworkReply::redirected, reply, [reply](const QUrl& to) {
        reply->setProperty(kRedirects, reply->property(kRedirects).toInt() + 1);
        if (UpdateTexts::isAllowedUpdateUrl(to)) {
            emit reply->redirectAllowed();
        } else {
            reply->setProperty(kBadRedirect, true);
            reply->abort();
        }
    });
    if (limit < 0)
        return;
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply,
                     [reply, limit](qint64 received, qint64 total) {
                         if (received > limit || total > limit)
                             markTooLarge(reply);
                     });
}

void markTooLarge(QNetworkReply* reply)
{
    reply->setProperty(kTooLarge, true);
    reply->abort();
}

QString failure(QNetworkReply* reply, const QString& tooLarge, bool partial)
{
    qCDebug(lcServices) << reply->url() << reply->error() << reply->errorString() << "status"
                        << reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->property(kTooLarge).toBool())
        return tooLarge;
    if (reply->property(kBadRedirect).toBool() || reply->error() == QNetworkReply::InsecureRedirectError)
        return tr("The update server sent the request on to an address that is not secure (https), "
                  "so it was not followed.");
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    // Past the allowed count the network layer may end without an error
    // and with a status that is no answer (100) after its redirects.
    const bool answered = status == 200 || (partial && status == 206);
    const bool redirected = reply->property(kRedirects).toInt() > 0;
    if (reply->error() == QNetworkReply::TooManyRedirectsError || (status >= 300 && status < 400)
        || (!answered && status < 400 && redirected && reply->error() == QNetworkReply::NoError))
        return tr("The update server sent the request on too many times (a redirect loop), "
                  "so its answer could not be used.");
    if (reply->error() == QNetworkReply::SslHandshakeFailedError)
        return tr("The update server's certificate could not be verified, so nothing was loaded from it.");
    if (status >= 400)
        return tr("The update server answered with an error (HTTP %1).").arg(status);
    if (status > 0 && !answered)
        return tr("The update server sent an answer that could not be used.");
    if (reply->error() != QNetworkReply::NoError || status == 0)
        return unreachableText();
    return QString();
}

} // namespace UpdateNetwork
