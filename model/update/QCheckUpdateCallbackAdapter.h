#pragma once

#include <QObject>
#include <QString>

class IUpdateCallback;

// Carries the checker's reports to its client on the thread that made the
// adapter (the GUI thread), and only while a client is set.
class QCheckUpdateCallbackAdapter : public QObject
{
    Q_OBJECT
public:
    explicit QCheckUpdateCallbackAdapter(IUpdateCallback* client);
    ~QCheckUpdateCallbackAdapter() override;

signals:
    void begin();
    void end();
    void error(QString msg);
    void haveUpdate(bool have, QString NewVersion, QString versionInfo);
    void progress(qulonglong a, qulonglong b);
    void stop();

public slots:
    void OnBegin();
    void OnEnd();
    void OnProgress(qulonglong pro, qulonglong total);
    void OnError(QString msg);
    void OnHaveUpdate(bool have, QString NewVersion, QString versionInfo);
    void OnStop();

private:
    IUpdateCallback* m_client = nullptr;
};
