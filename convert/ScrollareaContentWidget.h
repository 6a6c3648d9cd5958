#pragma once

// The widget inside the queue's scroll area: the queue background, the row
// layout, and the empty-queue hint (a logo button and one line of text).

#include <QWidget>

#include "ui_ScrollareaContentWidget.h"

class ScrollareaContentWidget : public QWidget, public Ui::ScrollareaContentWidget
{
    Q_OBJECT
public:
    explicit ScrollareaContentWidget(QWidget* parent = nullptr);
    ~ScrollareaContentWidget() override;

    void setImageHide(bool hide);

public slots:
    void updateWidgetText();

signals:
    void signalAddFile();

protected:
    void paintEvent(QPaintEvent* event) override;
};
