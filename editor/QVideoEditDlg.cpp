// The editor window: construction, tab buttons, "Apply to all", teardown.
#include "QVideoEditDlg.h"

#include "CSingleVersionStringUtil.h"
#include "EnginePlayer.h"
#include "FormFonts.h"
#include "QCropOperateDlg.h"
#include "QIAppUtil.h"
#include "QImageButton.h"
#include "QSubtitleOperateDlg.h"
#include "QTrimOperatedlgDlg.h"
#include "QWatermarkOperateDlg.h"
#include "editing/QVideoSettingXml.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QTimer>

namespace {

void registerRecordTypes()
{
    static const bool registered = [] {
        qRegisterMetaType<CropSettings>("CropSettings");
        qRegisterMetaType<SubtitleValueInfo>("SubtitleValueInfo");
        qRegisterMetaType<SubtitleSettings>("SubtitleSettings");
        qRegisterMetaType<WatermarkTextSettings>("WatermarkTextSettings");
        qRegisterMetaType<WatermarkImageSettings>("WatermarkImageSettings");
        return true;
    }();
    Q_UNUSED(registered);
}

// White text on the dark editor, grey when disabled.
void whiteText(QWidget* widget)
{
    QPalette palette = widget->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, QPalette::WindowText, QColor(255, 255, 255));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 120, 120));
    widget->setPalette(palette);
}

} // namespace

QVideoEditDlg::QVideoEditDlg(QWidget* parent)
    : QImageDialog(parent)
{
    registerRecordTypes();
    m_captureFormat = QStringLiteral("JPEG");
    m_captureFolder = QIAppUtil::getResourcePath() + QStringLiteral("/Screenshots");

    // Before the tabs are laid out: they set the preview up from the start.
    m_engine = new EnginePlayer(this);
    setupUi(this);
    fitFormFonts(this);
    setWindowTitle(CSingleVersionStringUtil::GetLinkAddress(ADDR_PRODUCT_NAME));
    setWindowFlags(Qt::Dialog);
    m_btnClose->hide();
    SetImageBackgroud(QIAppUtil::getResourcePath() + "/image/VideoEditDlg/bg_edit.png", true);

    InitDlg();
    OnInitBtnCtrl();
    OnInitCtrl();
    InitPlay();
    InitMenu();
    InitConnect();
    InitTrimAndSnapshot();
    IninScreenshotsInfo();

    // The default records, handed to the player in this order.
    SetDefaultSubtitleSettings();
    SetDefaultWatermarkTextSettings();
    SetDefaultWatermarkImageSettings();
    SetDefaultEditSettings();
}

QVideoEditDlg::~QVideoEditDlg()
{
    delete m_trimPanel;
    m_trimPanel = nullptr;
    delete m_cropPanel;
    m_cropPanel = nullptr;
    delete m_watermarkPanel;
    m_watermarkPanel = nullptr;
    delete m_subtitlePanel;
    m_subtitlePanel = nullptr;
    // The player goes first: after Close no frame reaches the previews.
    m_engine->release();
    // A reader is closed before it is released, so the file it holds is let go.
    if (m_info) {
        Info_Close(m_info);
        Info_Release(m_info);
        m_info = nullptr;
    }
    m_timeTimer->stop();
    delete m_timeTimer;
    m_timeTimer = nullptr;
    m_screenTimer->stop();
    delete m_screenTimer;
    m_screenTimer = nullptr;
}

