#include "PlayerWidget.h"

#include <QFileInfo>
#include <QLabel>
#include <QVBoxLayout>

PlayerWidget* PlayerWidget::GetPlayer()
{
    // Deliberately without a parent and never deleted: the window lives to
    // the end of the run, and as a top-level window it keeps the event loop
    // going while it is open.
    static PlayerWidget* player = new PlayerWidget(nullptr);
    return player;
}

PlayerWidget::PlayerWidget(QWidget* parent)
    : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Player"));
    resize(640, 400);
    auto* layout = new QVBoxLayout(this);
    m_fileLabel = new QLabel(this);
    m_fileLabel->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_fileLabel);
}

void PlayerWidget::StartPlayVideo(QString path)
{
    if (!m_playList.contains(path))
        m_playList.append(path);
    m_currentFile = path;
    m_fileLabel->setText(QFileInfo(path).fileName());
}
