#pragma once

#include <QString>
#include <QThread>

// Runs the bundle's install script on a thread of its own and waits for it.
// The script gets the image, the bundle folder and the home folder as
// separate arguments; no shell ever parses them.
class ExeUpdateScriptThread : public QThread
{
    Q_OBJECT
public:
    explicit ExeUpdateScriptThread(QObject* parent);

    void setImagePath(const QString& path) { m_imagePath = path; }
    // Valid once the thread has finished.
    bool succeeded() const { return m_ok; }
    QString errorText() const { return m_error; }

    // The script's arguments after the script itself: image, bundle, home.
    static QStringList scriptArguments(const QString& script, const QString& image);
    static QString scriptPath();
    static QString bundlePath();

    // How long the script may run before it counts as hung.
    static constexpr int kScriptTimeoutMs = 10 * 60 * 1000;

protected:
    void run() override;

private:
    // The reason a failed script gives: its last "update_script: " line,
    // without the prefix; empty when it gave none.
    static QString scriptReason(const QByteArray& output);

    QString m_imagePath;
    bool m_ok = false;
    QString m_error;
};
