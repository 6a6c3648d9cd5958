#include "FormatWindow.h"

#include "FormatItem.h"
#include "FormatSettingDialog.h"
#include "FormatTypeWidget.h"
#include "QIAppUtil.h"
#include "QImageButton.h"
#include "SignalClass.h"
#include "files/UserData.h"
#include "formats/GobelItemChunk.h"

#include <QBitmap>
#include <QPainter>
#include <QPixmap>

namespace {
QString backgroundPath() { return QIAppUtil::getResourcePath() + "/image/convert_to_bg.png"; }

struct Category
{
    FormatType type;
    const char* objectName;
    const char* catalogue;
    const char* sprite;
};

// In the order the strips read their files at start.
const Category kCategories[] = {
    {Format_Recent, "RECENT", "/format/recent.xml", "/image/btn_audio.png"},
    {Format_Video, "VIDEO", "/format/video.xml", "/image/btn_audio.png"},
    {Format_Audio, "AUDIO", "/format/audio.xml", "/image/btn_audio.png"},
    {Format_HD3D, "HD3D", "/format/hd3d.xml", "/image/btn_audio.png"},
    {Format_WebShare, "WEBSHARE", "/format/webshare.xml", "/image/btn_web_share.png"},
    {Format_Devices, "DEVICES", "/format/devices.xml", "/image/btn_audio.png"},
};

// A task's format is looked for in this order, not the numeric one.
const FormatType kSearchOrder[] = {Format_Recent, Format_Devices,  Format_Video,
                                   Format_HD3D,   Format_WebShare, Format_Audio};
} // namespace

FormatWindow::FormatWindow(QWidget* parent)
    : QWidget(parent)
{
    setupUi(this);
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setFixedHeight(QPixmap(backgroundPath()).height());

    for (const Category& c : kCategories)
        stripOf(c.type)->setObjectName(QString::fromLatin1(c.objectName));
    for (const Category& c : kCategories)
        stripOf(c.type)->setVisible(c.type == Format_Recent);
    m_currentWidget = m_recentWidget;

    g_itemChunk.Init();

    // The recent list is the person's; the other catalogues ship.
    for (const Category& c : kCategories)
        stripOf(c.type)->GreateItem(UserData::readPath(QLatin1String(c.catalogue + 1)));

    connect(m_recentWidget, &FormatTypeWidget::signalFotmatChoosen, this, &FormatWindow::signalFotmatChoosen);
    for (FormatTypeWidget* strip : {m_videoWidget, m_webWidget, m_HD3DWidget, m_audioWidget, m_deviceWidget})
        connect(strip, &FormatTypeWidget::signalFotmatChoosen, this, &FormatWindow::slotFotmatChoosen);

    SignalClass* relay = SignalClass::GetInstance(nullptr);
    connect(relay, &SignalClass::signalShowMergeSetting, this, &FormatWindow::ShowmergeSettingDialog);

    const QString res = QIAppUtil::getResourcePath();
    const QString captions[] = {tr("Recent"),    tr("Devices"), tr("Video"),
                                tr("Web share"), tr("HD&3D"),   tr("Audio")};
    for (const Category& c : kCategories) {
        QImageButton* button = buttonOf(c.type);
        button->setBtnImage(res + QLatin1String(c.sprite));
        button->setBtnText(captions[c.type]);
        button->setTextStyle(TextColorStyle6);
        button->resizeFont();
    }

    if (m_recentWidget->GetListLength() == 0) {
        m_recentWidget->showWindow(false);
        m_videoWidget->showWindow(true);
        m_currentWidget = m_videoWidget;
        m_currentBtn = m_btnVideo;
    } else {
        m_currentBtn = m_btnRecent;
    }
    m_currentBtn->setEnabled(false);

    connect(m_btnRecent, &QPushButton::clicked, this, &FormatWindow::OnBtnRecent);
    connect(m_btnDevices, &QPushButton::clicked, this, &FormatWindow::OnBtnDevices);
    connect(m_btnVideo, &QPushButton::clicked, this, &FormatWindow::OnBtnVideo);
    connect(m_btnWebShare, &QPushButton::clicked, this, &FormatWindow::OnBtnWebShare);
    connect(m_btnHD3D, &QPushButton::clicked, this, &FormatWindow::OnBtnHD3D);
    connect(m_btnAudio, &QPushButton::clicked, this, &FormatWindow::OnBtnAudio);
}

FormatWindow::~FormatWindow() = default;

