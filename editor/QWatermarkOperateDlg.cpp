#include "QWatermarkOperateDlg.h"

#include "EditorSkin.h"
#include "FontChoice.h"
#include "FormFonts.h"
#include "QIAppUtil.h"
#include "ShowMessage.h"
#include "editing/EditingState.h"
#include "editing/PickedFiles.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QPainter>

QWatermarkOperateDlg::QWatermarkOperateDlg(QWidget* parent, EditingState* state)
    : QWidget(parent)
    , m_state(state)
{
    setupUi(this);
    const QString res = QIAppUtil::getResourcePath() + "/image/VideoEditDlg/";
    m_btnFont->setBtnImage(res + "button_edit_font.png");
    m_btnTextColor->setBtnImage(res + "button_edit_color.png");
    m_btnAdd->setBtnImage(res + "button_edit_add.png");
    m_btnDel->setBtnImage(res + "button_subtract.png");
    m_btnApply->setBtnImage(res + "btn_apply.png");
    m_btnApply->setBtnText(tr("Apply to all"));
    m_btnApply->resizeFont();
    m_btnApply->setTextStyle(TextColorStyle2);
    m_btnFont->move(420, 4);
    m_btnTextColor->move(450, 4);
    m_btnAdd->move(420, 4);
    m_btnDel->move(450, 4);
    // At y 5 the 28-pixel button ran 1 pixel past the 32-pixel strip.
    m_btnApply->move(675, 4);

    editorskin::setPanelRadio(m_rdTextWater);
    editorskin::setPanelRadio(m_rdImageWater);
    // Tick boxes, not a switch: both watermarks may go out together.
    m_rdTextWater->setAutoExclusive(false);
    m_rdImageWater->setAutoExclusive(false);
    m_rdTextWater->setChecked(true);
    m_rdTextWater->setGeometry(20, 11, 107, 16);
    m_rdImageWater->setGeometry(140, 11, 113, 16);
    m_editText->setGeometry(260, 8, 150, 20);
    m_editImage->setGeometry(260, 8, 150, 20);
    m_editImage->setReadOnly(true);
    editorskin::setPanelText(m_LabTransparency);
    m_LabTransparency->setGeometry(485, 9, 71, 21);
    m_transparencySlider->setGeometry(560, 11, 104, 20);
    m_transparencySlider->setBottomImage(res + "transparency_trake_slider.png");
    m_transparencySlider->setTopImage(res + "transparency_trake_rate.png");
    m_transparencySlider->setBtnImage(res + "transparency_slide.png");
    m_transparencySlider->setValueRange(0, 255);
    m_transparencySlider->setValue(255.0f);
    m_transparencySlider->setCircle(true);
    WaterTypeChange();

    connect(m_rdTextWater, &QRadioButton::clicked, this, &QWatermarkOperateDlg::OnClickTextRd);
    connect(m_rdImageWater, &QRadioButton::clicked, this, &QWatermarkOperateDlg::OnClickImageRd);
    connect(m_btnAdd, &QPushButton::clicked, this, &QWatermarkOperateDlg::OnAddImage);
    connect(m_btnDel, &QPushButton::clicked, this, &QWatermarkOperateDlg::OnRemoveImage);
    connect(m_transparencySlider, &qSliderCtrl::sendProgressValue, this,
            &QWatermarkOperateDlg::transparencyValueChange);
    connect(m_editText, &QLineEdit::textChanged, this, &QWatermarkOperateDlg::editTextChange);
    connect(m_btnFont, &QPushButton::clicked, this, &QWatermarkOperateDlg::OnFontBtn);
    connect(m_btnTextColor, &QPushButton::clicked, this, &QWatermarkOperateDlg::OnTextColorBtn);
    connect(m_btnApply, &QPushButton::clicked, this, &QWatermarkOperateDlg::ApplyToAll);
    fitFormFonts(this);
}

QWatermarkOperateDlg::~QWatermarkOperateDlg() = default;

void QWatermarkOperateDlg::WaterTypeChange()
{
    for (QWidget* w : {static_cast<QWidget*>(m_btnFont), static_cast<QWidget*>(m_btnTextColor),
                       static_cast<QWidget*>(m_editText)}) {
        w->setVisible(!m_isImageMode);
        w->setEnabled(m_rdTextWater->isChecked());
    }
    for (QWidget* w : {static_cast<QWidget*>(m_btnAdd), static_cast<QWidget*>(m_btnDel),
                       static_cast<QWidget*>(m_editImage)}) {
        w->setVisible(m_isImageMode);
        w->setEnabled(m_rdImageWater->isChecked());
    }
    const QRadioButton* edited = m_isImageMode ? m_rdImageWater : m_rdTextWater;
    m_transparencySlider->setEnabled(edited->isChecked());
    setSliderAlpha(m_isImageMode ? m_imageAlpha : m_textAlpha);
}

void QWatermarkOperateDlg::setSliderAlpha(float alpha) { m_transparencySlider->setValue(alpha); }

