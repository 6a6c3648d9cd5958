#include "RunSchedule.h"

namespace RunSchedule {

int nextTask(const QVector<Task>& tasks)
{
    for (int i = 0; i < tasks.size(); ++i) {
        if (tasks.at(i).waiting && !tasks.at(i).started)
            return i;
    }
    return -1;
}

} // namespace RunSchedule
