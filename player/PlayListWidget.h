#pragma once

#include "ui_PlayListWidget.h"

#include <QList>
#include <QScrollArea>
#include <QStringList>

class PlayerVideobar;
class QAction;
class QMenu;
class QTimer;

// The player's playlist: one row per file in order of arrival. It keeps
// the current file, marks its row and tells the player window what to
// play. Files are identified by their path, compared exactly.
class PlayListWidget : public QScrollArea, public Ui::PlayListWidget
{
    Q_OBJECT
public:
    explicit PlayListWidget(QWidget* parent = nullptr);
    ~PlayListWidget() override;

    void AddOneVideo(QString path);
    void AddVideos(QStringList list, bool play);
    void NextVideoPlay();
    void PreVideoPlay();
    void setPlayHidden();

    QString currentFile() const { return m_curFilePath; }
    const QList<PlayerVideobar*>& rows() const { return m_barList; }
    QMenu* menu() const { return m_menu; }

signals:
    void emitPlayVideo(QString filename);
    void emitDeleteVideo();

public slots:
    void VideoPlay();
    void PopMenu();
    void DeleteVideo();
    void OnDeleteVideo();
    void OnDeleteVideoALL();
    void OnPlayAction();
    void aaa();

protected:
    void enterEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    PlayerVideobar* addRow(const QString& path);
    void removeRow(PlayerVideobar* row);
    static void mark(PlayerVideobar* row);
    static void unmark(PlayerVideobar* row);
    void playRow(PlayerVideobar* row);

    QString m_curFilePath;
    QList<PlayerVideobar*> m_barList;
    QMenu* m_menu = nullptr;
    QAction* m_actDelete = nullptr;
    QAction* m_actDeleteAll = nullptr;
    QAction* m_actPlay = nullptr;
    PlayerVideobar* m_menuBar = nullptr;
    QTimer* m_dropTimer = nullptr;
    QStringList m_dropPaths;
    bool m_bHasDrop = false;
};
