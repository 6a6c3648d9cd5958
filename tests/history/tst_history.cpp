// The history window, its rows and the clear dialog on history files made
// here in the test's own data folder.

#include "../Figures.h"
#include "ClearnDialog.h"
#include "HistoryBar.h"
#include "HistoryDialog.h"
#include "HistorytypeBar.h"
#include "files/DataFile.h"
#include "history/HistoryFile.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QLineEdit>
#include <QLockFile>
#include <QMessageBox>
#include <QPointer>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray item(const QString& path, const QString& time)
{
    return QString("<item filepath=\"%1\" time=\"%2\"/>").arg(path.toHtmlEscaped(), time).toUtf8();
}

// Answers each modal window as it comes up (every 10 ms) until destroyed.
class ModalAnswer : public QObject
{
public:
    explicit ModalAnswer(std::function<void(QWidget*)> act)
        : m_act(std::move(act))
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && modal != m_seen) {
                m_seen = modal;
                m_act(modal);
            }
        });
        m_timer.start(10);
    }

private:
    std::function<void(QWidget*)> m_act;
    QTimer m_timer;
    QPointer<QWidget> m_seen;
};

QStringList rowNames(const HistoryDialog& dialog)
{
    QStringList names;
    for (HistoryBar* bar : dialog.historyBars())
        names << bar->getFilename();
    return names;
}

QStringList visibleRowNames(const HistoryDialog& dialog)
{
    QStringList names;
    for (HistoryBar* bar : dialog.historyBars())
        if (!bar->isHidden())
            names << bar->getFilename();
    return names;
}

QStringList typeTexts(const HistoryDialog& dialog)
{
    QStringList texts;
    for (HistorytypeBar* bar : dialog.typeBars())
        texts << bar->m_label->text();
    return texts;
}

} // namespace

class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

class TestHistory : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void opensOnTheWrittenFile();
    void categoryChoiceAndSearch();
    void deleteOneEntry();
    void clearDialogResults_data();
    void clearDialogResults();
    void clear_data();
    void clear();
    void clearAfterQueuedChanges();
    void entriesQueuedBeforeOpeningArrive();
    void damagedFileSetAside();
    void openFolder();
    void rowTexts();
    void largeHistory();

private:
    QString m_path;
    std::unique_ptr<QTemporaryDir> m_out;
};

void TestHistory::init()
{
    m_path = HistoryFile::defaultPath();
    QFile::remove(m_path);
    QFile::remove(m_path + ".bad");
    m_out.reset(new QTemporaryDir);
    QVERIFY(m_out->isValid());
}

void TestHistory::cleanup() { QTRY_VERIFY(!QApplication::activeModalWidget()); }

// Categories as "name (count)" in file order without the empty ones, the
// first chosen with its entries, and an entry the writer added since.
void TestHistory::opensOnTheWrittenFile()
{
    QVERIFY(writeAll(m_path,
                     "<?xml version='1.0'?>\n<history>"
                     "<Type name=\"AVI\">"
                         + item("/o/a.avi", "2016-03-01 10:00:00")
                         + "</Type>"
                           "<Type name=\"WMV\"/>"
                           "<Type name=\"MP4\">"
                         + item("/o/b.mp4", "2016-03-02 11:00:00") + item("/o/c.mp4", "2016-03-03 12:00:00")
                         + "</Type></history>"));
    HistoryFile writer;
    QVERIFY(writer.read());
    writer.append("AVI", "/o/new.avi", QDateTime(QDate(2016, 3, 5), QTime(14, 7, 9)));
    QVERIFY(writer.save());

    HistoryDialog dialog(nullptr);
    QCOMPARE(dialog.windowTitle(), QString("History"));
    QCOMPARE(dialog.m_btnClear->isHidden(), false);
    QCOMPARE(dialog.m_profileLabel->text(), QString("Profiles"));
    QCOMPARE(typeTexts(dialog), QStringList({"MP4 (2)", "AVI (2)"}));
    QCOMPARE(dialog.currentTypeBar(), dialog.typeBars().first());
    QVERIFY(dialog.typeBars().first()->IsPress());
    QCOMPARE(rowNames(dialog), QStringList({"b.mp4", "c.mp4"}));
    QCOMPARE(dialog.historyBars().at(1)->m_labeldate->text(), QString("2016-03-03 12:00:00"));
}