FormatTypeWidget* FormatWindow::stripOf(FormatType type) const
{
    switch (type) {
    case Format_Recent:
        return m_recentWidget;
    case Format_Devices:
        return m_deviceWidget;
    case Format_Video:
        return m_videoWidget;
    case Format_WebShare:
        return m_webWidget;
    case Format_HD3D:
        return m_HD3DWidget;
    case Format_Audio:
        return m_audioWidget;
    }
    return nullptr;
}

QImageButton* FormatWindow::buttonOf(FormatType type) const
{
    switch (type) {
    case Format_Recent:
        return m_btnRecent;
    case Format_Devices:
        return m_btnDevices;
    case Format_Video:
        return m_btnVideo;
    case Format_WebShare:
        return m_btnWebShare;
    case Format_HD3D:
        return m_btnHD3D;
    case Format_Audio:
        return m_btnAudio;
    }
    return nullptr;
}

void FormatWindow::showWidget(FormatType type)
{
    m_currentBtn->setEnabled(true);
    m_currentWidget->showWindow(false);
    if (FormatTypeWidget* strip = stripOf(type)) {
        m_currentWidget = strip;
        m_currentBtn = buttonOf(type);
    }
    m_currentWidget->showWindow(true);
    m_currentBtn->setEnabled(false);
}

void FormatWindow::OnBtnRecent() { showWidget(Format_Recent); }
void FormatWindow::OnBtnDevices() { showWidget(Format_Devices); }
void FormatWindow::OnBtnVideo() { showWidget(Format_Video); }
void FormatWindow::OnBtnWebShare() { showWidget(Format_WebShare); }
void FormatWindow::OnBtnHD3D() { showWidget(Format_HD3D); }
void FormatWindow::OnBtnAudio() { showWidget(Format_Audio); }

void FormatWindow::slotFotmatChoosen()
{
    // The queue applies the format first; the Recent list follows.
    emit signalFotmatChoosen();
    m_recentWidget->addRecentItem();
}

void FormatWindow::setFormatEnableSelect(bool)
{
    // Selection stays on once the window is up; the queue's later calls
    // only confirm it.
    g_itemChunk.m_bEnableSelect = true;
}

void FormatWindow::slotFilesAdded(bool hasFiles)
{
    // The new tasks take the current format: the strip in sight marks it,
    // also the Recent strip, which start-up leaves unmarked.
    if (hasFiles)
        m_currentWidget->RefreshItem();
}

void FormatWindow::slotChangeFormatChoosed(QString name)
{
    for (FormatType type : kSearchOrder) {
        if (!FindSelectedItem(type, name))
            continue;
        // What the catalogue shows marked is what the merge and the next
        // added files get: a hidden earlier press must not win over it.
        const FormatItem* marked = m_currentWidget->selectedItem();
        QString image, item, file;
        g_itemChunk.copyNames(image, item, file);
        if (marked
            && (marked->relevantfile != file || marked->imagename != image || marked->itemname != item))
            marked->makeCurrent();
        return;
    }
}

bool FormatWindow::FindSelectedItem(FormatType type, QString name)
{
    FormatTypeWidget* strip = stripOf(type);
    if (!strip)
        return false;
    const QString wanted = name.toUpper();
    for (const FormatItem* item : strip->GetListItem()) {
        if (item->itemname.toUpper() == wanted) {
            showWidget(type);
            strip->setSelectedItem(name);
            return true;
        }
    }
    return false;
}

void FormatWindow::ShowmergeSettingDialog()
{
    if (!m_mergeSettingDlg)
        m_mergeSettingDlg = new FormatSettingDialog(this);
    m_mergeSettingDlg->setConvertinfo(g_itemChunk.m_convertinfo);
    m_mergeSettingDlg->setXmlfile(GobelItemChunk::profilePath(g_itemChunk.relevantfile));
    m_mergeSettingDlg->exec();
}

void FormatWindow::updateWidgetText() {}

QSize FormatWindow::sizeHint() const
{
    // The main window's form lowers the minimum after construction; asking
    // for the background's height keeps the panel at it.
    const int h = maximumHeight() < QWIDGETSIZE_MAX ? maximumHeight() : minimumHeight();
    return QSize(QWidget::sizeHint().width(), h);
}

void FormatWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(rect(), QImage(backgroundPath()));
    painter.drawImage(QPoint(width() / 2 - 40, 8),
                      QImage(QIAppUtil::getResourcePath() + "/image/convert_to_font.png"));
}

void FormatWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const QPixmap bg(backgroundPath());
    if (bg.isNull())
        return;
    const QPixmap scaled = bg.scaled(width(), bg.height(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    setMask(scaled.mask());
}
