#include "BaseBar.h"
#include "CommonDialog.h"
#include "LDragItemLabel.h"
#include "LResizeLabel.h"
#include "ProgressBar.h"
#include "QImageButton.h"
#include "QImageDialog.h"
#include "QImageLabel.h"
#include "QImageWidget.h"
#include "QSliderCtrlBtn.h"
#include "RetractLabel.h"
#include "ShowMessage.h"
#include "SkinPicture.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <limits>

namespace {

// Frame colours that appear in no caption colour set.
const QList<QColor> kFrames = {QColor(200, 0, 0), QColor(0, 200, 0), QColor(0, 0, 200), QColor(200, 200, 0)};

QImage grabImage(QWidget& w) { return w.grab().toImage().convertToFormat(QImage::Format_RGB32); }

bool containsColour(const QImage& image, const QColor& colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}

void sendMouse(QWidget* w, QEvent::Type type, Qt::MouseButton button = Qt::LeftButton)
{
    const QPoint local(w->width() / 2, w->height() / 2);
    QMouseEvent event(type, local, w->mapToGlobal(local), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button),
                      Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

void sendPlain(QWidget* w, QEvent::Type type)
{
    QEvent event(type);
    QApplication::sendEvent(w, &event);
}

} // namespace

class TestWidgets : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void imageButtonFrame_data();
    void imageButtonFrame();
    void imageButtonCaptionColours_data();
    void imageButtonCaptionColours();
    void imageButtonMissingSprite();
    void sliderHandleReportsGrip();

    void progressBarValue_data();
    void progressBarValue();
    void progressBarPercentage_data();
    void progressBarPercentage();
    void progressBarRoundedEnds();

    void retractLabelElides();
    void retractLabelRename_data();
    void retractLabelRename();
    void retractLabelRefusesForbiddenCharacters();
    void retractLabelHidesEditorOnDeactivate();

    void imageLabelProgress_data();
    void imageLabelProgress();
    void dragItemLabelStacksPictures();
    void resizeLabelPinsFont();

    void baseBarFrames_data();
    void baseBarFrames();
    void baseBarPressSignal();
    void baseBarMissingStrip();

    void imageWidgetColourHidesImage();
    void imageDialogResizeChildren();
    void imageDialogDragBand_data();
    void imageDialogDragBand();

    void commonDialogResult_data();
    void commonDialogResult();
    void commonDialogLayout();

    void showMessageBox_data();
    void showMessageBox();

    void skinPictureFollowsTheFile();

private:
    // A strip of four solid frames side by side.
    QString makeStrip(const QString& name, int frameWidth, int height,
                      const QList<QColor>& colours = kFrames);
    QString makeSolid(const QString& name, int width, int height, const QColor& colour);

    QTemporaryDir m_dir;
};

void TestWidgets::initTestCase() { QVERIFY(m_dir.isValid()); }

QString TestWidgets::makeStrip(const QString& name, int frameWidth, int height, const QList<QColor>& colours)
{
    QImage image(frameWidth * colours.size(), height, QImage::Format_RGB32);
    QPainter painter(&image);
    for (int i = 0; i < colours.size(); ++i)
        painter.fillRect(i * frameWidth, 0, frameWidth, height, colours.at(i));
    painter.end();
    const QString path = m_dir.filePath(name);
    image.save(path);
    return path;
}

QString TestWidgets::makeSolid(const QString& name, int width, int height, const QColor& colour)
{
    return makeStrip(name, width, height, {colour});
}

// --- QImageButton ---------------------------------------------------------

void TestWidgets::imageButtonFrame_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("state");

    QTest::newRow("normal") << "" << 0;
    QTest::newRow("hover") << "enter" << 1;
    QTest::newRow("pressed") << "press" << 2;
    QTest::newRow("disabled") << "disable" << 3;
    QTest::newRow("hover then leave") << "enter,leave" << 0;
    QTest::newRow("pressed survives leaving") << "press,leave" << 2;
    QTest::newRow("release shows normal") << "enter,press,release" << 0;
    QTest::newRow("disabled while hovered") << "enter,disable" << 3;
    QTest::newRow("disabled ignores enter") << "disable,enter" << 3;
}

