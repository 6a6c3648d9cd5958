#include "EffectWidget.h"

#include "ui_EffectWidget.h"

EffectWidget::EffectWidget(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::EffectWidget)
{
    ui->setupUi(this);
}

EffectWidget::~EffectWidget() { delete ui; }
