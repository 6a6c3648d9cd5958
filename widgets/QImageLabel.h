#pragma once

#include <QImage>
#include <QLabel>
#include <QPixmap>

#include <memory>

// A picture label with a second picture over its left part in proportion to
// a percentage: the task row's conversion progress.
class QImageLabel : public QLabel
{
public:
    explicit QImageLabel(QWidget* parent = nullptr);
    ~QImageLabel() override;

    void SetBackImage(QString path);
    void SetProgress(int percent);
    void SetProgressImage(QString path);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::unique_ptr<QImage> m_pBackImage;
    int m_nProgress = 0;
    std::unique_ptr<QPixmap> m_pProgressPixmap;
};