void TestHistory::categoryChoiceAndSearch()
{
    QVERIFY(writeAll(m_path,
                     "<history><Type name=\"MP4\">" + item("/music/Clip.mp4", "1") + item("/o/CLIP2.mp4", "2")
                         + item("/o/other.mp4", "3") + "</Type><Type name=\"AVI\">" + item("/o/clip.avi", "4")
                         + item("/o/x.avi", "5") + "</Type></history>"));
    HistoryDialog dialog(nullptr);
    dialog.show();
    // Case-sensitive, in the file name only.
    dialog.m_searchEdit->setText("Cli");
    QCOMPARE(visibleRowNames(dialog), QStringList({"Clip.mp4"}));
    // The counts are of what the search leaves, in every category.
    QCOMPARE(typeTexts(dialog), QStringList({"MP4 (1)", "AVI (0)"}));
    dialog.m_searchEdit->setText("music");
    QCOMPARE(visibleRowNames(dialog), QStringList());
    QCOMPARE(typeTexts(dialog), QStringList({"MP4 (0)", "AVI (0)"}));
    dialog.m_searchEdit->setText("");
    QCOMPARE(visibleRowNames(dialog), rowNames(dialog));
    QCOMPARE(typeTexts(dialog), QStringList({"MP4 (3)", "AVI (2)"}));

    dialog.m_searchEdit->setText("clip");
    HistorytypeBar* avi = dialog.typeBars().at(1);
    QTest::mouseClick(avi, Qt::LeftButton);
    QCOMPARE(dialog.currentTypeBar(), avi);
    QVERIFY(avi->IsPress());
    QVERIFY(!dialog.typeBars().at(0)->IsPress());
    // The search holds in the category shown now, and back.
    QCOMPARE(visibleRowNames(dialog), QStringList({"clip.avi"}));
    QCOMPARE(rowNames(dialog), QStringList({"clip.avi"}));
    QTest::mouseClick(dialog.typeBars().at(0), Qt::LeftButton);
    QCOMPARE(visibleRowNames(dialog), QStringList());
    QTest::mouseClick(avi, Qt::LeftButton);
    dialog.m_searchEdit->setText("x.");
    QCOMPARE(visibleRowNames(dialog), QStringList({"x.avi"}));
    // Pressing the chosen category again keeps it chosen, and the search.
    QTest::mouseClick(avi, Qt::LeftButton);
    QVERIFY(avi->IsPress());
    QCOMPARE(rowNames(dialog), QStringList({"x.avi"}));
    dialog.m_searchEdit->clear();
    QCOMPARE(rowNames(dialog), QStringList({"clip.avi", "x.avi"}));

    // A delete under the search counts the same way.
    dialog.m_searchEdit->setText("x.");
    emit dialog.historyBars().first()->m_btnClose->clicked();
    QCOMPARE(typeTexts(dialog), QStringList({"MP4 (0)", "AVI (0)"}));
    QVERIFY(HistoryFile::waitForLater(60000));
}

// The delete button shows on hover; the pressed row's entry goes (the right
// one of two with the same path), the converted file stays.
void TestHistory::deleteOneEntry()
{
    const QString clip = m_out->filePath("clip.mp4");
    QVERIFY(writeAll(clip, "x"));
    QVERIFY(writeAll(m_path,
                     "<history><Type name=\"MP4\">" + item(clip, "2016-03-01 10:00:00")
                         + item("/o/b.mp4", "2016-03-02 11:00:00") + item(clip, "2016-03-03 12:00:00")
                         + "</Type></history>"));
    HistoryDialog dialog(nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QPointer<HistoryBar> last = dialog.historyBars().at(2);
    QVERIFY(last->m_btnClose->isHidden());
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(last, &enter);
    QVERIFY(!last->m_btnClose->isHidden());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(last, &leave);
    QVERIFY(last->m_btnClose->isHidden());
    // A press on the row itself does nothing.
    QTest::mouseClick(last, Qt::LeftButton, {}, QPoint(200, 5));
    QVERIFY(!last->IsPress());

    QApplication::sendEvent(last, &enter);
    QTest::mouseClick(last->m_btnClose, Qt::LeftButton);
    QVERIFY(last->isHidden());
    QVERIFY(dialog.m_hisBarLayout->indexOf(last) < 0);
    QTRY_VERIFY(last.isNull());
    QCOMPARE(dialog.historyBars().size(), 2);
    QCOMPARE(typeTexts(dialog), QStringList({"MP4 (2)"}));
    QVERIFY(QFile::exists(clip));

    // The file is changed in the background.
    QVERIFY(HistoryFile::waitForLater(60000));
    HistoryFile file;
    QVERIFY(file.read());
    const QList<HistoryEntry> entries = file.categories().first().entries;
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries.at(0).time, QString("2016-03-01 10:00:00"));
    QCOMPARE(entries.at(1).filePath, QString("/o/b.mp4"));

    // The last entries go; the category stays chosen with 0, and has no row
    // at the next opening.
    for (int i = 0; i < 2; ++i)
        emit dialog.historyBars().first()->m_btnClose->clicked();
    QCOMPARE(typeTexts(dialog), QStringList({"MP4 (0)"}));
    QVERIFY(dialog.typeBars().first()->IsPress());
    // (opened while the deletes may still be on their way to the file)
    HistoryDialog again(nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(again.typeBars().isEmpty(), 60000);
    QVERIFY(QFile::exists(clip));
}

void TestHistory::clearDialogResults_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("removeFile");
    QTest::newRow("Ok") << "ok" << 0x400 << false;
    QTest::newRow("files, Ok") << "files ok" << 0x400 << true;
    QTest::newRow("files, Cancel") << "files cancel" << 0x400000 << true;
    QTest::newRow("Escape") << "escape" << 0 << false;
    QTest::newRow("closed") << "close" << 0 << false;
}

