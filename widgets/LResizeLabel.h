#pragma once

#include <QLabel>

// The plain text label of the forms, able to pin the font it shows.
class LResizeLabel : public QLabel
{
    Q_OBJECT
public:
    explicit LResizeLabel(QWidget* parent = nullptr);
    ~LResizeLabel() override;

    // Makes the font in use (often inherited from the form) the label's own,
    // so later font changes of its parents leave it alone.
    void resizeFont();

protected:
    void paintEvent(QPaintEvent* event) override;
};
