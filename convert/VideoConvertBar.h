#pragma once

// One conversion task, shown as one row of the queue: the source file's
// facts and thumbnail, the output's format values and clip records, the
// engine converter of its run, and the row's controls and painting.

#include "BaseBar.h"
#include "ClipEditRecords.h"
#include "ConvertJob.h"
#include "Convertinfo.h"
#include "ProfileFile.h"
#include "SourceProbe.h"

#include <orvalta.h>

#include <QMetaType>
#include <QSet>
#include <QString>

#include <cstdint>
#include <memory>

#include "ui_VideoConvertBar.h"

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
    QString TargetResolution() const { return targetResolutionText(); }
    static int GetNumberFromString(QString text);

    QString File() const { return m_strFilePath; }
    QString VideoName() const { return m_strVideoName; }
    void setFileID(QString id) { m_strFileID = id; }
    QString FileID() const { return m_strFileID; }
    QString Relevantfile() const { return m_relevantfile; }
    unsigned long long getTotalTime() const { return m_totalTime; }

    // True when the engine could not read the source during the probe.
    bool ProbeFailed() const { return m_bProbeFailed; }
    // The source's picture as the row keeps it: at the size it is drawn.
    const QImage* Thumbnail() const { return m_thumbnail; }
    // The size in device pixels at which a row draws the source's picture.
    static QSize thumbnailPixels(qreal devicePixelRatio);
    const Convertinfo& SourceInfo() const { return m_sourceInfo; }
    const Convertinfo& TargetInfo() const { return m_targetInfo; }

    // What the engine configuration reads; the queue's merge run reads a
    // task through these. The QString ones apply a profile text to the
    // source's facts.
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
    ConvertState GetCurrentState() const { return m_convertState; }
    void SetConvertState(ConvertState state);
    void SetConverting(bool converting);
    void StartConvertMedia();
    void SetConvertProgress(float progress);
    void Recover();
    void DeleteConvert();
    // True while the engine opens this task's job on the opener thread; the
    // row shows "Waitting" until then.
    bool IsOpening() const { return m_openJob != nullptr; }
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
    QString ItemName() const { return m_strItemName; }
    // The file the engine was last told to write for this task; the merge
    // run sets the merge output here before its history entry.
    QString OutputPath() const { return m_strOutputPath; }
    void setOutputPath(const QString& path) { m_strOutputPath = path; }
    // Paths already handed out in the queue's current run: the engine only
    // creates a file at open, so a path chosen but not yet opened (or whose
    // open failed) would otherwise be chosen twice.
    void setTakenOutputs(QSet<QString>* taken) { m_takenOutputs = taken; }
    // folder/stem.ext, or folder/stem<n>.ext for n = 1, 2, ... while that
    // file exists or is in `taken`; "//" collapsed.
    static QString FreeOutputPath(const QString& folder, const QString& name, const QString& extension,
                                  const QSet<QString>* taken);
    // The last conversion of this task ended in an engine error; the row
    // says so until the task joins another run.
    bool HasFailed() const { return m_bFailed; }
    // Finished, but the source ended before its stated length.
    bool EndedEarly() const { return !m_strEndedEarly.isEmpty(); }
    void SetFailed(const QString& detail);
    QString FailureText() const;
    float Progress() const { return m_fProgress; }
    int Ticks() const { return m_nTicks; }
    QTimer* convertTimer() const { return m_convertTimer; }
    ConverterHandle converter() const { return m_converter; }

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
    void applyFacts(const SourceFacts& facts);
    // setConvertFormat with the profile already read.
    void applyFormat(const TaskFormat& format);
    QString resolutionText() const;
    void chooseDefaultStreams(const SourceFacts& facts);
    // What the output will be: the task's current values with "Original"
    // resolved against the source; empty when the output has no picture.
    QString targetResolutionText() const;
    // The output's size in bytes from the bit rates it will be written with.
    unsigned long long estimatedOutputBytes() const;
    // The target panel's format, picture size and size estimate.
    void refreshTargetPanel();
    void paintProgress();
    // Ends this task's conversion as failed: converter released, the row
    // shows the failure, and the queue is told (at once, or once the
    // current call chain has returned).
    void failConversion(const QString& detail, bool notifyLater);
    void showEndedEarly();
    // Places the status texts and the edit and settings buttons side by
    // side; a text is cut with "…" only when the row is too narrow for it.
    void layoutStatus();
    using OpenJob = ConvertJob::Opening;
    void openDone(const std::shared_ptr<OpenJob>& job);
    static void releaseOpenJob(const std::shared_ptr<OpenJob>& job);
    // Releases a job that has ended on the opener thread, after the opens
    // already handed to it.
    static void releaseInBackground(ConverterHandle converter);

    uint32_t m_audioSampleRate = 0;
    uint32_t m_audioChannels = 0;
    uint32_t m_audioBitRate = 0;
    uint32_t m_videoWidth = 0;
    uint32_t m_videoHeight = 0;
    uint32_t m_sourceVideoBitRate = 0;
    Convertinfo m_targetInfo;
    Convertinfo m_sourceInfo;
    QString m_strItemName;
    unsigned long long m_cutLength = 0;
    QString m_strFilePath;
    QString m_strVideoName;
    QString m_strFileID;
    QImage* m_thumbnail = nullptr;
    QImage* m_waitImage = nullptr;
    int32_t m_nTicks = 0;
    QString m_strFileFormat;
    QString m_strFileSize;
    ConvertState m_convertState = State_Ready;
    bool m_bConverting = false;
    float m_fProgress = 0.0f;
    unsigned long long m_totalTime = 0;
    unsigned long long m_beginTime = 0;
    unsigned long long m_endTime = 0;
    CropSettings m_cropSettings;
    WatermarkTextSettings m_textWaterSettings;
    WatermarkImageSettings m_imageWaterSettings;
    SubtitleSettings m_subtitleSettings;
    SubtitleValueInfo m_subtitleInfo;
    QMenu* m_timeMenu = nullptr;
    QAction* m_actFullTime = nullptr;
    QAction* m_actCustomTime = nullptr;
    QString m_relevantfile;
    FormatSettingDialog* m_settingDialog = nullptr;
    bool m_bDisVideo = false;
    bool m_bDisAudio = false;
    QTimer* m_convertTimer = nullptr;
    ConverterHandle m_converter = nullptr;
    // Set by the probe; read on the GUI thread only after the row's delivery.
    bool m_bProbeFailed = false;
    QString m_strOutputPath;
    QSet<QString>* m_takenOutputs = nullptr;
    bool m_bFailed = false;
    QString m_strEndedEarly;
    QString m_strFailure;
    // The whole text of the reason line; the label may show it cut.
    QString m_strReason;

public:
    QLabel* m_failReason = nullptr;

private:
    std::shared_ptr<OpenJob> m_openJob;
};
