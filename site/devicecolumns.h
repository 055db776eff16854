#pragma once

#include <QString>
#include <QStringList>

class DeviceRow;

/// The device table's columns, in order.
enum DeviceColumn {
    ColNo,
    ColIp,
    ColMask,
    ColGateway,
    ColDhcp,
    ColMac,
    ColFw,
    ColOperation,
    DeviceColumnCount
};

/// The header labels of the columns, in order.
QStringList deviceColumnHeaders();
/// The text @p pRow shows in @p nColumn: empty for the columns of widgets.
QString deviceCellText(const DeviceRow *pRow, int nColumn);
/// True when the address, MAC or firmware @p pRow shows contains @p strFilter, in any case.
bool deviceRowMatches(const DeviceRow *pRow, const QString &strFilter);
/// "on" or "off": the DHCP switch as text.
QString dhcpText(bool bDhcp);

/// The columns of a copied row: those of text, DHCP as on or off, and the row's state.
QStringList deviceCsvHeader();
QStringList deviceCsvLine(const DeviceRow *pRow);
/// The columns of the as-built report: those of a copied row, the time of the last proof
/// that the camera is back, and the label a plan file gave it.
QStringList deviceReportHeader();
QStringList deviceReportLine(const DeviceRow *pRow);