void QWatermarkOperateDlg::TextSettingsToDlg(const WatermarkTextSettings& settings)
{
    m_textAlpha = float(settings.alpha);
    if (!m_isImageMode)
        setSliderAlpha(m_textAlpha);
    // A record with a text has its box ticked, so the text stays in.
    if (!settings.text.isEmpty())
        m_rdTextWater->setChecked(true);
    m_editText->setText(settings.text);
    WaterTypeChange();
}

void QWatermarkOperateDlg::ImageSettingsToDlg(const WatermarkImageSettings& settings)
{
    m_imageAlpha = float(settings.alpha);
    if (m_isImageMode)
        setSliderAlpha(m_imageAlpha);
    if (!settings.image_file.isEmpty())
        m_rdImageWater->setChecked(true);
    m_editImage->setText(settings.image_file);
    WaterTypeChange();
}

QString QWatermarkOperateDlg::GetWaterText() { return m_editText->text(); }
QString QWatermarkOperateDlg::getImagePath() { return m_imagePath; }

void QWatermarkOperateDlg::OnClickTextRd() { boxClicked(false); }

void QWatermarkOperateDlg::OnClickImageRd() { boxClicked(true); }

void QWatermarkOperateDlg::boxClicked(bool image)
{
    QRadioButton* box = image ? m_rdImageWater : m_rdTextWater;
    if (m_isImageMode != image) {
        // The first click on the other box selects it for editing, ticked.
        m_isImageMode = image;
        box->setChecked(true);
    }
    WaterTypeChange();
    if (image)
        sendImageTick();
    else
        sendTextTick();
}

void QWatermarkOperateDlg::sendTextTick()
{
    if (!m_state)
        return;
    WatermarkTextSettings settings;
    settings = m_state->text();
    settings.text = m_rdTextWater->isChecked() ? m_editText->text() : QString();
    m_state->changeText(settings);
}

void QWatermarkOperateDlg::sendImageTick()
{
    if (!m_state)
        return;
    WatermarkImageSettings settings;
    settings = m_state->image();
    settings.image_file = m_rdImageWater->isChecked() ? m_editImage->text() : QString();
    m_state->changeImage(settings);
}

void QWatermarkOperateDlg::editTextChange(QString text)
{
    if (!m_state)
        return;
    WatermarkTextSettings settings;
    settings = m_state->text();
    settings.text = m_rdTextWater->isChecked() ? text : QString();
    settings.alpha = int(m_textAlpha);
    m_state->changeText(settings);
}

void QWatermarkOperateDlg::setImageFile(const QString& path)
{
    // A picture picked is a picture wanted.
    if (!path.isEmpty()) {
        m_rdImageWater->setChecked(true);
        WaterTypeChange();
    }
    if (m_state) {
        WatermarkImageSettings settings;
        settings = m_state->image();
        settings.image_file = path;
        if (!path.isEmpty())
            settings.alpha = int(m_imageAlpha);
        m_state->changeImage(settings);
    }
    m_imagePath = path;
    m_editImage->setText(path);
}

void QWatermarkOperateDlg::OnAddImage()
{
    const QString file = QFileDialog::getOpenFileName(this, tr("Open Image"), QStringLiteral("/home"),
                                                      tr("Images (*.jpg *.jpeg *.png *.gif *.bmp)"), nullptr,
                                                      QFileDialog::DontUseNativeDialog);
    if (!file.isEmpty())
        pickImageFile(file);
}

void QWatermarkOperateDlg::pickImageFile(const QString& path)
{
    PickedFiles::checkInBackground(
        this, [path] { return PickedFiles::checkWatermarkPicture(path); },
        [this, path](const PickedFiles::Verdict& verdict) {
            if (verdict.usable)
                setImageFile(path);
            else
                ShowMessage(verdict.message, QString());
        });
}

void QWatermarkOperateDlg::OnRemoveImage() { setImageFile(QString()); }

void QWatermarkOperateDlg::OnFontBtn()
{
    if (!m_state)
        return;
    WatermarkTextSettings settings;
    settings = m_state->text();
    if (fontchoice::choose(this, settings))
        m_state->changeText(settings);
}

void QWatermarkOperateDlg::OnTextColorBtn()
{
    if (!m_state)
        return;
    WatermarkTextSettings settings;
    settings = m_state->text();
    const QColor initial = QColor::fromRgba(settings.text_color);
    const QColor chosen = QColorDialog::getColor(
        initial, this, QString(), QColorDialog::ShowAlphaChannel | QColorDialog::DontUseNativeDialog);
    if (!chosen.isValid())
        return;
    settings.text_color = chosen.rgba();
    m_state->changeText(settings);
}

void QWatermarkOperateDlg::transparencyValueChange(double x)
{
    const float v = float(x * 255.0);
    if (!m_state)
        return;
    if (m_isImageMode) {
        m_imageAlpha = v;
        WatermarkImageSettings settings;
        settings = m_state->image();
        settings.alpha = int(v);
        m_state->changeImage(settings);
    } else {
        m_textAlpha = v;
        WatermarkTextSettings settings;
        settings = m_state->text();
        settings.alpha = int(v);
        m_state->changeText(settings);
    }
}

void QWatermarkOperateDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), editorskin::panelColor());
}
