#pragma once

// The facts of one queued file in three panes (file, video, audio), as the
// probe stored them. Modeless, owned by the queue and refilled for each
// "File info"; it keeps no pointer to the task it shows.

#include "QImageDialog.h"
#include "formats/Convertinfo.h"

#include "ui_ConverterBarInfoDialog.h"

class VideoConvertBar;

class ConverterBarInfoDialog : public QImageDialog, public Ui::ConverterBarInfoDialog
{
    Q_OBJECT
public:
    explicit ConverterBarInfoDialog(QWidget* parent = nullptr);
    ~ConverterBarInfoDialog() override;

    void InitControl();
    void setFileInfo(VideoConvertBar* task);

public slots:
    void onBtnColse();
    void onBtnOK();
};