void QVideoEditDlg::InitDlg()
{
    for (VideoImageWindow* preview : {m_videoOrignalWidget, m_videoPreviewWidget}) {
        preview->setWindowFlags(preview->windowFlags() | Qt::FramelessWindowHint);
        preview->show();
    }
    m_trimPanel = new QTrimOperatedlgDlg(this);
    m_cropPanel = new QCropOperateDlg(this, &m_state);
    m_watermarkPanel = new QWatermarkOperateDlg(this, &m_state);
    m_subtitlePanel = new QSubtitleOperateDlg(this, &m_state);
    // A stored change, a panel's, a drag's or a task's alike, is handed to
    // the preview player from the state.
    connect(&m_state, &EditingState::cropChanged, this, &QVideoEditDlg::sendPicture);
    connect(&m_state, &EditingState::textChanged, this, &QVideoEditDlg::sendWatermarkText);
    connect(&m_state, &EditingState::imageChanged, this, &QVideoEditDlg::sendWatermarkImage);
    connect(&m_state, &EditingState::subtitleChanged, this, &QVideoEditDlg::sendSubtitleStyle);
    connect(&m_state, &EditingState::watermarkBordersChanged, this, &QVideoEditDlg::sendWatermarkBorders);
    m_trimPanel->setGeometry(6, 350, 785, 32);
    m_cropPanel->setGeometry(6, 345, 785, 37);
    m_watermarkPanel->setGeometry(6, 350, 785, 32);
    m_subtitlePanel->setGeometry(6, 350, 785, 32);
    for (QWidget* panel : {static_cast<QWidget*>(m_trimPanel), static_cast<QWidget*>(m_cropPanel),
                           static_cast<QWidget*>(m_watermarkPanel), static_cast<QWidget*>(m_subtitlePanel)})
        panel->hide();
}

bool QVideoEditDlg::OnInitBtnCtrl()
{
    const QString res = QIAppUtil::getResourcePath();
    const struct
    {
        QImageButton* button;
        const char* sprite;
    } sprites[] = {
        {m_btnClose, "/image/VideoEditDlg/top_btn_close.png"},
        {m_btnCancel, "/image/BTN_Cancel.png"},
        {m_btnOk, "/image/btn_OK.png"},
        {m_btnTrim, "/image/VideoEditDlg/btn_crop.png"},
        {m_btnCrop, "/image/VideoEditDlg/btn_crop.png"},
        {m_btnEffect, "/image/VideoEditDlg/btn_crop.png"},
        {m_btnWatermark, "/image/VideoEditDlg/btn_watermark.png"},
        {m_btnSubtitle, "/image/VideoEditDlg/btn_subtitle.png"},
        {m_btnSnapshot, "/image/VideoEditDlg/button_snapshot.png"},
        {m_btnSnapshotMenu, "/image/VideoEditDlg/button_snapshot_path.png"},
        {m_btnPlay, "/image/VideoEditDlg/button_edit_play.png"},
        {m_btnPause, "/image/VideoEditDlg/button_edit_pause.png"},
        {m_btnStop, "/image/VideoEditDlg/button_edit_stop.png"},
        {m_btnSoundOpen, "/image/VideoEditDlg/sound_open.png"},
        {m_btnSoundClose, "/image/VideoEditDlg/sound_close.png"},
        {m_btnEdit, "/image/VideoEditDlg/button_edit.png"},
    };
    // A skin that lacks a sprite leaves the rest of the buttons as the form
    // made them rather than half-placed.
    for (const auto& s : sprites) {
        if (!s.button->setBtnImage(res + QLatin1String(s.sprite)))
            return false;
    }

    m_btnClose->move(width() - m_btnClose->width(), 0);
    m_btnTrim->move(210, 8);
    m_btnCrop->move(285, 8);
    m_btnEffect->move(360, 8);
    m_btnWatermark->move(360, 8);
    m_btnSubtitle->move(470, 8);
    m_btnSnapshot->move(25, 400);
    m_btnSnapshotMenu->move(56, 400);
    m_btnPlay->move(80, 404);
    m_btnPause->move(80, 404);
    m_btnStop->move(102, 404);
    m_btnSoundOpen->move(647, 408);
    m_btnSoundClose->move(647, 408);
    m_btnEdit->move(350, 450);
    m_btnCancel->move(575, 450);
    m_btnOk->move(685, 450);

    const struct
    {
        QImageButton* button;
        QString text;
        int style;
    } texts[] = {
        // clang-format off
        {m_btnTrim, tr("Trim"), -1},           {m_btnCrop, tr("Crop"), -1},
        {m_btnEffect, tr("Effrct"), 0},        {m_btnWatermark, tr("Watermark"), -1},
        {m_btnSubtitle, tr("Subtitle"), -1},   {m_btnEdit, tr("Edit"), -1},
        {m_btnCancel, tr("Cancel"), 3},        {m_btnOk, tr("Ok"), 3},
        // clang-format on
    };
    for (const auto& t : texts) {
        t.button->setBtnText(t.text);
        t.button->resizeFont();
        if (t.style >= 0)
            t.button->setTextStyle(TextColorStyle(t.style));
    }
    m_btnClose->hide();
    m_btnEffect->hide();
    m_btnPause->hide();
    m_btnSoundClose->hide();
    m_btnEdit->hide();

    selectTab(m_btnCrop, EditType_Crop);
    return true;
}

