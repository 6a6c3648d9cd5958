#include "queue/RunSchedule.h"

namespace RunSchedule {

int nextTask(const QVector<Task>& tasks)
{
    for (int i = 0; i < tasks.size(); ++i) {
        if (tasks.at(i).waiting && !tasks.at(i).started)
            return i;
    }
    return -1;
}

bool runEnded(const QVector<Stage>& stages)
{
    for (Stage stage : stages) {
        if (stage == Stage::Waiting || stage == Stage::Paused || stage == Stage::Converting)
            return false;
    }
    return true;
}

int yieldingHolder(const QVector<Stage>& holders, int slotCount)
{
    if (holders.isEmpty() || holders.size() < slotCount)
        return -1;
    for (int i = 0; i < holders.size(); ++i) {
        if (holders.at(i) == Stage::Converting)
            return i;
    }
    return 0;
}

MergePosition afterRemoval(int mergeIndex, int removed)
{
    // Stepping back one makes the merge's next step land on the row that
    // followed the removed one.
    if (removed < mergeIndex)
        return {mergeIndex - 1, false};
    if (removed == mergeIndex)
        return {mergeIndex - 1, true};
    return {mergeIndex, false};
}

} // namespace RunSchedule
