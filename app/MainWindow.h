#pragma once

#include "TensileWindow.h"
#include "ui_MainWindow.h"

#include <QUrl>

class QAction;
class QMenu;
class QMenuBar;

// The program's one top-level window: the format catalogue and the queue,
// the Add/Remove/Convert buttons, the output-folder strip, the merge switch
// and the menu.
class MainWindow : public TensileWindow, public Ui::MainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent);
    ~MainWindow() override;

    void StartConvert();
    void InitControls();
    void InitMenu();
    void InitBtn();
    void InitOthers();
    void GetiTeunesList();

    // The queue's run queue says whether a run is under way.
    bool isConverting() const;
    QMenu* menu() const { return m_menu; }
    QMenuBar* menuBar() const { return m_menuBar; }
    QString convertCaption() const { return m_strConvertCaption; }

    // Where "User Guide" leads: the configured address, or else the help
    // page shipped in the Resources folder.
    static QUrl helpUrl(const QString& helpLink, const QString& resourcePath);
    static QUrl folderUrl(const QString& folder);
    static QUrl supportUrl();

signals:
    void emitUpdateWidgetText();

public slots:
    void OnBtnClose();
    void OnBtnMax();
    void OnBtnMin();
    void OnBtnMenu();
    void OnBtnRemove();
    void OnBtnAdd();
    void OnBtnConvert();
    void OnBtnMerage();
    void OnBtnHistory();
    void OnBtnChoosepath();
    void OnBtnOpenPath();
    void OnbtnHelp();
    void OnbtnAbout();
    void OnbtnSupportCenter();
    void OnbtnCheckUpdates();
    void OnbtnDoNothing();
    void OnbtnSleep();
    void OnbtnShutDown();
    void slotBtnRemoveEnable(bool flag);
    void slotBtnConvertEnable(bool flag);
    void slotFinishConvert();
    void updateWidgetText();

private slots:
    void onChangeLanguage(QAction* action);

private:
    bool confirmCancel();
    void cancelRun();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // While conversions run, closing asks as the Cancel button does.
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void setConvertCaption(const QString& caption);
    void placeQueue();
    void returnToIdle();

    QMenuBar* m_menuBar = nullptr;
    QMenu* m_menu = nullptr;
    QAction* m_actUserGuide = nullptr;
    QAction* m_actSupportCenter = nullptr;
    QAction* m_actCheckUpdate = nullptr;
    QAction* m_actAbout = nullptr;
    QMenu* m_menuLanguage = nullptr;
    QAction* m_actEnglish = nullptr;
    QString m_strConvertCaption;
};