void TestWidgets::imageButtonFrame()
{
    QFETCH(QString, action);
    QFETCH(int, state);

    QImageButton button;
    QVERIFY(button.setBtnImage(makeStrip("button.png", 80, 30)));
    QCOMPARE(button.size(), QSize(80, 30));

    for (const QString& step : action.split(',', Qt::SkipEmptyParts)) {
        if (step == "enter")
            sendPlain(&button, QEvent::Enter);
        else if (step == "leave")
            sendPlain(&button, QEvent::Leave);
        else if (step == "press")
            sendMouse(&button, QEvent::MouseButtonPress);
        else if (step == "release")
            sendMouse(&button, QEvent::MouseButtonRelease);
        else if (step == "disable")
            button.setEnabled(false);
    }

    QCOMPARE(button.state(), state);
    const QImage shot = grabImage(button);
    QCOMPARE(shot.pixelColor(2, 2), kFrames.at(state));
    QCOMPARE(shot.pixelColor(77, 27), kFrames.at(state));
}

void TestWidgets::imageButtonCaptionColours_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<QColor>("normal");
    QTest::addColumn<QColor>("hover");
    QTest::addColumn<QColor>("pressed");
    QTest::addColumn<QColor>("disabled");

    const auto c = [](int r, int g, int b) { return QColor(r, g, b); };
    const QColor white = c(255, 255, 255);
    QTest::newRow("0") << 0 << white << white << white << white;
    QTest::newRow("1") << 1 << c(9, 89, 147) << c(9, 89, 147) << c(138, 94, 43) << c(140, 140, 140);
    QTest::newRow("2") << 2 << white << white << c(20, 141, 228) << c(205, 205, 205);
    QTest::newRow("3") << 3 << c(85, 85, 85) << c(9, 89, 147) << c(9, 89, 147) << c(161, 161, 161);
    QTest::newRow("4") << 4 << c(85, 85, 85) << c(9, 89, 147) << c(61, 133, 177) << c(192, 192, 192);
    QTest::newRow("5") << 5 << white << white << c(111, 70, 19) << c(216, 194, 167);
    QTest::newRow("6") << 6 << c(137, 137, 137) << c(137, 137, 137) << white << white;
    QTest::newRow("7") << 7 << c(10, 10, 10) << c(72, 166, 104) << c(72, 166, 104) << c(72, 166, 104);
    QTest::newRow("8") << 8 << c(0, 0, 0) << c(0, 0, 0) << white << white;
}

// The caption is painted large and bold so that glyph interiors carry the
// pen colour exactly; the frames use colours no caption set has.
void TestWidgets::imageButtonCaptionColours()
{
    QFETCH(int, style);
    QFETCH(QColor, normal);
    QFETCH(QColor, hover);
    QFETCH(QColor, pressed);
    QFETCH(QColor, disabled);

    QImageButton button;
    QVERIFY(button.setBtnImage(makeStrip("caption.png", 160, 80)));
    QFont font;
    font.setPixelSize(60);
    font.setBold(true);
    button.setTextFont(font);
    button.setBtnText("M");
    button.setTextStyle(TextColorStyle(style));

    QVERIFY(containsColour(grabImage(button), normal));
    sendPlain(&button, QEvent::Enter);
    QVERIFY(containsColour(grabImage(button), hover));
    sendMouse(&button, QEvent::MouseButtonPress);
    QVERIFY(containsColour(grabImage(button), pressed));
    sendMouse(&button, QEvent::MouseButtonRelease);
    button.setEnabled(false);
    QVERIFY(containsColour(grabImage(button), disabled));
}

void TestWidgets::imageButtonMissingSprite()
{
    QImageButton button;
    QVERIFY(button.setBtnImage(makeStrip("sprite.png", 80, 30)));
    QVERIFY(!button.setBtnImage(m_dir.filePath("missing.png")));
    QCOMPARE(button.size(), QSize(80, 30));

    // A sprite that failed to load draws no frame but still the caption;
    // a button that never got a sprite draws nothing at all.
    QFont font;
    font.setPixelSize(28);
    font.setBold(true);
    button.setTextFont(font);
    button.setTextStyle(TextColorStyle1);
    button.setBtnText("M");
    QVERIFY(containsColour(grabImage(button), QColor(9, 89, 147)));

    QImageButton bare;
    bare.resize(80, 30);
    bare.setTextFont(font);
    bare.setTextStyle(TextColorStyle1);
    bare.setBtnText("M");
    QVERIFY(!containsColour(grabImage(bare), QColor(9, 89, 147)));
}

