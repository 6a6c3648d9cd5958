#pragma once

#include "update/ICheckUpdateOpr.h"

#include <QHostInfo>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QString>

enum tagAddressType : int;
class DownloadUpdateThread;
class ExeUpdateScriptThread;
class QCheckUpdateCallbackAdapter;
class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;
class QTimer;
class QUrl;

// The update checker: fetches the latest-version text and, when it names a
// newer version, the release notes; on request downloads the image on its
// own thread, verifies it and runs the install script. Lives on the GUI
// thread; every report reaches the client there.
class CCheckUpdateInNetworktxt : public QObject, public ICheckUpdateOpr
{
    Q_OBJECT
public:
    CCheckUpdateInNetworktxt();
    ~CCheckUpdateInNetworktxt() override;

    void setCallback(IUpdateCallback* client) override;
    void removeCallback() override;
    void startCheckHaveUpdate() override;
    void startUpdate() override;
    void stopUpdate() override;

    UpdateStage stage() const override { return m_stage; }
    UpdateStage failedStage() const override { return m_failedStage; }
    void lastProgress(unsigned long long* done, unsigned long long* total) const override;
    QString foundVersion() const override;
    QString foundNotes() const override { return m_notes; }

    // The folder of the partial image; the per-user cache by default.
    void setCacheFolder(const QString& path) { m_cacheFolder = path; }
    // Free space a download leaves on the cache folder's disk.
    void setDiskReserve(qint64 bytes) { m_diskReserve = bytes; }
    // After an install the program restarts; a process that goes on (a
    // test) calls this so that the next check starts afresh.
    void clearFinishedInstall();
    // The image's file name for a product and version.
    static QString imageFileName(const QString& product, const QString& version);

    // The latest version text as fetched (strict versions only).
    static QString m_newVersion;

    // Largest answers taken from the server.
    static constexpr qint64 kMaxVersionBytes = 1024;
    static constexpr qint64 kMaxNotesBytes = 1024 * 1024;

signals:
    void signStopUpdate();

public slots:
    void versionReplyFinished(QNetworkReply* reply);
    void versionInfoReplyFinished(QNetworkReply* reply);
    void onCheckNetworkTimer();
    void onLookUpHost(QHostInfo host);
    void onConnectInternetError();
    void onDownloadProgress(qint64 bytesRead, qint64 totalBytes);
    void httpFinished();
    void onExeUpdateScriptFinished();

private:
    void requestAddress(tagAddressType key, QNetworkAccessManager** manager,
                        void (CCheckUpdateInNetworktxt::*answer)(QNetworkReply*), qint64 limit);
    // True when the reply answers the request under way (and ends it).
    bool takeReply(QNetworkReply* reply);
    QNetworkReply* sendRequest(QNetworkAccessManager* manager, const QUrl& url, qint64 limit);
    void abortPending();
    bool checkAddress(const QUrl& url, UpdateStage step);
    // Reports an error of the step under way (or of the given step).
    void fail(const QString& message);
    void fail(const QString& message, UpdateStage step);

    QString m_imagePath;
    QCheckUpdateCallbackAdapter* m_adapter = nullptr;
    QNetworkAccessManager* m_versionManager = nullptr;
    QNetworkAccessManager* m_notesManager = nullptr;
    bool m_stop = false;
    bool m_bNewVersion = false;
    bool m_bVersionFetched = false;
    bool m_bNotesFetched = false;
    QString m_notes;
    ExeUpdateScriptThread* m_scriptThread = nullptr;
    DownloadUpdateThread* m_downloadThread = nullptr;
    QTimer* m_timer = nullptr;
    int m_failCount = 0;
    QMutex m_mutex;

    UpdateStage m_stage = UpdateStage::Idle;
    QPointer<QNetworkReply> m_pending;
    QString m_lookupHost;
    QString m_cacheFolder;
    QString m_stopReason;
    bool m_dropPartial = false;
    qint64 m_diskReserve = 0;
    UpdateStage m_failedStage = UpdateStage::Idle;
    unsigned long long m_done = 0;
    unsigned long long m_total = 0;
};
