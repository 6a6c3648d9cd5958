#pragma once

// Part of the music library import, which nothing in the program opens
// yet: the dialog is built and tested so that it stays ready for use.

#include "QImageDialog.h"
#include "VideoResourceModel.h"

#include "ui_AddVideoDialog.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

class QCheckHeaderView;
class QSortFilterProxyModel;

// One playlist name read from the music library file.
struct PlaylistInfo
{
    QString m_listName;
};

// Picks tracks of the music library: playlists in a combo box, the tracks
// of the chosen one in a searchable table, and the paths of the chosen
// tracks that exist handed on through signalAddVideo.
class AddVideoDialog : public QImageDialog, public Ui::AddVideoDialog
{
    Q_OBJECT
public:
    explicit AddVideoDialog(QWidget* parent = nullptr, const QString& libraryPath = QString());
    ~AddVideoDialog() override;

    // The tracks to offer, grouped by playlist; the caller keeps them.
    void setModelDateList(QList<modelItem*>* items);
    void refresh();

    const QList<PlaylistInfo>& playlists() const { return m_playlists; }
    VideoResourceModel* model() const { return m_model; }
    QSortFilterProxyModel* proxyModel() const { return m_proxyModel; }
    QCheckHeaderView* headerView() const { return m_headerView; }

signals:
    void signalAddVideo(QStringList listpath);
    void signalOpenLocalFile();

public slots:
    void OnBtnOK();
    void OnBtnCancel();
    void OnBtnDown();
    void OnBtnLocalFile();
    void searchTextChanged(QString text);
    void slotRefreshView(int index);
    void ShowBtnOKEnable();

private:
    void InitBtn();
    void InitView();
    void readiTunesXML();
    void showList(const QList<modelItem*>& items);

    QString m_libraryPath;
    VideoResourceModel* m_model = nullptr;
    QSortFilterProxyModel* m_proxyModel = nullptr;
    QMap<QString, QList<modelItem*>> m_playlistMap;
    QList<modelItem*> m_dataList;
    QCheckHeaderView* m_headerView = nullptr;
    QList<PlaylistInfo> m_playlists;
};
