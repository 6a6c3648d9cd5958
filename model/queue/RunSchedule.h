#pragma once

// The run policy, apart from the rows that show the tasks: how many tasks
// convert side by side, which waiting task fills a free slot, which one
// yields its slot to a resumed task, when a run has ended, and where the
// merge stands when a row leaves the queue. A task's trimmed length is its
// record's (ConvertTask::lengthUs).

#include <QVector>

namespace RunSchedule {

// Tasks that convert side by side in a run that does not merge.
constexpr int kSlots = 5;

struct Task
{
    bool waiting = false; // waiting for its turn
    bool started = false; // already holds a slot in this run
};

// The first task in queue order that waits and holds no slot; -1 when none.
int nextTask(const QVector<Task>& tasks);

// Where a task stands in a run, as the policy sees it.
enum class Stage { Idle, Waiting, Paused, Converting, Finished };

// A run has ended once no task waits, is paused or converts.
bool runEnded(const QVector<Stage>& stages);

// A paused task resumes while the slot holders (in the order they took
// their slots) fill every slot: the index of the holder that gives its slot
// up and pauses, the first that converts (the first of all when none
// does); -1 when a slot is free.
int yieldingHolder(const QVector<Stage>& holders, int slotCount = kSlots);

// The merge walks the queue by index and moves on by one after each item.
// When the row at `removed` leaves the queue: the merge's new index, and
// whether the row was the item the merge works on.
struct MergePosition
{
    int index = 0;
    bool removedCurrent = false;
};
MergePosition afterRemoval(int mergeIndex, int removed);

} // namespace RunSchedule