void TestWidgets::sliderHandleReportsGrip()
{
    QWidget owner;
    owner.setGeometry(100, 100, 300, 50);
    QSliderCtrlBtn handle(&owner);
    QVERIFY(handle.setBtnImage(makeStrip("handle.png", 20, 20)));
    QCOMPARE(handle.size(), QSize(20, 20));
    handle.move(40, 10);
    QSignalSpy down(&handle, &QSliderCtrlBtn::mouseDown);
    QSignalSpy moved(&handle, &QSliderCtrlBtn::mouseMove);

    const QPoint grip(7, 5);
    QMouseEvent press(QEvent::MouseButtonPress, grip, handle.mapToGlobal(grip), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&handle, &press);
    QCOMPARE(down.count(), 1);
    QCOMPARE(down.at(0).at(1).toInt(), 7);

    for (int dx : {10, 30}) {
        const QPoint at = grip + QPoint(dx, 0);
        QMouseEvent move(QEvent::MouseMove, at, handle.mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&handle, &move);
    }
    QCOMPARE(moved.count(), 2);
    QCOMPARE(moved.at(1).at(1).toInt(), 7);

    QMouseEvent release(QEvent::MouseButtonRelease, grip, handle.mapToGlobal(grip), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&handle, &release);
    QCOMPARE(handle.state(), 0);
    QMouseEvent after(QEvent::MouseMove, grip, handle.mapToGlobal(grip), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&handle, &after);
    QCOMPARE(moved.count(), 2);
}

// --- ProgressBar ------------------------------------------------------------

void TestWidgets::progressBarValue_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("fillWidth");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("ink"); // the text reads against what lies under it

    const QColor dark(0x23, 0x2a, 0x33), white(255, 255, 255);
    QTest::newRow("37") << 37 << 74 << "37%" << dark;
    QTest::newRow("above maximum") << 150 << 200 << "100%" << white;
    QTest::newRow("below minimum") << -5 << 0 << "0%" << dark;
}

void TestWidgets::progressBarValue()
{
    QFETCH(int, value);
    QFETCH(int, fillWidth);
    QFETCH(QString, text);
    QFETCH(QColor, ink);

    const QColor track(0, 0, 200), fill(200, 0, 0);
    ProgressBar bar;
    QVERIFY(bar.setBottomImage(makeSolid("track.png", 10, 10, track)));
    QVERIFY(bar.setTopImage(makeSolid("fill.png", 10, 10, fill)));
    bar.showValueText(true);
    bar.resize(200, 20);
    bar.setValue(value);

    QCOMPARE(bar.valueText(), text);
    const QImage shot = grabImage(bar);
    // Pictures are centred vertically: rows 5 to 14; the text sits mid-bar.
    if (fillWidth > 0)
        QCOMPARE(shot.pixelColor(fillWidth - 1, 5), fill);
    if (fillWidth < 200)
        QCOMPARE(shot.pixelColor(fillWidth, 5), track);
    bool inked = false;
    for (int x = 80; x < 120 && !inked; ++x) {
        for (int y = 0; y < 20 && !inked; ++y) {
            const QColor c = shot.pixelColor(x, y);
            inked = qAbs(c.red() - ink.red()) < 24 && qAbs(c.green() - ink.green()) < 24
                && qAbs(c.blue() - ink.blue()) < 24;
        }
    }
    QVERIFY(inked);
}

void TestWidgets::progressBarPercentage_data()
{
    QTest::addColumn<float>("input");
    QTest::addColumn<QString>("text");

    QTest::newRow("fraction") << 0.45f << "45%";
    QTest::newRow("percent") << 45.0f << "45%";
    QTest::newRow("truncated, not rounded") << 0.375f << "37%";
    QTest::newRow("100") << 100.0f << "100%";
    QTest::newRow("150") << 150.0f << "15%";
    QTest::newRow("5") << 5.0f << "50%";
    QTest::newRow("infinity") << std::numeric_limits<float>::infinity() << "100%";
    QTest::newRow("nan") << std::numeric_limits<float>::quiet_NaN() << "0%";
}

