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
    // A file in `going` is free: it is deleted before anything opened later.
    static QString freePath(const QString& folder, const QString& name, const QString& extension,
                            const QSet<QString>* taken, const QSet<QString>* going = nullptr);
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
    // Forgets the paths handed out; not those going.
    void clear() { m_taken.clear(); }

    // A partial output whose job is being released on the opener thread:
    // the release deletes it before any open handed over later, so its name
    // is free again (a run started right after a cancel keeps its names).
    void going(const QString& path) { m_going.insert(path); }
    void gone(const QString& path) { m_going.remove(path); }

private:
    QSet<QString> m_taken;
    QSet<QString> m_going;
};
