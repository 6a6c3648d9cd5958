#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPushButton>
#include <QString>

#include "window/SpriteState.h"

#include <memory>

// Caption colour sets of QImageButton: each value picks four pens, one per
// drawing state (normal, hover, pressed, disabled).
enum TextColorStyle {
    TextColorStyle0 = 0,
    TextColorStyle1,
    TextColorStyle2,
    TextColorStyle3,
    TextColorStyle4,
    TextColorStyle5,
    TextColorStyle6,
    TextColorStyle7,
    TextColorStyle8
};

// 0 draws the caption; any other value leaves it out.
enum PosStyle { PosStyle0 = 0, PosStyle1 };

// A push button drawn from a sprite of four equal frames side by side
// (normal, hover, pressed, disabled) with its caption centred on top.
class QImageButton : public QPushButton
{
public:
    explicit QImageButton(QWidget* parent = nullptr);
    ~QImageButton() override;

    bool setBtnImage(QString path);
    bool setBtnColor(QColor colour, int w, int h);
    void setTextStyle(TextColorStyle style);
    void setBtnText(QString text);
    void setBtnText(QString text, QString text2);
    void resizeFont();
    void setTextFont(QFont font);
    void setTextPOS(int x, int y);
    void setPosStyle(PosStyle style);
    void setIsFullImage(bool full);
    void setTextWithLogo(QString text, QString logoPath, int spacing);

    // Drawing state: 0 normal, 1 hover, 2 pressed, 3 disabled.
    int state() const { return m_sprite.frame(); }
    // The caption pen of a colour set in a state; invalid outside the table.
    static QColor captionColor(int style, int state);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    std::unique_ptr<QImage> m_pImage;
    SpriteState m_sprite;
    QString m_strText;
    QString m_strText2;
    TextColorStyle m_textStyle = TextColorStyle0;
    QFont m_textFont;
    int m_nTextX = 0;
    int m_nTextY = 0;
    PosStyle m_posStyle = PosStyle0;
    QImage m_logoImage;
    int m_nLogoSpace = 6;
    bool m_bFullImage = false;
};