void TestHistory::clearDialogResults()
{
    QFETCH(QString, action);
    QFETCH(int, result);
    QFETCH(bool, removeFile);
    ClearnDialog dialog(nullptr);
    QCOMPARE(dialog.windowTitle(), QString("Clear"));
    QCOMPARE(dialog.label->text(), QString("Please select file type you would like to remove"));
    QCOMPARE(dialog.m_removeInfo->text(), QString("Remove all history info"));
    QCOMPARE(dialog.m_removeALL->text(),
             QString("Remove all history info as well as the file it represents"));
    QVERIFY(dialog.m_removeInfo->isChecked());
    // Under the system's title bar: no dark strip of the skin across the
    // top, and every control inside the dialog.
    const QImage face = dialog.grab().toImage();
    for (int x = 2; x < face.width() - 2; x += 7) {
        for (int y = 2; y < 30; y += 3)
            QVERIFY2(QColor(face.pixel(x, y)).lightness() > 200, qPrintable(QString("%1,%2").arg(x).arg(y)));
    }
    for (QWidget* control : {static_cast<QWidget*>(dialog.label), static_cast<QWidget*>(dialog.m_btnOK),
                             static_cast<QWidget*>(dialog.m_btnCancel)})
        QVERIFY(dialog.rect().contains(control->geometry()));
    QTimer::singleShot(0, &dialog, [&] {
        if (action.startsWith("files"))
            QTest::mouseClick(dialog.m_removeALL, Qt::LeftButton);
        if (action.endsWith("ok"))
            QTest::mouseClick(dialog.m_btnOK, Qt::LeftButton);
        else if (action.endsWith("cancel"))
            QTest::mouseClick(dialog.m_btnCancel, Qt::LeftButton);
        else if (action == "escape")
            QTest::keyClick(&dialog, Qt::Key_Escape);
        else
            dialog.close();
    });
    QCOMPARE(dialog.exec(), result);
    QCOMPARE(dialog.IsRemoveFile(), removeFile);
}

void TestHistory::clear_data()
{
    QTest::addColumn<QString>("answer");
    QTest::newRow("history only") << "history";
    QTest::newRow("with files") << "files";
    QTest::newRow("cancel") << "cancel";
    QTest::newRow("escape") << "escape";
}

