// The editor window and its tool panels against the recording engine.
#include "QCropOperateDlg.h"
#include "QSubtitleOperateDlg.h"
#include "QVideoEditDlg.h"
#include "QWatermarkOperateDlg.h"
#include "clips/ConfigMapping.h"

#include <orvalta_fake_control.h>

#include <QComboBox>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(std::vector<orvfake::Track>)

namespace {

QStringList calls(const char* prefix = "")
{
    QStringList out;
    for (const std::string& line : orvfake::calls(prefix))
        out << QString::fromStdString(line);
    return out;
}

QStringList playerAndInfoCalls()
{
    QStringList out;
    for (const QString& line : calls()) {
        if (line.startsWith("Player_") || line.startsWith("Info_"))
            out << line;
    }
    return out;
}

// The last call of a function, "" when none.
QString last(const QString& function)
{
    const QStringList all = calls(function.toStdString().c_str());
    return all.isEmpty() ? QString() : all.last();
}

QStringList items(QComboBox* box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

orvfake::Track track(const char* title, const char* language) { return orvfake::Track{title, language}; }

} // namespace

class TestEditor : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void freshEditor();
    void loadingSequence();
    void loadingFailure();
    void openingForTheEditAction();
    void programChoice_data();
    void programChoice();
    void streamLists_data();
    void streamLists();
    void audioOnlyClip();
    void aspectChoices_data();
    void aspectChoices();
    void panelLoadsTaskRecord();
    void orientationButtons();
    void watermarkTextHandOver();
    void watermarkImageHandOver();
    void watermarkBordersFollowTab();
    void subtitleStyleHandOver();
    void streamChoice();
    void negativeStreamChoiceFromTask();
    void externalSubtitleEntry();
    void applyToAllCarriesRecords();
    void teardownOrder();

private:
    std::unique_ptr<QVideoEditDlg> open(const orvfake::MediaFacts& facts, unsigned w = 0, unsigned h = 0);
    QString m_clip = QStringLiteral("/media/clip.mov");
};

void TestEditor::init() { orvfake::reset(); }

std::unique_ptr<QVideoEditDlg> TestEditor::open(const orvfake::MediaFacts& facts, unsigned w, unsigned h)
{
    orvfake::setMedia(m_clip.toStdString(), facts);
    auto editor = std::make_unique<QVideoEditDlg>(nullptr);
    if (!editor->SetVideoFile(m_clip, w, h))
        return nullptr;
    return editor;
}

void TestEditor::freshEditor()
{
    QVideoEditDlg editor(nullptr);
    QCOMPARE(editor.editType(), EditType_Crop);
    QVERIFY(!editor.m_btnCrop->isEnabled());
    QVERIFY(editor.m_btnTrim->isEnabled());
    QVERIFY(!editor.cropPanel()->isHidden());
    QVERIFY(editor.watermarkPanel()->isHidden());
    QVERIFY(editor.subtitlePanel()->isHidden());
    QVERIFY(editor.trimPanel()->isHidden());
    QVERIFY(!editor.m_btnPlay->isHidden());
    QVERIFY(editor.m_btnPause->isHidden());
    QVERIFY(editor.m_btnEffect->isHidden());
    QVERIFY(editor.m_btnEdit->isHidden());
    QCOMPARE(editor.m_labPlayTime->text(), QString("00:00:00 / 00:00:00"));
    QCOMPARE(editor.size(), QSize(800, 490));
    QCOMPARE(editor.windowFlags() & Qt::WindowType_Mask, Qt::Dialog);

    // The engine handles first, then the default records in their order:
    // subtitle style, text watermark, image watermark, crop.
    const QStringList log = calls("Player_");
    // The Crop tab is laid out before any player exists.
    QCOMPARE(log.mid(0, 4).join('\n'),
             QStringList({"Player_EnableVideoCropBorder(0, 0)", "Player_EnableVideoCropBorder(0, 1)",
                          "Player_Create(-1)", "Player_SetAudioVolume(P1, 100)"})
                 .join('\n'));
    auto at = [&](const QString& start) {
        for (int i = 0; i < log.size(); ++i)
            if (log.at(i).startsWith(start))
                return i;
        return -1;
    };
    QVERIFY(at("Player_SetSubtlAlpha") > 0);
    QVERIFY(at("Player_SetSubtlAlpha") < at("Player_SetWatermarkTextAlpha"));
    QVERIFY(at("Player_SetWatermarkTextAlpha") < at("Player_SetWatermarkImageAlpha"));
    QVERIFY(at("Player_SetWatermarkImageAlpha") < at("Player_SetVideoRotate"));
    QVERIFY(log.contains("Player_SetWatermarkText(P1, \"\")")); // empty text, border on
    QVERIFY(log.contains("Player_SetWatermarkImageFile(P1, null)"));
    QVERIFY(log.contains("Player_SetVideoAspectRatio(P1, 0, 0)"));

    WatermarkTextSettings text;
    editor.GetWatermarkTextSettings(text);
    QCOMPARE(text.font_size, 36);
    QCOMPARE(text.shadow_color, 0x80000000u);
    SubtitleSettings style;
    editor.GetSubtitleSettings(style);
    QCOMPARE(style.font_size, 18);
    // The volume slider starts full, and its fill picture draws.
    QCOMPARE(editor.m_soundSlider->getValue(), 100.0f);
    const QImage full = editor.m_soundSlider->grab().toImage();
    editor.m_soundSlider->setValue(0);
    const QImage empty = editor.m_soundSlider->grab().toImage();
    const QPoint middle(full.width() / 2, full.height() / 2);
    QVERIFY(full.pixel(middle) != empty.pixel(middle));

    // The snapshot settings were read and their folder exists.
    QCOMPARE(editor.captureFormat(), QString("JPEG"));
    QVERIFY(QFileInfo(editor.captureFolder()).isDir());
}

