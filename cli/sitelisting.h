#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class DeviceRow;

/**
 * The site as `kestrova list` prints it: every camera in the columns of the as-built
 * report (site/devicecolumns.h) and a reason column, as aligned text ("table"), as CSV
 * ("csv") or as one JSON array of objects ("json"), each with the keys "no" (a number),
 * "address", "mask", "gateway", "dhcp" (true or false), "mac", "firmware", "state",
 * "reason", "lastProof" (ISO 8601, null when never proven) and "label".
 */
class SiteListing
{
public:
    /// @p listRows in @p strFormat ("table", "csv" or "json"), ending in a line end.
    static QString text(const QList<DeviceRow *> &listRows, const QString &strFormat);

    SiteListing() = delete;

private:
    static QList<QStringList> lines(const QList<DeviceRow *> &listRows);
    static QString tableText(const QList<QStringList> &listLines);
    static QString jsonText(const QList<DeviceRow *> &listRows);
};