// Clear with files deletes only our regular files: a running task's output,
// a relative path, a folder and a link stay, and their number is told.
void TestHistory::clear()
{
    QFETCH(QString, answer);
    QVERIFY(QDir::setCurrent(m_out->path()));
    const QString a = m_out->filePath("a.mp4");
    const QString b = m_out->filePath("b.avi");
    const QString running = m_out->filePath("running.mp4");
    const QString target = m_out->filePath("target.mp4");
    const QString link = m_out->filePath("link.mp4");
    const QString folder = m_out->filePath("folder.mp4");
    for (const QString& p : {a, b, running, target, m_out->filePath("relative.mp4")})
        QVERIFY(writeAll(p, "x"));
    QVERIFY(QFile::link(target, link));
    QVERIFY(QDir().mkpath(folder));
    const QByteArray before = "<history><Type name=\"MP4\">" + item(a, "1") + item(running, "2")
        + item("relative.mp4", "3") + item(link, "4") + "</Type><Type name=\"AVI\">" + item(b, "5")
        + item(folder, "6") + "</Type></history>";
    QVERIFY(writeAll(m_path, before));

    HistoryDialog dialog(nullptr);
    dialog.setBusyOutputs([&] { return QSet<QString>{running}; });
    dialog.show();
    QString told;
    ModalAnswer answerer([&](QWidget* modal) {
        if (auto* clear = qobject_cast<ClearnDialog*>(modal)) {
            if (answer == "files")
                clear->m_removeALL->setChecked(true);
            if (answer == "cancel")
                clear->m_btnCancel->click();
            else if (answer == "escape")
                QTest::keyClick(clear, Qt::Key_Escape);
            else
                clear->m_btnOK->click();
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            told = box->text();
            box->accept();
        }
    });
    QTest::mouseClick(dialog.m_btnClear, Qt::LeftButton);

    if (answer == "cancel" || answer == "escape") {
        QVERIFY(dialog.isVisible());
        QCOMPARE(readAll(m_path), before);
        QCOMPARE(dialog.typeBars().size(), 2);
        QCOMPARE(dialog.historyBars().size(), 4);
        return;
    }
    QVERIFY(!dialog.isVisible());
    QVERIFY(!QFile::exists(m_path));
    QVERIFY(dialog.typeBars().isEmpty());
    QVERIFY(dialog.historyBars().isEmpty());
    const bool files = answer == "files";
    QCOMPARE(QFile::exists(a), !files);
    QCOMPARE(QFile::exists(b), !files);
    for (const QString& p : {running, target, m_out->filePath("relative.mp4")})
        QVERIFY2(QFile::exists(p), qPrintable(p));
    QVERIFY(QFileInfo(link).isSymLink());
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(told, files ? QString("4 files could not be removed.") : QString());
}

// Clear while this program's earlier changes still wait for another copy
// that holds the file: the window stays until its turn has come and the
// file is deleted, and nothing queued before comes back.
void TestHistory::clearAfterQueuedChanges()
{
    QVERIFY(writeAll(m_path, "<history><Type name=\"MP4\">" + item("/o/a.mp4", "1") + "</Type></history>"));
    HistoryDialog dialog(nullptr);
    dialog.show();
    QLockFile other(m_path + ".lock");
    QVERIFY(other.tryLock(0));
    for (int i = 0; i < 3; ++i)
        HistoryFile::appendLater(m_path, "AVI", QString("/o/late-%1.avi").arg(i));
    bool told = false;
    ModalAnswer answerer([&](QWidget* modal) {
        if (auto* clear = qobject_cast<ClearnDialog*>(modal))
            clear->m_btnOK->click();
        else {
            told = true;
            modal->close();
        }
    });
    QTest::mouseClick(dialog.m_btnClear, Qt::LeftButton);
    QVERIFY(dialog.isVisible());
    QVERIFY(!dialog.m_btnClear->isEnabled());
    QVERIFY(dialog.typeBars().isEmpty());
    QTest::qWait(300);
    QVERIFY(QFile::exists(m_path));

    other.unlock();
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.isVisible(), 20000);
    QVERIFY(HistoryFile::waitForLater(60000));
    QVERIFY(!QFile::exists(m_path));
    QVERIFY(!told);
}

// Entries of a run that has just ended, still waiting for the writer when
// the window opens (another copy holds the file), appear when written; the
// chosen category and the search stay.
void TestHistory::entriesQueuedBeforeOpeningArrive()
{
    QVERIFY(writeAll(m_path,
                     "<history><Type name=\"MP4\">" + item("/o/a.mp4", "1") + "</Type><Type name=\"AVI\">"
                         + item("/o/keep.avi", "2") + item("/o/other.avi", "3") + "</Type></history>"));
    QLockFile other(m_path + ".lock");
    QVERIFY(other.tryLock(0));
    HistoryFile::appendLater(m_path, "AVI", "/o/keep-late.avi");
    HistoryDialog dialog(nullptr);
    dialog.show();
    QCOMPARE(typeTexts(dialog), QStringList({"MP4 (1)", "AVI (2)"}));
    QTest::mouseClick(dialog.typeBars().at(1), Qt::LeftButton);
    dialog.m_searchEdit->setText("keep");
    QCOMPARE(rowNames(dialog), QStringList({"keep.avi"}));

    other.unlock();
    QTRY_COMPARE_WITH_TIMEOUT(typeTexts(dialog), QStringList({"MP4 (0)", "AVI (2)"}), 60000);
    QVERIFY(dialog.typeBars().at(1)->IsPress());
    QCOMPARE(rowNames(dialog), QStringList({"keep.avi", "keep-late.avi"}));
}

