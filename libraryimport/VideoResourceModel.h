#pragma once

// Part of the music library import, which nothing in the program opens
// yet: the dialog is built and tested so that it stays ready for use.

#include <QAbstractTableModel>
#include <QList>
#include <QString>

// One track of the music library, owned by whoever passes the list.
struct modelItem
{
    QString m_playlistName;
    QString m_itemPath;
    QString m_artist;
    qint64 m_totalTime = 0; // seconds
};

// The import dialog's table: Name (file name), Artist, Time over a list of
// tracks owned elsewhere. Every change of that list goes through
// setDatalist, which resets the model, so a view never reads a row that is
// gone.
class VideoResourceModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit VideoResourceModel(QObject* parent = nullptr);
    ~VideoResourceModel() override;

    void setDatalist(QList<modelItem*>* list);
    void refresh();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QList<modelItem*>* m_pDataList = nullptr;
};
