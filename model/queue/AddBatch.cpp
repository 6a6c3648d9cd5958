#include "queue/AddBatch.h"

AddBatch::AddBatch(FormatReader readFormat)
    : m_readFormat(std::move(readFormat))
{}

QString AddBatch::file(int index) const
{
    return index >= 0 && index < m_entries.size() ? m_entries.at(index).file : QString();
}

void AddBatch::append(const QString& file, Key row)
{
    Entry entry;
    entry.file = file;
    entry.row = row;
    m_entries.append(entry);
}

AddBatch::Key AddBatch::takeProbe(int generation, int index)
{
    if (generation != m_generation || index < 0 || index >= m_entries.size())
        return 0;
    Entry& entry = m_entries[index];
    if (entry.stage != Stage::Waiting)
        return 0;
    entry.stage = Stage::Probed;
    return entry.row;
}

AddBatch::Key AddBatch::takeDelivery(int index)
{
    // Only a probe of this generation makes a row ready, so a delivery
    // step of an earlier batch finds its index still waiting and is dropped.
    if (index < 0 || index >= m_entries.size())
        return 0;
    Entry& entry = m_entries[index];
    if (entry.stage != Stage::Probed)
        return 0;
    entry.stage = Stage::Delivered;
    return entry.row;
}

bool AddBatch::hasWaiting() const
{
    for (const Entry& entry : m_entries) {
        if (entry.stage == Stage::Waiting || entry.stage == Stage::Probed)
            return true;
    }
    return false;
}

QVector<AddBatch::Key> AddBatch::waitingRows() const
{
    QVector<Key> rows;
    for (const Entry& entry : m_entries) {
        if (entry.stage == Stage::Waiting || entry.stage == Stage::Probed)
            rows.append(entry.row);
    }
    return rows;
}

void AddBatch::remove(Key row)
{
    if (row == 0)
        return;
    // A key of a row that has gone may come back for a new row: the first
    // entry that still holds it is the row's.
    for (Entry& entry : m_entries) {
        if (entry.row == row && entry.stage != Stage::Gone) {
            entry.stage = Stage::Gone;
            return;
        }
    }
}

QVector<AddBatch::Key> AddBatch::reset()
{
    const QVector<Key> undelivered = waitingRows();
    m_entries.clear();
    ++m_generation;
    m_formatRead = false;
    m_format = TaskFormat();
    return undelivered;
}

const TaskFormat& AddBatch::format()
{
    if (!m_formatRead) {
        m_format = m_readFormat ? m_readFormat() : TaskFormat();
        m_formatRead = true;
    }
    return m_format;
}