void TestEditor::loadingSequence()
{
    orvfake::MediaFacts facts;
    facts.width = 640;
    facts.height = 360;
    orvfake::setMedia(m_clip.toStdString(), facts);
    QVideoEditDlg editor(nullptr);
    CropSettings rotated;
    rotated.rotate = 90;
    editor.SetEditSettings(rotated);
    orvfake::clearCalls();

    QVERIFY(editor.SetVideoFile(m_clip, 1280, 720));
    const QStringList log = playerAndInfoCalls();
    const QStringList expectedStart = {
        "Player_IsCompleted(P1)",
        "Player_Stop(P1)",
        "Player_OpenEx(P1, \"/media/clip.mov\", 1280, 720, 0, 0)",
        // the crop record back at its defaults, in the conversion's order
        "Player_SetVideoAspectRatio(P1, 0, 0)",
        "Player_SetVideoRotate(P1, 0)",
        "Player_SetVideoMirror(P1, 0)",
        "Player_SetVideoPadAndColor(P1, 1, 0xFF000000)",
        "Player_SetVideoCrop(P1, 0, 0, 1, 1)",
    };
    QCOMPARE(log.mid(0, expectedStart.size()), expectedStart);
    auto index = [&](const QString& line) { return log.indexOf(line); };
    QVERIFY(index("Player_EnableVideoCropBorder(P1, 0)") > 0);
    QVERIFY(index("Player_SetAudioVolume(P1, 100)") > index("Player_EnableVideoCropBorder(P1, 0)"));
    QVERIFY(index("Info_Open(I1, \"/media/clip.mov\")") > index("Player_SetAudioVolume(P1, 100)"));
    QVERIFY(index("Player_SetAudioIndex(P1, 0)") > index("Info_Open(I1, \"/media/clip.mov\")"));
    QCOMPARE(log.last(), QString("Player_GetPlayTime(P1)"));
    QVERIFY(log.contains("Player_Play(P1)"));

    QCOMPARE(editor.editType(), EditType_Trim);
    QVERIFY(!editor.m_btnTrim->isEnabled());
    QVERIFY(editor.m_btnCrop->isEnabled());
    QVERIFY(editor.m_btnPlay->isHidden());
    QVERIFY(!editor.m_btnPause->isHidden());
    QCOMPARE(editor.m_labPlayTime->text(), QString("00:00:00 / 00:00:02"));
    QCOMPARE(editor.outputWidth(), 640);
    QCOMPARE(editor.outputHeight(), 360);
    CropSettings crop;
    editor.GetEditSettings(crop);
    QCOMPARE(crop.rotate, 0);

    // A second clip keeps the output frame of the first.
    orvfake::MediaFacts other;
    other.width = 320;
    other.height = 240;
    orvfake::setMedia("/media/other.mov", other);
    QVERIFY(editor.SetVideoFile("/media/other.mov", 0, 0));
    QCOMPARE(editor.outputWidth(), 640);
    QCOMPARE(editor.outputHeight(), 360);
}

