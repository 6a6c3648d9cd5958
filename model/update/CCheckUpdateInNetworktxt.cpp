#include "update/CCheckUpdateInNetworktxt.h"

#include "CSingleVersionStringUtil.h"
#include "LogCategories.h"
#include "update/DownloadUpdateThread.h"
#include "update/ExeUpdateScriptThread.h"
#include "update/QCheckUpdateCallbackAdapter.h"
#include "update/UpdateCacheFolder.h"
#include "update/UpdateNetwork.h"
#include "update/UpdateRestart.h"
#include "update/UpdateTexts.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <unistd.h>

QString CCheckUpdateInNetworktxt::m_newVersion;

namespace {
CCheckUpdateInNetworktxt* s_checker = nullptr;

} // namespace

ICheckUpdateOpr* CreateCheckUpdateObj()
{
    if (!s_checker)
        s_checker = new CCheckUpdateInNetworktxt;
    return s_checker;
}

void FreeCheckUpdateObj(ICheckUpdateOpr*) {}

CCheckUpdateInNetworktxt::CCheckUpdateInNetworktxt()
{
    m_timer = new QTimer(this);
    m_timer->setInterval(5000);
    connect(m_timer, &QTimer::timeout, this, &CCheckUpdateInNetworktxt::onCheckNetworkTimer);
    m_cacheFolder = UpdateCacheFolder::defaultPath();
    m_diskReserve = FirewareDownImpl::kDiskReserve;
    // Read now: once an install has moved the bundle the running process
    // no longer knows its own path.
    UpdateRestart::rememberProgram();
}

CCheckUpdateInNetworktxt::~CCheckUpdateInNetworktxt()
{
    delete m_adapter;
    delete m_versionManager;
    delete m_notesManager;
}

void CCheckUpdateInNetworktxt::setCallback(IUpdateCallback* client)
{
    delete m_adapter;
    m_adapter = new QCheckUpdateCallbackAdapter(client);
}

void CCheckUpdateInNetworktxt::removeCallback()
{
    delete m_adapter;
    m_adapter = nullptr;
}

void CCheckUpdateInNetworktxt::lastProgress(unsigned long long* done, unsigned long long* total) const
{
    *done = m_done;
    *total = m_total;
}

QString CCheckUpdateInNetworktxt::foundVersion() const { return m_bNewVersion ? m_newVersion : QString(); }

void CCheckUpdateInNetworktxt::clearFinishedInstall()
{
    if (m_stage == UpdateStage::Installed)
        m_stage = UpdateStage::Idle;
}

QString CCheckUpdateInNetworktxt::imageFileName(const QString& product, const QString& version)
{
    QString name = product;
    // The product name is data; it must not lead out of the folder.
    name.replace('/', '_');
    name.replace(QChar(0), '_');
    return name + version + QStringLiteral("_temp.tar");
}

void CCheckUpdateInNetworktxt::fail(const QString& message)
{
    fail(message, m_stage == UpdateStage::Idle ? UpdateStage::Checking : m_stage);
}

void CCheckUpdateInNetworktxt::fail(const QString& message, UpdateStage step)
{
    qCDebug(lcServices) << "failed:" << message;
    m_timer->stop();
    m_failedStage = step;
    if (m_stage == UpdateStage::Checking)
        m_stage = UpdateStage::Idle;
    if (m_adapter)
        emit m_adapter->error(message);
}

bool CCheckUpdateInNetworktxt::checkAddress(const QUrl& url, UpdateStage step)
{
    if (url.isEmpty()) {
        fail(tr("This copy has no update address, so it cannot check for updates."), step);
        return false;
    }
    if (!UpdateTexts::isAllowedUpdateUrl(url)) {
        fail(UpdateNetwork::insecureAddressText(), step);
        return false;
    }
    return true;
}

void CCheckUpdateInNetworktxt::abortPending()
{
    m_timer->stop();
    if (QNetworkReply* reply = m_pending.data()) {
        m_pending = nullptr;
        reply->abort();
    }
}

QNetworkReply* CCheckUpdateInNetworktxt::sendRequest(QNetworkAccessManager* manager, const QUrl& url,
                                                     qint64 limit)
{
    QNetworkReply* reply = manager->get(UpdateNetwork::request(url));
    UpdateNetwork::guard(reply, limit);
    m_pending = reply;
    m_lookupHost = url.host();
    m_failCount = 0;
    m_timer->start();
    return reply;
}

void CCheckUpdateInNetworktxt::startCheckHaveUpdate()
{
    // A download under way or an install waiting for its restart is the
    // update; a second check would only start a second one.
    if (m_stage == UpdateStage::Downloading || m_stage == UpdateStage::Installing
        || m_stage == UpdateStage::Installed)
        return;
    abortPending();
    m_bVersionFetched = false;
    m_bNotesFetched = false;
    m_bNewVersion = false;
    m_notes.clear();

    m_stage = UpdateStage::Checking;
    requestAddress(ADDR_LINK_NEW_VERSION, &m_versionManager, &CCheckUpdateInNetworktxt::versionReplyFinished,
                   kMaxVersionBytes);
}

