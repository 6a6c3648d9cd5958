#include "VideoInfo.h"

#include "QIAppUtil.h"

#include <QImage>
#include <QPixmap>

VideoInfo::VideoInfo(QWidget* parent)
    : QWidget(parent)
{
    setupUi(this);
    setMouseTracking(true);
    Init();
}

VideoInfo::~VideoInfo() = default;

void VideoInfo::Init()
{
    const QString res = QIAppUtil::getResourcePath();
    m_editButton->setBtnImage(res + "/image/btn_write.png");

    m_imgSize.reset(new QImage(res + "/image/newimage/pic_size.png"));
    m_imgTime.reset(new QImage(res + "/image/newimage/pic_time.png"));
    m_imgFormat.reset(new QImage(res + "/image/newimage/pic_format.png"));
    m_imgScreen.reset(new QImage(res + "/image/newimage/pic_screen.png"));
    m_lengthImage->setPixmap(QPixmap::fromImage(*m_imgSize));
    m_timeImage->setPixmap(QPixmap::fromImage(*m_imgTime));
    m_formatImage->setPixmap(QPixmap::fromImage(*m_imgFormat));
    m_sizeImage->setPixmap(QPixmap::fromImage(*m_imgScreen));

    connect(m_editButton, &QPushButton::clicked, this, &VideoInfo::OnBtnEdit);
    connect(m_videoNameLab, &RetractLabel::emitChangeName, this, &VideoInfo::slotEditVideoName);
}

void VideoInfo::SetVideoInfo(QString name, bool canRename, QString size, QString time, QString format,
                             QString resolution)
{
    // The name label takes the pencil's place first: the eliding cut is
    // made for the label's size at the time of the call.
    m_editButton->setVisible(canRename);
    if (!canRename)
        m_videoNameLab->move(10, 10);
    m_videoNameLab->setText(name);
    SetVideoLength(size);
    SetVideoTime(time);
    m_format->setText(format);
    SetVideoSize(resolution);
}

void VideoInfo::SetEnableRename(bool enable) { m_editButton->setVisible(enable); }

void VideoInfo::slotSetVideoName(QString name)
{
    m_videoNameLab->setText(name);
    update();
}

void VideoInfo::SetVideoTime(QString time)
{
    m_time->setText(time);
    // A fact that is not known shows neither text nor icon.
    m_timeImage->setVisible(!time.isEmpty());
    update();
}

void VideoInfo::SetVideoFormat(QString format)
{
    m_format->setText(format);
    update();
}

void VideoInfo::SetVideoSize(QString size)
{
    m_size->setText(size);
    m_sizeImage->setVisible(!size.isEmpty());
    update();
}

void VideoInfo::SetVideoLength(QString length)
{
    m_length->setText(length);
    m_lengthImage->setVisible(!length.isEmpty());
    update();
}

void VideoInfo::OnBtnEdit() { m_videoNameLab->setCanEditText(true); }

QString VideoInfo::GetVideoName() { return m_videoNameLab->getName(); }

void VideoInfo::slotEditVideoName()
{
    const QString name = m_videoNameLab->getName();
    m_videoNameLab->setText(name);
    emit emitVideoNameChanged(m_videoNameLab->getName());
}
