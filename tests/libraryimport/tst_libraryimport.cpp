// The music library import dialog on a small library file: playlist names,
// the table of the chosen playlist, the search and OK.

#include "AddVideoDialog.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

namespace {

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestLibraryImport : public QObject
{
    Q_OBJECT

private slots:
    void dialog();

private:
    QTemporaryDir m_dir;
};

// Playlist names from the library file, the table of the chosen playlist
// (reset whenever its list changes), a literal search and OK.
void TestLibraryImport::dialog()
{
    const QString library = m_dir.filePath("Music/iTunes/iTunes Music Library.xml");
    QVERIFY(writeAll(library,
                     "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict><key>Playlists</key><array>"
                     "<dict><key>Name</key><string>Library</string></dict>"
                     "<dict><key>Name</key><string>Coding</string></dict></array></dict></plist>"));
    const QString there = m_dir.filePath("Learning C++.mp3");
    QVERIFY(writeAll(there, "x"));
    modelItem cpp{"Coding", there, "Ann", 59};
    modelItem gone{"Coding", m_dir.filePath("gone.mp3"), "Bo", 3600};
    modelItem plain{"Coding", m_dir.filePath("Cpp.mp3"), "Cy", 1};
    modelItem loose{"", m_dir.filePath("loose.mp3"), "", 0};
    QList<modelItem*> items{&cpp, &gone, &plain, &loose};

    AddVideoDialog dialog(nullptr, library);
    QCOMPARE(dialog.m_comboBox->count(), 2);
    QCOMPARE(dialog.m_comboBox->itemText(1), QString("Coding"));
    QVERIFY(!dialog.m_btnOk->isEnabled());

    dialog.setModelDateList(&items);
    QCOMPARE(dialog.m_comboBox->count(), 2);
    QCOMPARE(dialog.m_comboBox->itemText(0), QString("Coding"));
    QCOMPARE(dialog.m_comboBox->itemText(1), QString("Unnamed Playlist"));
    // The first playlist in name order: the one without a name.
    QCOMPARE(dialog.m_comboBox->currentIndex(), 1);
    VideoResourceModel* model = dialog.model();
    QCOMPARE(model->rowCount(), 1);
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QString("Name"));
    QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QString("Artist"));
    QCOMPARE(model->headerData(2, Qt::Horizontal).toString(), QString("Time"));

    // Every change of the list comes inside a reset.
    QSignalSpy resets(model, &QAbstractItemModel::modelReset);
    dialog.m_comboBox->setCurrentIndex(0);
    QCOMPARE(resets.count(), 2);
    QCOMPARE(model->rowCount(), 3);
    QCOMPARE(model->index(0, 0).data().toString(), QString("Learning C++.mp3"));
    QCOMPARE(model->index(0, 0).data(Qt::ToolTipRole).toString(), there);
    QCOMPARE(model->index(0, 1).data().toString(), QString("Ann"));
    QCOMPARE(model->index(0, 2).data().toString(), QString("00:59"));
    QCOMPARE(model->index(1, 2).data().toString(), QString("01:00:00"));
    dialog.m_comboBox->setCurrentIndex(1);
    QCOMPARE(resets.count(), 4);
    QCOMPARE(dialog.m_tableView->model()->rowCount(), 1);
    dialog.m_comboBox->setCurrentIndex(0);

    dialog.m_searchEdit->setText("C++");
    QAbstractItemModel* shown = dialog.m_tableView->model();
    QCOMPARE(shown->rowCount(), 1);
    QCOMPARE(shown->index(0, 0).data().toString(), QString("Learning C++.mp3"));
    dialog.m_searchEdit->setText("learning");
    QCOMPARE(shown->rowCount(), 1);
    dialog.m_searchEdit->clear();
    QCOMPARE(shown->rowCount(), 3);

    // OK hands on the chosen tracks that exist.
    QSignalSpy added(&dialog, &AddVideoDialog::signalAddVideo);
    dialog.show();
    dialog.m_tableView->selectRow(0);
    dialog.m_tableView->selectionModel()->select(shown->index(1, 0),
                                                 QItemSelectionModel::Select | QItemSelectionModel::Rows);
    dialog.ShowBtnOKEnable();
    QTest::mouseClick(dialog.m_btnOk, Qt::LeftButton);
    QCOMPARE(added.count(), 1);
    QCOMPARE(added.first().first().toStringList(), QStringList({there}));
    QVERIFY(!dialog.isVisible());
}

QTEST_MAIN(TestLibraryImport)
#include "tst_libraryimport.moc"
