// kestrova-bench
//
//   kestrova-bench --cameras N [--repeat R] --out FILE [--logs DIR] [--note TEXT]
//       Runs R fresh processes of itself (--run), each measuring start-up and one search
//       cycle, and writes their figures and medians to FILE as JSON, with TEXT as its note. Meant to run inside
//       the lab (tools/lab/kestrova-lab), where KESTROVA_LAB_TOOL_ADDRESS names the local
//       address to search from.
//   kestrova-bench --report OUT FILE...
//       Prints the table of the given result files and writes them together to OUT.
//   kestrova-bench --run EXEC_NS
//       One measured process; EXEC_NS is the launcher's monotonic clock just before the
//       start. Prints one "BENCH-RESULT {json}" line. The rows it waits for are those of
//       the cameras the simulators' logs (KESTROVA_LAB_LOGS) list as answering HTTP.
//   kestrova-bench --reference|--qt-floor --cameras N [--repeat R] --out FILE [--logs DIR]
//       The same with a plain client in place of the program: the reference client
//       (bench/refclient.h) or the client on Qt's network access manager alone
//       (bench/qtfloorclient.h). R fresh processes of itself (--reference-run or
//       --qt-floor-run), each asking every camera that answers HTTP once.
//   kestrova-bench --yardstick OUT FILE...
//       Prints the program's figures next to the two clients', from result files in
//       threes (the program's, the reference's, the Qt floor's, per camera count), with
//       their ratios, and writes them together to OUT.
//   kestrova-bench --compare OUT FILE...
//       Prints the key figures of result files in pairs (this build, then a baseline
//       build, per camera count) with their ratios, and writes them together to OUT.
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSet>
#include <QTextStream>

#include <cstdio>
#include <cstring>

#include "app/control.h"
#include "bench/benchreport.h"
#include "bench/cyclerun.h"
#include "bench/processstats.h"
#include "bench/qtfloorclient.h"
#include "bench/refclient.h"

