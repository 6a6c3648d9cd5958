// Task rows: handing a task to the editor and the player.
#include "CSingleUserLog.h"
#include "CSingleVersionStringUtil.h"
#include "LogCategories.h"
#include "QIAppUtil.h"
#include "QImageButton.h"
#include "QImageDialog.h"
#include "QVideoEditDlg.h"
#include "ShowMessage.h"
#include "VideoConvertBar.h"

#include <QDebug>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace {

constexpr unsigned long long kSecondUs = 1000000ull;

QTime timeOf(unsigned long long us)
{
    // The editors cannot show a day or more; such times stop at the last second.
    const QTime time = convertTime(us / kSecondUs * kSecondUs);
    return time.isValid() ? time : QTime(23, 59, 59);
}

// A second either side without wrapping round midnight.
QTime secondBefore(const QTime& time) { return time <= QTime(0, 0, 1) ? QTime(0, 0) : time.addSecs(-1); }

QTime secondAfter(const QTime& time)
{
    return time >= QTime(23, 59, 58) ? QTime(23, 59, 59) : time.addSecs(1);
}

unsigned long long usOf(const QTime& time)
{
    return static_cast<unsigned long long>(QTime(0, 0).secsTo(time)) * kSecondUs;
}

// The customize-time dialog of the row's time menu. Ok ends it with the
// message-box Ok value, Cancel with Cancel.
class CutDialog : public QImageDialog
{
public:
    explicit CutDialog(QWidget* parent)
        : QImageDialog(parent)
    {
        const QString res = QIAppUtil::getResourcePath();
        setWindowTitle(tr("Customize"));
        SetImageBackgroud(res + "/image/bg_cut.png", false);
        setFixedSize(360, 190);

        auto* logo = new QLabel(this);
        logo->setPixmap(QPixmap(res + "/exp_image/LOGO_20.png"));
        auto* title = new QLabel(CSingleVersionStringUtil::GetLinkAddress(ADDR_PRODUCT_NAME), this);
        title->setStyleSheet(QStringLiteral("color:white;"));
        auto* close = new QImageButton(this);
        close->setBtnImage(res + "/image/top_btn_close.png");
        connect(close, &QPushButton::clicked, this, &QDialog::close);

        m_timeEditBegin = new QTimeEdit(this);
        m_timeEditEnd = new QTimeEdit(this);
        for (QTimeEdit* edit : {m_timeEditBegin, m_timeEditEnd}) {
            edit->setDisplayFormat(QStringLiteral("hh:mm:ss"));
            edit->setTime(QTime(0, 0));
        }
        // The end stays at least a second after the start, the start a second
        // before the end.
        connect(m_timeEditEnd, &QTimeEdit::timeChanged, this,
                [this](const QTime& end) { m_timeEditBegin->setMaximumTime(secondBefore(end)); });
        connect(m_timeEditBegin, &QTimeEdit::timeChanged, this,
                [this](const QTime& begin) { m_timeEditEnd->setMinimumTime(secondAfter(begin)); });

        auto* ok = new QImageButton(this);
        ok->setBtnImage(res + "/image/btn_OK.png");
        ok->setBtnText(tr("Ok"));
        ok->setTextStyle(TextColorStyle3);
        connect(ok, &QPushButton::clicked, this, [this] { done(QMessageBox::Ok); });
        auto* cancel = new QImageButton(this);
        cancel->setBtnImage(res + "/image/BTN_Cancel.png");
        cancel->setBtnText(tr("Cancel"));
        cancel->setTextStyle(TextColorStyle3);
        connect(cancel, &QPushButton::clicked, this, [this] { done(QMessageBox::Cancel); });

        auto* titleRow = new QHBoxLayout;
        titleRow->addWidget(logo);
        titleRow->addWidget(title, 1);
        titleRow->addWidget(close);
        auto* times = new QGridLayout;
        times->addWidget(new QLabel(tr("Start time:"), this), 0, 0);
        times->addWidget(m_timeEditBegin, 0, 1);
        times->addWidget(new QLabel(tr("End time:"), this), 1, 0);
        times->addWidget(m_timeEditEnd, 1, 1);
        auto* buttons = new QHBoxLayout;
        buttons->addStretch(1);
        buttons->addWidget(ok);
        buttons->addWidget(cancel);
        auto* layout = new QVBoxLayout(this);
        layout->addLayout(titleRow);
        layout->addLayout(times);
        layout->addLayout(buttons);
    }

