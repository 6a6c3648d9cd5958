#pragma once

// The per-clip editor: a live preview of one clip through an engine player
// of its own (an output preview with every edit applied and a source
// preview with the crop border), the tool panels behind the tab buttons, and
// the clip's five edit records with its trim range.
//
// A task row builds one for a modal edit of its clip, or builds one without
// showing it only to read the default records of a newly added file.

#include "QImageDialog.h"
#include "QTrimOperatedlgDlg.h"
#include "clips/ClipEditRecords.h"
#include "editing/EditingState.h"
#include "editing/PreviewDrag.h"

#include "ui_QVideoEditDlg.h"

#include <orvalta.h>

#include <QMouseEvent>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

class EnginePlayer;
class QAction;
class QCropOperateDlg;
class QImageButton;
class QMenu;
class QMessOpacityDlg;
class QSubtitleOperateDlg;
class QTimer;
class QWatermarkOperateDlg;
class SnapshotWriter;
class VideoImageWindow;

class QVideoEditDlg : public QImageDialog, public Ui::QVideoEditDlg
{
    Q_OBJECT
public:
    explicit QVideoEditDlg(QWidget* parent = nullptr);
    ~QVideoEditDlg() override;

    // ---- What a task row calls -------------------------------------------
    // Loads the clip for an output of width x height (0 x 0: the source's);
    // false when there is no player or it cannot open the file.
    bool SetVideoFile(QString path, unsigned width, unsigned height);
    // The same with the file and its first picture made off the GUI thread,
    // which meanwhile serves the other windows (no input) with the wait
    // cursor: for an editor about to be shown.
    bool OpenVideoFile(QString path, unsigned width, unsigned height);
    void IninEditSettingDlg(const CropSettings& settings);
    void IninTextSettingsDlg(const WatermarkTextSettings& settings);
    void IninImageSettingDlg(const WatermarkImageSettings& settings);
    void SetSubtitleInfo(SubtitleValueInfo& info);
    void IninSubtlSettingDlg(const SubtitleSettings& settings);
    // Microseconds; end 0 = no trim end.
    void SetTrimTime(uint64_t start, uint64_t end, bool reset);
    uint64_t GetStartTime() const { return m_state.trimStart(); }
    uint64_t GetEndTime() const { return m_state.trimEnd(); }

    void GetEditSettings(CropSettings& out);
    void GetWatermarkTextSettings(WatermarkTextSettings& out);
    void GetWatermarkImageSettings(WatermarkImageSettings& out);
    void GetSubtitleSettings(SubtitleSettings& out);
    void GetSubtitleInfo(SubtitleValueInfo& out);

    // ---- Record operations -------------------------------------------------
    // Each stores the record in the editing state, as the tool panels'
    // changes are; the state announces it and the preview player takes it
    // from there.
    void SetEditSettings(const CropSettings& s);
    void SetWatermarkTextSettings(const WatermarkTextSettings& s);
    void SetWatermarkImageSettings(const WatermarkImageSettings& s);
    void SetSubtitleSettings(const SubtitleSettings& s);
    void SetDefaultSubtitleSettings();
    void SetDefaultEditSettings();
    void SetDefaultWatermarkTextSettings();
    void SetDefaultWatermarkImageSettings();
    int getSubtlCount();
    void setCropIsVBorder(bool on);
    void setWaterIsBorder(bool on);

    // ---- Loading steps -----------------------------------------------------
    void SetProgram();
    void setAudioSubtlCount();
    void IsNoVideoSet();
    void setFileName(QString path);
    void TrimChangeSetting();
    void setEditType(QEditType type);
    void IninScreenshotsInfo();

    QEditType editType() const { return m_editType; }
    int programIndex() const { return m_programIndex; }
    int outputWidth() const { return m_outputWidth; }
    int outputHeight() const { return m_outputHeight; }
    QString captureFormat() const { return m_captureFormat; }
    QString captureFolder() const { return m_captureFolder; }
    PlayerHandle player() const;

    QCropOperateDlg* cropPanel() const { return m_cropPanel; }
    QWatermarkOperateDlg* watermarkPanel() const { return m_watermarkPanel; }
    QSubtitleOperateDlg* subtitlePanel() const { return m_subtitlePanel; }
    QTrimOperatedlgDlg* trimPanel() const { return m_trimPanel; }

    // Milliseconds since the trim start as "hh:mm:ss", with the total.
    static QString timeText(uint64_t ms);

signals:
    void seedApplyEditSetting(CropSettings cropSetting);
    void seedApplyWaterSetting(WatermarkTextSettings textWater, WatermarkImageSettings imgWater);

public slots:
    // Tabs.
    void OnTrimBtn();
    void OnCropBtn();
    void OnEffectBtn();
    void OnWatermarkBtn();
    void OnSubtitleBtn();
    // Loading and playback start.
    void OnBtnPlay();
    void OnBtnStop();
    void VideoFinished();
    void ResizeVideoWindow();
    void ShowTime(uint64_t ms);
    // Crop tool.
    void radRatioTypeChange();
    void FillModeChange();
    // Stream choice.
    void OnSelChangeAudio(int index);
    void OnSelChangeSubtl(int index);
    // "Apply to all".
    void ApplyEditSettingToAll();
    void ApplyWaterSettingToAll();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showOpenFailed();
    // infoOpened: the clip's facts as read on a worker; none: read them here.
    void clipOpened(const QString& path, std::optional<bool> infoOpened);
    void startPreview();
    // Opened for an editor about to be shown: the previews and playback
    // start when it shows.
    bool m_previewOnShow = false;
    // The records, the trim range and the drag state, handed to the panels.
    // Declared first: the panels are built with it.
    EditingState m_state;

