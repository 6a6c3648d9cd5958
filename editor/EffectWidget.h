#pragma once

// The panel meant for an effect tab. The editor keeps its effect tab hidden,
// so nothing shows this panel; its buttons do nothing.

#include <QWidget>

namespace Ui {
class EffectWidget;
}

class EffectWidget : public QWidget
{
    Q_OBJECT
public:
    explicit EffectWidget(QWidget* parent = nullptr);
    ~EffectWidget() override;

private:
    Ui::EffectWidget* ui;
};
