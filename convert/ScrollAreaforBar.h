#pragma once

// The conversion queue: a vertical scroll area listing one task row per
// queued file. It adds files from the open-file dialog or a drop, has them
// probed by its add worker while the add-progress dialog counts, and owns
// every row it creates.

#include "ClipEditRecords.h"
#include "Convertinfo.h"
#include "VideoConvertBar.h"

#include <orvalta.h>

#include <QList>
#include <QScrollArea>
#include <QSet>
#include <QString>
#include <QStringList>

#include "ui_ScrollAreaforBar.h"

class AddFileThread;
class ConverterBarInfoDialog;
class DeleteVideoThread;
class LDragItemLabel;
class ProgresssDialog;
class QAction;
class QMenu;
class QScrollBar;
class QTimer;

class ScrollAreaforBar : public QScrollArea, public Ui::ScrollAreaforBar
{
    Q_OBJECT
public:
    explicit ScrollAreaforBar(QWidget* parent = nullptr);
    ~ScrollAreaforBar() override;

    static QString open_path;

    static bool iSSupportFile(QString path);
    bool IshasFileinItemlist(QString path);
    void PerpareAddFile(int count);

    // Run side (the scheduler, removal and the merge run build on these).
    void SetConvertState(bool converting);
    void Check();
    void DeleteConverter(int index);
    void InitRightMouseMenu();
    void InitDragingItem();
    void unselectConvertBar(VideoConvertBar* bar);
    void showDragLine(int index);
    VideoConvertBar* getPressInAreaBar(QPoint point);
    // The merge run's entry into the configuration mapping; same calls as
    // the task's own.
    void setConverterConfig(Config& config, VideoConvertBar* bar);

    // Read access for the main window and for tests.
    const QList<VideoConvertBar*>& barList() const { return m_barList; }
    ProgresssDialog* progressDialog() const { return m_progressDialog; }
    AddFileThread* addFileThread() const { return m_addFileThread; }
    bool isAdding() const;

public slots:
    void slotAddItunesItems(QStringList listpath);
    void slotAddNewVideoItem(QString filepath);
    void slotSetConvertFormat();
    void slotBarItemPress();
    void slotBarItemDelete();
    void slotRecoderTimeOut();
    void slotQuitiTunes();
    void slotStopAddFile();
    void slotShowSettingDialog();
    void slotRemoveChoosenBar();
    void slotPreviewChoosenBar();
    void slotRenameChoosenBar();
    void slotEditChoosenBar();
    void slotOpenLocationFileBar();
    void slotClearVideoBar();
    void slotRemoveRightMouseBar();
    void slotViewFileInfo();
    void slotSetProgress(int index, QString fileName);
    void addFileForBar();
    void slotChangeConvertState(ConvertState state);
    void ConverTime();
    void respondVideoPlayEmit(QString path);
    void setEditSetting(CropSettings cropSetting);
    void setWaterSetting(WatermarkTextSettings textWater, WatermarkImageSettings imageWater);
    void slotSetIsShowDeleteDlg(bool checked);
    void saveHistoryXml(VideoConvertBar* convertBar);
    void slotConvertFinish();

signals:
    void signalHasVideo(bool flag);
    void signalHasChoosenBar(bool flag);
    void signalShowMergeSettingdlg();
    void signalUpdateWidgetText();
    void emitFinishConvert();
    void emitChangeFormatChoosed(QString name);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool nativeEvent(const QByteArray& eventType, void* message, long* result) override;

private slots:
    void slotAddThreadFinished();

private:
    void Init();
    VideoConvertBar* createBar();
    void runAdd(const QList<VideoConvertBar*>& bars, const QStringList& files);
    void startAddWorker(const QList<VideoConvertBar*>& bars, const QStringList& files);
    void dropPendingBars();
    void deleteDiscardedBars();
    void showHintIfEmpty();

    QList<VideoConvertBar*> m_barList;
    QList<VideoConvertBar*> m_addingBarList;
    AddFileThread* m_addFileThread = nullptr;
    DeleteVideoThread* m_deleteVideoThread = nullptr;
    QMenu* m_rightMenu = nullptr;
    VideoConvertBar* m_choosenBar = nullptr;
    VideoConvertBar* m_shiftStartBar = nullptr;
    QList<VideoConvertBar*> m_selectedBarList;
    ConverterBarInfoDialog* m_infoDialog = nullptr;
    QScrollBar* m_vScrollBar = nullptr;
    LDragItemLabel* m_dragItemLabel = nullptr;
    int m_pressX = 0;
    int m_pressOffsetY = 0;
    QWidget* m_dragLine = nullptr;
    bool m_bMousePress = false;
    bool m_bDraging = false;
    bool m_bCanDrop = false;
    bool m_bPressSelected = false;
    bool m_bConverting = false;
    bool m_bShowDeleteDlg = true;
    QAction* m_actAddFile = nullptr;
    QAction* m_actPreview = nullptr;
    QAction* m_actRemove = nullptr;
    QAction* m_actClear = nullptr;
    QAction* m_actRename = nullptr;
    QAction* m_actEdit = nullptr;
    QAction* m_actOpenLocation = nullptr;
    QAction* m_actFileInfo = nullptr;
    int m_mergeIndex = 0;
    ProgresssDialog* m_progressDialog = nullptr;
    MergerHandle m_merger = nullptr;
    Convertinfo m_mergeInfo;
    QTimer* m_mergeTimer = nullptr;
    int m_startIndex = 0;
    int m_maxConvertCount = 0;
    QList<VideoConvertBar*> m_convertingList;
    QList<VideoConvertBar*> m_checkList;

    // Rows of the current add not delivered yet; the queue owns them.
    QSet<VideoConvertBar*> m_pendingBars;
    // Rows of a cancelled add that the worker may still be probing: deleted
    // once it has ended.
    QList<VideoConvertBar*> m_discardBars;
    // An add that waits for the worker to end before it starts.
    QList<VideoConvertBar*> m_deferredBars;
    QStringList m_deferredFiles;
};

extern QStringList g_iTunesfileList;
extern QStringList g_iTunesfileListID;
