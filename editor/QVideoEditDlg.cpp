#include "QVideoEditDlg.h"

#include <orvalta.h>

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

QVideoEditDlg::QVideoEditDlg(QWidget* parent)
    : QDialog(parent)
{
    static const bool registered = [] {
        qRegisterMetaType<CropSettings>("CropSettings");
        qRegisterMetaType<SubtitleValueInfo>("SubtitleValueInfo");
        qRegisterMetaType<SubtitleSettings>("SubtitleSettings");
        qRegisterMetaType<WatermarkTextSettings>("WatermarkTextSettings");
        qRegisterMetaType<WatermarkImageSettings>("WatermarkImageSettings");
        return true;
    }();
    Q_UNUSED(registered);
    setWindowTitle(QStringLiteral("Editor"));
    // Until the editing tools arrive the window says so plainly, and Ok
    // hands the task's settings back unchanged.
    auto* layout = new QVBoxLayout(this);
    auto* note = new QLabel(tr("Trim, crop, watermark and subtitle tools are not available yet.\n"
                               "The clip is converted with its current settings."),
                            this);
    note->setAlignment(Qt::AlignCenter);
    layout->addWidget(note);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QVideoEditDlg::~QVideoEditDlg() = default;

bool QVideoEditDlg::SetVideoFile(QString path, unsigned width, unsigned height)
{
    InfoHandle info = Info_Create(-1);
    if (!info)
        return false;
    const QByteArray utf8 = path.toUtf8();
    if (!Info_Open(info, utf8.constData())) {
        Info_Release(info);
        // The stream lists stay unfilled: no valid choice at all.
        m_subtitleInfo.program_index = -1;
        m_subtitleInfo.audio_index = -1;
        m_subtitleInfo.subtitle_index = -1;
        m_subtitleInfo.subtitle_count = 0;
        return false;
    }

    m_editSettings = CropSettings();
    m_videoPath = path;
    if (m_outputWidth == 0)
        m_outputWidth = width;
    if (m_outputHeight == 0)
        m_outputHeight = height;

    // The first program that carries a picture or a sound is the one we
    // convert; its lists decide the default audio and subtitle choice.
    int program = -1;
    const int programs = Info_GetProgrCount(info);
    for (int i = 0; i < programs; ++i) {
        if (Info_SetProgrIndex(info, i)
            && (Info_GetVideoCount(info) > 0 || Info_GetAudioCount(info) > 0)) {
            program = i;
            break;
        }
    }
    Info_SetProgrIndex(info, program);
    const int audioCount = Info_GetAudioCount(info);
    const int subtitleCount = Info_GetSubtlCount(info);
    m_subtitleInfo.program_index = program;
    m_subtitleInfo.audio_index = audioCount > 0 ? 0 : -1;
    m_subtitleInfo.subtitle_count = subtitleCount;
    m_subtitleInfo.subtitle_index = subtitleCount > 0 ? 1 : 0;

    m_startTime = 0;
    m_endTime = 0;
    Info_Close(info);
    Info_Release(info);
    return true;
}

void QVideoEditDlg::IninEditSettingDlg(CropSettings& settings) { m_editSettings = settings; }
void QVideoEditDlg::IninTextSettingsDlg(WatermarkTextSettings& settings) { m_textSettings = settings; }
void QVideoEditDlg::IninImageSettingDlg(WatermarkImageSettings& settings) { m_imageSettings = settings; }
void QVideoEditDlg::IninSubtlSettingDlg(SubtitleSettings& settings) { m_subtitleSettings = settings; }
void QVideoEditDlg::SetSubtitleInfo(SubtitleValueInfo& info) { m_subtitleInfo = info; }

void QVideoEditDlg::SetTrimTime(unsigned long long begin, unsigned long long end, bool apply)
{
    Q_UNUSED(apply);
    m_startTime = begin;
    m_endTime = end;
}

void QVideoEditDlg::GetEditSettings(CropSettings& settings) { settings = m_editSettings; }
void QVideoEditDlg::GetWatermarkTextSettings(WatermarkTextSettings& settings) { settings = m_textSettings; }
void QVideoEditDlg::GetWatermarkImageSettings(WatermarkImageSettings& settings) { settings = m_imageSettings; }
void QVideoEditDlg::GetSubtitleSettings(SubtitleSettings& settings) { settings = m_subtitleSettings; }
void QVideoEditDlg::GetSubtitleInfo(SubtitleValueInfo& info) { info = m_subtitleInfo; }
