#pragma once

// Part of the music library import, which nothing in the program opens
// yet: the dialog is built and tested so that it stays ready for use.

#include <QColor>
#include <QHeaderView>
#include <QPixmap>

class QCheckBox;

// A skinned table header: a stretched background, a one-pixel separator
// picture between sections, a pressed background while a section is held,
// sort flags, and a check box over the first section.
class QCheckHeaderView : public QHeaderView
{
    Q_OBJECT
public:
    explicit QCheckHeaderView(Qt::Orientation orientation, QWidget* parent = nullptr);
    ~QCheckHeaderView() override;

    bool setBackgroundImage(const QString& path);
    bool setSlipImage(const QString& path);
    bool setSelBackgroundImage(const QString& path);
    bool setOrderFlagsImage(const QString& path);
    void setTextColor(const QColor& colour) { m_textColor = colour; }
    QColor getTextColor() const { return m_textColor; }
    void setCheckVisable(bool visible);
    bool getCheckVisable() const;
    void setCheckState(Qt::CheckState state);
    Qt::CheckState getCheckState() const;

signals:
    void checkChange(bool checkAll);

protected slots:
    void OnClickCheck();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    QPixmap m_background;
    QPixmap m_slip;
    QPixmap m_selBackground;
    QPixmap m_orderFlag;
    QPixmap m_orderFlagDown;
    QColor m_textColor = Qt::black;
    QCheckBox* m_checkBox = nullptr;
    int m_pressedSection = -1;
};
