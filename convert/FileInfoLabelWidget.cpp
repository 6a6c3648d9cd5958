#include "FileInfoLabelWidget.h"

FileInfoLabelWidget::FileInfoLabelWidget(QWidget* parent)
    : QWidget(parent)
{
    setupUi(this);
}

FileInfoLabelWidget::~FileInfoLabelWidget() = default;
