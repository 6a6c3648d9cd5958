#include "QCropOperateDlg.h"

#include "EditorSkin.h"
#include "FormFonts.h"
#include "QIAppUtil.h"
#include "editing/EditArithmetic.h"
#include "editing/EditingState.h"

#include <QPainter>

QCropOperateDlg::QCropOperateDlg(QWidget* parent, EditingState* state)
    : QWidget(parent)
    , m_state(state)
{
    setupUi(this);

    const QString res = QIAppUtil::getResourcePath() + "/image/VideoEditDlg/";
    m_btnLeftRotate->setBtnImage(res + "button_rotate_left.png");
    m_btnRightRotate->setBtnImage(res + "button_rotate_right.png");
    m_btnFlipH->setBtnImage(res + "button_flip_horizontal.png");
    m_btnFlipV->setBtnImage(res + "button_flip_vertical.png");
    m_btnApply->setBtnImage(res + "btn_apply.png");
    m_btnApply->setBtnText(tr("Apply to all"));
    m_btnApply->resizeFont();
    m_btnApply->setTextStyle(TextColorStyle2);
    QImageButton* tools[] = {m_btnLeftRotate, m_btnRightRotate, m_btnFlipH, m_btnFlipV};
    for (int i = 0; i < 4; ++i)
        tools[i]->move(20 + 57 * i, 1);
    // At 689 the 104-pixel button ran 8 pixels past the 785-pixel panel; at
    // 679 it ends 2 pixels inside, clear of the "Pan Scan" text.
    m_btnApply->move(679, 5);
    m_btnLeftRotate->setToolTip(tr("Rotate Left 90°"));
    m_btnRightRotate->setToolTip(tr("Rotate Right 90°"));
    m_btnFlipH->setToolTip(tr("Horizontal"));
    m_btnFlipV->setToolTip(tr("Vertical"));

    m_radOriginalAspect->setChecked(true);
    const struct
    {
        QRadioButton* radio;
        QRect place;
    } radios[] = {{m_radOriginalAspect, {255, 10, 101, 16}}, {m_radOriginalSize, {357, 10, 81, 16}},
                  {m_radScreen, {439, 10, 81, 16}},          {m_radRatio16_9, {520, 10, 51, 16}},
                  {m_radRatio4_3, {568, 10, 41, 16}},        {m_radPanScan, {614, 10, 71, 16}}};
    for (const auto& r : radios) {
        r.radio->setGeometry(r.place);
        editorskin::setPanelRadio(r.radio);
    }

    connect(m_btnLeftRotate, &QPushButton::clicked, this, &QCropOperateDlg::OnLeftRotate);
    connect(m_btnRightRotate, &QPushButton::clicked, this, &QCropOperateDlg::OnRightRotate);
    connect(m_btnFlipH, &QPushButton::clicked, this, &QCropOperateDlg::OnFlipH);
    connect(m_btnFlipV, &QPushButton::clicked, this, &QCropOperateDlg::OnFilpV);
    // A click on the radio already checked announces it again.
    for (QRadioButton* radio :
         {m_radOriginalAspect, m_radOriginalSize, m_radScreen, m_radRatio16_9, m_radRatio4_3})
        connect(radio, &QRadioButton::clicked, this, &QCropOperateDlg::radCheckChange);
    connect(m_radPanScan, &QRadioButton::clicked, this, &QCropOperateDlg::seedFillModeChange);
    connect(m_btnApply, &QPushButton::clicked, this, &QCropOperateDlg::ApplyToAll);
    fitFormFonts(this);
}

QCropOperateDlg::~QCropOperateDlg() = default;

int QCropOperateDlg::getRatioType()
{
    if (m_radOriginalAspect->isChecked())
        return Ratio_OriginalAspect;
    if (m_radOriginalSize->isChecked())
        return Ratio_OriginalSize;
    if (m_radScreen->isChecked())
        return Ratio_FullScreen;
    if (m_radRatio16_9->isChecked())
        return Ratio_16_9;
    if (m_radRatio4_3->isChecked())
        return Ratio_4_3;
    if (m_radPanScan->isChecked())
        return Ratio_OriginalAspect;
    return EditArithmetic::NoChoice;
}

void QCropOperateDlg::CropSettingsToDlg(CropSettings settings)
{
    // An exclusive radio stays checked until another one is; a type outside
    // the table therefore keeps the radio shown before.
    for (QRadioButton* radio :
         {m_radOriginalAspect, m_radOriginalSize, m_radScreen, m_radRatio16_9, m_radRatio4_3, m_radPanScan})
        radio->setChecked(false);
    if (settings.fill_type == 1) {
        m_radPanScan->setChecked(true);
        emit seedFillModeChange();
        return;
    }
    QRadioButton* byType[] = {m_radOriginalAspect, m_radOriginalSize, m_radScreen, m_radRatio16_9,
                              m_radRatio4_3};
    if (settings.ratio_type >= 0 && settings.ratio_type <= 4)
        byType[settings.ratio_type]->setChecked(true);
    emit radCheckChange();
}

template <typename Change>
void QCropOperateDlg::changeOrientation(Change change)
{
    if (!m_state)
        return;
    CropSettings settings;
    settings = m_state->crop();
    change(settings);
    m_state->changeCrop(settings);
}

void QCropOperateDlg::OnLeftRotate() { changeOrientation(EditArithmetic::rotateLeft); }
void QCropOperateDlg::OnRightRotate() { changeOrientation(EditArithmetic::rotateRight); }
void QCropOperateDlg::OnFlipH() { changeOrientation(EditArithmetic::flipHorizontal); }
void QCropOperateDlg::OnFilpV() { changeOrientation(EditArithmetic::flipVertical); }

void QCropOperateDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), editorskin::panelColor());
}
