#pragma once

#include "QImageDialog.h"
#include "ui_CheckUpdateDialog.h"
#include "update/ICheckUpdateOpr.h"

#include <functional>

// The update dialog: checks for a newer version, shows what is new, downloads
// and installs it with progress, and restarts the program. The checker is
// the process's one; a download it runs outlives the dialog, and a dialog
// opened during it shows it.
class CheckUpdateDialog : public QImageDialog, public Ui::CheckUpdateDialog, public IUpdateCallback
{
    Q_OBJECT
public:
    enum class State { Checking, NoUpdate, UpdateFound, Downloading, Installing, Completed, Failed };

    explicit CheckUpdateDialog(QWidget* parent);
    ~CheckUpdateDialog() override;

    void onBegin() override;
    void onEnd() override;
    void onProgress(unsigned long long done, unsigned long long total) override;
    void onError(QString message) override;
    void onHaveUpdate(bool have, QString version, QString notes) override;

    State state() const { return m_state; }

    // Whether conversions are running; asked before the restart ends them.
    void setConversionQuery(std::function<bool()> running) { m_conversionRunning = std::move(running); }
    // How the program's windows are closed for the restart.
    void setCloseApplication(std::function<void()> close) { m_closeApplication = std::move(close); }

    // The percentage shown for a progress report: 99 at most until the end.
    static int shownPercent(unsigned long long done, unsigned long long total);

public slots:
    void onBtnUpdate();
    void onBtnUpdateCompleted();
    // Stops the download under way and deletes what it has written.
    void onBtnStop();

private:
    void setCheckingUpdateUIState();
    void initControl();
    void showProgressState();
    void showCompletedState();
    void startOrAttach();

    QString m_strNewVersion;
    ICheckUpdateOpr* m_checker = nullptr;
    bool m_bUpdating = false;
    bool m_bHasUpdate = false;
    bool m_bFailed = false;
    bool m_bStopping = false;
    // The restart was declined during a run: OK only closes the dialog.
    bool m_bRestartDeclined = false;
    State m_state = State::Checking;
    std::function<bool()> m_conversionRunning;
    std::function<void()> m_closeApplication;
};
