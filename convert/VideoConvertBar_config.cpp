// Task rows and the queue: turning a task into an engine configuration.
#include "VideoConvertBar.h"
#include "ScrollAreaforBar.h"

void VideoConvertBar::setConverterConfig(Config& config, VideoConvertBar* bar)
{
    // Filled from the task's values with the run scheduling.
    Q_UNUSED(config);
    Q_UNUSED(bar);
}

void ScrollAreaforBar::setConverterConfig(Config& config, VideoConvertBar* bar)
{
    Q_UNUSED(config);
    Q_UNUSED(bar);
}
