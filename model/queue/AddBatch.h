#pragma once

// One add of files to the queue, apart from the rows that show them: the
// files in the order they were chosen, the key of each file's row, where
// each row stands, and the batch's generation. The add worker probes a copy
// of the batch and stamps its results with that copy's generation, so that
// a late result of an earlier batch (cancelled, or replaced by a new add)
// is recognised and dropped. The chosen format is read once for the whole
// batch, by the first file that needs it.

#include "formats/ProfileFile.h"

#include <QString>
#include <QVector>

#include <functional>

class AddBatch
{
public:
    // The queue's handle of a row; 0 is no row.
    using Key = quintptr;
    using FormatReader = std::function<TaskFormat()>;

    explicit AddBatch(FormatReader readFormat = &ProfileFile::currentTaskFormat);

    int generation() const { return m_generation; }
    int size() const { return m_entries.size(); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    QString file(int index) const;
    bool isLast(int index) const { return index == m_entries.size() - 1; }

    void append(const QString& file, Key row);

    // The worker's result for file `index` of batch `generation`: the key of
    // the row waiting for it, once; 0 when the result belongs to another
    // batch or the row is not waiting (given its facts already, delivered,
    // or gone).
    Key takeProbe(int generation, int index);
    // Row `index` of this batch joins the queue: its key, once, and only
    // after its probe was taken; 0 otherwise.
    Key takeDelivery(int index);

    // Whether any row of the batch has not joined the queue yet.
    bool hasWaiting() const;
    // The keys of those rows, in file order.
    QVector<Key> waitingRows() const;

    // A row leaves the queue while its batch is still open: nothing of the
    // batch reaches it any more. The other rows keep their places.
    void remove(Key row);

    // Closes this batch and opens an empty one under the next generation.
    // Gives back the keys of the rows that never joined the queue, in file
    // order: they are the caller's to drop.
    QVector<Key> reset();

    // The chosen format for every file of the batch: read at the first call,
    // then kept. A copy keeps its own reading: the worker reads on its copy,
    // away from the GUI thread.
    const TaskFormat& format();

private:
    enum class Stage { Waiting, Probed, Delivered, Gone };
    struct Entry
    {
        QString file;
        Key row = 0;
        Stage stage = Stage::Waiting;
    };

    FormatReader m_readFormat;
    QVector<Entry> m_entries;
    int m_generation = 0;
    bool m_formatRead = false;
    TaskFormat m_format;
};
