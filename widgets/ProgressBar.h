#pragma once

#include <QPixmap>
#include <QWidget>

#include <memory>

// A skinned percentage bar: a track picture with a fill picture over its
// filled part, optionally with rounded ends and the percentage in the middle.
class ProgressBar : public QWidget
{
    Q_OBJECT
public:
    explicit ProgressBar(QWidget* parent = nullptr);
    ~ProgressBar() override;

    bool setTopImage(QString path);
    bool setBottomImage(QString path);
    void setValueRange(qint64 min, qint64 max);
    void setValue(int value);
    int getValue() const;
    void setValuePercentage(float p);
    float getValuePercentage() const;
    bool setCircleRadius(int radius);
    void showValueText(bool show);

    // The percentage text as painted, e.g. "37%".
    QString valueText() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintRounded(QPainter& painter, int yb, int yt);

    qint64 m_nMin = 0;
    qint64 m_nMax = 100;
    std::unique_ptr<QPixmap> m_pBottomPixmap;
    std::unique_ptr<QPixmap> m_pTopPixmap;
    bool m_bShowText = false;
    int m_nCircleRadius = 0;
    float m_fPercentage = 0.0f;
};