void TestEditor::openingForTheEditAction()
{
    // The Edit action's open: the file and the clip's facts on workers, the
    // previews and playback only once the editor shows.
    orvfake::setMedia(m_clip.toStdString(), orvfake::MediaFacts());
    QVideoEditDlg editor(nullptr);
    orvfake::clearCalls();
    QVERIFY(editor.OpenVideoFile(m_clip, 1280, 720));
    QVERIFY(!QApplication::overrideCursor());
    const QStringList log = playerAndInfoCalls();
    const int audio = log.indexOf("Player_SetAudioIndex(P1, 0)");
    QVERIFY(audio >= 0);
    QVERIFY(audio < log.indexOf("Player_OpenEx(P1, \"/media/clip.mov\", 1280, 720, 0, 0)"));
    QCOMPARE(log.count("Player_SetAudioIndex(P1, 0)"), 1);
    QVERIFY(log.contains("Info_Open(I1, \"/media/clip.mov\")"));
    QVERIFY(calls("Player_SetVideoFrameHandle").isEmpty());
    QVERIFY(calls("Player_Play").isEmpty());
    QCOMPARE(editor.m_labPlayTime->text(), QString("00:00:00 / 00:00:02"));

    editor.show();
    QCOMPARE(calls("Player_SetVideoFrameHandle").size(), 1);
    QCOMPARE(calls("Player_SetOrignalVideoFrameHandle").size(), 1);
    QCOMPARE(calls("Player_Play").size(), 1);
    QVERIFY(!editor.m_btnPause->isHidden());
    editor.hide();

    QVideoEditDlg refused(nullptr);
    orvfake::clearCalls();
    QVERIFY(!refused.OpenVideoFile("/media/missing.mov", 0, 0));
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(refused.m_videoPreviewWidget->isHidden());
    refused.show();
    QVERIFY(calls("Player_Play").isEmpty());
}

void TestEditor::loadingFailure()
{
    QVideoEditDlg editor(nullptr);
    WatermarkTextSettings text;
    text.text = "kept";
    editor.SetWatermarkTextSettings(text);
    CropSettings crop;
    crop.mirror = 1;
    editor.SetEditSettings(crop);
    orvfake::clearCalls();

    QVERIFY(!editor.SetVideoFile("/media/missing.mov", 0, 0));
    QVERIFY(editor.m_videoPreviewWidget->isHidden());
    QVERIFY(!editor.m_btnPlay->isHidden());
    QVERIFY(editor.m_btnPause->isHidden());
    QCOMPARE(editor.editType(), EditType_Crop);
    QVERIFY(calls("Info_Open").isEmpty());
    QVERIFY(calls("Player_Play").isEmpty());
    CropSettings after;
    editor.GetEditSettings(after);
    QCOMPARE(after.mirror, 1);

    // What a task takes from an editor that could not open its file.
    SubtitleValueInfo streams;
    editor.GetSubtitleInfo(streams);
    QCOMPARE(streams.program_index, -1);
    QCOMPARE(streams.audio_index, -1);
    QCOMPARE(streams.subtitle_index, -1);
    QCOMPARE(streams.subtitle_count, 0);
}

void TestEditor::programChoice_data()
{
    QTest::addColumn<QVector<int>>("videoCounts");
    QTest::addColumn<QVector<int>>("audioCounts");
    QTest::addColumn<int>("program");
    QTest::newRow("first") << QVector<int>{1, 1} << QVector<int>{1, 1} << 0;
    QTest::newRow("first empty program skipped") << QVector<int>{0, 1} << QVector<int>{0, 0} << 1;
    QTest::newRow("sound only counts") << QVector<int>{0, 0} << QVector<int>{0, 2} << 1;
    QTest::newRow("none has streams") << QVector<int>{0, 0} << QVector<int>{0, 0} << -1;
}

void TestEditor::programChoice()
{
    QFETCH(QVector<int>, videoCounts);
    QFETCH(QVector<int>, audioCounts);
    QFETCH(int, program);
    orvfake::MediaFacts facts;
    facts.programs.clear();
    for (int i = 0; i < videoCounts.size(); ++i) {
        orvfake::Program p;
        p.name = "program " + std::to_string(i);
        p.videoCount = videoCounts[i];
        p.audio.assign(size_t(audioCounts[i]), orvfake::Track{});
        facts.programs.push_back(p);
    }
    orvfake::setMedia(m_clip.toStdString(), facts);
    // The player would refuse a file without streams; the information side
    // is what is under test.
    orvfake::setResult("Player_OpenEx", 1);
    QVideoEditDlg editor(nullptr);
    QVERIFY(editor.SetVideoFile(m_clip, 0, 0));
    QCOMPARE(editor.programIndex(), program);
    QCOMPARE(last("Info_SetProgrIndex"), QString("Info_SetProgrIndex(I1, %1)").arg(program));
    SubtitleValueInfo streams;
    editor.GetSubtitleInfo(streams);
    QCOMPARE(streams.program_index, program);
}

