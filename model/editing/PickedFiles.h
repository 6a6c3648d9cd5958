#pragma once

// Checks of what the person picks for the editor (a watermark picture, a
// subtitle file, the snapshot folder) before it becomes a setting: what
// cannot be used is said at once instead of failing later. Widget-free.

#include <QObject>
#include <QSize>
#include <QString>

#include <functional>

namespace PickedFiles {

struct Verdict
{
    bool usable = false;
    QString message; // what to tell the person when not usable
    QSize size; // a picture's size, when known
};

// A watermark picture may be this many pixels on a side at most: larger
// ones cost the engine seconds and hundreds of megabytes for every preview
// and conversion, and show nothing a frame can hold.
constexpr int kMaxWatermarkSide = 4096;

// Both checks ask the engine, which judges the file by the same loading a
// conversion does: what is accepted here never fails a conversion, and
// what is refused would. A folder, FIFO or device is refused without being
// opened. They read and decode the whole file: call them off the GUI thread.

// A huge or lying picture is refused from its header, before decoding.
Verdict checkWatermarkPicture(const QString& path);

// A subtitle file the engine reads, with at least one subtitle.
Verdict checkSubtitleFile(const QString& path);

// A snapshot folder must take a new file: one is made there and removed
// again, which also catches read-only disks and folders a permission check
// alone would let through.
Verdict checkSnapshotFolder(const QString& folder);

// Runs check on a worker thread and hands its verdict to done on the GUI
// thread, unless receiver is gone by then.
void checkInBackground(QObject* receiver, std::function<Verdict()> check,
                       std::function<void(const Verdict&)> done);

} // namespace PickedFiles