void TestWidgets::progressBarPercentage()
{
    QFETCH(float, input);
    QFETCH(QString, text);

    ProgressBar bar;
    bar.setValuePercentage(input);
    QCOMPARE(bar.valueText(), text);
}

void TestWidgets::progressBarRoundedEnds()
{
    const QColor track(0, 0, 200), fill(200, 0, 0);
    ProgressBar bar;
    bar.setBottomImage(makeSolid("rtrack.png", 40, 14, track));
    bar.setTopImage(makeSolid("rfill.png", 40, 14, fill));
    QVERIFY(bar.setCircleRadius(7));
    QVERIFY(!bar.setCircleRadius(0));
    bar.setCircleRadius(7);
    bar.resize(300, 14);

    // Three pieces: ends from 0 and from 143, a middle 136 wide. The end
    // pieces ask for one column more than the picture holds, and Qt trims
    // the target to match, so the last column or so stays uncovered.
    bar.setValuePercentage(0.5f);
    QImage shot = grabImage(bar);
    for (int x : {3, 75, 146})
        QCOMPARE(shot.pixelColor(x, 7), fill);
    QCOMPARE(shot.pixelColor(155, 7), track);
    QCOMPARE(shot.pixelColor(297, 7), track);

    bar.setValuePercentage(0.04f); // f = 12: two halves of 6
    shot = grabImage(bar);
    QCOMPARE(shot.pixelColor(10, 7), fill);
    QCOMPARE(shot.pixelColor(13, 7), track);

    bar.setValuePercentage(0.0f);
    shot = grabImage(bar);
    QCOMPARE(shot.pixelColor(0, 7), track);
}

// --- RetractLabel -----------------------------------------------------------

void TestWidgets::retractLabelElides()
{
    RetractLabel label;
    const QFontMetrics fm = label.fontMetrics();
    label.setFixedSize(120, fm.height());

    label.setText("a.mp4");
    QCOMPARE(label.text(), QString("a.mp4"));
    QCOMPARE(label.toolTip(), QString(""));
    QCOMPARE(label.getName(), QString("a.mp4"));

    const QString longName = QString(200, QChar('w')) + ".mp4";
    label.setText(longName);
    const QString shown = label.text();
    QVERIFY(shown.endsWith("..."));
    const QString prefix = shown.chopped(3);
    QVERIFY(!prefix.isEmpty());
    QVERIFY(longName.startsWith(prefix));
    QCOMPARE(label.toolTip(), longName);
    QCOMPARE(label.getName(), longName);
    // The longest prefix that fits: one more character would not.
    const QString longer = longName.left(prefix.size() + 1) + "...";
    QVERIFY(fm.boundingRect(QRect(0, 0, 120, 0), Qt::TextWrapAnywhere, longer).height() > label.height());

    // Too small even for "...".
    RetractLabel tiny;
    tiny.setFixedSize(2, fm.height());
    tiny.setText("abc");
    QCOMPARE(tiny.text(), QString("..."));
}

void TestWidgets::retractLabelRename_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("emits");

    QTest::newRow("new name") << "holiday.mp4"
                              << "holiday"
                              << "trip"
                              << "trip.mp4" << 1;
    QTest::newRow("last dot only") << "a.b.mkv"
                                   << "a.b"
                                   << "c.d"
                                   << "c.d.mkv" << 1;
    QTest::newRow("no extension") << "clip"
                                  << "clip"
                                  << "scene"
                                  << "scene" << 1;
    QTest::newRow("unchanged") << "holiday.mp4"
                               << "holiday"
                               << "holiday"
                               << "holiday.mp4" << 0;
    QTest::newRow("empty keeps old name") << "holiday.mp4"
                                          << "holiday"
                                          << ""
                                          << "holiday.mp4" << 0;
    QTest::newRow("blank keeps old name") << "holiday.mp4"
                                          << "holiday"
                                          << "   "
                                          << "holiday.mp4" << 0;
    // The slash is refused as typed; the dots left in front go at the end.
    QTest::newRow("leading dots go") << "holiday.mp4"
                                     << "holiday"
                                     << "../escaped"
                                     << "escaped.mp4" << 1;
    QTest::newRow("dots only keep old name") << "holiday.mp4"
                                             << "holiday"
                                             << "..."
                                             << "holiday.mp4" << 0;
    QTest::newRow("hidden source kept unchanged") << ".clip.mov"
                                                  << ".clip"
                                                  << ".clip"
                                                  << ".clip.mov" << 0;
}