    // Construction steps, in their order.
    void InitDlg();
    bool OnInitBtnCtrl();
    void OnInitCtrl();
    void InitPlay();
    void InitMenu();
    void InitConnect();
    void selectTab(QImageButton* button, QEditType type);
    // The one road of the preview picture: the stored crop record through
    // the conversion's mapping. changePicture stores a new record, shown at
    // once; withRatioChoice applies the crop panel's ratio choice.
    void sendPicture();
    // The other stored records to the player, on the state's announcements.
    void sendWatermarkText();
    void sendWatermarkImage();
    void sendWatermarkBorders(bool on);
    void sendSubtitleStyle();
    void changePicture(const CropSettings& s);
    CropSettings withRatioChoice(CropSettings s);
    void keepPanScanProportion(CropSettings& s) const;

    QEditType m_editType = EditType_Crop;
    QImageButton* m_curTypeBtn = nullptr;

    // Tool panels.
    QTrimOperatedlgDlg* m_trimPanel = nullptr;
    QCropOperateDlg* m_cropPanel = nullptr;
    QWatermarkOperateDlg* m_watermarkPanel = nullptr;
    QSubtitleOperateDlg* m_subtitlePanel = nullptr;

    // The preview player. Its handle takes the picture and watermark
    // settings through the mapping a conversion's settings take.
    EnginePlayer* m_engine = nullptr;
    InfoHandle m_info = nullptr;
    QTimer* m_timeTimer = nullptr;
    QTimer* m_screenTimer = nullptr;
    QString m_videoPath;
    float m_volume = 0.0f;
    int m_programIndex = -1;
    QMenu* m_snapshotMenu = nullptr;
    QAction* m_openFolderAction = nullptr;
    QAction* m_settingsAction = nullptr;
    QString m_captureFormat;
    QString m_captureFolder;
    bool m_previewMode = false;
    bool m_cropBorder = false;
    // The watermark text and picture the player holds, so one is not laid
    // out or decoded again.
    QString m_heldText;
    QString m_heldImage;
    int m_outputWidth = 0;
    int m_outputHeight = 0;

    // ---- Playback, trim, drags and snapshots -------------------------------
public:
    // The span the sliders cover: the trim range, or from the trim start to
    // the end of the clip; 0 with neither a player nor a trim end.
    uint64_t getPlayLen();
    void setPreviewDlg(bool preview);
    void setTypeCtrlShow(bool show);
    void setTypeBtnShow(bool show);
    void setCropVeiwDlg(bool on);
    void ShowOpacityMsgDlg(QString text);

    bool WatermarkTextDown(QMouseEvent* e);
    bool WatermarkTextMove(QMouseEvent* e);
    bool WatermarkTextUp(QMouseEvent* e);
    bool WatermarkImageDown(QMouseEvent* e);
    bool WatermarkImageMove(QMouseEvent* e);
    bool WatermarkImageUp(QMouseEvent* e);
    bool CropDown(QMouseEvent* e);
    bool CropMove(QMouseEvent* e);
    bool CropUp(QMouseEvent* e);

public slots:
    void OnBtnPause();
    void UpdateTime();
    void UpdataScreen();
    void PlayProValueChange(double fraction);
    void OnBtnSoundOpen();
    void OnBtnSoundClose();
    void SoundValueChange(double fraction);
    void setTrimStartValue(double fraction);
    void setTrimEndValue(double fraction);
    void OnPreviousStep();
    void OnNextStep();
    void PlaySection();
    void OnTrimVideo();
    void ResetTrimTime();
    void OnBtnEdit();
    void OnClose();
    void OnClickeAspectRadio();
    void OnInitpreviewTime(uint64_t start, uint64_t end);

    void mouseDownFormVideo(QMouseEvent* e);
    void mouseMoveFormVideo(QMouseEvent* e);
    void mouseUpFormVideo(QMouseEvent* e);
    void mouseCropDownVideo(QMouseEvent* e);
    void mouseCropMoveVideo(QMouseEvent* e);
    void mouseCropUpVideo(QMouseEvent* e);

    void OnScreenshots();
    void OnShowMenu();
    void OpenImgPath();
    void ShowPathSettingDlg();

private:
    void InitTrimAndSnapshot();
    void stopAtEnd();
    void showTick(uint64_t time);
    void seekToTrimHandle(double fraction);
    void frameStep(int direction);
    EditRect cropDragBox() const;
    int watermarkHit(bool text, QMouseEvent* e, EditRect* box);
    bool watermarkDown(bool text, QMouseEvent* e);
    bool watermarkMove(bool text, QMouseEvent* e);

    SnapshotWriter* m_snapshotWriter = nullptr;
    QMessOpacityDlg* m_opacityDlg = nullptr;
};
