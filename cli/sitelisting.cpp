#include "cli/sitelisting.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

#include "site/devicecolumns.h"
#include "site/devicerow.h"
#include "site/tablecsv.h"

namespace {

const QString kReasonHeader = QStringLiteral("Reason");
const QString kCsv = QStringLiteral("csv");
const QString kJson = QStringLiteral("json");
const QString kColumnGap = QStringLiteral("  ");
const QChar kLineEnd = QLatin1Char('\n');
const QChar kPad = QLatin1Char(' ');

} // namespace

QString SiteListing::text(const QList<DeviceRow *> &listRows, const QString &strFormat)
{
    if (strFormat == kJson)
        return jsonText(listRows);
    const QList<QStringList> listLines = lines(listRows);
    return strFormat == kCsv ? tableCsv(listLines) : tableText(listLines);
}

// The header, then one line per camera: the report's columns and the reason for its state.
QList<QStringList> SiteListing::lines(const QList<DeviceRow *> &listRows)
{
    QList<QStringList> listLines{deviceReportHeader() << kReasonHeader};
    for (const DeviceRow *pRow : listRows)
        listLines.append(deviceReportLine(pRow) << pRow->reason());
    return listLines;
}

// Each column as wide as its widest text; no line ends in blanks.
QString SiteListing::tableText(const QList<QStringList> &listLines)
{
    QList<int> listWidths;
    for (const QStringList &listFields : listLines) {
        for (int nColumn = 0; nColumn < listFields.size(); ++nColumn) {
            if (nColumn == listWidths.size())
                listWidths.append(0);
            listWidths[nColumn] = std::max(listWidths.at(nColumn), int(listFields.at(nColumn).size()));
        }
    }
    QString strText;
    for (const QStringList &listFields : listLines) {
        QStringList listPadded;
        for (int nColumn = 0; nColumn < listFields.size(); ++nColumn)
            listPadded.append(listFields.at(nColumn).leftJustified(listWidths.at(nColumn), kPad));
        QString strLine = listPadded.join(kColumnGap);
        while (strLine.endsWith(kPad))
            strLine.chop(1);
        strText += strLine + kLineEnd;
    }
    return strText;
}

QString SiteListing::jsonText(const QList<DeviceRow *> &listRows)
{
    QJsonArray cameras;
    for (const DeviceRow *pRow : listRows) {
        const QDateTime lastProof = pRow->lastProof();
        cameras.append(QJsonObject{
            {QStringLiteral("no"), pRow->index() + 1},
            {QStringLiteral("address"), deviceCellText(pRow, ColIp)},
            {QStringLiteral("mask"), deviceCellText(pRow, ColMask)},
            {QStringLiteral("gateway"), deviceCellText(pRow, ColGateway)},
            {QStringLiteral("dhcp"), pRow->shown().bDhcp},
            {QStringLiteral("mac"), deviceCellText(pRow, ColMac)},
            {QStringLiteral("firmware"), deviceCellText(pRow, ColFw)},
            {QStringLiteral("state"), rowStateName(pRow->state())},
            {QStringLiteral("reason"), pRow->reason()},
            {QStringLiteral("lastProof"), lastProof.isValid() ? QJsonValue(lastProof.toString(Qt::ISODate)) : QJsonValue()},
            {QStringLiteral("label"), pRow->label()},
        });
    }
    return QString::fromUtf8(QJsonDocument(cameras).toJson(QJsonDocument::Indented));
}