void TestWidgets::retractLabelRename()
{
    QFETCH(QString, name);
    QFETCH(QString, base);
    QFETCH(QString, typed);
    QFETCH(QString, result);
    QFETCH(int, emits);

    RetractLabel label;
    label.resize(200, 24);
    label.setText(name);
    QSignalSpy spy(&label, &RetractLabel::emitChangeName);

    label.setCanEditText(true);
    auto* edit = label.findChild<QLineEdit*>();
    QVERIFY(edit);
    QVERIFY(!edit->isHidden());
    QCOMPARE(edit->text(), base);
    QCOMPARE(edit->selectedText(), base);

    edit->clear();
    QTest::keyClicks(edit, typed);
    QTest::keyClick(edit, Qt::Key_Return);
    // Losing the focus ends editing once more.
    QMetaObject::invokeMethod(edit, "editingFinished");

    QVERIFY(edit->isHidden());
    QCOMPARE(spy.count(), emits);
    QCOMPARE(label.getName(), result);
}

void TestWidgets::retractLabelRefusesForbiddenCharacters()
{
    RetractLabel label;
    label.resize(200, 24);
    label.setText("clip.mov");
    label.setCanEditText(true);
    auto* edit = label.findChild<QLineEdit*>();
    QVERIFY(edit);
    QCOMPARE(edit->contextMenuPolicy(), Qt::NoContextMenu);

    edit->end(false);
    QTest::keyClicks(edit, "a:b\\c?d/|*\"<>e");
    QCOMPARE(edit->text(), QString("clipabc?de"));
}

void TestWidgets::retractLabelHidesEditorOnDeactivate()
{
    RetractLabel label;
    label.resize(200, 24);
    label.setText("clip.mov");
    sendPlain(&label, QEvent::WindowDeactivate); // no editor yet: harmless
    label.setCanEditText(true);
    auto* edit = label.findChild<QLineEdit*>();
    QVERIFY(edit && !edit->isHidden());
    QCOMPARE(edit->geometry(), QRect(0, 0, 200, 24));
    sendPlain(&label, QEvent::WindowDeactivate);
    QVERIFY(edit->isHidden());
}

// --- QImageLabel, LDragItemLabel --------------------------------------------

void TestWidgets::imageLabelProgress_data()
{
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("covered"); // columns 0 .. covered-1 show the overlay

    QTest::newRow("0") << 0 << 0;
    QTest::newRow("37") << 37 << 74;
    QTest::newRow("100") << 100 << 200;
}

void TestWidgets::imageLabelProgress()
{
    QFETCH(int, percent);
    QFETCH(int, covered);

    const QColor back(0, 0, 200);
    // Each overlay column has its own red value, so the test sees whether the
    // overlay's left part is shown rather than a squeezed copy.
    QImage overlay(200, 10, QImage::Format_RGB32);
    for (int x = 0; x < 200; ++x)
        for (int y = 0; y < 10; ++y)
            overlay.setPixelColor(x, y, QColor(x, 0, 0));
    const QString overlayPath = m_dir.filePath("overlay.png");
    overlay.save(overlayPath);

    QWidget parent;
    parent.resize(300, 100);
    QImageLabel label(&parent);
    label.move(50, 50);
    label.SetBackImage(makeSolid("back.png", 200, 10, back));
    QCOMPARE(label.geometry(), QRect(0, 0, 200, 10));
    label.SetProgressImage(overlayPath);
    label.SetProgress(percent);

    const QImage shot = grabImage(label);
    if (covered > 0) {
        QCOMPARE(shot.pixelColor(covered / 2, 5), QColor(covered / 2, 0, 0));
        QCOMPARE(shot.pixelColor(covered - 1, 5), QColor(covered - 1, 0, 0));
    }
    if (covered < 200)
        QCOMPARE(shot.pixelColor(covered, 5), back);
}

