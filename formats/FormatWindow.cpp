#include "FormatWindow.h"

#include "FormatSettingDialog.h"
#include "GobelItemChunk.h"
#include "QIAppUtil.h"
#include "SignalClass.h"

#include <QBitmap>
#include <QPainter>
#include <QPixmap>

namespace {
QString backgroundPath()
{
    return QIAppUtil::getResourcePath() + "/image/convert_to_bg.png";
}
} // namespace

FormatWindow::FormatWindow(QWidget *parent) : QWidget(parent)
{
    if (objectName().isEmpty())
        setObjectName("FormatWindow");
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    // A missing background must not collapse the panel to nothing.
    const QPixmap bg(backgroundPath());
    if (!bg.isNull())
        setFixedHeight(bg.height());

    g_itemChunk.Init();

    SignalClass *relay = SignalClass::GetInstance(nullptr);
    connect(relay, &SignalClass::signalShowMergeSetting, this, &FormatWindow::ShowmergeSettingDialog);
}

FormatWindow::~FormatWindow() = default;

void FormatWindow::slotFotmatChoosen()
{
    emit signalFotmatChoosen();
}

void FormatWindow::setFormatEnableSelect(bool)
{
    // Selection stays on once the window is up; the queue's later calls
    // only confirm it.
    g_itemChunk.m_bEnableSelect = true;
}

void FormatWindow::ShowmergeSettingDialog()
{
    if (!m_mergeSettingDlg)
        m_mergeSettingDlg = new FormatSettingDialog(this);
    m_mergeSettingDlg->setConvertinfo(g_itemChunk.m_convertinfo);
    m_mergeSettingDlg->setXmlfile(GobelItemChunk::profilePath(g_itemChunk.relevantfile));
    m_mergeSettingDlg->exec();
}

void FormatWindow::slotChangeFormatChoosed(QString name)
{
    // With the single current item there is nothing else to mark.
    Q_UNUSED(name);
    update();
}

void FormatWindow::updateWidgetText() {}

QSize FormatWindow::sizeHint() const
{
    // The form lowers the minimum after construction; asking for the
    // background's height keeps the panel at it.
    const int h = maximumHeight() < QWIDGETSIZE_MAX ? maximumHeight() : minimumHeight();
    return QSize(QWidget::sizeHint().width(), h);
}

void FormatWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QString res = QIAppUtil::getResourcePath();
    painter.drawImage(rect(), QImage(backgroundPath()));
    const QImage caption(res + "/image/convert_to_font.png");
    painter.drawImage(QPoint(width() / 2 - 40, 8), caption);

    // The current format as one selected tile, centred below the caption.
    QString image, item, file;
    g_itemChunk.copyNames(image, item, file);
    const int top = 8 + caption.height() + 8;
    const int tile = qMax(0, qMin(64, height() - top - 8));
    const QRect tileRect(width() / 2 - tile / 2, top, tile, tile);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(20, 141, 228), 2));
    painter.setBrush(QColor(255, 255, 255, 18));
    painter.drawRoundedRect(tileRect.adjusted(1, 1, -1, -1), 6, 6);
    const QImage icon(res + "/format/image/" + image);
    QRect textRect = tileRect;
    if (!icon.isNull()) {
        const int iconSize = tile * 5 / 8;
        painter.drawImage(QRect(tileRect.center().x() - iconSize / 2, tileRect.top() + 4, iconSize, iconSize),
                          icon);
        textRect.setTop(tileRect.top() + 4 + iconSize);
    }
    QFont font("Tahoma");
    font.setPixelSize(12);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(255, 255, 255));
    painter.drawText(textRect, Qt::AlignCenter, item);
}

void FormatWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const QPixmap bg(backgroundPath());
    if (bg.isNull())
        return;
    const QPixmap scaled = bg.scaled(width(), bg.height(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    setMask(scaled.mask());
}
