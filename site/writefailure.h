#pragma once

#include <QFileDevice>
#include <QString>

/// Why a write of @p nWanted bytes to @p file took only @p nWritten: the device's error, or,
/// for a write cut short (which sets none, as when a disk fills part-way), how much it took.
QString writeFailureText(const QFileDevice &file, qint64 nWritten, qint64 nWanted);