void TestEditor::streamLists_data()
{
    QTest::addColumn<std::vector<orvfake::Track>>("audio");
    QTest::addColumn<std::vector<orvfake::Track>>("subtitles");
    QTest::addColumn<QStringList>("audioItems");
    QTest::addColumn<QStringList>("subtitleItems");
    QTest::addColumn<int>("audioIndex");
    QTest::addColumn<int>("subtitleIndex");

    QTest::newRow("plain tracks, no subtitles")
        << std::vector<orvfake::Track>{track("", ""), track("", "")} << std::vector<orvfake::Track>{}
        << QStringList{"A1()", "A2()"} << QStringList{"[Disable]", "[CC]"} << 0 << 0;
    QTest::newRow("titles, languages, two subtitles")
        << std::vector<orvfake::Track>{track("Stereo", "eng"), track("", "deu")}
        << std::vector<orvfake::Track>{track("Full", "eng"), track("", "")}
        << QStringList{"A1(Stereo)[eng]", "A2()[deu]"}
        << QStringList{"[Disable]", "S1(Full)[eng]", "S2()", "[CC]"} << 0 << 1;
    QTest::newRow("no audio") << std::vector<orvfake::Track>{}
                              << std::vector<orvfake::Track>{track("", "fra")} << QStringList{}
                              << QStringList{"[Disable]", "S1()[fra]", "[CC]"} << -1 << 1;
}

void TestEditor::streamLists()
{
    QFETCH(std::vector<orvfake::Track>, audio);
    QFETCH(std::vector<orvfake::Track>, subtitles);
    QFETCH(QStringList, audioItems);
    QFETCH(QStringList, subtitleItems);
    QFETCH(int, audioIndex);
    QFETCH(int, subtitleIndex);
    orvfake::MediaFacts facts;
    facts.programs[0].audio = audio;
    facts.programs[0].subtitles = subtitles;
    auto editor = open(facts);
    QVERIFY(editor);
    QSubtitleOperateDlg* panel = editor->subtitlePanel();
    QCOMPARE(items(panel->m_cmbAudio), audioItems);
    QCOMPARE(items(panel->m_cmbSubtitle), subtitleItems);
    SubtitleValueInfo streams;
    editor->GetSubtitleInfo(streams);
    QCOMPARE(streams.audio_index, audioIndex);
    QCOMPARE(streams.subtitle_index, subtitleIndex);
    QCOMPARE(streams.subtitle_count, int(subtitles.size()));
    // A clip with subtitle streams starts showing its first one; without,
    // the selected "[Disable]" reaches the player.
    QCOMPARE(last("Player_SetSubtlIndex"),
             QString("Player_SetSubtlIndex(P1, %1)").arg(subtitles.empty() ? -1 : 0));
    QCOMPARE(last("Player_SetAudioIndex"),
             audio.empty() ? QString() : QString("Player_SetAudioIndex(P1, 0)"));
}

void TestEditor::audioOnlyClip()
{
    orvfake::MediaFacts facts;
    facts.programs[0].videoCount = 0;
    facts.width = facts.height = 0;
    auto editor = open(facts);
    QVERIFY(editor);
    QVERIFY(!editor->m_btnTrim->isHidden());
    for (QWidget* tab :
         {editor->m_btnCrop, editor->m_btnEffect, editor->m_btnWatermark, editor->m_btnSubtitle})
        QVERIFY(tab->isHidden());
    QVERIFY(!editor->m_btnSnapshot->isEnabled());
    QVERIFY(!calls("Player_Play").isEmpty());
}

void TestEditor::aspectChoices_data()
{
    QTest::addColumn<QString>("radio");
    QTest::addColumn<int>("rotate");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("fill");
    QTest::addColumn<QString>("aspect");
    QTest::addColumn<QString>("pad");
    QTest::addColumn<QString>("crop");

    const QString full = "Player_SetVideoCrop(P1, 0.25, 0, 0.5, 0.5)";
    QTest::newRow("original aspect") << "m_radOriginalAspect" << 0 << 0 << 0 << "0, 0"
                                     << "1" << full;
    QTest::newRow("original size") << "m_radOriginalSize" << 0 << 1 << 0 << "960, 540"
                                   << "1" << full;
    QTest::newRow("full screen") << "m_radScreen" << 0 << 2 << 0 << "1920, 1080"
                                 << "0" << full;
    QTest::newRow("full screen turned") << "m_radScreen" << 90 << 2 << 0 << "1080, 1920"
                                        << "0" << full;
    QTest::newRow("16:9 turned keeps 16:9") << "m_radRatio16_9" << 270 << 3 << 0 << "16, 9"
                                            << "1" << full;
    QTest::newRow("4:3") << "m_radRatio4_3" << 0 << 4 << 0 << "4, 3"
                         << "1" << full;
    QTest::newRow("pan scan") << "m_radPanScan" << 0 << 0 << 1 << "1920, 1080"
                              << "0"
                              << "Player_SetVideoCrop(P1, 0, 0, 1, 1)";
    QTest::newRow("pan scan turned") << "m_radPanScan" << 90 << 0 << 1 << "1080, 1920"
                                     << "0"
                                     << "Player_SetVideoCrop(P1, 0, 0, 1, 1)";
}

