#include "FormatItem.h"

#include "GobelConfigure.h"
#include "LogCategories.h"
#include "QIAppUtil.h"
#include "SignalClass.h"
#include "formats/GobelItemChunk.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QtDebug>

namespace {
// Icons up to this size are drawn as they are, centred in the area whose
// top-left corner is kIconArea; larger ones are squeezed into kLargeBox.
constexpr int kIconAreaWidth = 65;
constexpr int kIconAreaHeight = 70;
const QPoint kIconArea(12, 11);
const QRect kLargeBox(QPoint(22, 16), QPoint(67, 75));
} // namespace

FormatItem::FormatItem(QWidget* parent)
    : QWidget(parent)
{
    setupUi(this);
    // The form's point sizes are pixels of a 72-dpi screen. Pinned as pixels,
    // tiles made after start-up match those the main window fitted, and the
    // main window's fitting leaves them alone.
    QFont font = m_labName->font();
    if (font.pointSizeF() > 0) {
        font.setPixelSize(qRound(font.pointSizeF()));
        m_labName->setFont(font);
    }
    m_btnSetting->setBtnImage(QIAppUtil::getResourcePath() + "/image/setting_btn.png");
    m_btnSetting->hide();
    connect(m_btnSetting, &QPushButton::clicked, this, &FormatItem::OnBtnSetting);
}

FormatItem::~FormatItem() = default;

void FormatItem::setbgImage(QString path)
{
    imagename = path.mid(path.lastIndexOf('/') + 1);

    m_image.reset();
    auto image = std::make_unique<QImage>(path);
    if (image->isNull())
        return;
    if (image->width() > kIconAreaWidth || image->height() > kIconAreaHeight) {
        m_imageRect = kLargeBox;
    } else {
        const QPoint topLeft(kIconArea.x() + (kIconAreaWidth - image->width()) / 2,
                             kIconArea.y() + (kIconAreaHeight - image->height()) / 2);
        m_imageRect = QRect(topLeft, image->size());
    }
    m_image = std::move(image);
    repaint();
}

void FormatItem::setItemName(QString name)
{
    itemname = name;
    m_labName->setText(name);
}

void FormatItem::setRelevantfile(QString file) { relevantfile = file; }

void FormatItem::setPress(bool on)
{
    m_bPress = on;
    m_btnSetting->setVisible(on);
    repaint();
}

void FormatItem::OnBtnSetting()
{
    if (!g_itemChunk.m_bEnableSelect)
        return;
    SignalClass* relay = SignalClass::GetInstance(nullptr);
    if (g_Configure.m_bMerge)
        relay->sendSignalShowMergeSetting();
    else
        relay->sendsignalShowSettingDialog();
}

void FormatItem::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (!g_itemChunk.m_bEnableSelect)
        return;
    qCDebug(lcFormats) << relevantfile;
    makeCurrent();
    emit SignalItemPress();
}

void FormatItem::makeCurrent() const
{
    g_itemChunk.setNames(imagename, itemname, relevantfile);
    g_itemChunk.getConvertXMLInfo();
    g_itemChunk.saveDefaultXML();
}

void FormatItem::enterEvent(QEvent*)
{
    if (!isEnabled())
        return;
    m_bHover = true;
    repaint();
}

void FormatItem::leaveEvent(QEvent*)
{
    if (!isEnabled())
        return;
    m_bHover = false;
    repaint();
}

void FormatItem::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_bHover || m_bPress)
        painter.drawPixmap(7, 3, QPixmap(QIAppUtil::getResourcePath() + "/image/itembg.png"));
    if (m_image)
        painter.drawImage(m_imageRect, *m_image);
}
