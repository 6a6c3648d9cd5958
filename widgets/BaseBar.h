#pragma once

#include <QPixmap>
#include <QWidget>

#include <memory>

// Base of the list rows: a skinned background from a strip of four frames
// (normal, hover, pressed, unused), with the pressed look doubling as the
// row's selected state until the owner clears it.
class BaseBar : public QWidget
{
    Q_OBJECT
public:
    explicit BaseBar(QWidget* parent = nullptr);
    ~BaseBar() override;

    void setbgImage(QString path);
    // A skin picture as one pixmap shared by every row that shows it, kept
    // for the program's life (rows come and go by the thousand).
    static QPixmap sharedPicture(const QString& path);
    void setPress(bool pressed);
    bool IsPress() const;

signals:
    void SignalBarItemPress();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

    std::unique_ptr<QPixmap> m_pBgPixmap;
    int m_nState = 0; // 0 normal, 1 hover, 2 pressed
};
