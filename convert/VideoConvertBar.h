#pragma once

// One conversion task as one row of the queue: the source's thumbnail, the
// row's controls, status texts and painting. The task itself (facts, format
// values, clip records, trim), its job against the engine and where it
// stands in a run are its RunTask, which the queue's run queue runs; the
// getters and setters here forward to them, and the row shows what the run
// queue announces.

#include "BaseBar.h"
#include "clips/ClipEditRecords.h"
#include "clips/SourceProbe.h"
#include "formats/Convertinfo.h"
#include "formats/ProfileFile.h"
#include "queue/ConvertTask.h"
#include "queue/RunQueue.h"

// For the Config of setConverterConfig only.
#include <orvalta.h>

#include <QMetaType>
#include <QPointer>
#include <QSet>
#include <QString>

#include <cstdint>
#include <memory>

#include "ui_VideoConvertBar.h"

class ConvertJob;
class FormatSettingDialog;
class QAction;
class QImage;
class QLabel;
class QMenu;
class QTimer;

enum ConvertState {
    State_Ready = 0,
    State_Waiting = 1,
    State_Paused = 2,
    State_Converting = 3,
    State_Finished = 4
};
Q_DECLARE_METATYPE(ConvertState)

class VideoConvertBar : public BaseBar, public Ui::VideoConvertBar
{
    Q_OBJECT
public:
    explicit VideoConvertBar(QWidget* parent = nullptr);
    // The row that shows `task`, which `run` made and runs.
    VideoConvertBar(RunQueue* run, std::shared_ptr<RunTask> task, QWidget* parent);
    ~VideoConvertBar() override;

    // Probe: setFile probes and takes the facts at once; the queue's add
    // worker probes on its own thread and the row takes the facts with
    // setProbedFile on the GUI thread.
    void setFile(QString path);
    void setProbedFile(const SourceFacts& facts);
    void setProbedFile(const SourceFacts& facts, const TaskFormat& format);
    void getConvertedFileInfo();
    void getConvertedFileInfo(const SourceFacts& facts);
    void UpdateFileLength();
    // "w*h" of the picture the output will have, or empty for none.
    QString TargetResolution() const { return m_task.targetResolutionText(); }
    static int GetNumberFromString(QString text);

    QString File() const { return m_task.path(); }
    QString VideoName() const { return m_task.name(); }
    void setFileID(QString id) { m_strFileID = id; }
    QString FileID() const { return m_strFileID; }
    QString Relevantfile() const { return m_task.profile(); }
    unsigned long long getTotalTime() const { return m_task.totalUs(); }

    // True when the engine could not read the source during the probe.
    bool ProbeFailed() const { return m_task.probeFailed(); }
    // The source's picture as the row keeps it: at the size it is drawn.
    const QImage* Thumbnail() const { return m_thumbnail; }
    // The size in device pixels at which a row draws the source's picture.
    static QSize thumbnailPixels(qreal devicePixelRatio);
    const Convertinfo& SourceInfo() const { return m_task.sourceInfo(); }
    const Convertinfo& TargetInfo() const { return m_task.target(); }

    // The task's record, its job against the engine, and the whole task as
    // the run queue runs it.
    const ConvertTask& task() const { return m_task; }
    const ConvertJob& job() const { return m_runTask->job(); }
    const std::shared_ptr<RunTask>& runTask() const { return m_runTask; }

    // The task's values, forwarded to its record. The QString ones apply a
    // profile text to the source's facts.
    unsigned long long getBeginTime() const;
    unsigned long long getEndTime() const;
    bool getIsDisVideo() const;
    bool getIsDisAudio() const;
    int getVideoWidth(QString resolution) const;
    int getVideoHeigth(QString resolution) const;
    int getVideBitRate(QString bitRate) const;
    int getAudioChannels(QString channels) const;
    int getAudioSampleRate(QString sampleRate) const;
    int getAudioBitRate(QString bitRate) const;
    void getCropSettings(CropSettings& settings) const;
    void getSubtitleValueInfo(SubtitleValueInfo& info) const;
    void getSubtitleSettings(SubtitleSettings& settings) const;
    void getWatermarkTextSettings(WatermarkTextSettings& settings) const;
    void getWatermarkImageSettings(WatermarkImageSettings& settings) const;

    // Copies the engine's thumbnail block (54-byte header, then 32-bit
    // pixels) into a new image after checking the header against the
    // expected size; nullptr when the block is unusable.
    static QImage* CopyThumbnail(const unsigned char* block, uint32_t width, uint32_t height);
    // A new image of checked top-down pixels; nullptr when they are not
    // width x height.
    static QImage* thumbnailImage(const QByteArray& pixels, uint32_t width, uint32_t height);

