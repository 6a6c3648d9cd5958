#pragma once

// The subtitle tab's strip: the audio track and subtitle choice lists, the
// external subtitle file and the subtitle font. The editor fills the lists
// and acts on their changes; the panel keeps only the external file's path.

#include "ui_QSubtitleOperateDlg.h"

#include <QStringList>
#include <QWidget>

class EditingState;

class QSubtitleOperateDlg : public QWidget, public Ui::QSubtitleOperateDlg
{
    Q_OBJECT
public:
    // state: the editor's records, read and changed through it.
    explicit QSubtitleOperateDlg(QWidget* parent, EditingState* state = nullptr);
    ~QSubtitleOperateDlg() override;

    void setAudioCmb(QStringList list, int index);
    void setSubtlCmb(QStringList list, int index);
    int GetAudioIndex();
    int GetSubtlIndex();
    // Select and announce, also when the entry was current already.
    void SetAudioIndex(int index);
    void setSubtlIndex(int index);
    void setSubtitlePath(QString path);
    // The picked file, checked off the GUI thread first: one that holds no
    // subtitles is said and kept out of the choice.
    void pickSubtitleFile(const QString& path);
    QString getSubtlPath();

signals:
    void AudioSelChange(int index);
    void SubtlSelChange(int index);

public slots:
    void addSubtitleFile();
    void setSubtlFont();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void setSubitleFileToCmb(const QString& path);

    EditingState* m_state = nullptr;
    QString m_subtitlePath;
};
