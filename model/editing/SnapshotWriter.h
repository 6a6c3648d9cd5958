#pragma once

#include "orvalta.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QThreadPool>

// Takes the editor player's current processed picture and writes it as an
// image file. The picture is copied out of the engine's buffer and the
// buffer given back at once; encoding and writing run on a worker thread,
// so a large picture never stalls the window. finished() reports the end.
class SnapshotWriter : public QObject
{
    Q_OBJECT
public:
    enum Outcome {
        FolderMissing, // nothing written; the caller tells the user
        NoPicture, // no player, or the engine gave no picture: nothing to say
        EmptyPicture, // the player reports no size: a failed snapshot
        Saving // finished() follows
    };

    explicit SnapshotWriter(QObject* parent = nullptr);
    ~SnapshotWriter() override; // waits for a save in progress

    // "dd-MM-yyyy hh-mm-ss.zzz_kestrova.<format in lower case>"
    static QString fileName(const QDateTime& when, const QString& format);
    // folder + "/" + name with every "//" made "/".
    static QString filePath(const QString& folder, const QString& name);

    Outcome take(PlayerHandle player, const QString& folder, const QString& format,
                 const QDateTime& when = QDateTime::currentDateTime());

    bool waitForSaves(int msecs = -1) { return m_pool.waitForDone(msecs); }

signals:
    void finished(bool saved, QString path);

private:
    QThreadPool m_pool;
};
