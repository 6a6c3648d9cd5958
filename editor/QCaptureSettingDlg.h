#pragma once

#include "QImageDialog.h"
#include "ui_QCaptureSettingDlg.h"

#include <QString>

// Where and in which image format the editor saves its snapshots. Shows the
// stored values; Ok stores both and ends Accepted, Cancel stores nothing.
class QCaptureSettingDlg : public QImageDialog, public Ui::QCaptureSettingDlg
{
    Q_OBJECT
public:
    explicit QCaptureSettingDlg(QWidget* parent = nullptr);
    ~QCaptureSettingDlg() override;

    QString savePath() const { return m_savePath; }
    void setSavePath(const QString& path);
    // A folder the person chose: shown and kept when a file can be made in
    // it, otherwise refused with a message (the shown folder stays).
    void pickFolder(const QString& folder);

public slots:
    void OnOkBtn();
    void OnOpenSaveBtn();

private:
    void InitCmbSuffix();
    void SetSavePath();

    QString m_savePath;
};
