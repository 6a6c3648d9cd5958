#pragma once

#include "QImageDialog.h"
#include "ui_SanpSsetDialog.h"

// Image format and folder for the player's snapshots. It stores nothing;
// the values live in its two fields for as long as the dialog.
class SanpSsetDialog : public QImageDialog, public Ui::SanpSsetDialog
{
    Q_OBJECT
public:
    explicit SanpSsetDialog(QWidget* parent = nullptr);

public slots:
    void OnBtnOK();
    void OnBtnCancel();
    void OnBtnClose();
    void OnBtnOPen();
};
