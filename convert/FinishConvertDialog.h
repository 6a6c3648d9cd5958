#pragma once

// The notice that ends every conversion run: "All tasks completed", with a
// button that opens the output folder. Built for one exec() and destroyed.

#include "QImageDialog.h"

#include "ui_FinishConvertDialog.h"

class FinishConvertDialog : public QImageDialog, public Ui::FinishConvertDialog
{
    Q_OBJECT
public:
    explicit FinishConvertDialog(QWidget* parent = nullptr);
    ~FinishConvertDialog() override;

    // A run in which `failed` of `total` conversions failed says so under
    // the closing line; a merge with nothing joined says that instead.
    void setFailures(int failed, int total, int endedEarly = 0);
    void setMergeFailed();

public slots:
    void OnBtnOpenPath();

private:
    void Init();
    void fitInfoLabel();
};
