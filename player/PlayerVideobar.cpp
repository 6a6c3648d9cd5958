#include "PlayerVideobar.h"

#include "QIAppUtil.h"
#include "SkinPicture.h"
#include "playback/PlaybackMath.h"

#include <orvalta.h>

#include <QMouseEvent>
#include <QMutex>
#include <QPainter>
#include <QPixmap>
#include <QRunnable>
#include <QThreadPool>

namespace {

// A picture block from the engine starts with a header of this size.
constexpr int kPictureHeader = 54;

QString resource(const char* path) { return QIAppUtil::getResourcePath() + QLatin1String(path); }

const QRect kThumbRect(9, 8, 58, 43);

} // namespace

struct PlayerVideobar::ProbeLink
{
    QMutex mutex;
    PlayerVideobar* row = nullptr;
};

PlaylistRowProbe probePlaylistFile(const QString& path, const QSize& thumbSize)
{
    PlaylistRowProbe probe;
    MediafileInfo& facts = probe.info;
    facts.m_fileName = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    facts.m_filePath = path;
    InfoHandle info = Info_Create(3);
    if (!info)
        return probe;
    const QByteArray utf8 = path.toUtf8();
    Info_Open(info, utf8.constData());
    facts.m_duration = Info_GetDuration(info);
    const char* format = Info_GetFormatName(info);
    facts.m_formatName = format ? QString::fromUtf8(format) : QString();
    facts.m_videoWidth = int(Info_GetVideoWidth(info));
    facts.m_videoHeight = int(Info_GetVideoHeight(info));
    facts.m_videoBitRate = int(Info_GetVideoBitRate(info));

    // Asked for at the size it is drawn: a full-size picture of a 4K file
    // would be tens of megabytes kept for the whole run.
    const uint64_t at = Info_CanSeek(info) ? facts.m_duration / 10 : 0;
    const int w = thumbSize.width(), h = thumbSize.height();
    const uchar* picture = Info_GetVideoImage(info, at, 1, w, h);
    if (picture && facts.m_videoWidth > 0 && facts.m_videoHeight > 0) {
        // The picture lives only until the handle closes: keep a copy.
        probe.thumbnail = QImage(picture + kPictureHeader, w, h, w * 4, QImage::Format_RGB32).copy();
    }
    Info_Close(info);
    Info_Release(info);
    return probe;
}

QSize PlayerVideobar::thumbnailSize() { return kThumbRect.size(); }

QThreadPool* PlayerVideobar::probePool()
{
    // Its own small pool: a long list of files is read one after another
    // without taking the threads other work runs on.
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(1);
        p->setExpiryTimeout(5000);
        return p;
    }();
    return pool;
}

PlayerVideobar::PlayerVideobar(QWidget* parent)
    : QWidget(parent)
{
    setupUi(this);
    setMouseTracking(true);
    m_link = std::make_shared<ProbeLink>();
    m_link->row = this;
    m_btnClose->setBtnImage(resource("/image/PlayerImage/close_play.png"));
    m_btnClose->hide();
    m_btnClose->setFocusPolicy(Qt::NoFocus);
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
    {
        // A probe that finishes from now on hands its result to nobody; one
        // already handed over dies with this object's posted events.
        QMutexLocker lock(&m_link->mutex);
        m_link->row = nullptr;
    }
    delete m_stateSprite;
}

void PlayerVideobar::setVideoName(QString path)
{
    m_videoPath = path;
    m_hasFacts = false;
    m_fileInfo = MediafileInfo();
    m_fileInfo.m_fileName = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    m_fileInfo.m_filePath = path;
    m_thumbnail = QImage();
    m_labName->setText(m_fileInfo.m_fileName);
    m_labTime->clear();

    std::shared_ptr<ProbeLink> link = m_link;
    const QSize size = thumbnailSize();
    probePool()->start([link, path, size] {
        const PlaylistRowProbe probe = probePlaylistFile(path, size);
        QMutexLocker lock(&link->mutex);
        if (PlayerVideobar* row = link->row)
            QMetaObject::invokeMethod(
                row, [row, path, probe] { row->applyProbe(path, probe); }, Qt::QueuedConnection);
    });
}

void PlayerVideobar::applyProbe(const QString& path, const PlaylistRowProbe& probe)
{
    if (path != m_videoPath)
        return; // the row has been given another file since
    m_fileInfo = probe.info;
    m_thumbnail = probe.thumbnail;
    m_hasFacts = true;
    m_labTime->setText(PlaybackMath::durationText(m_fileInfo.m_duration));
    update();
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
    if (!m_thumbnail.isNull())
        painter.drawImage(kThumbRect, m_thumbnail);
    else
        painter.drawImage(kThumbRect, skinPicture(resource("/image/PlayerImage/video_image.png")));
    const int frame = m_stateSprite->width() / 4;
    const int index = (m_widgetState == 1 || m_widgetState == 2) ? m_widgetState : 0;
    if (frame > 0)
        painter.drawPixmap(QRect(0, 0, W, H), *m_stateSprite,
                           QRect(index * frame, 0, frame, m_stateSprite->height()));
    m_btnClose->move(W - 13, 2);
}
