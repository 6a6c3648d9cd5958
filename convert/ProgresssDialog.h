#pragma once

// Counts the files of an add while the queue's worker probes them; closes
// itself after the last one and offers Cancel.

#include "QImageDialog.h"

#include "ui_ProgresssDialog.h"

class ProgresssDialog : public QImageDialog, public Ui::ProgresssDialog
{
    Q_OBJECT
public:
    explicit ProgresssDialog(QWidget* parent = nullptr);
    ~ProgresssDialog() override;

    void setALLfileCount(int count);
    void setCountingfileindex(int index, QString name);
    void setProgress(int index, QString name);
    void setLast(bool last);
    void setProgressbarValue(float value);

public slots:
    void OnBtnCancel();
    // Escape cancels the add like the Cancel button, so the add never goes
    // on behind a closed dialog.
    void reject() override;

signals:
    void signalStopAddFile();

private:
    void showLines(QString name);

    bool m_bLast = false;
    int m_allFileCount = 0;
    int m_currentIndex = 0;
};
