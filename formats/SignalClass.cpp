#include "SignalClass.h"

SignalClass* SignalClass::m_self = nullptr;

SignalClass::SignalClass(QObject* parent)
    : QObject(parent)
{}

SignalClass* SignalClass::GetInstance(QObject* parent)
{
    if (!m_self)
        m_self = new SignalClass(parent);
    return m_self;
}

void SignalClass::sendSignalQuitiTunes() { emit signalQuitiTunes(); }

void SignalClass::sendsignalShowSettingDialog() { emit signalShowSettingDialog(); }

void SignalClass::sendSignalShowMergeSetting() { emit signalShowMergeSetting(); }
