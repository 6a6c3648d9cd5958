#include "ScrollareaContentWidget.h"

#include "QIAppUtil.h"
#include "SkinPicture.h"

#include <QImage>
#include <QPainter>

ScrollareaContentWidget::ScrollareaContentWidget(QWidget* parent)
    : QWidget(parent)
{
    setupUi(this);
    m_labelImage->setBtnImage(QIAppUtil::getResourcePath() + "/image/middle_logo_btn.png");
    connect(m_labelImage, &QPushButton::clicked, this, &ScrollareaContentWidget::signalAddFile);
    m_labImageText->setText(tr("Drag media files here to start"));
}

ScrollareaContentWidget::~ScrollareaContentWidget() = default;

void ScrollareaContentWidget::setImageHide(bool hide)
{
    m_labelImage->setVisible(!hide);
    m_labImageText->setVisible(!hide);
}

void ScrollareaContentWidget::updateWidgetText()
{
    m_labImageText->setText(tr("Drag Media files here to start"));
}

void ScrollareaContentWidget::paintEvent(QPaintEvent* event)
{
    {
        // A changed skin picture shows at the next repaint.
        const QImage& background = skinPicture(QIAppUtil::getResourcePath() + "/image/convert_bg.png");
        QPainter painter(this);
        painter.drawImage(QRect(0, 0, width(), height()), background,
                          QRect(0, 0, background.width(), background.height()));
    }
    m_labelImage->move((width() - m_labelImage->width()) / 2, (height() - m_labelImage->height()) / 2);
    m_labImageText->move((width() - m_labImageText->width()) / 2,
                         m_labelImage->y() + m_labelImage->height() + 5);
    QWidget::paintEvent(event);
}
