#include "bench/loopprobe.h"

#include "bench/processstats.h"

namespace {
constexpr int kTickMs = 10;
constexpr qint64 kTickNs = qint64(kTickMs * ProcessStats::kNsPerMs);
// Counting threads and descriptors reads /proc and costs the program under test up to a
// tenth of its CPU when done at every tick; both change slowly next to a tick.
constexpr int kTicksPerCount = 5;
} // namespace

LoopProbe::LoopProbe(QObject *parent)
    : QObject(parent)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, &LoopProbe::slotTick);
}

void LoopProbe::start()
{
    m_nWorstLateNs = 0;
    m_nWorstEndNs = 0;
    m_nTicks = 0;
    m_nPeakThreads = ProcessStats::threadCount();
    m_nPeakDescriptors = ProcessStats::descriptorCount();
    m_nLastTickNs = ProcessStats::monotonicNs();
    m_timer.start();
}

void LoopProbe::stop()
{
    m_timer.stop();
}

double LoopProbe::worstStallMs() const
{
    return double(m_nWorstLateNs) / ProcessStats::kNsPerMs;
}

qint64 LoopProbe::worstStallEndNs() const
{
    return m_nWorstEndNs;
}

int LoopProbe::peakThreads() const
{
    return m_nPeakThreads;
}

int LoopProbe::peakDescriptors() const
{
    return m_nPeakDescriptors;
}

void LoopProbe::slotTick()
{
    const qint64 nNow = ProcessStats::monotonicNs();
    const qint64 nLateNs = nNow - m_nLastTickNs - kTickNs;
    if (nLateNs > m_nWorstLateNs) {
        m_nWorstLateNs = nLateNs;
        m_nWorstEndNs = nNow;
    }
    m_nLastTickNs = nNow;
    if (++m_nTicks % kTicksPerCount != 0)
        return;
    m_nPeakThreads = qMax(m_nPeakThreads, ProcessStats::threadCount());
    m_nPeakDescriptors = qMax(m_nPeakDescriptors, ProcessStats::descriptorCount());
}
