#pragma once

// The preview player window as the queue uses it: one window for the whole
// run, made on first use without a parent. This build keeps the list of
// files handed to it; playback comes with the player itself.

#include <QString>
#include <QStringList>
#include <QWidget>

class QLabel;

class PlayerWidget : public QWidget
{
    Q_OBJECT
public:
    static PlayerWidget* GetPlayer();

    void StartPlayVideo(QString path);

    QString CurrentFile() const { return m_currentFile; }
    QStringList PlayList() const { return m_playList; }

private:
    explicit PlayerWidget(QWidget* parent = nullptr);

    QLabel* m_fileLabel = nullptr;
    QString m_currentFile;
    QStringList m_playList;
};
