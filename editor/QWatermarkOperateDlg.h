#pragma once

// The watermark tab's strip: text or image watermark, its opacity, the
// text with its font and colour, the image file, and "Apply to all". Every
// change goes at once into the editor's records.

#include "ClipEditRecords.h"

#include "ui_QWatermarkOperateDlg.h"

#include <QWidget>

class QVideoEditDlg;

class QWatermarkOperateDlg : public QWidget, public Ui::QWatermarkOperateDlg
{
    Q_OBJECT
public:
    // parent must be the editor.
    explicit QWatermarkOperateDlg(QWidget* parent);
    ~QWatermarkOperateDlg() override;

    void TextSettingsToDlg(WatermarkTextSettings& settings);
    void ImageSettingsToDlg(WatermarkImageSettings& settings);
    QString GetWaterText();
    QString getImagePath();
    bool isImageMode() const { return m_isImageMode; }

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
    void setSliderAlpha(float alpha);
    void setImageFile(const QString& path);

    QVideoEditDlg* m_editor = nullptr;
    bool m_isImageMode = false;
    QString m_imagePath;
    float m_imageAlpha = 255.0f;
    float m_textAlpha = 255.0f;
};
