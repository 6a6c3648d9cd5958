#include "FormatTypeWidget.h"

#include "FormatItem.h"
#include "QIAppUtil.h"
#include "formats/FormatCatalogue.h"
#include "formats/GobelItemChunk.h"

#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <QtDebug>

namespace {
constexpr int kMaxRecent = FormatCatalogue::kMaxRecent;
constexpr int kTickMs = 20;
constexpr int kRightStep = 30;
constexpr int kLeftStep = 25;
// The left scroll settles on whole tiles.
constexpr int kItemWidth = 90;
// Room kept free at the strip's right end before the row counts as full.
constexpr int kOverflowSlack = 40;
const QString kRecentName = QStringLiteral("RECENT");

QString imagePath(const QString& image) { return QIAppUtil::getResourcePath() + "/format/image/" + image; }
} // namespace

FormatTypeWidget::FormatTypeWidget(QWidget* parent)
    : QWidget(parent)
{
    setupUi(this);
    const QString res = QIAppUtil::getResourcePath();
    m_btnLeft->setBtnImage(res + "/image/btn_left.png");
    m_btnRight->setBtnImage(res + "/image/btn_right.png");
    m_hby->setPalette(QPalette(QColor(230, 234, 237)));
    m_hby->setAutoFillBackground(true);

    m_timerRight = new QTimer(this);
    m_timerLeft = new QTimer(this);
    connect(m_btnRight, &QPushButton::pressed, this, &FormatTypeWidget::OnPressRight);
    connect(m_btnLeft, &QPushButton::pressed, this, &FormatTypeWidget::OnPressLeft);
    connect(m_btnRight, &QPushButton::released, this, &FormatTypeWidget::OnRight);
    connect(m_btnLeft, &QPushButton::released, this, &FormatTypeWidget::OnLeft);
    connect(m_timerRight, &QTimer::timeout, this, &FormatTypeWidget::timeOut);
    connect(m_timerLeft, &QTimer::timeout, this, &FormatTypeWidget::timeOu);
}

FormatTypeWidget::~FormatTypeWidget() { qDeleteAll(m_itemList); }

QString FormatTypeWidget::recentXmlPath() { return FormatCatalogue::recentPath(); }

void FormatTypeWidget::setObjectName(const QString& name)
{
    QObject::setObjectName(name);
    if (name == kRecentName)
        m_itemLayout->setDirection(QBoxLayout::RightToLeft);
}

bool FormatTypeWidget::isRecent() const { return objectName() == kRecentName; }

FormatItem* FormatTypeWidget::createItem(const QString& image, const QString& name, const QString& file)
{
    auto* item = new FormatItem(nullptr);
    item->setbgImage(imagePath(image));
    item->setItemName(name);
    item->setRelevantfile(file);
    connect(item, &FormatItem::SignalItemPress, this, &FormatTypeWidget::SlotItemPress);
    return item;
}

void FormatTypeWidget::GreateItem(QString path)
{
    // The recent list holds its newest ten, whatever the file says.
    const QList<FormatCatalogue::Item> items = FormatCatalogue::read(path, isRecent() ? kMaxRecent : 0);
    for (const FormatCatalogue::Item& e : items) {
        FormatItem* item = createItem(e.imageName, e.itemName, e.relevantFile);
        m_itemList.append(item);
        m_itemLayout->addWidget(item);
    }
}

void FormatTypeWidget::markItem(FormatItem* item)
{
    if (m_selectedItem)
        m_selectedItem->setPress(false);
    m_selectedItem = item;
    if (item)
        item->setPress(true);
}

bool FormatTypeWidget::isOverflowing() const
{
    if (m_itemList.isEmpty())
        return false;
    const FormatItem* last = m_itemList.last();
    const int right = last->mapTo(m_hby, QPoint(0, 0)).x() + last->width();
    return right > width() - kOverflowSlack;
}

void FormatTypeWidget::SlotItemPress()
{
    auto* item = qobject_cast<FormatItem*>(sender());
    if (isOverflowing()) {
        // The pointer is still held on the tile: let it drag the row.
        m_bMousePress = true;
        setCursor(Qt::OpenHandCursor);
    }
    if (!item || item == m_selectedItem)
        return;
    markItem(item);
    emit signalFotmatChoosen();
}

void FormatTypeWidget::setSelectedItem(QString name)
{
    if (m_selectedItem)
        m_selectedItem->setPress(false);
    const QString wanted = name.toUpper();
    for (FormatItem* item : qAsConst(m_itemList)) {
        if (item->itemname.toUpper() == wanted) {
            m_selectedItem = item;
            item->setPress(true);
            return;
        }
    }
}

void FormatTypeWidget::RefreshItem()
{
    QString image, name, file;
    g_itemChunk.copyNames(image, name, file);
    if (m_selectedItem && m_selectedItem->imagename == image)
        return;
    markItem(nullptr);
    for (FormatItem* item : qAsConst(m_itemList)) {
        if (item->imagename == image) {
            markItem(item);
            return;
        }
    }
}

