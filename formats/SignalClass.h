#pragma once

#include <QObject>

// Process-wide relay: a format item's settings button reaches the catalogue
// (merge settings) or the queue (the chosen task's settings) through it.
class SignalClass : public QObject
{
    Q_OBJECT
public:
    // The first call creates the relay with this parent; later calls return
    // the same object whatever they pass.
    static SignalClass* GetInstance(QObject* parent);

    void sendSignalQuitiTunes();
    void sendsignalShowSettingDialog();
    void sendSignalShowMergeSetting();

signals:
    void signalQuitiTunes();
    void signalShowSettingDialog();
    void signalShowMergeSetting();

private:
    explicit SignalClass(QObject* parent);
    static SignalClass* m_self;
};
