#include "VideoResourceModel.h"

#include "history/HistoryRecords.h"
#include "library/MusicLibrary.h"

#include <QBrush>
#include <QColor>

VideoResourceModel::VideoResourceModel(QObject* parent)
    : QAbstractTableModel(parent)
{}

VideoResourceModel::~VideoResourceModel() = default;

void VideoResourceModel::setDatalist(QList<modelItem*>* list)
{
    beginResetModel();
    m_pDataList = list;
    endResetModel();
}

void VideoResourceModel::refresh()
{
    beginResetModel();
    endResetModel();
}

int VideoResourceModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_pDataList ? 0 : m_pDataList->size();
}

int VideoResourceModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_pDataList ? 0 : 3;
}

QVariant VideoResourceModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !m_pDataList || index.row() >= m_pDataList->size() || role > Qt::ForegroundRole)
        return QVariant();
    const modelItem* item = m_pDataList->at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == 0)
            return HistoryRecords::fileName(item->m_itemPath);
        if (index.column() == 1)
            return item->m_artist;
        return MusicLibrary::clockText(item->m_totalTime * 1000);
    case Qt::ToolTipRole:
        return index.column() == 0 ? QVariant(item->m_itemPath) : QVariant();
    case Qt::TextAlignmentRole:
        return index.column() == 0 ? QVariant() : QVariant(int(Qt::AlignCenter));
    case Qt::ForegroundRole:
        return QBrush(QColor(70, 70, 70));
    default:
        return QVariant();
    }
}

bool VideoResourceModel::setData(const QModelIndex& index, const QVariant&, int) { return index.isValid(); }

QVariant VideoResourceModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    static const char* const names[] = {"Name", "Artist", "Time"};
    return section >= 0 && section < 3 ? QVariant(tr(names[section])) : QVariant();
}

Qt::ItemFlags VideoResourceModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}
