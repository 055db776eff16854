// The command line in the lab, driven as a user would: the built program as a process with
// neither DISPLAY nor QT_QPA_PLATFORM, against eight simulated cameras, camera 7 refusing
// every "SetEnv", every reboot taking 2 s. Each run's journal goes to a folder of its own.

#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "labsession.h"

namespace {

constexpr int kCameraCount = 8;
const QString kRefusingCamera = QStringLiteral("7");
const QList<int> kPlanCameras = {0, 1, 2};
const QString kPlanAddress = QStringLiteral("10.77.2.1%1");
const QString kMask = QStringLiteral("255.255.0.0");
const QString kGateway = QStringLiteral("10.77.0.1");
const QString kPlanLine = QStringLiteral("%1,%2,%3,%4\n");
const QString kPlanHeader = QStringLiteral("mac,address,mask,gateway\n");
const QString kForeignAddress = QStringLiteral("10.77.0.2");
constexpr int kRunTimeoutMs = 120000;

const QString kReq = QStringLiteral("REQ");
const QString kSearch = QStringLiteral("SEARCH");
const QString kCmd = QStringLiteral("cmd");
const QString kCam = QStringLiteral("cam");
const QString kSetEnv = QStringLiteral("SetEnv");

struct Run_S
{
    int nExit = -1;
    QByteArray baOut;
    QByteArray baErr;
};

} // namespace

class TestE2eCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void listJsonShowsEveryCamera();
    void applyMovesThePlannedCameras();
    void refusedWriteExitsOne();
    void usageErrorsExitTwo_data();
    void usageErrorsExitTwo();
    void foreignFromExitsThree();

private:
    Run_S run(const QStringList &listArguments) const;
    int setEnvCount(int nFrom, const QString &strCam) const;

    LabSession m_lab;
    QScopedPointer<QTemporaryDir> m_pHome;
};

void TestE2eCli::initTestCase()
{
    if (!m_lab.isAvailable())
        QSKIP(qPrintable(m_lab.unavailableReason()));
    QCOMPARE(m_lab.cameras().size(), kCameraCount);
}

void TestE2eCli::init()
{
    m_pHome.reset(new QTemporaryDir);
    QVERIFY(m_pHome->isValid());
}

// The program as a process of its own, with no display and the journal in the test's folder.
Run_S TestE2eCli::run(const QStringList &listArguments) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *szName : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(szName));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), m_pHome->path());
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(KESTROVA_PROGRAM), listArguments);
    Run_S stRun;
    if (!process.waitForFinished(kRunTimeoutMs) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return stRun;
    }
    stRun.nExit = process.exitCode();
    stRun.baOut = process.readAllStandardOutput();
    stRun.baErr = process.readAllStandardError();
    return stRun;
}

int TestE2eCli::setEnvCount(int nFrom, const QString &strCam) const
{
    return m_lab.lines(nFrom, kReq, {{kCmd, kSetEnv}, {kCam, strCam}}).size();
}

void TestE2eCli::listJsonShowsEveryCamera()
{
    const Run_S stRun = run({QStringLiteral("list"), QStringLiteral("--format"), QStringLiteral("json"),
                             QStringLiteral("--from"), m_lab.toolAddress()});
    QVERIFY2(stRun.nExit == 0, stRun.baErr.constData());
    const QJsonArray listed = QJsonDocument::fromJson(stRun.baOut).array();
    const QList<LabCamera_S> listCameras = m_lab.cameras();
    QCOMPARE(listed.size(), listCameras.size());
    for (int nCamera = 0; nCamera < listCameras.size(); ++nCamera) {
        const QJsonObject camera = listed.at(nCamera).toObject();
        const LabCamera_S &stCamera = listCameras.at(nCamera);
        QCOMPARE(camera[QStringLiteral("no")].toInt(), nCamera + 1);
        QCOMPARE(camera[QStringLiteral("address")].toString(), stCamera.strIp);
        QCOMPARE(camera[QStringLiteral("mask")].toString(), stCamera.strMask);
        QCOMPARE(camera[QStringLiteral("gateway")].toString(), stCamera.strGateway);
        QCOMPARE(camera[QStringLiteral("dhcp")].toBool(), stCamera.bDhcp);
        QCOMPARE(camera[QStringLiteral("mac")].toString(), stCamera.strMac);
        QCOMPARE(camera[QStringLiteral("firmware")].toString(),
                 QStringList({stCamera.strArmVersion, stCamera.strCamVersion, stCamera.strAFVersion}).join(QLatin1Char(',')));
        QCOMPARE(camera[QStringLiteral("state")].toString(), QStringLiteral("settings read"));
    }
}