    void setTimeBegin(unsigned long long us) { m_timeEditBegin->setTime(timeOf(us)); }
    void setTimeEnd(unsigned long long us) { m_timeEditEnd->setTime(timeOf(us)); }
    void setTotalTime(unsigned long long us)
    {
        const QTime total = timeOf(us);
        m_timeEditBegin->setMaximumTime(secondBefore(total));
        m_timeEditEnd->setMaximumTime(total);
    }
    unsigned long long getBeginTime() const { return usOf(m_timeEditBegin->time()); }
    unsigned long long getEndTime() const { return usOf(m_timeEditEnd->time()); }

private:
    QTimeEdit* m_timeEditBegin = nullptr;
    QTimeEdit* m_timeEditEnd = nullptr;
};

} // namespace

void VideoConvertBar::OnEditVideo()
{
    CSingleUserLog::getInstance()->AddUserLog(11624, false, 0, nullptr);

    QVideoEditDlg editor(nullptr);
    const auto width = unsigned(getVideoWidth(m_task.target().V_Resolution));
    const auto height = unsigned(getVideoHeigth(m_task.target().V_Resolution));
    if (!editor.OpenVideoFile(m_task.path(), width, height)) {
        ShowMessage(tr("Not Supported!"), QString());
        return;
    }

    TaskClips& clips = m_task.clips();
    editor.IninEditSettingDlg(clips.crop);
    editor.IninTextSettingsDlg(clips.text);
    editor.IninImageSettingDlg(clips.image);
    editor.SetSubtitleInfo(clips.streams);
    editor.IninSubtlSettingDlg(clips.subtitle);
    editor.SetTrimTime(m_task.beginUs(), m_task.endUs(), true);

    // "Apply to all" reaches every task through the queue at once, this one
    // included, whatever the editor ends with.
    connect(&editor, &QVideoEditDlg::seedApplyEditSetting, this, &VideoConvertBar::seedEditSetting);
    connect(&editor, &QVideoEditDlg::seedApplyWaterSetting, this, &VideoConvertBar::seedWaterSetting);

    if (editor.exec() != QDialog::Accepted)
        return;

    qCDebug(lcConvert) << "aaaaaaaa";
    clearFailure();
    editor.GetEditSettings(clips.crop);
    editor.GetWatermarkTextSettings(clips.text);
    editor.GetWatermarkImageSettings(clips.image);
    editor.GetSubtitleSettings(clips.subtitle);
    editor.GetSubtitleInfo(clips.streams);

    // An end before the start would wrap the trim length round to an
    // enormous value; such a range is not taken and the trim stays as it was.
    const unsigned long long begin = editor.GetStartTime();
    const unsigned long long end = editor.GetEndTime();
    if (end >= begin)
        m_task.setTrim(begin, end);
    else
        qWarning() << "editor returned an inverted trim range" << begin << end;
    m_laterInfoWidget->SetVideoTime(getTime(m_task.endUs() - m_task.beginUs()));
    UpdateFileLength();
}

void VideoConvertBar::SlotPreviewPlay()
{
    // A source that has gone is not offered to the player, and nothing is said.
    if (QFileInfo(m_task.path()).isFile())
        emit emitVideoPlay(m_task.path());
}

void VideoConvertBar::setEditSetting(CropSettings cropSetting)
{
    m_task.clips().crop = cropSetting;
    clearFailure();
}

void VideoConvertBar::setWaterSetting(WatermarkTextSettings textWater, WatermarkImageSettings imageWater)
{
    m_task.clips().text = textWater;
    m_task.clips().image = imageWater;
    clearFailure();
}

void VideoConvertBar::SlotCutTime()
{
    CutDialog dialog(this);
    dialog.setTimeBegin(m_task.beginUs());
    dialog.setTimeEnd(m_task.endUs());
    dialog.setTotalTime(m_task.totalUs());
    if (dialog.exec() == QMessageBox::Ok) {
        m_task.setTrim(dialog.getBeginTime(), dialog.getEndTime());
        clearFailure();
    }
}

void VideoConvertBar::SlotRestFullTime()
{
    m_task.setTrim(0, m_task.totalUs());
    clearFailure();
}
