#pragma once

// One titled pane of the file-information dialog: a column of captions
// beside a column of values. The dialog writes the labels directly.

#include <QWidget>

#include "ui_FileInfoLabelWidget.h"

class FileInfoLabelWidget : public QWidget, public Ui::FileInfoLabelWidget
{
    Q_OBJECT
public:
    explicit FileInfoLabelWidget(QWidget* parent = nullptr);
    ~FileInfoLabelWidget() override;
};
