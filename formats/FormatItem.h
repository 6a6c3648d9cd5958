#pragma once

#include <QRect>
#include <QString>
#include <QWidget>

#include <memory>

#include "ui_FormatItem.h"

class QImage;

// One tile of a category strip: the format's icon, its name and, while the
// tile is its strip's marked item, a settings button. Pressing the tile makes
// its format the current choice.
class FormatItem : public QWidget, public Ui::FormatItem
{
    Q_OBJECT
public:
    explicit FormatItem(QWidget* parent = nullptr);
    ~FormatItem() override;

    void setbgImage(QString path);
    void setItemName(QString name);
    void setRelevantfile(QString file);
    void setPress(bool on);
    // Makes this tile's format the current choice, as a press does.
    void makeCurrent() const;

    bool isPressed() const { return m_bPress; }
    QRect imageRect() const { return m_imageRect; }
    bool hasImage() const { return m_image != nullptr; }

    QString imagename;
    QString itemname;
    QString relevantfile;

signals:
    void SignalItemPress();
    // Declared for the settings button's owners; nothing emits it.
    void signalShowSetting();

public slots:
    void OnBtnSetting();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    std::unique_ptr<QImage> m_image;
    bool m_bHover = false;
    bool m_bPress = false;
    QRect m_imageRect;
};
