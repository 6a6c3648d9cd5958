#pragma once

// The watermark tab's strip: the text and the image watermark boxes, the
// opacity of the one being edited, the text with its font and colour, the
// image file, and "Apply to all". Every change goes at once into the
// editor's records.
//
// The two boxes are independent: a ticked box puts its watermark into the
// output, an unticked one keeps it out (its text or file stays in the panel
// for a later tick). A click on the box not being edited selects it for
// editing and ticks it; a click on the box being edited toggles its tick.

#include "clips/ClipEditRecords.h"

#include "ui_QWatermarkOperateDlg.h"

#include <QWidget>

class EditingState;

class QWatermarkOperateDlg : public QWidget, public Ui::QWatermarkOperateDlg
{
    Q_OBJECT
public:
    // state: the editor's records, read and changed through it.
    explicit QWatermarkOperateDlg(QWidget* parent, EditingState* state = nullptr);
    ~QWatermarkOperateDlg() override;

    void TextSettingsToDlg(const WatermarkTextSettings& settings);
    void ImageSettingsToDlg(const WatermarkImageSettings& settings);
    QString GetWaterText();
    QString getImagePath();
    // The picked picture, checked off the GUI thread first: a file the
    // engine cannot use is said and kept out of the record.
    void pickImageFile(const QString& path);

signals:
    void ApplyToAll();

public slots:
    void OnClickTextRd();
    void OnClickImageRd();
    void editTextChange(QString text);
    void OnAddImage();
    void OnRemoveImage();
    void OnFontBtn();
    void OnTextColorBtn();
    // x: the slider's position 0..1.
    void transparencyValueChange(double x);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void WaterTypeChange();
    void boxClicked(bool image);
    // The record's text or file as the box's tick decides.
    void sendTextTick();
    void sendImageTick();
    void setSliderAlpha(float alpha);
    void setImageFile(const QString& path);

    EditingState* m_state = nullptr;
    bool m_isImageMode = false;
    QString m_imagePath;
    float m_imageAlpha = 255.0f;
    float m_textAlpha = 255.0f;
};
