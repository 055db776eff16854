#pragma once

#include <QByteArray>
#include <QNetworkRequest>
#include <QString>

#include "net/httpqueue.h"

// The program's two reads of a camera ("QueryVersion", then "GetEnv"), as the plain
// clients of the benchmark send them, and what their runs measure.
namespace CameraReads {

/// Reads per camera.
constexpr int READS = 2;
/// Cameras asked at once: as many requests as the program's client lets be under way.
constexpr int MAX_AT_ONCE = HttpQueue::HTTP_MAX_IN_FLIGHT;

/// The request of read @p nRead (0 or 1) of the camera at @p strIp, headers as the
/// program's client sets them.
QNetworkRequest request(const QString &strIp, int nRead);
/// The body of read @p nRead; empty for a read without one.
QByteArray body(int nRead);
/// Whether @p baBody is a camera's answer carrying its values.
bool isAnswer(const QByteArray &baBody);

/// What one run of a plain client measured.
struct Result_S
{
    int nAnswered = 0; // cameras whose two replies were read and parsed
    int nFailed = 0;
    double dWallMs = 0;
    double dCpuMs = 0;
};

} // namespace CameraReads
