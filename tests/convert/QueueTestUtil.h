#pragma once

// Helpers shared by the queue tests: small files on disk, drops, and a
// watcher that answers the modal windows an add opens.

#include "ScrollAreaforBar.h"

#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <functional>

namespace queuetest {

// Lets every job open that the queue has handed to the opener thread,
// including those a delivered open starts in turn.
inline void settleOpens(const ScrollAreaforBar* queue)
{
    for (int round = 0; round < 100; ++round) {
        VideoConvertBar::WaitForOpens();
        bool opening = false;
        for (VideoConvertBar* bar : queue->barList())
            opening = opening || bar->IsOpening();
        if (!opening)
            return;
    }
}

inline bool writeBytes(const QString& path, int size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QByteArray(size, 'x'));
    return true;
}

// The queue with its drag handlers reachable: the window system delivers a
// drop only after an accepted drag enter, so a refused drag is dropped here
// by hand to reach the queue's own handling of it.
class QueueUnderTest : public ScrollAreaforBar
{
public:
    using ScrollAreaforBar::contextMenuEvent;
    using ScrollAreaforBar::dropEvent;
    using ScrollAreaforBar::mouseMoveEvent;
    using ScrollAreaforBar::mousePressEvent;
    using ScrollAreaforBar::mouseReleaseEvent;
    using ScrollAreaforBar::ScrollAreaforBar;
};

// Drags the URLs onto the queue the way the window system does (to its
// viewport) and drops them; returns whether the drag was accepted.
inline bool drop(QueueUnderTest* queue, const QList<QUrl>& urls)
{
    QMimeData mime;
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(queue->viewport(), &enter);
    QDropEvent event(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    queue->dropEvent(&event);
    return enter.isAccepted();
}

// Calls `act` with each modal window as it comes up, every 10 ms until
// stopped; `act` returns true once it has dealt with the window.
class ModalWatcher : public QObject
{
public:
    explicit ModalWatcher(std::function<bool(QWidget*)> act)
        : m_act(std::move(act))
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                if (modal != m_handled && m_act(modal))
                    m_handled = modal;
            } else {
                m_handled = nullptr;
            }
        });
        m_timer.start();
    }

private:
    std::function<bool(QWidget*)> m_act;
    QTimer m_timer;
    // Guarded: a dialog handled and destroyed between two ticks must not
    // make a new one at the same address look handled.
    QPointer<QWidget> m_handled;
};

} // namespace queuetest
