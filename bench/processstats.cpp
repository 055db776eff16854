#include "bench/processstats.h"

#include <QByteArray>
#include <QFile>

#include <dirent.h>
#include <sys/resource.h>
#include <time.h>

#include "core/timeunits.h"

namespace {

constexpr qint64 kNsPerSecond = 1000000000;
constexpr double kMsPerMicrosecond = 0.001;

// The value after "Field:" in /proc/self/status, as a number; -1 when missing.
qint64 statusNumber(const char *szField)
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray baPrefix = QByteArray(szField) + ':';
    const QList<QByteArray> listLines = file.readAll().split('\n');
    for (const QByteArray &baLine : listLines) {
        if (!baLine.startsWith(baPrefix))
            continue;
        const QList<QByteArray> listParts = baLine.mid(baPrefix.size()).simplified().split(' ');
        bool bOk = false;
        const qint64 nValue = listParts.value(0).toLongLong(&bOk);
        return bOk ? nValue : -1;
    }
    return -1;
}

double timevalMs(const timeval &tv)
{
    return double(tv.tv_sec) * MS_PER_SECOND + double(tv.tv_usec) * kMsPerMicrosecond;
}

} // namespace

qint64 ProcessStats::monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * kNsPerSecond + ts.tv_nsec;
}

double ProcessStats::cpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return timevalMs(usage.ru_utime) + timevalMs(usage.ru_stime);
}

double ProcessStats::threadCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return timevalMs(usage.ru_utime) + timevalMs(usage.ru_stime);
}

qint64 ProcessStats::statusKb(const char *szField)
{
    return statusNumber(szField);
}

// The "Udp:" lines come in pairs: the names, then the values in the same order.
qint64 ProcessStats::udpCounter(const char *szName)
{
    QFile file(QStringLiteral("/proc/net/snmp"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    QList<QByteArray> listNames;
    const QList<QByteArray> listLines = file.readAll().split('\n');
    for (const QByteArray &baLine : listLines) {
        if (!baLine.startsWith("Udp: "))
            continue;
        const QList<QByteArray> listFields = baLine.simplified().split(' ');
        if (listNames.isEmpty()) {
            listNames = listFields;
            continue;
        }
        const int nIndex = listNames.indexOf(QByteArray(szName));
        return nIndex > 0 ? listFields.value(nIndex).toLongLong() : -1;
    }
    return -1;
}

int ProcessStats::threadCount()
{
    return int(statusNumber("Threads"));
}

// Counted with readdir alone: sampled every 10 ms, it must cost next to nothing.
int ProcessStats::descriptorCount()
{
    DIR *pDir = opendir("/proc/self/fd");
    if (!pDir)
        return -1;
    int nEntries = 0;
    while (const dirent *pEntry = readdir(pDir))
        nEntries += pEntry->d_name[0] == '.' ? 0 : 1;
    closedir(pDir);
    // The listing itself holds one descriptor while it reads.
    return nEntries - 1;
}

qint64 ProcessStats::descriptorLimit()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return -1;
    return qint64(limit.rlim_cur);
}