void TestWidgets::dragItemLabelStacksPictures()
{
    LDragItemLabel label;
    QVERIFY(label.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(label.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(!label.testAttribute(Qt::WA_QuitOnClose));

    QList<QPixmap> pictures;
    for (const QColor& c : {kFrames[0], kFrames[1], kFrames[2]}) {
        QPixmap p(700, 60);
        p.fill(c);
        pictures << p;
    }
    label.setPixmaps(pictures);
    QCOMPARE(label.size(), QSize(700, 210));

    label.setPixmaps({});
    QCOMPARE(label.size(), QSize(700, 210));

    QImage shot(label.size(), QImage::Format_ARGB32);
    shot.fill(Qt::transparent);
    label.render(&shot);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(shot.pixelColor(5, i * 70 + 1), kFrames[i]);
        QCOMPARE(shot.pixelColor(5, i * 70 + 59), kFrames[i]);
    }
    QCOMPARE(shot.pixelColor(5, 65).alpha(), 0); // the gap below a picture
}

void TestWidgets::resizeLabelPinsFont()
{
    QWidget form;
    QFont formFont("Tahoma");
    formFont.setPointSize(12);
    form.setFont(formFont);
    LResizeLabel label(&form);
    label.resizeFont();

    QFont other("Courier");
    other.setPointSize(20);
    form.setFont(other);
    QCOMPARE(label.font().family(), QString("Tahoma"));
    QCOMPARE(label.font().pointSize(), 12);
}

// --- BaseBar -----------------------------------------------------------------

void TestWidgets::baseBarFrames_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("frame");

    QTest::newRow("normal") << "" << 0;
    QTest::newRow("hover") << "enter" << 1;
    QTest::newRow("hover then leave") << "enter,leave" << 0;
    QTest::newRow("pressed") << "press" << 2;
    QTest::newRow("pressed ignores hover and leave") << "press,enter,leave" << 2;
    QTest::newRow("pressed stays after release") << "press,release" << 2;
    QTest::newRow("setPress true") << "set" << 2;
    QTest::newRow("setPress false under cursor") << "enter,press,clear" << 0;
    QTest::newRow("hover again after re-entering") << "press,clear,leave,enter" << 1;
}

void TestWidgets::baseBarFrames()
{
    QFETCH(QString, action);
    QFETCH(int, frame);

    BaseBar bar;
    bar.setbgImage(makeStrip("row.png", 500, 60));
    QCOMPARE(bar.minimumHeight(), 60);
    QCOMPARE(bar.maximumHeight(), 60);
    bar.resize(300, 60);

    for (const QString& step : action.split(',', Qt::SkipEmptyParts)) {
        if (step == "enter")
            sendPlain(&bar, QEvent::Enter);
        else if (step == "leave")
            sendPlain(&bar, QEvent::Leave);
        else if (step == "press")
            sendMouse(&bar, QEvent::MouseButtonPress);
        else if (step == "release")
            sendMouse(&bar, QEvent::MouseButtonRelease);
        else if (step == "set")
            bar.setPress(true);
        else if (step == "clear")
            bar.setPress(false);
    }

    QCOMPARE(bar.IsPress(), frame == 2);
    const QImage shot = grabImage(bar);
    QCOMPARE(shot.pixelColor(5, 30), kFrames.at(frame));
    QCOMPARE(shot.pixelColor(150, 30), kFrames.at(frame));
}

void TestWidgets::baseBarPressSignal()
{
    BaseBar bar;
    bar.setbgImage(makeStrip("row.png", 500, 60));
    bar.resize(300, 60);
    QSignalSpy spy(&bar, &BaseBar::SignalBarItemPress);

    sendMouse(&bar, QEvent::MouseButtonPress, Qt::RightButton);
    QCOMPARE(spy.count(), 1);
    QVERIFY(bar.IsPress());
    sendMouse(&bar, QEvent::MouseButtonPress); // already pressed: still reported
    QCOMPARE(spy.count(), 2);
    bar.setPress(false);
    QCOMPARE(spy.count(), 2);
}

void TestWidgets::baseBarMissingStrip()
{
    BaseBar bar;
    bar.setbgImage(m_dir.filePath("missing.png"));
    QCOMPARE(bar.maximumHeight(), 0);
}