// A file that does not parse is set aside, never deleted; the window opens
// empty and Clear asks nothing.
void TestHistory::damagedFileSetAside()
{
    const QByteArray damaged = "<history><Type name=\"MP4\"><item filepath=";
    QVERIFY(writeAll(m_path, damaged));
    HistoryDialog dialog(nullptr);
    QVERIFY(dialog.typeBars().isEmpty());
    QVERIFY(dialog.historyBars().isEmpty());
    QCOMPARE(readAll(m_path + ".bad"), damaged);
    bool asked = false;
    ModalAnswer answerer([&](QWidget* modal) {
        asked = true;
        modal->close();
    });
    dialog.OnBtnClear();
    QTest::qWait(30);
    QVERIFY(!asked);
}

// Open Folder hands the desktop a local-file URL of the entry's folder,
// whatever characters its name holds.
void TestHistory::openFolder()
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "open");
    const QString folder = m_out->filePath("a #1? 100%");
    QVERIFY(writeAll(m_path,
                     "<history><Type name=\"MP4\">" + item(folder + "/clip.mp4", "1") + "</Type></history>"));
    HistoryDialog dialog(nullptr);
    QTest::mouseClick(dialog.historyBars().first()->m_btnOpen, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler("file");
    QCOMPARE(catcher.urls.size(), 1);
    QVERIFY(catcher.urls.first().isLocalFile());
    QCOMPARE(catcher.urls.first().toLocalFile(), folder);
}

void TestHistory::rowTexts()
{
    HistoryBar bar;
    bar.setfilepath("/o/a.b.c.mp4");
    bar.setfiledate("2016-03-05 14:07:09");
    QCOMPARE(bar.getFilename(), QString("a.b.c.mp4"));
    QCOMPARE(bar.m_labelName->getName(), QString("a.b.c.mp4"));
    QCOMPARE(bar.m_labeldate->text(), QString("2016-03-05 14:07:09"));
    QCOMPARE(bar.m_btnOpen->toolTip(), QString("Open Folder"));
    bar.setfilepath("/o/folder/");
    QCOMPARE(bar.getFilename(), QString());
    bar.setfilepath("clip.mp4");
    QCOMPARE(bar.getFilename(), QString("clip.mp4"));
    QCOMPARE(bar.m_labelName->toolTip(), QString());

    // A name longer than its label is cut with an ellipsis, at once, and
    // shown whole as the tooltip; the extension stays in sight.
    const QString longName = QString(4000, 'n') + ".mp4";
    QElapsedTimer timer;
    timer.start();
    bar.setfilepath("/o/" + longName);
    figures::report("history.row_long_name_ms", timer.elapsed(), "ms", 200);
    QCOMPARE(bar.getFilename(), longName);
    const QString shown = bar.m_labelName->text();
    // The font's ellipsis, or three dots when it has none.
    QVERIFY(shown.size() < 100 && (shown.contains(QChar(0x2026)) || shown.contains("...")));
    QVERIFY2(shown.endsWith(".mp4"), qPrintable(shown));
    QVERIFY(bar.m_labelName->fontMetrics().horizontalAdvance(shown) <= bar.m_labelName->width());
    QCOMPARE(bar.m_labelName->toolTip(), longName);
    bar.setfilepath("clip.mp4");
    QCOMPARE(bar.m_labelName->toolTip(), QString());

    HistorytypeBar type;
    type.setText("MP4", 0);
    QCOMPARE(type.m_label->text(), QString("MP4 (0)"));
    type.setText("Apple TV", 12);
    QCOMPARE(type.m_label->text(), QString("Apple TV (12)"));
    QCOMPARE(type.getType(), QString("Apple TV"));
    QCOMPARE(type.m_label->toolTip(), QString());
    const QString longType = QString(3000, 'F');
    type.setText(longType, 5);
    QVERIFY(type.m_label->text().size() < 100 && type.m_label->text().endsWith(" (5)"));
    QVERIFY(type.m_label->fontMetrics().horizontalAdvance(type.m_label->text()) <= 200);
    QCOMPARE(type.m_label->toolTip(), longType);
    QCOMPARE(type.getType(), longType);
}

