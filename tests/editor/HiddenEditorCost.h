#pragma once

// What the hidden editor that gives each added file its default records
// costs. Adding paces itself at a file a second on its worker while the
// hidden editors run on the GUI thread; the cost with the step is the whole
// add, the cost without it the add less the same hidden editors run again.
// The ratio is a figure for the benchmark (budget 1.2).

#include "../Figures.h"
#include "../convert/QueueTestUtil.h"

#include "QVideoEditDlg.h"
#include "VideoConvertBar.h"

#include <QElapsedTimer>
#include <QUrl>

struct HiddenEditorCost
{
    int added = 0;
    qint64 withEditorMs = 0;
    qint64 editorsMs = 0;
    double ratio() const { return double(withEditorMs) / double(qMax<qint64>(1, withEditorMs - editorsMs)); }
};

inline HiddenEditorCost measureHiddenEditorCost(const QStringList& files)
{
    HiddenEditorCost cost;
    QElapsedTimer timer;
    timer.start();
    {
        queuetest::QueueUnderTest queue(nullptr);
        queue.resize(900, 600);
        queue.show();
        QList<QUrl> urls;
        for (const QString& file : files)
            urls << QUrl::fromLocalFile(file);
        queuetest::drop(&queue, urls);
        cost.withEditorMs = timer.elapsed();
        cost.added = queue.barList().size();
    }
    timer.restart();
    for (const QString& file : files) {
        QVideoEditDlg editor(nullptr);
        editor.SetVideoFile(file, 0, 0);
        CropSettings crop;
        WatermarkTextSettings text;
        WatermarkImageSettings image;
        SubtitleSettings style;
        SubtitleValueInfo streams;
        editor.GetEditSettings(crop);
        editor.GetWatermarkTextSettings(text);
        editor.GetWatermarkImageSettings(image);
        editor.GetSubtitleSettings(style);
        editor.GetSubtitleInfo(streams);
    }
    cost.editorsMs = timer.elapsed();
    qInfo("adding %d files: %lld ms; hidden editors %lld ms (%.1f ms a file); ratio %.3f", cost.added,
          cost.withEditorMs, cost.editorsMs, cost.editorsMs / double(qMax(1, cost.added)), cost.ratio());
    return cost;
}