// --- QImageWidget, QImageDialog ---------------------------------------------

void TestWidgets::imageWidgetColourHidesImage()
{
    QImageWidget widget;
    QVERIFY(widget.SetImageBackgroud(makeSolid("bg.png", 40, 20, kFrames[0]), true));
    QCOMPARE(widget.size(), QSize(40, 20));
    QCOMPARE(grabImage(widget).pixelColor(20, 10), kFrames[0]);
    widget.setBackgroundColor(10, 20, 30);
    QCOMPARE(grabImage(widget).pixelColor(20, 10), QColor(10, 20, 30));

    QSignalSpy spy(&widget, &QImageWidget::signalDoubleClickEvent);
    sendMouse(&widget, QEvent::MouseButtonDblClick);
    QCOMPARE(spy.count(), 1);

    // A picture that does not load still reports success, at size 0 x 0.
    QVERIFY(widget.SetImageBackgroud(m_dir.filePath("missing.png"), true));
    QCOMPARE(widget.size(), QSize(0, 0));
    QVERIFY(QImageWidget::GetApplicationPath().endsWith('/'));
}

void TestWidgets::imageDialogResizeChildren()
{
    QImageDialog dialog;
    auto* button = new QPushButton(&dialog);
    button->setGeometry(100, 150, 80, 22);
    auto* top = new QWidget(&dialog);
    top->setGeometry(5, 10, 20, 20);
    auto* plain = new QObject(&dialog);
    Q_UNUSED(plain);

    dialog.ResizeChildren(30);
    QCOMPARE(button->geometry(), QRect(100, 120, 80, 22));
    QCOMPARE(top->geometry(), QRect(5, -20, 20, 20));
}

void TestWidgets::imageDialogDragBand_data()
{
    QTest::addColumn<int>("titleHeight");
    QTest::addColumn<int>("pressY");
    QTest::addColumn<bool>("moves");

    QTest::newRow("no band") << 0 << 10 << false;
    QTest::newRow("offset 0") << 30 << 0 << false;
    QTest::newRow("offset 1") << 30 << 1 << true;
    QTest::newRow("offset 29") << 30 << 29 << true;
    QTest::newRow("offset 30") << 30 << 30 << false;
}

void TestWidgets::imageDialogDragBand()
{
    QFETCH(int, titleHeight);
    QFETCH(int, pressY);
    QFETCH(bool, moves);

    QImageDialog dialog;
    dialog.setGeometry(100, 100, 200, 150);
    dialog.setCanGrad(true);
    dialog.setTitleHeight(titleHeight);

    const QPoint pressGlobal(150, 100 + pressY);
    QMouseEvent press(QEvent::MouseButtonPress, pressGlobal - QPoint(100, 100), pressGlobal, Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &press);
    const QPoint to = pressGlobal + QPoint(40, 25);
    QMouseEvent move(QEvent::MouseMove, to - QPoint(100, 100), to, Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&dialog, &move);

    QCOMPARE(dialog.geometry().topLeft(), moves ? QPoint(140, 125) : QPoint(100, 100));
}

// --- CommonDialog -----------------------------------------------------------

void TestWidgets::commonDialogResult_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("signals_"); // emitted values in order, 1 true 0 false

    QTest::newRow("Ok") << "ok" << 0x400 << "";
    QTest::newRow("Cancel") << "cancel" << 0x400000 << "0";
    QTest::newRow("skin close button") << "skinclose" << 0x200000 << "0";
    QTest::newRow("title bar close") << "close" << 0 << "";
    QTest::newRow("Escape") << "escape" << 0 << "";
    QTest::newRow("check twice, then Ok") << "check,check,ok" << 0x400 << "10";
    QTest::newRow("check, then Cancel") << "check,cancel" << 0x400000 << "10";
}

