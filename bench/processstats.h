#pragma once

#include <QtGlobal>

// Readings of the running process: a monotonic clock, CPU time and /proc/self/status.
namespace ProcessStats {

constexpr double kNsPerMs = 1e6;

/// CLOCK_MONOTONIC in nanoseconds; comparable between processes on one machine.
qint64 monotonicNs();
/// User plus system CPU time of the process so far, in milliseconds.
double cpuMs();
/// User plus system CPU time of the calling thread so far, in milliseconds.
double threadCpuMs();
/// A "kB" field of /proc/self/status (VmHWM, VmRSS, ...); -1 when missing.
qint64 statusKb(const char *szField);
/// Threads of the process now; -1 when unreadable.
int threadCount();
/// Open file descriptors of the process now; -1 when unreadable.
int descriptorCount();
/// The soft limit on open file descriptors (ulimit -n); -1 when unlimited.
qint64 descriptorLimit();
/// A counter of the "Udp:" lines of /proc/net/snmp (this network namespace); -1 when missing.
qint64 udpCounter(const char *szName);

} // namespace ProcessStats
