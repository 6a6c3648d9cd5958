// The run policy as tables, without an application: slots, the task that
// yields its slot, the end of a run and the merge's place when a row leaves
// (a task's trimmed length: tests/model/tst_converttask).

#include "queue/RunSchedule.h"

#include <QtTest>

using RunSchedule::Stage;
Q_DECLARE_METATYPE(QVector<Stage>)

namespace {
// One letter a task: i idle, w waiting, p paused, c converting, f finished.
QVector<Stage> stages(const char* letters)
{
    QVector<Stage> out;
    for (const char* c = letters; *c; ++c) {
        switch (*c) {
        case 'w':
            out << Stage::Waiting;
            break;
        case 'p':
            out << Stage::Paused;
            break;
        case 'c':
            out << Stage::Converting;
            break;
        case 'f':
            out << Stage::Finished;
            break;
        default:
            out << Stage::Idle;
        }
    }
    return out;
}
} // namespace

class TstRunPolicy : public QObject
{
    Q_OBJECT

private slots:
    void fiveSlots() { QCOMPARE(RunSchedule::kSlots, 5); }

    void runEnded_data()
    {
        QTest::addColumn<QVector<Stage>>("tasks");
        QTest::addColumn<bool>("ended");
        QTest::newRow("empty queue") << stages("") << true;
        QTest::newRow("all finished") << stages("fff") << true;
        QTest::newRow("finished and idle") << stages("fif") << true;
        QTest::newRow("one waits") << stages("ffw") << false;
        QTest::newRow("one paused") << stages("pff") << false;
        QTest::newRow("one converts") << stages("fcf") << false;
    }

    void runEnded()
    {
        QFETCH(QVector<Stage>, tasks);
        QFETCH(bool, ended);
        QCOMPARE(RunSchedule::runEnded(tasks), ended);
    }

    void yieldingHolder_data()
    {
        QTest::addColumn<QVector<Stage>>("holders");
        QTest::addColumn<int>("slotCount");
        QTest::addColumn<int>("yielding");
        QTest::newRow("a slot is free") << stages("cccc") << 5 << -1;
        QTest::newRow("none held") << stages("") << 5 << -1;
        QTest::newRow("full: first converting") << stages("ccccc") << 5 << 0;
        QTest::newRow("full: waiting ones are passed over") << stages("wwccc") << 5 << 2;
        QTest::newRow("full: none converts") << stages("wwwww") << 5 << 0;
        QTest::newRow("over full") << stages("wccccc") << 5 << 1;
        QTest::newRow("one slot") << stages("c") << 1 << 0;
    }

    void yieldingHolder()
    {
        QFETCH(QVector<Stage>, holders);
        QFETCH(int, slotCount);
        QFETCH(int, yielding);
        QCOMPARE(RunSchedule::yieldingHolder(holders, slotCount), yielding);
    }

    void mergeAfterRemoval_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("removed");
        QTest::addColumn<int>("newIndex");
        QTest::addColumn<bool>("removedCurrent");
        QTest::newRow("before the item") << 3 << 1 << 2 << false;
        QTest::newRow("the item itself") << 3 << 3 << 2 << true;
        QTest::newRow("after the item") << 3 << 5 << 3 << false;
        QTest::newRow("the first item") << 0 << 0 << -1 << true;
    }

    void mergeAfterRemoval()
    {
        QFETCH(int, index);
        QFETCH(int, removed);
        QFETCH(int, newIndex);
        QFETCH(bool, removedCurrent);
        const RunSchedule::MergePosition at = RunSchedule::afterRemoval(index, removed);
        QCOMPARE(at.index, newIndex);
        QCOMPARE(at.removedCurrent, removedCurrent);
    }
};

QTEST_APPLESS_MAIN(TstRunPolicy)
#include "tst_runpolicy.moc"