namespace {

constexpr char kResultTag[] = "BENCH-RESULT ";
constexpr int kExitUsage = 64;
constexpr int kExitFailed = 1;
constexpr int kRunTimeoutMs = 180000;
constexpr int kReferenceTimeoutMs = 60000;
const QString kRunOption = QStringLiteral("--run");
const QString kReferenceRunOption = QStringLiteral("--reference-run");
const QString kQtFloorRunOption = QStringLiteral("--qt-floor-run");
// Camera modes whose HTTP answers can fill a row.
const QStringList kFillableModes = {QStringLiteral("none"), QStringLiteral("flood"), QStringLiteral("plausible-flood"),
                                    QStringLiteral("bad-address")};
constexpr int kDefaultRepeat = 3;

void say(const QString &strText)
{
    QTextStream(stderr) << "kestrova-bench: " << strText << '\n';
}

QString argumentAfter(const QStringList &listArgs, const QString &strOption, const QString &strDefault = QString())
{
    const int nIndex = listArgs.indexOf(strOption);
    return nIndex >= 0 && nIndex + 1 < listArgs.size() ? listArgs.at(nIndex + 1) : strDefault;
}

bool writeJson(const QString &strPath, const QJsonObject &object)
{
    QFile file(strPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(QJsonDocument(object).toJson(QJsonDocument::Indented)) > 0;
}

QJsonObject readJson(const QString &strPath)
{
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

// Addresses of the cameras in the simulators' logs that answer HTTP as cameras do.
QSet<QString> fillableAddresses()
{
    QSet<QString> setAddresses;
    const QStringList listLogs = qEnvironmentVariable("KESTROVA_LAB_LOGS").split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString &strLog : listLogs) {
        QFile file(strLog);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        while (!file.atEnd()) {
            const QString strLine = QString::fromUtf8(file.readLine()).trimmed();
            if (!strLine.startsWith(QLatin1String("CAMERA ")))
                continue;
            QHash<QString, QString> hashFields;
            for (const QString &strField : strLine.split(QLatin1Char(' ')))
                hashFields.insert(strField.section(QLatin1Char('='), 0, 0), strField.section(QLatin1Char('='), 1));
            if (hashFields.value(QStringLiteral("http")) == QLatin1String("on")
                && kFillableModes.contains(hashFields.value(QStringLiteral("hostile"))))
                setAddresses.insert(hashFields.value(QStringLiteral("ip")));
        }
    }
    return setAddresses;
}

// One measured process: the program's own start-up order, then the cycle.
int runOnce(int argc, char *argv[], qint64 nExecNs)
{
    const qint64 nMainNs = ProcessStats::monotonicNs();
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps, true);
    QApplication app(argc, argv);
    CycleRun cycle(nExecNs, nMainNs, fillableAddresses());
    cycle.markApplication();
    Control control;
    const QString strLocalIp = qEnvironmentVariable("KESTROVA_LAB_TOOL_ADDRESS");
    QJsonObject result;
    QString strError;
    if (!cycle.measure(control, strLocalIp, result, strError)) {
        say(strError);
        return kExitFailed;
    }
    std::printf("%s%s\n", kResultTag, QJsonDocument(result).toJson(QJsonDocument::Compact).constData());
    std::fflush(stdout);
    return 0;
}

// One run of a plain client in this process, with the same output as runOnce.
template <typename Client>
int runClient()
{
    QStringList listAddresses = fillableAddresses().values();
    listAddresses.sort();
    const typename Client::Result_S stResult = Client(listAddresses).run(kReferenceTimeoutMs);
    const QJsonObject result{{QStringLiteral("clientCameras"), listAddresses.size()},
                             {QStringLiteral("clientAnswered"), stResult.nAnswered},
                             {QStringLiteral("clientFailed"), stResult.nFailed},
                             {QStringLiteral("clientWallMs"), stResult.dWallMs},
                             {QStringLiteral("clientCpuMs"), stResult.dCpuMs}};
    std::printf("%s%s\n", kResultTag, QJsonDocument(result).toJson(QJsonDocument::Compact).constData());
    std::fflush(stdout);
    return stResult.nFailed == 0 ? 0 : kExitFailed;
}

QJsonObject runChild(const QString &strMode, const QString &strLogPath, QString &strError)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.setStandardErrorFile(strLogPath);
    const QString strExecNs = QString::number(ProcessStats::monotonicNs());
    process.start(QCoreApplication::applicationFilePath(), {strMode, strExecNs});
    if (!process.waitForFinished(kRunTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        strError = QStringLiteral("run timed out or did not start; see %1").arg(strLogPath);
        return {};
    }
    const QList<QByteArray> listLines = process.readAllStandardOutput().split('\n');
    for (const QByteArray &baLine : listLines) {
        if (baLine.startsWith(kResultTag))
            return QJsonDocument::fromJson(baLine.mid(int(std::strlen(kResultTag)))).object();
    }
    strError = QStringLiteral("run exited with %1 and no result; see %2").arg(process.exitCode()).arg(strLogPath);
    return {};
}

int drive(const QStringList &listArgs)
{
    const int nCameras = argumentAfter(listArgs, QStringLiteral("--cameras")).toInt();
    const int nRepeat = argumentAfter(listArgs, QStringLiteral("--repeat"), QString::number(kDefaultRepeat)).toInt();
    const QString strOut = argumentAfter(listArgs, QStringLiteral("--out"));
    const QString strLogs = argumentAfter(listArgs, QStringLiteral("--logs"), QDir::tempPath());
    const QString strNote = argumentAfter(listArgs, QStringLiteral("--note"));
    if (nCameras <= 0 || nRepeat <= 0 || strOut.isEmpty()) {
        say(QStringLiteral("usage: kestrova-bench --cameras N [--repeat R] --out FILE [--logs DIR] [--note TEXT]"));
        return kExitUsage;
    }
    QString strMode = kRunOption;
    QString strName = QStringLiteral("bench");
    if (listArgs.contains(QStringLiteral("--reference"))) {
        strMode = kReferenceRunOption;
        strName = QStringLiteral("reference");
    } else if (listArgs.contains(QStringLiteral("--qt-floor"))) {
        strMode = kQtFloorRunOption;
        strName = QStringLiteral("qt-floor");
    }
    const bool bClient = strMode != kRunOption;
    QJsonArray runs;
    for (int nRun = 0; nRun < nRepeat; ++nRun) {
        const QString strLog = QStringLiteral("%1/%2-%3-run%4.log").arg(strLogs, strName).arg(nCameras).arg(nRun + 1);
        QString strError;
        const QJsonObject run = runChild(strMode, strLog, strError);
        if (run.isEmpty()) {
            say(strError);
            return kExitFailed;
        }
        say(bClient ? QStringLiteral("N=%1 %2 run %3/%4: %5 ms, CPU %6 ms")
                          .arg(nCameras).arg(strName).arg(nRun + 1).arg(nRepeat)
                          .arg(run.value(QLatin1String("clientWallMs")).toDouble(), 0, 'f', 1)
                          .arg(run.value(QLatin1String("clientCpuMs")).toDouble(), 0, 'f', 1)
                       : QStringLiteral("N=%1 run %2/%3: filled %4 ms, floor %5 ms, VmHWM %6 MB")
                             .arg(nCameras).arg(nRun + 1).arg(nRepeat)
                             .arg(run.value(QLatin1String("filledMs")).toDouble(), 0, 'f', 1)
                             .arg(run.value(QLatin1String("floorMs")).toDouble(), 0, 'f', 1)
                             .arg(run.value(QLatin1String("hwmKb")).toDouble() / 1024, 0, 'f', 1));
        runs.append(run);
    }
    const QJsonObject result{{QStringLiteral("cameras"), nCameras},
                             {QStringLiteral("runs"), runs},
                             {QStringLiteral("median"), BenchReport::medians(runs)},
                             {QStringLiteral("note"), strNote}};
    if (!writeJson(strOut, result)) {
        say(QStringLiteral("cannot write %1").arg(strOut));
        return kExitFailed;
    }
    return 0;
}

QJsonArray readResults(const QStringList &listFiles)
{
    QJsonArray results;
    for (const QString &strFile : listFiles)
        results.append(readJson(strFile));
    return results;
}

// Prints the result files after @p strOption, in groups of @p nGroup, as @p print sets them out.
int printGroups(const QStringList &listArgs, const QString &strOption, int nGroup, const QString &strUsage,
                QString (*print)(const QJsonArray &))
{
    const int nIndex = listArgs.indexOf(strOption);
    const QStringList listFiles = listArgs.mid(nIndex + 1);
    if (listFiles.size() < nGroup + 1 || (listFiles.size() - 1) % nGroup != 0) {
        say(strUsage);
        return kExitUsage;
    }
    const QJsonArray results = readResults(listFiles.mid(1));
    const QJsonObject all{{QStringLiteral("generated"), QDateTime::currentDateTimeUtc().toString(Qt::ISODate)},
                          {QStringLiteral("pairs"), results}};
    QTextStream(stdout) << print(results);
    if (!writeJson(listFiles.first(), all)) {
        say(QStringLiteral("cannot write %1").arg(listFiles.first()));
        return kExitFailed;
    }
    return 0;
}

int report(const QStringList &listArgs)
{
    const int nIndex = listArgs.indexOf(QStringLiteral("--report"));
    const QStringList listFiles = listArgs.mid(nIndex + 1);
    if (listFiles.size() < 2) {
        say(QStringLiteral("usage: kestrova-bench --report OUT FILE..."));
        return kExitUsage;
    }
    const QJsonArray results = readResults(listFiles.mid(1));
    const QJsonObject all{{QStringLiteral("generated"), QDateTime::currentDateTimeUtc().toString(Qt::ISODate)},
                          {QStringLiteral("results"), results}};
    QTextStream(stdout) << BenchReport::table(results);
    if (!writeJson(listFiles.first(), all)) {
        say(QStringLiteral("cannot write %1").arg(listFiles.first()));
        return kExitFailed;
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 3 && kRunOption == QLatin1String(argv[1]))
        return runOnce(argc, argv, QByteArray(argv[2]).toLongLong());
    QCoreApplication app(argc, argv);
    const QStringList listArgs = QCoreApplication::arguments();
    if (listArgs.contains(kReferenceRunOption))
        return runClient<RefClient>();
    if (listArgs.contains(kQtFloorRunOption))
        return runClient<QtFloorClient>();
    if (listArgs.contains(QStringLiteral("--report")))
        return report(listArgs);
    if (listArgs.contains(QStringLiteral("--compare")))
        return printGroups(listArgs, QStringLiteral("--compare"), 2,
                           QStringLiteral("usage: kestrova-bench --compare OUT THIS BASELINE [THIS BASELINE]..."),
                           &BenchReport::comparison);
    if (listArgs.contains(QStringLiteral("--yardstick")))
        return printGroups(listArgs, QStringLiteral("--yardstick"), 3,
                           QStringLiteral("usage: kestrova-bench --yardstick OUT PROGRAM REFERENCE QTFLOOR [...]"),
                           &BenchReport::yardstick);
    return drive(listArgs);
}