void CCheckUpdateInNetworktxt::requestAddress(tagAddressType key, QNetworkAccessManager** manager,
                                              void (CCheckUpdateInNetworktxt::*answer)(QNetworkReply*),
                                              qint64 limit)
{
    const QUrl url(CSingleVersionStringUtil::GetLinkAddress(key), QUrl::TolerantMode);
    if (!checkAddress(url, UpdateStage::Checking))
        return;
    if (!*manager) {
        *manager = new QNetworkAccessManager(this);
        connect(*manager, &QNetworkAccessManager::finished, this, answer);
    }
    sendRequest(*manager, url, limit);
}

bool CCheckUpdateInNetworktxt::takeReply(QNetworkReply* reply)
{
    reply->deleteLater();
    if (reply != m_pending.data())
        return false; // an answer to a check that was given up
    m_pending = nullptr;
    m_timer->stop();
    return true;
}

void CCheckUpdateInNetworktxt::versionReplyFinished(QNetworkReply* reply)
{
    if (!takeReply(reply))
        return;

    const QString notAVersion = tr("The update server did not answer with a version number.");
    const QString failure = UpdateNetwork::failure(reply, notAVersion);
    if (!failure.isEmpty()) {
        fail(failure);
        return;
    }
    const QString version = UpdateTexts::parseVersionAnswer(reply->readAll());
    if (version.isEmpty()) {
        fail(notAVersion);
        return;
    }
    m_newVersion = version;
    m_bNewVersion =
        UpdateTexts::compareVersion(version, QString::fromLatin1(UpdateTexts::kRunningVersion)) > 0;
    qCDebug(lcServices) << "latest version" << version << "newer" << m_bNewVersion;
    if (!m_bNewVersion) {
        m_stage = UpdateStage::Idle;
        if (m_adapter)
            emit m_adapter->haveUpdate(false, QString(), QString());
        return;
    }

    m_bVersionFetched = true;
    requestAddress(ADDR_LINK_DOWNLOAD, &m_notesManager, &CCheckUpdateInNetworktxt::versionInfoReplyFinished,
                   kMaxNotesBytes);
}

void CCheckUpdateInNetworktxt::versionInfoReplyFinished(QNetworkReply* reply)
{
    if (!takeReply(reply))
        return;

    const QString notesText = tr("The release notes of the new version could not be loaded.");
    const QString failure =
        UpdateNetwork::failure(reply, tr("The update server's answer is too long to be release notes."));
    if (!failure.isEmpty()) {
        fail(notesText + QLatin1Char(' ') + failure);
        return;
    }
    QByteArray body = reply->readAll();
    const int zero = body.indexOf('\0');
    if (zero >= 0)
        body.truncate(zero);
    m_notes = UpdateTexts::getVersionInfo(UpdateTexts::decodeUpdateText(body));
    m_bNotesFetched = true;
    m_stage = UpdateStage::Idle;
    if (m_adapter && m_bVersionFetched && m_bNotesFetched)
        emit m_adapter->haveUpdate(true, m_newVersion, m_notes);
}

void CCheckUpdateInNetworktxt::onCheckNetworkTimer()
{
    if (!m_lookupHost.isEmpty())
        QHostInfo::lookupHost(m_lookupHost, this, SLOT(onLookUpHost(QHostInfo)));
}

void CCheckUpdateInNetworktxt::onLookUpHost(QHostInfo host)
{
    QMutexLocker lock(&m_mutex);
    if (host.error() == QHostInfo::NoError || !m_timer->isActive())
        return;
    if (++m_failCount > 2) {
        m_failCount = 0;
        m_timer->stop();
        lock.unlock();
        onConnectInternetError();
    }
}

void CCheckUpdateInNetworktxt::onConnectInternetError()
{
    // The network is gone: the request under way is given up, so the
    // client gets one outcome, this error.
    if (m_stage == UpdateStage::Checking) {
        abortPending();
        fail(UpdateNetwork::unreachableText());
    } else if (m_stage == UpdateStage::Downloading && m_downloadThread) {
        m_stopReason = UpdateNetwork::unreachableText();
        m_stop = true;
        m_downloadThread->stopDownload();
    }
}