void QVideoEditDlg::OnInitCtrl()
{
    m_labName->setGeometry(200, 10, 400, 20);
    m_labName->setAlignment(Qt::AlignCenter);
    m_labName->hide();
    m_labPlayTime->setGeometry(507, 405, 101, 16);
    for (QWidget* label : {static_cast<QWidget*>(m_labName), static_cast<QWidget*>(m_labOriginal),
                           static_cast<QWidget*>(m_labOutput), static_cast<QWidget*>(m_labPlayTime)})
        whiteText(label);
    m_labOriginal->move(145, 50);
    m_labOutput->move(550, 50);
    m_labOriginal->setText(tr("Original Preview"));
    m_labOutput->setText(tr("Output Preivew"));
    m_labOriginal->hide();
    m_labOutput->hide();

    const QString res = QIAppUtil::getResourcePath() + "/image/VideoEditDlg/";
    m_playSlider->setBottomImage(res + "play_trake_slider.png");
    m_playSlider->setTopImage(res + "play_trake_rate.png");
    m_playSlider->setCircle(true);
    m_playSlider->setCircleLenght(3);
    m_playSlider->setValueRange(0, 100);
    m_playSlider->setGeometry(132, 405, 360, m_playSlider->height());
    m_playSlider->setEnabledPull(false);
    m_soundSlider->setBottomImage(res + "sound_trake_slider.png");
    m_soundSlider->setTopImage(res + "sound_trake_rate.png");
    m_soundSlider->setCircle(true);
    m_soundSlider->setCircleLenght(3);
    m_soundSlider->setValueRange(0, 100);
    m_soundSlider->setGeometry(667, 405, 112, m_soundSlider->height());
}

void QVideoEditDlg::InitPlay()
{
    m_engine->create(-1);
    m_info = Info_Create(-1);
    m_engine->setVolume(100);
    m_volume = 100.0f;
    m_soundSlider->setValue(100);
    m_timeTimer = new QTimer(this);
    m_screenTimer = new QTimer(this);
}

PlayerHandle QVideoEditDlg::player() const { return m_engine->handle(); }

void QVideoEditDlg::InitMenu()
{
    m_openFolderAction = new QAction(QStringLiteral("Open Folder"), this);
    m_settingsAction = new QAction(QStringLiteral("Settings"), this);
    m_snapshotMenu = new QMenu(this);
    m_snapshotMenu->setStyleSheet(QStringLiteral(
        "QMenu{background-color:rgb(60,152,187);margin:1px;}"
        "QMenu:item{background-color:rgb(40,184,236);color:rgb(255,255,255);font-weight:2px;margin:1px;"
        "height:20px;width:130px;padding-left :5px;}"
        "QMenu:item:selected{background-color:rgb(0,150,211);}QMenu:icon{left:20px;height:20px;}"
        "QMenu:item:!enabled{background-color:rgb(95,185,220);}"));
    m_snapshotMenu->addAction(m_openFolderAction);
    m_snapshotMenu->addAction(m_settingsAction);
}

