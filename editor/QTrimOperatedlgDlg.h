#pragma once

#include "ui_QTrimOperatedlgDlg.h"

#include <QWidget>

// The trim tool's row of buttons: previous frame, next frame, play the
// section, trim and reset. It does no work itself; each click leaves as one
// of its signals, which the editor connects to its playback and trim slots.
class QTrimOperatedlgDlg : public QWidget, public Ui::QTrimOperatedlgDlg
{
    Q_OBJECT
public:
    explicit QTrimOperatedlgDlg(QWidget* parent = nullptr);
    ~QTrimOperatedlgDlg() override;

signals:
    void OnPreviousBtn();
    void OnNextBtn();
    void OnPlayBtn();
    void OnTrimBtn();
    void OnResetTrim();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // false when a sprite is missing; the buttons from that one on stay
    // unplaced and unconnected.
    bool InitBtnCtrl();
};