void TestEditor::aspectChoices()
{
    QFETCH(QString, radio);
    QFETCH(int, rotate);
    QFETCH(int, type);
    QFETCH(int, fill);
    QFETCH(QString, aspect);
    QFETCH(QString, pad);
    QFETCH(QString, crop);
    orvfake::MediaFacts facts;
    facts.width = 1920;
    facts.height = 1080;
    auto editor = open(facts);
    QVERIFY(editor);
    CropSettings s;
    editor->GetEditSettings(s);
    s.rotate = rotate;
    s.crop_x = 0.25;
    s.crop_w = 0.5;
    s.crop_h = 0.5;
    s.ratio_type = Ratio_16_9; // a choice made before
    s.aspect_width = 16;
    s.aspect_height = 9;
    editor->SetEditSettings(s);
    orvfake::clearCalls();

    auto* button = editor->cropPanel()->findChild<QRadioButton*>(radio);
    QVERIFY(button);
    editor->OnCropBtn();
    editor->show();
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, button->height() / 2));
    QVERIFY(button->isChecked());

    editor->GetEditSettings(s);
    QCOMPARE(s.ratio_type, type);
    QCOMPARE(s.fill_type, fill);
    QCOMPARE(last("Player_SetVideoAspectRatio"), "Player_SetVideoAspectRatio(P1, " + aspect + ")");
    QCOMPARE(last("Player_SetVideoPadAndColor"), "Player_SetVideoPadAndColor(P1, " + pad + ", 0xFF000000)");
    QCOMPARE(last("Player_SetVideoCrop"), crop);
    QCOMPARE(last("Player_ShowVideoFrame"), QString("Player_ShowVideoFrame(P1)"));

    // A task converts with exactly this record; handing it back in sends the
    // preview what the conversion's configuration receives.
    orvfake::clearCalls();
    editor->SetEditSettings(s);
    QCOMPARE(last("Player_SetVideoPadAndColor"), "Player_SetVideoPadAndColor(P1, " + pad + ", 0xFF000000)");
    QCOMPARE(last("Player_SetVideoCrop"), crop);
    const QStringList preview = calls("Player_SetVideo");
    orvfake::clearCalls();
    Config config = Config_Create();
    ConfigMapping::sendPicture(config, s);
    Config_Release(config);
    QStringList output = calls("Config_SetVideo");
    output.replaceInStrings("Config_SetVideoCropf(", "Config_SetVideoCrop(");
    output.replaceInStrings("Config_", "Player_");
    output.replaceInStrings("(C1", "(P1");
    QCOMPARE(preview, output);
}

void TestEditor::panelLoadsTaskRecord()
{
    orvfake::MediaFacts facts;
    facts.width = 1920;
    facts.height = 1080;
    auto editor = open(facts);
    QVERIFY(editor);
    // Loading an Original Size record recomputes its aspect from the clip.
    CropSettings s;
    s.ratio_type = Ratio_OriginalSize;
    s.crop_w = 0.5;
    s.crop_h = 0.5;
    s.aspect_width = 7;
    s.aspect_height = 7;
    editor->IninEditSettingDlg(s);
    QVERIFY(editor->cropPanel()->m_radOriginalSize->isChecked());
    editor->GetEditSettings(s);
    QCOMPARE(s.aspect_width, 960);
    QCOMPARE(s.aspect_height, 540);
    // The Trim tab is selected after loading: no crop border until Crop.
    QCOMPARE(last("Player_EnableVideoCropBorder"), QString("Player_EnableVideoCropBorder(P1, 0)"));
    editor->OnCropBtn();
    QCOMPARE(last("Player_EnableVideoCropBorder"), QString("Player_EnableVideoCropBorder(P1, 1)"));

    // A pan-and-scan record checks Pan Scan whatever its type.
    CropSettings pan;
    pan.fill_type = 1;
    pan.ratio_type = Ratio_4_3;
    editor->IninEditSettingDlg(pan);
    QVERIFY(editor->cropPanel()->m_radPanScan->isChecked());
    editor->GetEditSettings(pan);
    QCOMPARE(pan.ratio_type, int(Ratio_OriginalAspect));
    QCOMPARE(pan.fill_type, 1);
    QCOMPARE(last("Player_EnableVideoCropBorder"), QString("Player_EnableVideoCropBorder(P1, 1)"));
}

