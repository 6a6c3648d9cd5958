#pragma once

#include "QImageDialog.h"
#include "formats/Convertinfo.h"

#include <QList>
#include <QString>
#include <QStringList>

#include "ui_FormatSettingDialog.h"

// The preset buttons, numbered as the preset elements stand in a profile.
enum customType { Custom_High = 0, Custom_Default = 1, Custom_Small = 2 };

// Quality settings of one output: each setting offers the values its
// profile's lists allow, the three buttons apply the profile's presets, and
// Ok hands the chosen values back (to the task row by signal, or in merge
// mode into the current format choice). It reads the profile, never writes.
class FormatSettingDialog : public QImageDialog, public Ui::FormatSettingDialog
{
    Q_OBJECT
public:
    explicit FormatSettingDialog(QWidget* parent);
    ~FormatSettingDialog() override;

    void setConvertinfo(Convertinfo& info);
    void setXmlfile(QString path);
    void setCurrect();
    void setChoosedType(customType type);

    void InitV_Encoder(QString text);
    void InitV_Resolution(QString text);
    void InitV_FrameRate(QString text);
    void InitV_BitRate(QString text);
    void InitA_Encoder(QString text);
    void InitA_Channel(QString text);
    void InitA_SampleRate(QString text);
    void InitA_BitRate(QString text);

    static void RefreshQStringList(QStringList& list, QString text);

    const Convertinfo& convertinfo() const { return m_info; }
    QString xmlFile() const { return m_strXmlFile; }

    // The eight settings in the order of the profile's attributes.
    enum Setting {
        V_Encoder,
        V_Resolution,
        V_FrameRate,
        V_BitRate,
        A_Encoder,
        A_Channel,
        A_SampleRate,
        A_BitRate,
        SettingCount
    };
    QComboBox* comboOf(Setting setting);
    const QStringList& itemsOf(Setting setting) const { return m_lists[setting].items; }
    const QList<int>& presetsOf(Setting setting) const { return m_lists[setting].presets; }

signals:
    void signalChangeConvertInfo(Convertinfo convertinfo);

public slots:
    void OnBtnOK();
    void OnBtnHigh();
    void OnBtnDefault();
    void OnBtnSmall();

private:
    struct ValueList
    {
        QStringList items; // allowed values in display form, profile order
        int remembered = -1; // selected at the load or at the last Ok
        QList<int> presets; // per preset element: its value's position, or -1
    };

    void fill(Setting setting, const QString& text);

    QString m_strXmlFile;
    Convertinfo m_info;
    ValueList m_lists[SettingCount];
};
