#include "QCheckHeaderView.h"

#include <QCheckBox>
#include <QMouseEvent>
#include <QPainter>

QCheckHeaderView::QCheckHeaderView(Qt::Orientation orientation, QWidget* parent)
    : QHeaderView(orientation, parent)
{
    m_checkBox = new QCheckBox(this);
    m_checkBox->setFocusPolicy(Qt::NoFocus);
    m_checkBox->move(5, 5);
    m_checkBox->show();
    connect(m_checkBox, &QCheckBox::clicked, this, &QCheckHeaderView::OnClickCheck);
}

QCheckHeaderView::~QCheckHeaderView() = default;

bool QCheckHeaderView::setBackgroundImage(const QString& path)
{
    m_background.load(path);
    if (m_background.width() == 0)
        return false;
    setFixedHeight(m_background.height());
    m_checkBox->move(5, (m_background.height() - m_checkBox->height()) / 2);
    return true;
}

bool QCheckHeaderView::setSlipImage(const QString& path)
{
    m_slip.load(path);
    return m_slip.width() != 0;
}

bool QCheckHeaderView::setSelBackgroundImage(const QString& path)
{
    m_selBackground.load(path);
    return m_selBackground.width() != 0;
}

bool QCheckHeaderView::setOrderFlagsImage(const QString& path)
{
    m_orderFlag.load(path);
    m_orderFlagDown = QPixmap::fromImage(m_orderFlag.toImage().mirrored(false, true));
    return m_orderFlag.width() != 0;
}

void QCheckHeaderView::setCheckVisable(bool visible) { m_checkBox->setVisible(visible); }

bool QCheckHeaderView::getCheckVisable() const { return m_checkBox->isVisible(); }

void QCheckHeaderView::setCheckState(Qt::CheckState state) { m_checkBox->setCheckState(state); }

Qt::CheckState QCheckHeaderView::getCheckState() const { return m_checkBox->checkState(); }

void QCheckHeaderView::OnClickCheck()
{
    if (m_checkBox->checkState() == Qt::PartiallyChecked)
        m_checkBox->setCheckState(Qt::Checked);
    emit checkChange(m_checkBox->checkState() == Qt::Checked);
}

void QCheckHeaderView::mousePressEvent(QMouseEvent* event)
{
    if (!m_selBackground.isNull()) {
        m_pressedSection = logicalIndexAt(event->pos().x());
        updateSection(m_pressedSection);
    }
    QHeaderView::mousePressEvent(event);
}

void QCheckHeaderView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_selBackground.isNull()) {
        const int was = m_pressedSection;
        m_pressedSection = -1;
        updateSection(was);
    }
    QHeaderView::mouseReleaseEvent(event);
}

void QCheckHeaderView::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    painter->save();
    if (m_background.isNull()) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
    } else {
        const bool pressed = !m_selBackground.isNull() && m_pressedSection >= 0;
        painter->drawPixmap(rect, pressed ? m_selBackground : m_background);
        if (!m_slip.isNull() && rect.right() != width() - 1)
            painter->drawPixmap(QRect(rect.right(), rect.top(), 1, rect.height()), m_slip);
        painter->setPen(m_textColor);
        painter->drawText(rect, Qt::AlignCenter,
                          model() ? model()->headerData(logicalIndex, orientation()).toString() : QString());
        if (isSortIndicatorShown() && sortIndicatorSection() == logicalIndex && !m_orderFlag.isNull()) {
            const QPixmap& flag = sortIndicatorOrder() == Qt::DescendingOrder ? m_orderFlagDown : m_orderFlag;
            painter->drawPixmap(QRect(rect.right() - flag.width() - 10,
                                      rect.top() + (rect.height() - flag.height()) / 2, flag.width() + 1,
                                      flag.height()),
                                flag);
        }
    }
    if (logicalIndex == 0)
        m_checkBox->move(rect.left() + 5, rect.top() + 5);
    painter->restore();
}