void TestEditor::orientationButtons()
{
    auto editor = open(orvfake::MediaFacts());
    QVERIFY(editor);
    QCropOperateDlg* panel = editor->cropPanel();
    const struct
    {
        QImageButton* button;
        const char* rotate;
        const char* mirror;
    } steps[] = {
        {panel->m_btnRightRotate, "90", "0"}, {panel->m_btnFlipH, "90", "1"},
        {panel->m_btnRightRotate, "0", "1"}, // mirrored: a right turn adds 270
        {panel->m_btnFlipV, "180", "0"},      {panel->m_btnLeftRotate, "90", "0"},
    };
    for (const auto& step : steps) {
        orvfake::clearCalls();
        step.button->click();
        QCOMPARE(last("Player_SetVideoRotate"), QString("Player_SetVideoRotate(P1, %1)").arg(step.rotate));
        QCOMPARE(last("Player_SetVideoMirror"), QString("Player_SetVideoMirror(P1, %1)").arg(step.mirror));
    }
    QVERIFY(panel->m_radOriginalAspect->isChecked());
}

void TestEditor::watermarkTextHandOver()
{
    auto editor = open(orvfake::MediaFacts());
    QVERIFY(editor);
    WatermarkTextSettings s;
    editor->GetWatermarkTextSettings(s);
    s.text = "Mark";
    s.alpha = 128;
    s.pos_x = 250;
    s.pos_y = 125;
    s.border = 0;
    s.font_family = "@Serif@Bold";
    s.text_color = 0x80FF0000u;
    orvfake::clearCalls();
    editor->SetWatermarkTextSettings(s);
    const QStringList expected = {
        "Player_SetWatermarkTextFont(P1, \"Serif@Bold\")",
        "Player_SetWatermarkTextAlpha(P1, 128)",
        "Player_SetWatermarkTextScale(P1, 100, 100)",
        "Player_SetWatermarkTextSize(P1, 36)",
        "Player_SetWatermarkTextBold(P1, 0)",
        "Player_SetWatermarkTextItalic(P1, 0)",
        "Player_SetWatermarkTextUnderline(P1, 0)",
        "Player_SetWatermarkTextStrikeout(P1, 0)",
        "Player_SetWatermarkTextColor(P1, 0x80FF0000)",
        "Player_SetWatermarkTextShadowColor(P1, 0x80000000)",
        "Player_SetWatermarkTextOutlineColor(P1, 0xFF000000)",
        "Player_SetWatermarkTextShadowOffset(P1, 0.5)",
        "Player_SetWatermarkTextOutlineSize(P1, 1)",
        "Player_SetWatermarkTextPosition(P1, 0.25, 0.125)",
        "Player_SetWatermarkTextLayerTopmost(P1, 1)",
        "Player_EnableWatermarkTextBorder(P1, 0)",
        "Player_SetWatermarkText(P1, \"Mark\")",
    };
    QCOMPARE(calls("Player_"), expected);

    // The text the player already holds is not sent again.
    orvfake::clearCalls();
    s.alpha = 200;
    editor->SetWatermarkTextSettings(s);
    QVERIFY(calls("Player_SetWatermarkText(").isEmpty());
    QCOMPARE(last("Player_SetWatermarkTextAlpha"), QString("Player_SetWatermarkTextAlpha(P1, 200)"));
    WatermarkTextSettings stored;
    editor->GetWatermarkTextSettings(stored);
    QCOMPARE(stored.alpha, 200);

    // An empty text: "" with the border on, no text at all with it off.
    s.text.clear();
    s.border = 1;
    orvfake::clearCalls();
    editor->SetWatermarkTextSettings(s);
    QCOMPARE(last("Player_SetWatermarkText("), QString("Player_SetWatermarkText(P1, \"\")"));
    s.border = 0;
    orvfake::clearCalls();
    editor->SetWatermarkTextSettings(s);
    QCOMPARE(last("Player_SetWatermarkText("), QString("Player_SetWatermarkText(P1, null)"));

    // Typing in the panel writes the record at once.
    editor->OnWatermarkBtn();
    editor->watermarkPanel()->m_editText->setText("typed");
    editor->GetWatermarkTextSettings(stored);
    QCOMPARE(stored.text, QString("typed"));
    QCOMPARE(last("Player_SetWatermarkText("), QString("Player_SetWatermarkText(P1, \"typed\")"));
}