namespace {
qint64 residentKb()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return 0;
}
} // namespace

// The largest history a file can hold and be read, as many entries as the
// reader takes with paths that fill its size: the window opens (a figure of
// the benchmark, as is what it takes in memory), and its rows follow the
// scroll, the search and a delete, after which the file stays readable.
void TestHistory::largeHistory()
{
    {
        HistoryDialog empty(nullptr);
        empty.show();
        QVERIFY(QTest::qWaitForWindowExposed(&empty));
    }
    QCoreApplication::processEvents();
    const qint64 before = residentKb();
    constexpr int kEntries = 19998;
    const QString folder = "/o/" + QString(145, 'f');
    QByteArray text = "<history><Type name=\"MP4\">";
    for (int i = 0; i < kEntries; ++i)
        text += item(QString("%1/clip%2.mp4").arg(folder).arg(i),
                     HistoryFile::timeText(QDateTime(QDate(2016, 3, 1), QTime(10, 0)).addSecs(i)));
    text += "</Type></history>";
    QVERIFY2(text.size() > 4000000 && text.size() < DataFile::Limits().maxBytes,
             qPrintable(QString::number(text.size())));
    QVERIFY(writeAll(m_path, text));

    QElapsedTimer timer;
    timer.start();
    HistoryDialog dialog(nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCoreApplication::processEvents();
    const qint64 ms = timer.elapsed();
    const qint64 grownMb = (residentKb() - before) / 1024;
    figures::report("history.window_open_largest_ms", ms, "ms", 2000);
    figures::report("history.window_open_largest_mb", grownMb, "MB", 200);
    QCOMPARE(typeTexts(dialog), QStringList({"MP4 (19998)"}));
    QVERIFY(dialog.historyBars().size() < 20);
    QCOMPARE(dialog.historyBars().first()->getFilename(), QString("clip0.mp4"));

    // At the end of the column the rows show the last entries, in sight.
    QScrollBar* scroll = dialog.m_scrollAreaforHisbar->verticalScrollBar();
    scroll->setValue(scroll->maximum());
    HistoryBar* last = dialog.historyBars().last();
    QCOMPARE(last->getFilename(), QString("clip19997.mp4"));
    const QRect inViewport(last->mapTo(dialog.m_scrollAreaforHisbar->viewport(), QPoint(0, 0)), last->size());
    QVERIFY(dialog.m_scrollAreaforHisbar->viewport()->rect().contains(inViewport));

    // Deleting there takes that entry, and the rows close up.
    emit last->m_btnClose->clicked();
    QCOMPARE(typeTexts(dialog), QStringList({"MP4 (19997)"}));
    QCOMPARE(dialog.historyBars().last()->getFilename(), QString("clip19996.mp4"));
    // Written back within what the reader takes: the newest entries that
    // fit, the deleted one gone.
    QVERIFY(HistoryFile::waitForLater(60000));
    HistoryFile file;
    QVERIFY(file.read());
    QVERIFY(!QFile::exists(m_path + ".bad"));
    const QList<HistoryEntry> kept = file.categories().first().entries;
    QVERIFY(QFileInfo(m_path).size() <= HistoryFile::kMaxBytes);
    QCOMPARE(kept.last().filePath, folder + "/clip19996.mp4");
    QCOMPARE(kept.first().filePath, QString("%1/clip%2.mp4").arg(folder).arg(kEntries - 1 - kept.size()));

    // The search looks through every entry, not only the rows there are.
    dialog.m_searchEdit->setText("clip1999");
    QCOMPARE(visibleRowNames(dialog),
             QStringList({"clip1999.mp4", "clip19990.mp4", "clip19991.mp4", "clip19992.mp4", "clip19993.mp4",
                          "clip19994.mp4", "clip19995.mp4", "clip19996.mp4"}));
    dialog.m_searchEdit->clear();
    QCOMPARE(dialog.historyBars().first()->getFilename(), QString("clip0.mp4"));
}

QTEST_MAIN(TestHistory)
#include "tst_history.moc"