// Three cameras found at their addresses move to new ones: one "SetEnv" each, carrying its
// own MAC, none to any other camera, each proven back, and the journal says so.
void TestE2eCli::applyMovesThePlannedCameras()
{
    QString strPlan = kPlanHeader;
    for (int nCamera : kPlanCameras)
        strPlan += kPlanLine.arg(m_lab.camera(QString::number(nCamera)).strMac, kPlanAddress.arg(nCamera), kMask, kGateway);
    QFile planFile(m_pHome->filePath(QStringLiteral("plan.csv")));
    QVERIFY(planFile.open(QIODevice::WriteOnly) && planFile.write(strPlan.toUtf8()) > 0);
    planFile.close();
    const int nMark = m_lab.lineCount();
    const Run_S stRun = run({QStringLiteral("apply"), planFile.fileName(), QStringLiteral("--yes"),
                             QStringLiteral("--from"), m_lab.toolAddress()});
    QVERIFY2(stRun.nExit == 0, stRun.baOut + stRun.baErr);
    QCOMPARE(stRun.baOut.count("done: back at its new address"), kPlanCameras.size());
    QFile journal(m_pHome->filePath(QStringLiteral("kestrova/journal.jsonl")));
    QVERIFY(journal.open(QIODevice::ReadOnly));
    QSet<QString> setBack;
    for (const QByteArray &baLine : journal.readAll().split('\n')) {
        const QJsonObject entry = QJsonDocument::fromJson(baLine).object();
        if (entry[QStringLiteral("event")].toString() == QLatin1String("back"))
            setBack.insert(entry[QStringLiteral("mac")].toString());
    }
    for (int nCamera = 0; nCamera < kCameraCount; ++nCamera) {
        const QString strCam = QString::number(nCamera);
        const LabCamera_S stCamera = m_lab.camera(strCam);
        if (!kPlanCameras.contains(nCamera)) {
            QCOMPARE(setEnvCount(nMark, strCam), 0);
            continue;
        }
        const QList<LabLine_S> listSetEnv = m_lab.lines(nMark, kReq, {{kCmd, kSetEnv}, {kCam, strCam}});
        QCOMPARE(listSetEnv.size(), 1);
        QCOMPARE(LabSession::setEnvEth(listSetEnv.first())[QStringLiteral("szMacAddr")].toString(), stCamera.strMac);
        QCOMPARE(stCamera.strIp, kPlanAddress.arg(nCamera));
        QVERIFY(setBack.contains(stCamera.strMac));
    }
}

void TestE2eCli::refusedWriteExitsOne()
{
    const LabCamera_S stCamera = m_lab.camera(kRefusingCamera);
    const int nMark = m_lab.lineCount();
    const Run_S stRun = run({QStringLiteral("set"), stCamera.strMac, QStringLiteral("--address"), kPlanAddress.arg(9),
                             QStringLiteral("--mask"), kMask, QStringLiteral("--gateway"), kGateway,
                             QStringLiteral("--yes"), QStringLiteral("--from"), m_lab.toolAddress()});
    QVERIFY2(stRun.nExit == 1, stRun.baOut + stRun.baErr);
    QCOMPARE(setEnvCount(nMark, kRefusingCamera), 1);
    QCOMPARE(m_lab.camera(kRefusingCamera).strIp, stCamera.strIp);
}

// Nothing is written; a usage error found in the arguments sends nothing at all.
void TestE2eCli::usageErrorsExitTwo_data()
{
    QTest::addColumn<QStringList>("listArguments");
    QTest::addColumn<bool>("bSearches");
    const QString strMac = m_lab.camera(QString::number(kPlanCameras.first())).strMac;
    const QStringList listStatic = {QStringLiteral("--address"), kPlanAddress.arg(8), QStringLiteral("--mask"), kMask,
                                    QStringLiteral("--gateway"), kGateway};
    QTest::newRow("unknown command") << QStringList{QStringLiteral("move"), strMac} << false;
    QTest::newRow("set without a MAC") << (QStringList{QStringLiteral("set")} + listStatic) << false;
    QTest::newRow("apply without a plan") << QStringList{QStringLiteral("apply")} << false;
    QTest::newRow("list with an argument") << QStringList{QStringLiteral("list"), strMac} << false;
    QTest::newRow("bad format") << QStringList{QStringLiteral("list"), QStringLiteral("--format"), QStringLiteral("xml")} << false;
    QTest::newRow("set without --mask") << QStringList{QStringLiteral("set"), strMac, QStringLiteral("--address"),
                                                       kPlanAddress.arg(8), QStringLiteral("--gateway"), kGateway} << false;
    QTest::newRow("no plan file") << QStringList{QStringLiteral("apply"), QStringLiteral(KESTROVA_PROGRAM)} << false;
    QTest::newRow("no terminal, no --yes") << (QStringList{QStringLiteral("set"), strMac} + listStatic) << true;
}

void TestE2eCli::usageErrorsExitTwo()
{
    QFETCH(QStringList, listArguments);
    QFETCH(bool, bSearches);
    const int nMark = m_lab.lineCount();
    const Run_S stRun = run(listArguments << QStringLiteral("--from") << m_lab.toolAddress());
    QVERIFY2(stRun.nExit == 2, stRun.baOut + stRun.baErr);
    QVERIFY(!stRun.baErr.isEmpty());
    QCOMPARE(m_lab.lines(nMark, kReq, {{kCmd, kSetEnv}}).size(), 0);
    QCOMPARE(!m_lab.lines(nMark, kSearch).isEmpty(), bSearches);
}

void TestE2eCli::foreignFromExitsThree()
{
    const int nMark = m_lab.lineCount();
    const Run_S stRun = run({QStringLiteral("list"), QStringLiteral("--from"), kForeignAddress});
    QVERIFY2(stRun.nExit == 3, stRun.baErr.constData());
    QVERIFY(stRun.baErr.contains(m_lab.toolAddress().toUtf8()));
    QCOMPARE(m_lab.lines(nMark, kSearch).size(), 0);
}

QTEST_GUILESS_MAIN(TestE2eCli)
#include "tst_e2e_cli.moc"