    // Format values.
    void setConvertFormat();
    bool getConvertXMLInfo();
    void saveSettingXml(QString path);

    // Run side.
    ConvertState GetCurrentState() const;
    void SetConvertState(ConvertState state);
    void SetConverting(bool converting);
    void StartConvertMedia();
    void SetConvertProgress(float progress);
    void Recover();
    // The task leaves the run under way; the run queue releases its job.
    void DeleteConvert();
    // True while the engine opens this task's job on the opener thread; the
    // row shows "Waitting" until then.
    bool IsOpening() const;
    // The queue lets go of this task mid-run: a pending open is released
    // when it returns.
    void AbandonOpen();
    // Waits until every open and release handed to the opener thread has
    // returned and been delivered (tests, and the end of the program).
    static void WaitForOpens();
    // Once the releases already handed to the opener thread are done, gives
    // the memory the ended jobs freed back to the system (there, not on the
    // GUI thread).
    static void GiveBackMemory();

    // The catalogue item name of the task's format (the history category).
    QString ItemName() const { return m_task.itemName(); }
    // The file the engine was last told to write for this task; the merge
    // run sets the merge output here before its history entry.
    QString OutputPath() const { return m_task.outputPath(); }
    void setOutputPath(const QString& path) { m_task.setOutputPath(path); }
    // folder/stem.ext, or folder/stem<n>.ext for n = 1, 2, ... while that
    // file exists or is in `taken`; "//" collapsed.
    static QString FreeOutputPath(const QString& folder, const QString& name, const QString& extension,
                                  const QSet<QString>* taken);
    // The last conversion of this task ended in an engine error; the row
    // says so until the task joins another run.
    bool HasFailed() const { return m_runTask->state().failed; }
    // Finished, but the source ended before its stated length.
    bool EndedEarly() const { return !m_runTask->state().endedEarly.isEmpty(); }
    void SetFailed(const QString& detail);
    QString FailureText() const;
    float Progress() const { return m_runTask->state().percent; }
    // The task's poll timer (the run queue's).
    QTimer* convertTimer() const { return m_runTask->pollTimer(); }

    void Init();
    void InitMenu();

public slots:
    void OnEditVideo();
    void SlotCutTime();
    void SlotRestFullTime();
    void SlotShowSettingDialog();
    void setConvertinfo(Convertinfo info);
    void SlotPreviewPlay();
    void slotSetEditInfo();
    void PauseConvert();
    void slotChangeVideoName(QString name);
    void setEditSetting(CropSettings cropSetting);
    void setWaterSetting(WatermarkTextSettings textWater, WatermarkImageSettings imageWater);
    void ConverTime();
    void slotStartTimer();
    void slotStartConvert();
    void setConverterConfig(Config& config, VideoConvertBar* bar);

signals:
    void signalDeleteItem();
    void signalShowMergeSetting();
    void emitVideoPlay(QString path);
    void seedEditSetting(CropSettings cropSetting);
    void seedWaterSetting(WatermarkTextSettings textWater, WatermarkImageSettings imageWater);
    void emitChangeConvertState(ConvertState state);
    void emitSetEditInfo();
    void emitSetVideoName(QString name);
    void emitSaveHistoryXml(VideoConvertBar* bar);
    void emitStartTimer();
    void emitNotifyFinish();
    void emitStartConvert();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // The task takes the facts; the row keeps the thumbnail.
    void applyFacts(const SourceFacts& facts);
    // The target panel's format, picture size and size estimate.
    void refreshTargetPanel();
    void paintProgress();
    // Shows what the run queue announced of the task.
    void showRun(RunTask::Change change);
    // The status texts of a failed task.
    void showFailure();
    void showEndedEarly();
    // The task has changed since its conversion failed (format, settings or
    // edits): the failure no longer describes it and goes.
    void clearFailure();
    // Places the status texts and the edit and settings buttons side by
    // side; a text is cut with "…" only when the row is too narrow for it.
    void layoutStatus();

    // Shared with the run queue while the task is in a run.
    std::shared_ptr<RunTask> m_runTask;
    ConvertTask& m_task;
    // The queue's run queue; a row made outside a queue has one of its own.
    QPointer<RunQueue> m_run;
    std::unique_ptr<RunQueue> m_ownRun;
    QString m_strFileID;
    QImage* m_thumbnail = nullptr;
    QImage* m_waitImage = nullptr;
    QMenu* m_timeMenu = nullptr;
    QAction* m_actFullTime = nullptr;
    QAction* m_actCustomTime = nullptr;
    FormatSettingDialog* m_settingDialog = nullptr;
    // The whole text of the reason line; the label may show it cut.
    QString m_strReason;

public:
    QLabel* m_failReason = nullptr;
};