void TestEditor::watermarkImageHandOver()
{
    auto editor = open(orvfake::MediaFacts());
    QVERIFY(editor);
    WatermarkImageSettings s;
    s.image_file = "/pictures/logo.png";
    s.pos_x = 1000;
    orvfake::clearCalls();
    editor->SetWatermarkImageSettings(s);
    QCOMPARE(calls("Player_"),
             QStringList({
                 "Player_SetWatermarkImageAlpha(P1, 255)",
                 "Player_SetWatermarkImageScale(P1, 100, 100)",
                 "Player_SetWatermarkImagePosition(P1, 1, 0)",
                 "Player_EnableWatermarkImageBorder(P1, 1)",
                 "Player_SetWatermarkImageFile(P1, \"/pictures/logo.png\")",
             }));
    orvfake::clearCalls();
    editor->SetWatermarkImageSettings(s);
    QVERIFY(calls("Player_SetWatermarkImageFile").isEmpty());
    s.image_file.clear();
    editor->SetWatermarkImageSettings(s);
    QCOMPARE(last("Player_SetWatermarkImageFile"), QString("Player_SetWatermarkImageFile(P1, null)"));
}

void TestEditor::watermarkBordersFollowTab()
{
    auto editor = open(orvfake::MediaFacts());
    QVERIFY(editor);
    WatermarkTextSettings text;
    text.text = "task";
    editor->IninTextSettingsDlg(text); // Trim tab: borders off
    WatermarkTextSettings stored;
    WatermarkImageSettings image;
    editor->GetWatermarkTextSettings(stored);
    editor->GetWatermarkImageSettings(image);
    QCOMPARE(stored.border, 0);
    QCOMPARE(image.border, 0);
    QCOMPARE(editor->watermarkPanel()->m_editText->text(), QString("task"));
    editor->OnWatermarkBtn();
    editor->GetWatermarkTextSettings(stored);
    QCOMPARE(stored.border, 1);
    QCOMPARE(last("Player_EnableWatermarkImageBorder"), QString("Player_EnableWatermarkImageBorder(P1, 1)"));
    editor->OnSubtitleBtn();
    editor->GetWatermarkImageSettings(image);
    QCOMPARE(image.border, 0);
    QCOMPARE(last("Player_EnableWatermarkTextBorder"), QString("Player_EnableWatermarkTextBorder(P1, 0)"));
}

void TestEditor::subtitleStyleHandOver()
{
    auto editor = open(orvfake::MediaFacts());
    QVERIFY(editor);
    SubtitleSettings s;
    s.delay = -250;
    s.font_family = "@Sans";
    s.shadow_offset = 1500;
    orvfake::clearCalls();
    editor->IninSubtlSettingDlg(s);
    QCOMPARE(calls("Player_"),
             QStringList({
                 "Player_SetSubtlAlpha(P1, 255)",
                 "Player_SetSubtlScale(P1, 100, 100)",
                 "Player_SetSubtlDelay(P1, -250000)",
                 "Player_SetSubtlTextFont(P1, \"Sans\")",
                 "Player_SetSubtlTextBold(P1, 0)",
                 "Player_SetSubtlTextItalic(P1, 0)",
                 "Player_SetSubtlTextUnderline(P1, 0)",
                 "Player_SetSubtlTextStrikeout(P1, 0)",
                 "Player_SetSubtlTextSize(P1, 18)",
                 "Player_SetSubtlTextColor(P1, 0xFFFFFFFF)",
                 "Player_SetSubtlTextShadowColor(P1, 0x80000000)",
                 "Player_SetSubtlTextOutlineColor(P1, 0xFF000000)",
                 "Player_SetSubtlTextShadowOffset(P1, 1.5)",
                 "Player_SetSubtlTextOutlineSize(P1, 1)",
             }));
}

