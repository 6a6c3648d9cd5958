#pragma once

// The conversion queue: a vertical scroll area listing one task row per
// queued file. The tasks themselves, in order from their add to their
// removal, are its run queue's; it makes a row for each, adds files from the
// open-file dialog or a drop, has them probed by its add worker while the
// add-progress dialog counts, and owns every row it creates.

#include "VideoConvertBar.h"
#include "clips/ClipEditRecords.h"
#include "formats/Convertinfo.h"
#include "formats/ProfileFile.h"
#include "queue/AddBatch.h"

#include <orvalta.h>

#include <QHash>
#include <QList>
#include <QScrollArea>
#include <QSet>
#include <QString>
#include <QStringList>

#include "ui_ScrollAreaforBar.h"

class AddFileThread;
class ConverterBarInfoDialog;
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

    // Runs: the main window starts one with StartConvert (then
    // SetConvertState(true)) and cancels it with CancelConvert.
    void StartConvert();
    void SetConvertState(bool converting);
    void Check();
    int checkAllConvertFinished() const;
    bool CheckAllConvertState() const;
    void CancelConvert();
    void StopConverter();
    void ConvertIndex();
    void NextConvertIndex();
    void CreateNewHistoryXml(VideoConvertBar* convertBar);
    static QString historyPath();
    void DeleteConverter(int index);
    void InitRightMouseMenu();
    void InitDragingItem();
    void unselectConvertBar(VideoConvertBar* bar);
    void showDragLine(int index);
    VideoConvertBar* getPressInAreaBar(QPoint point);
    // A task's clip and marks with the given target settings, the calls the
    // merge run sends for an item (ConvertTask::mappingValues); same calls as
    // the task's own.
    void setConverterConfig(Config& config, VideoConvertBar* bar, const Convertinfo& target);

    // Read access for the main window and for tests.
    const QList<VideoConvertBar*>& barList() const { return m_barList; }
    ProgresssDialog* progressDialog() const { return m_progressDialog; }
    AddFileThread* addFileThread() const { return m_addFileThread; }
    bool isAdding() const;
    // The run queue's: whether a run is under way.
    bool isConverting() const;
    // The rows whose tasks hold the run's slots, in the order they took them.
    QList<VideoConvertBar*> convertingList() const;
    // The output files of the run under way (none between runs).
    QSet<QString> runOutputs() const;
    const QList<VideoConvertBar*>& selectedBarList() const { return m_selectedBarList; }
    VideoConvertBar* choosenBar() const { return m_choosenBar; }
    int mergeIndex() const;
    QMenu* rightMenu() const { return m_rightMenu; }
    ConverterBarInfoDialog* infoDialog() const { return m_infoDialog; }

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
    void slotProbed(int generation, int index, SourceFacts facts, TaskFormat format);

private:
    void Init();
    // The remembered open-file folder, kept in the user's settings.
    void loadOpenPath();
    // The add batch names tasks by their id; a row is found by its task's.
    static AddBatch::Key addKey(VideoConvertBar* bar) { return bar->runTask()->id(); }
    VideoConvertBar* rowOf(RunTask::Id id) const { return m_rows.value(id, nullptr); }
    // The rows in the run queue's order of tasks.
    void syncRows();
    // The row of a file still being added goes, with its task.
    void dropRow(RunTask::Id id);
    void runAdd();
    void startAddWorker();
    void dropPendingBars();
    void showHintIfEmpty();

    int rowHeight() const;
    int rowIndexAt(const QPoint& pos) const;
    void reorderSelection(const QPoint& pos);
    bool confirmRemoval();
    void removeBar(VideoConvertBar* bar);
    void afterRemoval();
    // Makes the run queue, which holds every task of the queue.
    void initRun();
    void fillSlots();
    void endRun();
    void endMerge(int joined, int failed);
    // History lists only files that were written whole.
    void appendHistory(const QString& category, const QString& path);

    // The rows in the order of the run queue's tasks (syncRows).
    QList<VideoConvertBar*> m_barList;
    // Every row, also those of files being added, by its task.
    QHash<RunTask::Id, VideoConvertBar*> m_rows;
    // The current add: its files and rows in file order, and its generation,
    // which tells a late result of an earlier add from one of this add.
    AddBatch m_addBatch;
    // The add waits for the worker to end an earlier add before it starts.
    bool m_addDeferred = false;
    AddFileThread* m_addFileThread = nullptr;
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
    bool m_bShowDeleteDlg = true;
    QAction* m_actAddFile = nullptr;
    QAction* m_actPreview = nullptr;
    QAction* m_actRemove = nullptr;
    QAction* m_actClear = nullptr;
    QAction* m_actRename = nullptr;
    QAction* m_actEdit = nullptr;
    QAction* m_actOpenLocation = nullptr;
    QAction* m_actFileInfo = nullptr;
    ProgresssDialog* m_progressDialog = nullptr;
    // The queue's tasks in order and the run: its slots, merge and outputs.
    RunQueue* m_run = nullptr;
};

extern QStringList g_iTunesfileList;
extern QStringList g_iTunesfileListID;
