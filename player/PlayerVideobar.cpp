#include "PlayerVideobar.h"

#include "PlaybackMath.h"
#include "QIAppUtil.h"
#include "SkinPicture.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

namespace {

// A picture block from the engine starts with a header of this size.
constexpr int kPictureHeader = 54;

QString resource(const char* path) { return QIAppUtil::getResourcePath() + QLatin1String(path); }

} // namespace

PlayerVideobar::PlayerVideobar(QWidget* parent)
    : QWidget(parent)
{
    setupUi(this);
    setMouseTracking(true);
    m_info = Info_Create(3);
    m_btnClose->setBtnImage(resource("/image/PlayerImage/close_play.png"));
    m_btnClose->hide();
    m_playWidget->SetImageBackgroud(resource("/image/icon_youtube.png"), true);
    m_playWidget->hide();
    m_stateSprite = new QPixmap(resource("/image/PlayerImage/play_list.png"));

    QPalette labels = m_labName->palette();
    labels.setColor(QPalette::Active, QPalette::WindowText, QColor(184, 185, 181));
    labels.setColor(QPalette::Inactive, QPalette::WindowText, QColor(184, 185, 181));
    labels.setColor(QPalette::Disabled, QPalette::WindowText, QColor(118, 116, 108));
    for (QLabel* label : {static_cast<QLabel*>(m_labName), m_labTime}) {
        QFont font = label->font();
        font.setFamily(QStringLiteral("Tahoma"));
        label->setFont(font);
        label->setPalette(labels);
    }
    connect(m_btnClose, &QPushButton::clicked, this, &PlayerVideobar::emitDelete);
}

PlayerVideobar::~PlayerVideobar()
{
    if (m_info) {
        Info_Close(m_info);
        Info_Release(m_info);
    }
    delete m_stateSprite;
}

void PlayerVideobar::setVideoName(QString path)
{
    m_videoPath = path;
    if (!m_info)
        return;
    const QByteArray utf8 = path.toUtf8();
    Info_Open(m_info, utf8.constData());
    m_fileInfo.m_fileName = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    m_fileInfo.m_filePath = path;
    m_fileInfo.m_duration = Info_GetDuration(m_info);
    const char* format = Info_GetFormatName(m_info);
    m_fileInfo.m_formatName = format ? QString::fromUtf8(format) : QString();
    m_fileInfo.m_videoWidth = int(Info_GetVideoWidth(m_info));
    m_fileInfo.m_videoHeight = int(Info_GetVideoHeight(m_info));
    m_fileInfo.m_videoBitRate = int(Info_GetVideoBitRate(m_info));

    const uint64_t at = Info_CanSeek(m_info) ? m_fileInfo.m_duration / 10 : 0;
    const uchar* picture = Info_GetVideoImage(m_info, at, 1, 0, 0);
    if (picture && m_fileInfo.m_videoWidth > 0 && m_fileInfo.m_videoHeight > 0) {
        // The picture lives only until the handle closes: keep a copy.
        m_thumbnail = QImage(picture + kPictureHeader, m_fileInfo.m_videoWidth, m_fileInfo.m_videoHeight,
                             m_fileInfo.m_videoWidth * 4, QImage::Format_RGB32)
                          .copy();
    }
    m_labTime->setText(playback::durationText(m_fileInfo.m_duration));
    m_labName->setText(m_fileInfo.m_fileName);

    Info_Close(m_info);
    Info_Release(m_info);
    m_info = nullptr;
}

bool PlayerVideobar::setWidgetState(int state)
{
    if (state == 1 || state == 2)
        m_btnClose->show();
    else if (state == 0)
        m_btnClose->hide();
    else
        return false;
    m_widgetState = state;
    repaint();
    return true;
}

void PlayerVideobar::setBtnPlayHidden(bool hidden)
{
    m_playWidget->setHidden(hidden);
    m_labTime->setAlignment((hidden ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignBottom);
}

void PlayerVideobar::setVideoTotalTime(QString text) { m_labTime->setText(text); }

bool PlayerVideobar::setWidgetImage(QString path)
{
    *m_stateSprite = QPixmap(path);
    return m_stateSprite->width() != 0;
}

void PlayerVideobar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        emit emitPressEvent();
}

void PlayerVideobar::mouseDoubleClickEvent(QMouseEvent* event)
{
    m_widgetState = 2;
    repaint();
    m_playWidget->show();
    m_labTime->setAlignment(Qt::AlignRight | Qt::AlignBottom);
    emit emitDoublePressEvent();
    QWidget::mouseDoubleClickEvent(event);
}

void PlayerVideobar::enterEvent(QEvent*)
{
    setCursor(Qt::ArrowCursor);
    if (m_widgetState != 0)
        return;
    m_widgetState = 1;
    m_btnClose->show();
    repaint();
    emit emitEnterEvent();
}

void PlayerVideobar::leaveEvent(QEvent*)
{
    if (m_widgetState != 1)
        return;
    m_widgetState = 0;
    m_btnClose->hide();
    repaint();
    emit emitLeaveEvent();
}

void PlayerVideobar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int W = width();
    const int H = height();
    painter.drawImage(rect(), skinPicture(resource("/image/PlayerImage/bar_bg.png")));
    const QRect thumbRect(9, 8, 58, 43);
    if (!m_thumbnail.isNull())
        painter.drawImage(thumbRect, m_thumbnail);
    else
        painter.drawImage(thumbRect, skinPicture(resource("/image/PlayerImage/video_image.png")));
    const int frame = m_stateSprite->width() / 4;
    const int index = (m_widgetState == 1 || m_widgetState == 2) ? m_widgetState : 0;
    if (frame > 0)
        painter.drawPixmap(QRect(0, 0, W, H), *m_stateSprite,
                           QRect(index * frame, 0, frame, m_stateSprite->height()));
    m_btnClose->move(W - 13, 2);
}
