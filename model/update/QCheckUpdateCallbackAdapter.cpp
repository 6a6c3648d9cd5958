#include "update/QCheckUpdateCallbackAdapter.h"

#include "update/ICheckUpdateOpr.h"

QCheckUpdateCallbackAdapter::QCheckUpdateCallbackAdapter(IUpdateCallback* client)
    : m_client(client)
{
    connect(this, &QCheckUpdateCallbackAdapter::begin, this, &QCheckUpdateCallbackAdapter::OnBegin);
    connect(this, &QCheckUpdateCallbackAdapter::end, this, &QCheckUpdateCallbackAdapter::OnEnd);
    connect(this, &QCheckUpdateCallbackAdapter::stop, this, &QCheckUpdateCallbackAdapter::OnStop);
    connect(this, &QCheckUpdateCallbackAdapter::progress, this, &QCheckUpdateCallbackAdapter::OnProgress);
    connect(this, &QCheckUpdateCallbackAdapter::error, this, &QCheckUpdateCallbackAdapter::OnError);
    connect(this, &QCheckUpdateCallbackAdapter::haveUpdate, this, &QCheckUpdateCallbackAdapter::OnHaveUpdate);
}

QCheckUpdateCallbackAdapter::~QCheckUpdateCallbackAdapter() { m_client = nullptr; }

void QCheckUpdateCallbackAdapter::OnBegin()
{
    if (m_client)
        m_client->onBegin();
}

void QCheckUpdateCallbackAdapter::OnEnd()
{
    if (m_client)
        m_client->onEnd();
}

void QCheckUpdateCallbackAdapter::OnProgress(qulonglong pro, qulonglong total)
{
    if (m_client)
        m_client->onProgress(pro, total);
}

void QCheckUpdateCallbackAdapter::OnError(QString msg)
{
    if (m_client)
        m_client->onError(msg);
}

void QCheckUpdateCallbackAdapter::OnHaveUpdate(bool have, QString NewVersion, QString versionInfo)
{
    if (m_client)
        m_client->onHaveUpdate(have, NewVersion, versionInfo);
}

void QCheckUpdateCallbackAdapter::OnStop() {}

#include "moc_QCheckUpdateCallbackAdapter.cpp"
