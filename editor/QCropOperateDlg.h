#pragma once

// The crop tab's strip: aspect choices, the four orientation buttons and
// "Apply to all". It keeps no record: orientation changes go straight into
// the editor's crop record, aspect choices are only announced.

#include "clips/ClipEditRecords.h"

#include "ui_QCropOperateDlg.h"

#include <QWidget>

class EditingState;

class QCropOperateDlg : public QWidget, public Ui::QCropOperateDlg
{
    Q_OBJECT
public:
    // state: the editor's records, read and changed through it.
    explicit QCropOperateDlg(QWidget* parent, EditingState* state = nullptr);
    ~QCropOperateDlg() override;

    // 0 Original Aspect (and Pan Scan), 1 Original Size, 2 Full Screen,
    // 3 16:9, 4 4:3; 6 when no radio is checked.
    int getRatioType();
    // Shows a record's choice and announces it, so the editor recomputes it.
    void CropSettingsToDlg(CropSettings settings);

signals:
    void radCheckChange();
    void seedFillModeChange();
    void ApplyToAll();

public slots:
    void OnLeftRotate();
    void OnRightRotate();
    void OnFlipH();
    void OnFilpV();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    template <typename Change>
    void changeOrientation(Change change);

    EditingState* m_state = nullptr;
};
