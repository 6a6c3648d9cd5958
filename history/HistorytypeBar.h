#pragma once

#include "BaseBar.h"

#include "ui_HistorytypeBar.h"

#include <QString>

// One category row of the history window: "name (count)"; pressing it
// selects the category (the window keeps exactly one row pressed).
class HistorytypeBar : public BaseBar, public Ui::HistorytypeBar
{
    Q_OBJECT
public:
    explicit HistorytypeBar(QWidget* parent = nullptr);
    ~HistorytypeBar() override;

    void setText(const QString& name, int count);
    QString getType() const { return m_strType; }

private:
    QString m_strType;
};