// Tiles added while the strip was hidden were never measured, so the row
// kept the width it had then and squeezed them on top of each other. Measure
// the row whenever the strip is seen or changes width: the row is never
// narrower than its tiles, and the scroll area scrolls the rest.
void FormatTypeWidget::layoutItems()
{
    m_itemLayout->invalidate();
    if (QLayout* row = m_hby->layout()) {
        row->activate();
        m_hby->setMinimumWidth(row->minimumSize().width());
    }
}

void FormatTypeWidget::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    layoutItems();
}

void FormatTypeWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutItems();
}

void FormatTypeWidget::showWindow(bool show)
{
    if (show)
        RefreshItem();
    setVisible(show);
}

void FormatTypeWidget::addRecentItem()
{
    if (!isRecent())
        return;
    QString image, name, file;
    g_itemChunk.copyNames(image, name, file);
    for (const FormatItem* item : qAsConst(m_itemList)) {
        if (item->imagename == image)
            return;
    }
    if (m_itemList.size() >= kMaxRecent) {
        FormatItem* oldest = m_itemList.takeFirst();
        if (oldest == m_selectedItem)
            m_selectedItem = nullptr;
        delete oldest;
    }
    FormatItem* item = createItem(image, name, file);
    markItem(item);
    m_itemLayout->addWidget(item);
    m_itemList.append(item);
    if (isVisible())
        layoutItems();
    saveRecentXml();
}

void FormatTypeWidget::saveRecentXml()
{
    // Only the newest tile goes to the file, added to the list the file
    // holds now: another running copy's additions are kept, and tiles this
    // strip still shows that the file has let go do not come back.
    if (m_itemList.isEmpty())
        return;
    const FormatItem* newest = m_itemList.last();
    FormatCatalogue::addRecent({newest->imagename, newest->itemname, newest->relevantfile});
}

void FormatTypeWidget::moveX(int x)
{
    m_nScrollPos = x;
    setScrollValue(x);
}

int FormatTypeWidget::scrollValue() const { return m_scrollArea->horizontalScrollBar()->value(); }

void FormatTypeWidget::setScrollValue(int value) { m_scrollArea->horizontalScrollBar()->setValue(value); }

void FormatTypeWidget::OnPressRight()
{
    m_timerLeft->stop();
    m_bStopScroll = false;
    m_timerRight->start(kTickMs);
}

void FormatTypeWidget::OnRight() { m_bStopScroll = true; }

void FormatTypeWidget::OnPressLeft()
{
    m_timerRight->stop();
    m_bStopScroll = false;
    m_timerLeft->start(kTickMs);
}

void FormatTypeWidget::OnLeft() { m_bStopScroll = true; }

void FormatTypeWidget::timeOut()
{
    m_nScrollPos = qMin(m_nScrollPos + kRightStep, m_scrollArea->horizontalScrollBar()->maximum());
    setScrollValue(m_nScrollPos);
    if (m_bStopScroll) {
        m_timerRight->stop();
        m_bStopScroll = false;
    }
}

void FormatTypeWidget::timeOu()
{
    m_nScrollPos = m_nScrollPos < kLeftStep ? 0 : m_nScrollPos - kLeftStep;
    setScrollValue(m_nScrollPos);
    m_nScrollPos -= m_nScrollPos % 5;
    if (m_bStopScroll && m_nScrollPos % kItemWidth == 0) {
        m_timerLeft->stop();
        m_bStopScroll = false;
    }
}

void FormatTypeWidget::mousePressEvent(QMouseEvent*) { m_bMousePress = true; }

void FormatTypeWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_bMousePress || !isOverflowing())
        return;
    setCursor(Qt::OpenHandCursor);
    if (m_nDragX == -1)
        m_nDragX = event->pos().x() + scrollValue();
    else
        setScrollValue(m_nDragX - event->pos().x());
}

void FormatTypeWidget::mouseReleaseEvent(QMouseEvent*)
{
    setCursor(Qt::ArrowCursor);
    m_nDragX = -1;
    m_nScrollPos = scrollValue();
    m_bMousePress = false;
}

void FormatTypeWidget::paintEvent(QPaintEvent*)
{
    const bool overflow = isOverflowing();
    // Only real changes, since each one lays the strip out and paints again.
    if (m_btnLeft->isVisibleTo(this) != overflow) {
        m_btnLeft->setVisible(overflow);
        m_btnRight->setVisible(overflow);
    }
    if (m_itemList.isEmpty())
        return;
    const int left = overflow ? 6 : 16;
    if (m_mainLayout->contentsMargins().left() != left)
        m_mainLayout->setContentsMargins(left, 0, 6, 0);
}