void QVideoEditDlg::InitConnect()
{
    connect(m_btnClose, &QPushButton::clicked, this, &QWidget::close);
    connect(m_btnCancel, &QPushButton::clicked, this, &QWidget::close);
    connect(m_btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_btnTrim, &QPushButton::clicked, this, &QVideoEditDlg::OnTrimBtn);
    connect(m_btnCrop, &QPushButton::clicked, this, &QVideoEditDlg::OnCropBtn);
    connect(m_btnEffect, &QPushButton::clicked, this, &QVideoEditDlg::OnEffectBtn);
    connect(m_btnWatermark, &QPushButton::clicked, this, &QVideoEditDlg::OnWatermarkBtn);
    connect(m_btnSubtitle, &QPushButton::clicked, this, &QVideoEditDlg::OnSubtitleBtn);
    connect(m_btnPlay, &QPushButton::clicked, this, &QVideoEditDlg::OnBtnPlay);
    connect(m_btnStop, &QPushButton::clicked, this, &QVideoEditDlg::OnBtnStop);
    connect(m_subtitlePanel, &QSubtitleOperateDlg::AudioSelChange, this, &QVideoEditDlg::OnSelChangeAudio);
    connect(m_subtitlePanel, &QSubtitleOperateDlg::SubtlSelChange, this, &QVideoEditDlg::OnSelChangeSubtl);
    connect(m_cropPanel, &QCropOperateDlg::radCheckChange, this, &QVideoEditDlg::radRatioTypeChange);
    connect(m_cropPanel, &QCropOperateDlg::seedFillModeChange, this, &QVideoEditDlg::FillModeChange);
    connect(m_cropPanel, &QCropOperateDlg::ApplyToAll, this, &QVideoEditDlg::ApplyEditSettingToAll);
    connect(m_watermarkPanel, &QWatermarkOperateDlg::ApplyToAll, this,
            &QVideoEditDlg::ApplyWaterSettingToAll);
}

void QVideoEditDlg::IninScreenshotsInfo()
{
    m_captureFormat = QVideoSettingXml::getCaptureImgSuffix();
    m_captureFolder = QVideoSettingXml::getCaptrueImaSavePath();
    if (!QDir(m_captureFolder).exists())
        QDir().mkpath(m_captureFolder);
}

// ---- Tabs ---------------------------------------------------------------------

void QVideoEditDlg::selectTab(QImageButton* button, QEditType type)
{
    if (m_curTypeBtn)
        m_curTypeBtn->setEnabled(true);
    m_curTypeBtn = button;
    m_curTypeBtn->setEnabled(false);
    setEditType(type);
}

void QVideoEditDlg::OnTrimBtn() { selectTab(m_btnTrim, EditType_Trim); }
void QVideoEditDlg::OnCropBtn() { selectTab(m_btnCrop, EditType_Crop); }
void QVideoEditDlg::OnEffectBtn() { selectTab(m_btnEffect, EditType_Effect); }
void QVideoEditDlg::OnWatermarkBtn() { selectTab(m_btnWatermark, EditType_Watermark); }
void QVideoEditDlg::OnSubtitleBtn() { selectTab(m_btnSubtitle, EditType_Subtitle); }

void QVideoEditDlg::setEditType(QEditType type)
{
    m_editType = type;
    setWaterIsBorder(false);
    m_cropBorder = false;
    m_engine->setCropBorder(false);
    for (QWidget* w : {static_cast<QWidget*>(m_trimPanel), static_cast<QWidget*>(m_cropPanel),
                       static_cast<QWidget*>(m_watermarkPanel), static_cast<QWidget*>(m_subtitlePanel),
                       static_cast<QWidget*>(m_labOriginal), static_cast<QWidget*>(m_labOutput),
                       static_cast<QWidget*>(m_videoOrignalWidget)})
        w->hide();
    m_TrimDSlider->hide();
    m_videoPreviewWidget->setGeometry(140, 80, 520, 255);
    ResizeVideoWindow();

    switch (type) {
    case EditType_Trim:
        m_trimPanel->show();
        m_TrimDSlider->show();
        break;
    case EditType_Crop:
        m_cropPanel->show();
        m_videoOrignalWidget->setGeometry(10, 80, 385, 255);
        m_videoPreviewWidget->setGeometry(405, 80, 385, 255);
        m_videoOrignalWidget->show();
        m_videoPreviewWidget->show();
        m_labOriginal->show();
        m_labOutput->show();
        ResizeVideoWindow();
        m_cropBorder = !m_previewMode;
        m_engine->setCropBorder(m_cropBorder);
        break;
    case EditType_Watermark:
        m_watermarkPanel->show();
        setWaterIsBorder(true);
        break;
    case EditType_Subtitle:
        m_subtitlePanel->show();
        break;
    default:
        break;
    }
}

// ---- Apply to all ---------------------------------------------------------------

void QVideoEditDlg::ApplyEditSettingToAll() { emit seedApplyEditSetting(m_state.crop()); }

void QVideoEditDlg::ApplyWaterSettingToAll() { emit seedApplyWaterSetting(m_state.text(), m_state.image()); }
