#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// The longest gap between two turns of this thread's event loop, measured
// by a timer that asks to run every `intervalMs`. A gap still open when the
// figure is read counts too.
class StallProbe : public QObject
{
public:
    explicit StallProbe(int intervalMs = 5)
    {
        m_timer.setInterval(intervalMs);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
            const qint64 gap = m_clock.restart();
            m_longest = qMax(m_longest, gap);
            m_phase = qMax(m_phase, gap);
        });
        m_clock.start();
        m_timer.start();
    }
    qint64 longestMs() const { return qMax(m_longest, m_clock.elapsed()); }
    // The longest gap since the last call (or the start); the overall
    // figure keeps counting.
    qint64 phaseMs()
    {
        const qint64 phase = qMax(m_phase, m_clock.elapsed());
        m_phase = 0;
        return phase;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_longest = 0;
    qint64 m_phase = 0;
};
