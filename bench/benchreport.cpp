#include "bench/benchreport.h"

#include <QJsonValue>
#include <QStringList>
#include <QVector>

#include <algorithm>

namespace {

struct Row
{
    const char *szLabel;
    const char *szKey;
    double dScale; // figure = value × scale
    int nDecimals;
};

constexpr double kKbToMb = 1.0 / 1024.0;

const Row kRows[] = {
    {"rows listed", "rows", 1, 0},
    {"rows to fill (cameras answering HTTP)", "rowsToFill", 1, 0},
    {"file descriptor limit", "fdLimit", 1, 0},
    {"search replies dropped (rcvbuf)", "udpRcvbufDrops", 1, 0},
    {"first search reply [ms]", "firstReplyMs", 1, 1},
    {"floor = first reply + 2000 [ms]", "floorMs", 1, 1},
    {"list published [ms]", "publishedMs", 1, 1},
    {"rows built [ms]", "listedMs", 1, 1},
    {"SDK search ended [ms]", "sdkDoneMs", 1, 1},
    {"all requests issued [ms]", "requestsSentMs", 1, 1},
    {"first GetEnv reply [ms]", "firstEthMs", 1, 1},
    {"every row filled [ms]", "filledMs", 1, 1},
    {"filled - floor [ms]", "filledMinusFloorMs", 1, 1},
    {"filled / floor", "filledOverFloor", 1, 3},
    {"all requests finished [ms]", "settledMs", 1, 1},
    {"peak RSS VmHWM [MB]", "hwmKb", kKbToMb, 1},
    {"RSS at end [MB]", "rssEndKb", kKbToMb, 1},
    {"CPU press..filled [ms]", "cpuFilledMs", 1, 0},
    {"CPU published..filled [ms]", "cpuPublishedFilledMs", 1, 0},
    {"CPU press..finished [ms]", "cpuSettledMs", 1, 0},
    {"worst loop stall to filled [ms]", "stallFilledMs", 1, 1},
    {"worst loop stall to finished [ms]", "stallSettledMs", 1, 1},
    {"  ...that stall ended at [ms]", "stallEndMs", 1, 1},
    {"threads at peak", "threadsPeakSettled", 1, 0},
    {"file descriptors at peak", "descriptorsPeakSettled", 1, 0},
    {"requests taken", "requestsTaken", 1, 0},
    {"  answered", "requestsAnswered", 1, 0},
    {"  unreadable", "requestsUnreadable", 1, 0},
    {"  timed out", "requestsTimedOut", 1, 0},
    {"  unreachable", "requestsUnreachable", 1, 0},
    {"  refused", "requestsRefused", 1, 0},
    {"  other failures", "requestsOtherFailures", 1, 0},
    {"start: exec..main [ms]", "execToMainMs", 1, 1},
    {"start: exec..Control built [ms]", "controlMs", 1, 1},
    {"start: exec..window shown [ms]", "shownMs", 1, 1},
    {"start: exec..window exposed [ms]", "exposedMs", 1, 1},
    {"start: exec..first paint [ms]", "paintedMs", 1, 1},
    {"idle CPU over 2 s [ms]", "idleCpuMsPer2s", 1, 1},
    {"idle threads", "idleThreads", 1, 0},
    {"idle file descriptors", "idleDescriptors", 1, 0},
    {"idle VmHWM [MB]", "idleHwmKb", kKbToMb, 1},
};

// The figures the comparison with a baseline shows.
const Row kCompared[] = {
    {"file descriptor limit", "fdLimit", 1, 0},
    {"rows listed", "rows", 1, 0},
    {"filled - floor [ms]", "filledMinusFloorMs", 1, 1},
    {"CPU published..filled [ms]", "cpuPublishedFilledMs", 1, 0},
    {"worst loop stall to filled [ms]", "stallFilledMs", 1, 1},
    {"worst loop stall to finished [ms]", "stallSettledMs", 1, 1},
    {"threads at peak", "threadsPeakSettled", 1, 0},
    {"file descriptors at peak", "descriptorsPeakSettled", 1, 0},
    {"peak RSS VmHWM [MB]", "hwmKb", kKbToMb, 1},
};

// The program's figure and the plain clients' figure it is set against.
struct Yardstick
{
    const char *szLabel;
    const char *szKey;
    const char *szClientKey;
};

const Yardstick kYardsticks[] = {
    {"filled - floor / client's run [ms]", "filledMinusFloorMs", "clientWallMs"},
    {"CPU published..filled / run [ms]", "cpuPublishedFilledMs", "clientCpuMs"},
};

constexpr int kLabelWidth = 36;
constexpr int kColumnWidth = 11;
constexpr int kRatioDecimals = 2;

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    const int nMid = values.size() / 2;
    return values.size() % 2 ? values.at(nMid) : (values.at(nMid - 1) + values.at(nMid)) / 2;
}

QString cell(const QJsonObject &median, const Row &row)
{
    const QJsonValue value = median.value(QLatin1String(row.szKey));
    if (!value.isDouble())
        return QStringLiteral("-");
    return QString::number(value.toDouble() * row.dScale, 'f', row.nDecimals);
}

} // namespace

QJsonObject BenchReport::medians(const QJsonArray &runs)
{
    QStringList listKeys;
    for (const QJsonValue &run : runs)
        listKeys += run.toObject().keys();
    listKeys.removeDuplicates();

    QJsonObject result;
    for (const QString &strKey : qAsConst(listKeys)) {
        QVector<double> values;
        for (const QJsonValue &run : runs) {
            const QJsonValue value = run.toObject().value(strKey);
            if (value.isDouble() && value.toDouble() != -1)
                values.append(value.toDouble());
        }
        if (!values.isEmpty())
            result.insert(strKey, median(values));
    }
    return result;
}

