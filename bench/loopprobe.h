#pragma once

#include <QObject>
#include <QTimer>

/**
 * Watches the GUI event loop with a 10 ms repeating timer: the worst lateness of a tick
 * (its interval minus 10 ms) is the longest stall; each tick also samples the thread and
 * file descriptor counts.
 * Reset with start(); read at any time.
 */
class LoopProbe : public QObject
{
    Q_OBJECT

public:
    explicit LoopProbe(QObject *parent = nullptr);

    /// Clears the figures and starts ticking.
    void start();
    void stop();

    /// Longest lateness of a tick since start(), in milliseconds.
    double worstStallMs() const;
    /// When the longest stall ended, on the monotonic clock in nanoseconds; 0 before any tick.
    qint64 worstStallEndNs() const;
    /// Most threads seen since start(), counted every few ticks.
    int peakThreads() const;
    /// Most open file descriptors seen since start(), counted every few ticks.
    int peakDescriptors() const;

private:
    void slotTick();

    QTimer m_timer;
    qint64 m_nLastTickNs = 0;
    qint64 m_nWorstLateNs = 0;
    qint64 m_nWorstEndNs = 0;
    int m_nTicks = 0;
    int m_nPeakThreads = 0;
    int m_nPeakDescriptors = 0;
};
