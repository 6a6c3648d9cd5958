#pragma once

// Where a run writes: the one place that names an output (a task's own and
// the merge's), makes its folder and words the usage event of a starting
// conversion. Nothing here touches a widget or the engine.

#include <QSet>
#include <QString>

class RunOutputs
{
public:
    // folder/stem.ext, or folder/stem<n>.ext for n = 1, 2, ... while that file
    // (or a dangling link of that name) exists or is in `taken`; "//" collapsed.
    static QString freePath(const QString& folder, const QString& name, const QString& extension,
                            const QSet<QString>* taken);
    // The usage event text of a starting conversion: the source's size and
    // suffix and the target container.
    static QString startEventText(const QString& source, const QString& container);

    // The output in `folder` for a source file named `name`, numbered past
    // the files there and the paths this run handed out; the folder is made
    // (with its parents) when missing. Not handed out yet.
    QString choose(const QString& folder, const QString& name, const QString& extension) const;
    // The engine only creates a file at open, so a path chosen but not yet
    // opened (or whose open failed) would otherwise be chosen twice.
    void handOut(const QString& path) { m_taken.insert(path); }
    // choose, then handOut.
    QString take(const QString& folder, const QString& name, const QString& extension);

    const QSet<QString>& taken() const { return m_taken; }
    void clear() { m_taken.clear(); }

private:
    QSet<QString> m_taken;
};
