#pragma once

// The run's choice of which waiting task fills a free slot, apart from the
// rows that show the tasks.

#include <QVector>

namespace RunSchedule {

struct Task
{
    bool waiting = false; // waiting for its turn
    bool started = false; // already holds a slot in this run
};

// The first task in queue order that waits and holds no slot; -1 when none.
int nextTask(const QVector<Task>& tasks);

} // namespace RunSchedule
