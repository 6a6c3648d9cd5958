#include "FormatSettingDialog.h"

#include "FormFonts.h"
#include "GobelConfigure.h"
#include "QIAppUtil.h"
#include "formats/GobelItemChunk.h"
#include "formats/ProfileFile.h"
#include "formats/ProfileLists.h"

#include <QPixmap>
#include <QtDebug>

#include <utility>

namespace {

// The combo box of each quality value, in the order of kQualityAttributes.
QComboBox* Ui::FormatSettingDialog::*const kBoxes[FormatSettingDialog::SettingCount] = {
    &Ui::FormatSettingDialog::v_codecBox,      &Ui::FormatSettingDialog::v_sizeBox,
    &Ui::FormatSettingDialog::v_framerateBox,  &Ui::FormatSettingDialog::v_bitrateBox,
    &Ui::FormatSettingDialog::a_codecBox,      &Ui::FormatSettingDialog::a_channelBox,
    &Ui::FormatSettingDialog::a_samplerateBox, &Ui::FormatSettingDialog::a_bitrateBox,
};
static_assert(FormatSettingDialog::SettingCount == kQualityAttributeCount, "one box per quality value");

const QualityAttribute* const kSettings = kQualityAttributes;

QString displayForm(const QString& value, const QString& unit) { return qualityDisplayForm(value, unit); }

QString valueForm(const QString& text, const QString& unit) { return qualityValueForm(text, unit); }

} // namespace

FormatSettingDialog::FormatSettingDialog(QWidget* parent)
    : QImageDialog(parent)
{
    setupUi(this);
    fitFormFonts(this);
    const QString res = QIAppUtil::getResourcePath();

    // The system draws the frame and the title, so the form's own title
    // band stays hidden.
    m_btnClose->setBtnImage(res + "/image/top_btn_close.png");
    m_labTitleIcon->setPixmap(QPixmap(res + "/exp_image/LOGO_20.png"));
    m_btnClose->hide();
    m_labTitleIcon->hide();
    m_labTitle->hide();
    setWindowFlags(Qt::Dialog);
    setWindowTitle(tr("Settings"));
    ResizeChildren(30);
    SetImageBackgroud(res + "/image/ini_setting_bg.png", true);

    m_btnOK->setBtnImage(res + "/image/btn_OK.png");
    m_btnOK->setBtnText(tr("Ok"));
    m_btnOK->setTextStyle(TextColorStyle3);
    m_btnCancel->setBtnImage(res + "/image/BTN_Cancel.png");
    m_btnCancel->setBtnText(tr("Cancel"));
    m_btnCancel->setTextStyle(TextColorStyle3);
    const std::pair<QImageButton*, QString> presets[] = {
        {m_btnHigh, tr("High")}, {m_btnSmall, tr("Small")}, {m_btnDefault, tr("Default")}};
    for (const auto& [button, text] : presets) {
        button->setBtnImage(res + "/image/btn_Default.png");
        button->setBtnText(text);
        button->setTextStyle(TextColorStyle1);
    }

    connect(m_btnOK, &QPushButton::clicked, this, &FormatSettingDialog::OnBtnOK);
    connect(m_btnCancel, &QPushButton::clicked, this, &QWidget::close);
    connect(m_btnClose, &QPushButton::clicked, this, &QWidget::close);
    connect(m_btnDefault, &QPushButton::clicked, this, &FormatSettingDialog::OnBtnDefault);
    connect(m_btnHigh, &QPushButton::clicked, this, &FormatSettingDialog::OnBtnHigh);
    connect(m_btnSmall, &QPushButton::clicked, this, &FormatSettingDialog::OnBtnSmall);
}

FormatSettingDialog::~FormatSettingDialog() = default;

QComboBox* FormatSettingDialog::comboOf(Setting setting) { return this->*(kBoxes[setting]); }

void FormatSettingDialog::setConvertinfo(Convertinfo& info)
{
    m_info = Convertinfo();
    m_info.isVideo = info.isVideo;
    for (const QualityAttribute& s : kQualityAttributes)
        m_info.*(s.value) = info.*(s.value);
    m_info.V_Format = info.V_Format;
    m_info.V_Extend = info.V_Extend;
}

void FormatSettingDialog::RefreshQStringList(QStringList& list, QString text)
{
    list = ProfileLists::split(text);
}