void TestWidgets::commonDialogResult()
{
    QFETCH(QString, action);
    QFETCH(int, result);
    QFETCH(QString, signals_);

    CommonDialog dialog;
    dialog.SetTitle("Question");
    dialog.SetMessage("Cancel the conversion?");
    QCOMPARE(dialog.windowTitle(), QString("Question"));
    QVERIFY(dialog.m_btnClose->isHidden());
    QVERIFY(dialog.m_title->isHidden());
    QVERIFY(!dialog.m_checkBox->isChecked());
    QCOMPARE(dialog.m_checkBox->text(), QString("Don't open in this edit"));

    QString seen;
    connect(&dialog, &CommonDialog::emitIsShowDlg, this, [&seen](bool show) { seen += show ? '1' : '0'; });

    QTimer::singleShot(0, &dialog, [&] {
        for (const QString& step : action.split(',')) {
            if (step == "ok")
                dialog.m_btnOK->click();
            else if (step == "cancel")
                dialog.m_btnCancel->click();
            else if (step == "skinclose")
                dialog.m_btnClose->click();
            else if (step == "close")
                dialog.close();
            else if (step == "escape")
                QTest::keyClick(&dialog, Qt::Key_Escape);
            else if (step == "check")
                dialog.m_checkBox->click();
        }
    });
    // Never hang the run should an action fail to end the dialog.
    QTimer::singleShot(5000, &dialog, [&] { dialog.done(-1); });

    QCOMPARE(dialog.exec(), result);
    QCOMPARE(seen, signals_);
}

void TestWidgets::commonDialogLayout()
{
    CommonDialog dialog;
    QVERIFY(dialog.SetImageBackgroud(makeSolid("common.png", 450, 200, kFrames[2]), true));
    dialog.grab(); // the layout follows the skin at each repaint

    QCOMPARE(dialog.m_btnOK->pos(), QPoint(210, 150));
    QCOMPARE(dialog.m_btnCancel->pos(), QPoint(340, 150));
    QCOMPARE(dialog.m_checkBox->pos(), QPoint(30, 150));
    QCOMPARE(dialog.m_message->size(), QSize(281, 40));
    QCOMPARE(dialog.m_message->pos(), QPoint((450 - 281) / 2, 50));
    QVERIFY(dialog.m_message->wordWrap());
}

// --- ShowMessage --------------------------------------------------------------

void TestWidgets::showMessageBox_data()
{
    QTest::addColumn<int>("overload");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");

    QTest::newRow("utf-8 text, null title") << 0 << QString::fromUtf8("Dépôt plein ✓") << "";
    QTest::newRow("strings") << 1 << "Not Supported!"
                             << "Lumivane";
    QTest::newRow("parent ignored") << 2 << "Done"
                                    << "Lumivane";
}

void TestWidgets::showMessageBox()
{
    QFETCH(int, overload);
    QFETCH(QString, text);
    QFETCH(QString, title);

    QWidget owner;
    QObject context;
    bool seen = false;
    // Never hang the run should the box not be found at once.
    QTimer::singleShot(5000, &context, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w))
                box->done(0);
    });
    QTimer::singleShot(0, &context, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen = box->text() == text && box->windowTitle() == title && box->parentWidget() == nullptr
            && box->standardButtons() == QMessageBox::Ok && box->icon() == QMessageBox::Information;
        box->button(QMessageBox::Ok)->click();
    });

    const QByteArray utf8 = text.toUtf8();
    if (overload == 0)
        ShowMessage(utf8.constData(), nullptr, 7);
    else if (overload == 1)
        ShowMessage(text, title, 0);
    else
        ShowMessage(&owner, text, title, 1);
    QVERIFY(seen);
}

// --- skinPicture ----------------------------------------------------------

void TestWidgets::skinPictureFollowsTheFile()
{
    const QString path = makeSolid("skin.png", 8, 4, Qt::red);
    QCOMPARE(skinPicture(path).size(), QSize(8, 4));
    QCOMPARE(skinPicture(path).pixelColor(0, 0), QColor(Qt::red));
    // A new picture in place shows at the next paint.
    QVERIFY(QFile::remove(path));
    QCOMPARE(makeSolid("skin.png", 6, 3, Qt::blue), path);
    QCOMPARE(skinPicture(path).size(), QSize(6, 3));
    QCOMPARE(skinPicture(path).pixelColor(0, 0), QColor(Qt::blue));
    // A picture that went away draws nothing rather than the old one.
    QVERIFY(QFile::remove(path));
    QVERIFY(skinPicture(path).isNull());
}

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
