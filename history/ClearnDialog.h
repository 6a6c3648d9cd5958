#pragma once

#include "QImageDialog.h"

#include "ui_ClearnDialog.h"

// Confirms Clear in the history window and asks how far it goes: the
// history only (the default) or the history and the converted files.
// exec() gives Ok 0x400, Cancel 0x400000, and 0 when closed otherwise.
class ClearnDialog : public QImageDialog, public Ui::ClearnDialog
{
    Q_OBJECT
public:
    static constexpr int ResultOk = 0x400;
    static constexpr int ResultCancel = 0x400000;

    explicit ClearnDialog(QWidget* parent = nullptr);
    ~ClearnDialog() override;

    bool IsRemoveFile() const;

public slots:
    void OnbtnOK();
    void OnbtnCancel();
    void OnbtnAlso();
};
