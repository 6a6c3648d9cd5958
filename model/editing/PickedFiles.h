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

// Reads the picture's size from its header first, so a huge or lying one is
// refused without decoding; a picture within bounds is decoded once to be
// sure it is whole. Slow for large pictures: call it off the GUI thread.
Verdict checkWatermarkPicture(const QString& path);

// Reads the beginning of the file: a text in one of the subtitle formats
// the editor offers, with at least one timed line.
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
