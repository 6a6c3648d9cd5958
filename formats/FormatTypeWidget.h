#pragma once

#include <QList>
#include <QString>
#include <QWidget>

#include "ui_FormatTypeWidget.h"

class FormatItem;
class QTimer;

// One horizontally scrolling row of format tiles read from a catalogue file.
// The strip named "RECENT" is also the recent list: laid out right to left,
// it gains the formats chosen elsewhere, keeps at most ten and stores them in
// "format/recent.xml".
class FormatTypeWidget : public QWidget, public Ui::FormatTypeWidget
{
    Q_OBJECT
public:
    explicit FormatTypeWidget(QWidget* parent = nullptr);
    ~FormatTypeWidget() override;

    // Hides QObject::setObjectName: the name "RECENT" turns the row around.
    void setObjectName(const QString& name);

    void GreateItem(QString path);
    void setSelectedItem(QString name);
    void addRecentItem();
    void saveRecentXml();
    void showWindow(bool show);
    void RefreshItem();
    int GetListLength() const { return m_itemList.size(); }
    QList<FormatItem*> GetListItem() const { return m_itemList; }
    void moveX(int x);

    FormatItem* selectedItem() const { return m_selectedItem; }
    static QString recentXmlPath();

signals:
    void signalFotmatChoosen();

public slots:
    void OnPressLeft();
    void OnLeft();
    void OnPressRight();
    void OnRight();
    void timeOut();
    void timeOu();
    void SlotItemPress();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool isOverflowing() const;
    void layoutItems();
    bool isRecent() const;
    FormatItem* createItem(const QString& image, const QString& name, const QString& file);
    void markItem(FormatItem* item);
    void setScrollValue(int value);
    int scrollValue() const;

    QTimer* m_timerRight = nullptr;
    QTimer* m_timerLeft = nullptr;
    int m_nDragX = -1;
    bool m_bMousePress = false;
    int m_nScrollPos = 0;
    bool m_bStopScroll = false;
    QList<FormatItem*> m_itemList;
    FormatItem* m_selectedItem = nullptr;
};
