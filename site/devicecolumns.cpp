#include "site/devicecolumns.h"

#include "site/devicerow.h"

namespace {
const QStringList kHeaders = {
    QStringLiteral("No."),        QStringLiteral("IP Address"), QStringLiteral("Subnet Mask"), QStringLiteral("Gateway"),
    QStringLiteral("DHCP"),       QStringLiteral("MAC"),        QStringLiteral("FW Version"),  QStringLiteral("Operation"),
};
const QString kStateHeader = QStringLiteral("State");
const QStringList kReportHeaders = {QStringLiteral("Last proof"), QStringLiteral("Label")};
const QString kDhcpOn = QStringLiteral("on");
const QString kDhcpOff = QStringLiteral("off");
} // namespace

QStringList deviceColumnHeaders()
{
    return kHeaders;
}

QString deviceCellText(const DeviceRow *pRow, int nColumn)
{
    switch (nColumn) {
    case ColNo:
        return QString::number(pRow->index() + 1);
    case ColIp:
        return pRow->shown().strAddress;
    case ColMask:
        return pRow->shown().strMask;
    case ColGateway:
        return pRow->shown().strGateway;
    case ColMac:
        return pRow->mac();
    case ColFw:
        return pRow->firmwareText();
    default:
        return QString();
    }
}

bool deviceRowMatches(const DeviceRow *pRow, const QString &strFilter)
{
    for (int nColumn : {ColIp, ColMac, ColFw}) {
        if (deviceCellText(pRow, nColumn).contains(strFilter, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QString dhcpText(bool bDhcp)
{
    return bDhcp ? kDhcpOn : kDhcpOff;
}

QStringList deviceCsvHeader()
{
    return kHeaders.mid(ColNo, ColOperation) << kStateHeader;
}

QStringList deviceCsvLine(const DeviceRow *pRow)
{
    return {deviceCellText(pRow, ColNo),  deviceCellText(pRow, ColIp),  deviceCellText(pRow, ColMask),
            deviceCellText(pRow, ColGateway), dhcpText(pRow->shown().bDhcp), deviceCellText(pRow, ColMac),
            deviceCellText(pRow, ColFw),  rowStateName(pRow->state())};
}

QStringList deviceReportHeader()
{
    return deviceCsvHeader() + kReportHeaders;
}

QStringList deviceReportLine(const DeviceRow *pRow)
{
    return deviceCsvLine(pRow) << pRow->lastProof().toString(Qt::ISODate) << pRow->label();
}