void FormatSettingDialog::fill(Setting setting, const QString& text)
{
    const QualityAttribute& info = kSettings[setting];
    ValueList& list = m_lists[setting];
    QComboBox* box = comboOf(setting);
    if (info.video && !m_info.isVideo) {
        box->clear();
        box->setEnabled(false);
        return;
    }
    RefreshQStringList(list.items, text);
    list.remembered = list.items.indexOf(m_info.*(info.value));
    const QString unit = QString::fromLatin1(info.unit);
    for (QString& item : list.items)
        item = displayForm(item, unit);
    if (info.video)
        box->setEnabled(true);
    box->clear();
    box->addItems(list.items);
    box->setCurrentIndex(list.remembered);
}

void FormatSettingDialog::InitV_Encoder(QString text) { fill(V_Encoder, text); }
void FormatSettingDialog::InitV_Resolution(QString text) { fill(V_Resolution, text); }
void FormatSettingDialog::InitV_FrameRate(QString text) { fill(V_FrameRate, text); }
void FormatSettingDialog::InitV_BitRate(QString text) { fill(V_BitRate, text); }
void FormatSettingDialog::InitA_Encoder(QString text) { fill(A_Encoder, text); }
void FormatSettingDialog::InitA_Channel(QString text) { fill(A_Channel, text); }
void FormatSettingDialog::InitA_SampleRate(QString text) { fill(A_SampleRate, text); }
void FormatSettingDialog::InitA_BitRate(QString text) { fill(A_BitRate, text); }

void FormatSettingDialog::setCurrect()
{
    for (int s = 0; s < SettingCount; ++s) {
        if (kSettings[s].video && !m_info.isVideo)
            continue;
        comboOf(Setting(s))->setCurrentIndex(m_lists[s].remembered);
    }
}

void FormatSettingDialog::setXmlfile(QString path)
{
    if (path == m_strXmlFile) {
        setCurrect();
        return;
    }
    m_strXmlFile = path;
    ProfileLists profile;
    if (!profile.read(path))
        return;
    for (ValueList& list : m_lists)
        list.presets.clear();

    // Plain calls rather than a table of member pointers: GCC 12's bounds
    // sanitizer misreads an index into such a table and the test run under
    // it crashes.
    if (profile.hasLists()) {
        InitV_Encoder(profile.listText(V_Encoder));
        InitV_Resolution(profile.listText(V_Resolution));
        InitV_FrameRate(profile.listText(V_FrameRate));
        InitV_BitRate(profile.listText(V_BitRate));
        InitA_Encoder(profile.listText(A_Encoder));
        InitA_Channel(profile.listText(A_Channel));
        InitA_SampleRate(profile.listText(A_SampleRate));
        InitA_BitRate(profile.listText(A_BitRate));
    }
    // A preset names values; the buttons select them by their place in the
    // lists just filled.
    for (const Convertinfo& preset : profile.presets()) {
        for (int s = 0; s < SettingCount; ++s) {
            const QString value =
                displayForm(preset.*(kSettings[s].value), QString::fromLatin1(kSettings[s].unit));
            m_lists[s].presets.append(m_lists[s].items.indexOf(value));
        }
    }
}

void FormatSettingDialog::setChoosedType(customType type)
{
    for (int s = 0; s < SettingCount; ++s) {
        if (kSettings[s].video && !m_info.isVideo)
            continue;
        const QList<int>& presets = m_lists[s].presets;
        if (int(type) >= 0 && int(type) < presets.size())
            comboOf(Setting(s))->setCurrentIndex(presets.at(type));
    }
    update();
}

void FormatSettingDialog::OnBtnHigh() { setChoosedType(Custom_High); }
void FormatSettingDialog::OnBtnDefault() { setChoosedType(Custom_Default); }
void FormatSettingDialog::OnBtnSmall() { setChoosedType(Custom_Small); }

void FormatSettingDialog::OnBtnOK()
{
    // Video settings first, then audio, as the table lists them.
    for (int s = 0; s < SettingCount; ++s) {
        const QualityAttribute& info = kSettings[s];
        if (info.video && !m_info.isVideo)
            continue;
        QComboBox* box = comboOf(Setting(s));
        // A list left without a choice keeps the value it had: an empty value
        // would reach the profile file and the engine.
        if (box->currentIndex() < 0)
            continue;
        m_info.*(info.value) = valueForm(box->currentText(), QString::fromLatin1(info.unit));
        m_lists[s].remembered = box->currentIndex();
    }

    if (g_Configure.m_bMerge) {
        Convertinfo& target = g_itemChunk.m_convertinfo;
        for (const QualityAttribute& s : kQualityAttributes)
            target.*(s.value) = m_info.*(s.value);
        target.isVideo = m_info.isVideo;
        target.V_Format = m_info.V_Format;
        target.V_Extend = m_info.V_Extend;
    } else {
        emit signalChangeConvertInfo(m_info);
    }
    close();
}