QString BenchReport::table(const QJsonArray &results)
{
    QString strTable = QStringLiteral("median of runs").leftJustified(kLabelWidth);
    for (const QJsonValue &result : results)
        strTable += QStringLiteral("N=%1").arg(result.toObject().value(QLatin1String("cameras")).toInt())
                        .rightJustified(kColumnWidth);
    strTable += QLatin1Char('\n');
    QString strRuns = QStringLiteral("runs").leftJustified(kLabelWidth);
    for (const QJsonValue &result : results)
        strRuns += QString::number(result.toObject().value(QLatin1String("runs")).toArray().size())
                       .rightJustified(kColumnWidth);
    strTable += strRuns + QLatin1Char('\n');
    for (const Row &row : kRows) {
        QString strLine = QString::fromLatin1(row.szLabel).leftJustified(kLabelWidth);
        for (const QJsonValue &result : results)
            strLine += cell(result.toObject().value(QLatin1String("median")).toObject(), row).rightJustified(kColumnWidth);
        strTable += strLine + QLatin1Char('\n');
    }
    return strTable;
}

QString BenchReport::comparison(const QJsonArray &results)
{
    QString strTable = QStringLiteral("median of runs").leftJustified(kLabelWidth) + QStringLiteral("this").rightJustified(kColumnWidth)
        + QStringLiteral("baseline").rightJustified(kColumnWidth) + QStringLiteral("ratio").rightJustified(kColumnWidth) + QLatin1Char('\n');
    QStringList listNotes;
    for (int nPair = 0; nPair + 1 < results.size(); nPair += 2) {
        const QJsonObject current = results.at(nPair).toObject();
        const QJsonObject baseline = results.at(nPair + 1).toObject();
        const int nCameras = current.value(QLatin1String("cameras")).toInt();
        strTable += QStringLiteral("N=%1").arg(nCameras) + QLatin1Char('\n');
        const QJsonObject currentMedian = current.value(QLatin1String("median")).toObject();
        const QJsonObject baselineMedian = baseline.value(QLatin1String("median")).toObject();
        for (const Row &row : kCompared) {
            const QJsonValue currentValue = currentMedian.value(QLatin1String(row.szKey));
            const QJsonValue baselineValue = baselineMedian.value(QLatin1String(row.szKey));
            const bool bRatio = currentValue.isDouble() && baselineValue.isDouble() && baselineValue.toDouble() != 0;
            strTable += (QStringLiteral("  ") + QLatin1String(row.szLabel)).leftJustified(kLabelWidth)
                + cell(currentMedian, row).rightJustified(kColumnWidth) + cell(baselineMedian, row).rightJustified(kColumnWidth)
                + (bRatio ? QString::number(currentValue.toDouble() / baselineValue.toDouble(), 'f', kRatioDecimals)
                          : QStringLiteral("-")).rightJustified(kColumnWidth)
                + QLatin1Char('\n');
        }
        for (const QJsonObject &result : {current, baseline}) {
            const QString strNote = result.value(QLatin1String("note")).toString();
            if (!strNote.isEmpty())
                listNotes << QStringLiteral("N=%1: %2").arg(nCameras).arg(strNote);
        }
    }
    return strTable + listNotes.join(QLatin1Char('\n')) + (listNotes.isEmpty() ? QString() : QStringLiteral("\n"));
}

QString BenchReport::yardstick(const QJsonArray &results)
{
    QString strTable = QStringLiteral("median of runs").leftJustified(kLabelWidth);
    for (const char *szHead : {"program", "reference", "Qt floor", "/ ref", "/ Qt"})
        strTable += QString::fromLatin1(szHead).rightJustified(kColumnWidth);
    strTable += QLatin1Char('\n');
    for (int nGroup = 0; nGroup + 2 < results.size(); nGroup += 3) {
        const QJsonObject program = results.at(nGroup).toObject().value(QLatin1String("median")).toObject();
        const QJsonObject listClients[] = {results.at(nGroup + 1).toObject().value(QLatin1String("median")).toObject(),
                                           results.at(nGroup + 2).toObject().value(QLatin1String("median")).toObject()};
        strTable += QStringLiteral("N=%1").arg(results.at(nGroup).toObject().value(QLatin1String("cameras")).toInt()) + QLatin1Char('\n');
        for (const Yardstick &row : kYardsticks) {
            const double dProgram = program.value(QLatin1String(row.szKey)).toDouble(-1);
            QString strLine = (QStringLiteral("  ") + QLatin1String(row.szLabel)).leftJustified(kLabelWidth)
                + cell(program, {row.szLabel, row.szKey, 1, 1}).rightJustified(kColumnWidth);
            QString strRatios;
            for (const QJsonObject &client : listClients) {
                const double dClient = client.value(QLatin1String(row.szClientKey)).toDouble(-1);
                strLine += cell(client, {row.szLabel, row.szClientKey, 1, 1}).rightJustified(kColumnWidth);
                strRatios += (dProgram >= 0 && dClient > 0 ? QString::number(dProgram / dClient, 'f', kRatioDecimals)
                                                           : QStringLiteral("-")).rightJustified(kColumnWidth);
            }
            strTable += strLine + strRatios + QLatin1Char('\n');
        }
    }
    return strTable;
}