void TestEditor::streamChoice()
{
    orvfake::MediaFacts facts;
    facts.closedCaptions = true;
    facts.programs[0].audio = {track("", ""), track("", "")};
    facts.programs[0].subtitles = {track("", ""), track("", "")};
    auto editor = open(facts);
    QVERIFY(editor);
    QSubtitleOperateDlg* panel = editor->subtitlePanel();

    const struct
    {
        int choice;
        const char* call;
    } rows[] = {
        {0, "Player_SetSubtlIndex(P1, -1)"},
        {2, "Player_SetSubtlIndex(P1, 1)"},
        {3, "Player_EnableClosedCaption(P1, 1)"},
    };
    for (const auto& row : rows) {
        orvfake::clearCalls();
        panel->setSubtlIndex(row.choice);
        QVERIFY2(calls("Player_").contains(row.call), qPrintable(calls("Player_").join('\n')));
        // The style follows the new source.
        QVERIFY(!calls("Player_SetSubtlAlpha").isEmpty());
    }
    orvfake::clearCalls();
    panel->setSubtitlePath("/subs/film.srt");
    QCOMPARE(last("Player_SetSubtlFile"), QString("Player_SetSubtlFile(P1, \"/subs/film.srt\")"));

    orvfake::clearCalls();
    panel->SetAudioIndex(1);
    QCOMPARE(last("Player_SetAudioIndex"), QString("Player_SetAudioIndex(P1, 1)"));
    SubtitleValueInfo streams;
    editor->GetSubtitleInfo(streams);
    QCOMPARE(streams.audio_index, 1);
    QCOMPARE(streams.subtitle_index, 4);
    QCOMPARE(streams.subtitle_count, 2);
    QCOMPARE(streams.subtitle_file, QString("/subs/film.srt"));
}

void TestEditor::negativeStreamChoiceFromTask()
{
    // A task probed while the engine could not read the file carries -1
    // everywhere; opened now, the clip keeps its default track and shows no
    // subtitle.
    orvfake::MediaFacts facts;
    facts.programs[0].audio = {track("", ""), track("", "")};
    facts.programs[0].subtitles = {track("", "")};
    auto editor = open(facts);
    QVERIFY(editor);
    SubtitleValueInfo never{-1, -1, -1, 0, QString()};
    editor->SetSubtitleInfo(never);
    SubtitleValueInfo streams;
    editor->GetSubtitleInfo(streams);
    QCOMPARE(streams.audio_index, 0);
    QCOMPARE(streams.subtitle_index, 0);
    QCOMPARE(streams.program_index, 0);
    QCOMPARE(last("Player_SetSubtlIndex"), QString("Player_SetSubtlIndex(P1, -1)"));
}

void TestEditor::externalSubtitleEntry()
{
    auto editor = open(orvfake::MediaFacts());
    QVERIFY(editor);
    QSubtitleOperateDlg* panel = editor->subtitlePanel();
    const struct
    {
        const char* path;
        const char* entry;
    } rows[] = {{"/subs/a.srt", "[SRT]*"}, {"/subs/b.ass", "[ASS]*"}, {"/subs/plain", "[]*"}};
    for (const auto& row : rows) {
        panel->setSubtitlePath(row.path);
        QCOMPARE(items(panel->m_cmbSubtitle), QStringList({"[Disable]", "[CC]", row.entry}));
        QCOMPARE(panel->GetSubtlIndex(), 2);
        QCOMPARE(panel->m_editPath->text(), QString(row.path));
    }
    // Refilling the choices drops the file's entry but keeps the file.
    panel->setSubtlCmb({"[Disable]", "[CC]"}, 0);
    QCOMPARE(panel->m_cmbSubtitle->count(), 2);
    QCOMPARE(panel->getSubtlPath(), QString("/subs/plain"));
    panel->setSubtlCmb({}, 0);
    QCOMPARE(panel->GetSubtlIndex(), -1);
}

void TestEditor::applyToAllCarriesRecords()
{
    auto editor = open(orvfake::MediaFacts());
    QVERIFY(editor);
    QSignalSpy crops(editor.get(), &QVideoEditDlg::seedApplyEditSetting);
    QSignalSpy waters(editor.get(), &QVideoEditDlg::seedApplyWaterSetting);
    editor->cropPanel()->m_btnRightRotate->click();
    editor->cropPanel()->m_btnApply->click();
    editor->watermarkPanel()->m_editText->setText("all");
    editor->watermarkPanel()->m_btnApply->click();
    QCOMPARE(crops.count(), 1);
    QCOMPARE(crops.at(0).at(0).value<CropSettings>().rotate, 90);
    QCOMPARE(waters.count(), 1);
    QCOMPARE(waters.at(0).at(0).value<WatermarkTextSettings>().text, QString("all"));
}

void TestEditor::teardownOrder()
{
    auto editor = open(orvfake::MediaFacts());
    QVERIFY(editor);
    orvfake::clearCalls();
    editor.reset();
    QStringList releases;
    for (const QString& line : playerAndInfoCalls()) {
        if (line.contains("Close") || line.contains("Release"))
            releases << line;
    }
    QCOMPARE(releases,
             QStringList({"Player_Close(P1)", "Player_Release(P1)", "Info_Close(I1)", "Info_Release(I1)"}));
}

QTEST_MAIN(TestEditor)
#include "tst_editor.moc"
