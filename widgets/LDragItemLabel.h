#pragma once

#include <QLabel>
#include <QList>
#include <QPixmap>

// The floating, half-transparent stack of pictures that follows the cursor
// while tasks are dragged to a new place in the queue.
class LDragItemLabel : public QLabel
{
    Q_OBJECT
public:
    explicit LDragItemLabel(QWidget* parent = nullptr);
    ~LDragItemLabel() override;

    // An empty list keeps the pictures already shown.
    void setPixmaps(QList<QPixmap> pixmaps);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QList<QPixmap> m_pixmaps;
};
