#pragma once

#include <QWidget>

class FormatSettingDialog;

// The output-format catalogue panel. For now it shows the current format
// only; the category strips and their tab buttons come in later.
class FormatWindow : public QWidget
{
    Q_OBJECT
public:
    explicit FormatWindow(QWidget *parent = nullptr);
    ~FormatWindow() override;

    FormatSettingDialog *mergeSettingDialog() const { return m_mergeSettingDlg; }

signals:
    void signalFotmatChoosen();

public slots:
    void slotFotmatChoosen();
    void setFormatEnableSelect(bool flag);
    void ShowmergeSettingDialog();
    void slotChangeFormatChoosed(QString name);
    void updateWidgetText();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    FormatSettingDialog *m_mergeSettingDlg = nullptr;
};
