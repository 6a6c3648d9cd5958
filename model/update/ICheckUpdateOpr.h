#pragma once

#include <QString>

// Where the process-wide update client stands. A check ends in Idle (with
// its answer reported); a download runs through Downloading and Installing
// to Installed, or back to Idle after an error.
enum class UpdateStage { Idle, Checking, Downloading, Installing, Installed };

// The client of the update checker. Every call arrives on the GUI thread.
class IUpdateCallback
{
public:
    virtual void onBegin() = 0;
    virtual void onEnd() = 0;
    virtual void onProgress(unsigned long long done, unsigned long long total) = 0;
    virtual void onError(QString message) = 0;
    virtual void onHaveUpdate(bool have, QString version, QString notes) = 0;

protected:
    ~IUpdateCallback() = default;
};

// The update checker: finds a newer version, downloads, verifies and
// installs it. There is one per process (CreateCheckUpdateObj).
class ICheckUpdateOpr
{
public:
    virtual void setCallback(IUpdateCallback* client) = 0;
    virtual void removeCallback() = 0;
    virtual void startCheckHaveUpdate() = 0;
    virtual void startUpdate() = 0;
    virtual void stopUpdate() = 0;

    virtual UpdateStage stage() const = 0;
    // The step the last reported error ended: Checking, Downloading (which
    // includes verifying) or Installing.
    virtual UpdateStage failedStage() const = 0;
    // The last progress reported by the download under way (0, 0 before).
    virtual void lastProgress(unsigned long long* done, unsigned long long* total) const = 0;
    // The version and rendered notes of the last check that found one.
    virtual QString foundVersion() const = 0;
    virtual QString foundNotes() const = 0;

protected:
    ~ICheckUpdateOpr() = default;
};

// The process's one checker, made on first use and kept to the end, so a
// download goes on after the dialog that started it has closed.
ICheckUpdateOpr* CreateCheckUpdateObj();
// Nothing releases the checker; kept for symmetry, it does nothing.
void FreeCheckUpdateObj(ICheckUpdateOpr* obj);
