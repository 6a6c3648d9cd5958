#pragma once

#include "BaseBar.h"

#include "ui_HistoryBar.h"

#include <QPixmap>
#include <QString>

// Shortens text to fit width with an ellipsis; the whole text is then
// the widget's tooltip, else it has none.
QString elideForRow(QWidget* widget, const QString& text, int width, Qt::TextElideMode mode);

// One entry row of the history window: the converted file's name and time,
// an Open Folder button, and a delete button shown while the pointer is
// over the row. The row never deletes anything itself.
class HistoryBar : public BaseBar, public Ui::HistoryBar
{
    Q_OBJECT
public:
    explicit HistoryBar(QWidget* parent = nullptr);
    ~HistoryBar() override;

    void setfilepath(const QString& path);
    void setfiledate(const QString& date);
    QString getFilepath() const { return m_strFilePath; }
    QString getFilename() const { return m_strFileName; }

signals:
    void signalDelete();

public slots:
    void OnBtnOpenfile();
    void OnBtnClose();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QString m_strFilePath;
    QString m_strFileName;
    QString m_strFileDate;
    QPixmap m_icon;
};