void CCheckUpdateInNetworktxt::startUpdate()
{
    // One download per process.
    if (m_stage == UpdateStage::Downloading || m_stage == UpdateStage::Installing
        || m_stage == UpdateStage::Installed)
        return;
    if (!m_bNewVersion || !UpdateTexts::isStrictVersion(m_newVersion)) {
        fail(tr("There is no newer version to download. Check for updates first."), UpdateStage::Downloading);
        return;
    }
    const QUrl url(CSingleVersionStringUtil::GetLinkAddress(ADDR_LINK_DOWNLOAD_ZIP), QUrl::TolerantMode);
    const QUrl hashUrl(CSingleVersionStringUtil::GetLinkAddress(ADDR_LINK_DOWNLOAD_SHA256),
                       QUrl::TolerantMode);
    if (!checkAddress(url, UpdateStage::Downloading) || !checkAddress(hashUrl, UpdateStage::Downloading))
        return;
    QString error;
    const int dir = UpdateCacheFolder::openFolder(m_cacheFolder, &error);
    if (dir < 0) {
        fail(tr("The update could not be stored (%1).").arg(error), UpdateStage::Downloading);
        return;
    }
    ::close(dir);

    const QString fileName =
        imageFileName(CSingleVersionStringUtil::GetLinkAddress(ADDR_PRODUCT_NAME), m_newVersion);
    UpdateCacheFolder::removeOtherImages(m_cacheFolder, fileName);
    m_imagePath = m_cacheFolder + QLatin1Char('/') + fileName;
    m_stop = false;
    m_stopReason.clear();
    m_dropPartial = false;
    m_done = 0;
    m_total = 0;

    if (!m_downloadThread) {
        m_downloadThread = new DownloadUpdateThread(this);
        connect(m_downloadThread, &DownloadUpdateThread::downloadProgress, this,
                &CCheckUpdateInNetworktxt::onDownloadProgress);
        connect(m_downloadThread, &DownloadUpdateThread::connectInternetError, this,
                &CCheckUpdateInNetworktxt::onConnectInternetError);
        connect(m_downloadThread, &QThread::finished, this, &CCheckUpdateInNetworktxt::httpFinished);
        connect(this, &CCheckUpdateInNetworktxt::signStopUpdate, m_downloadThread,
                &DownloadUpdateThread::stopDownload);
    }
    // Each download takes the addresses and the file of this version.
    m_downloadThread->setRequest({url.toString(QUrl::FullyEncoded), hashUrl.toString(QUrl::FullyEncoded),
                                  m_cacheFolder, fileName, m_diskReserve},
                                 url.host());
    m_stage = UpdateStage::Downloading;
    // The last run has returned (its end was reported); let the thread
    // finish exiting so that start() cannot be ignored.
    m_downloadThread->wait();
    m_downloadThread->start();
    if (m_adapter)
        emit m_adapter->begin();
}

void CCheckUpdateInNetworktxt::stopUpdate()
{
    if (m_stage == UpdateStage::Downloading && !m_stop) {
        // The person stopped it: nothing of it stays on the disk.
        m_stopReason = tr("The download was stopped, and the part already downloaded was deleted.");
        m_dropPartial = true;
    }
    emit signStopUpdate();
    if (m_adapter)
        emit m_adapter->stop();
    m_stop = true;
}

void CCheckUpdateInNetworktxt::onDownloadProgress(qint64 bytesRead, qint64 totalBytes)
{
    if (m_stage != UpdateStage::Downloading)
        return;
    if (static_cast<unsigned long long>(bytesRead) > static_cast<unsigned long long>(totalBytes))
        return;
    m_done = static_cast<unsigned long long>(bytesRead);
    m_total = static_cast<unsigned long long>(totalBytes);
    if (m_adapter)
        emit m_adapter->progress(m_done, m_total);
}

void CCheckUpdateInNetworktxt::httpFinished()
{
    if (m_stop || !m_downloadThread->succeeded()) {
        if (m_dropPartial) {
            const QFileInfo image(m_imagePath);
            UpdateCacheFolder::removeImage(image.path(), image.fileName());
        }
        QString message = m_downloadThread->errorText();
        if (!m_stopReason.isEmpty())
            message = m_stopReason;
        if (message.isEmpty())
            message = tr("The download was stopped.");
        fail(message);
        m_stage = UpdateStage::Idle;
        return;
    }
    // Verified: install.
    m_stage = UpdateStage::Installing;
    if (m_total > 0 && m_done != m_total) {
        m_done = m_total;
        if (m_adapter)
            emit m_adapter->progress(m_done, m_total);
    }
    if (!m_scriptThread) {
        m_scriptThread = new ExeUpdateScriptThread(this);
        connect(m_scriptThread, &QThread::finished, this,
                &CCheckUpdateInNetworktxt::onExeUpdateScriptFinished);
    }
    m_scriptThread->wait();
    m_scriptThread->setImagePath(m_imagePath);
    m_scriptThread->start();
}

void CCheckUpdateInNetworktxt::onExeUpdateScriptFinished()
{
    const QFileInfo image(m_imagePath);
    UpdateCacheFolder::removeImage(image.path(), image.fileName());
    if (!m_scriptThread->succeeded()) {
        fail(m_scriptThread->errorText());
        m_stage = UpdateStage::Idle;
        return;
    }
    m_stage = UpdateStage::Installed;
    if (m_adapter)
        emit m_adapter->end();
}

#include "moc_CCheckUpdateInNetworktxt.cpp"
