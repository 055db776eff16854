// Writes in the lab reach only the camera whose MAC they carry, once: two cameras share one
// address and every new connection there reaches the other one (the simulator's alternate
// serving); the lab runs once with cameras that keep their connections open and once with
// cameras that close after every reply. Beside them: a camera that refuses "Reboot", one
// that takes "SetEnv" and drops the connection unanswered, and a host whose firewall drops
// every connection attempt.

#include <QtTest>

#include <QJsonObject>

#include "deviceviewdriver.h"
#include "labprogram.h"
#include "labsession.h"
#include "net/addressprobe.h"
#include "net/chttp.h"
#include "support/teststep.h"
#include "widgets/ctextbutton.h"
#include "widgets/toggleswitch.h"

namespace {

const QString kShared = QStringLiteral("10.77.0.10");
const QString kPlainCamera = QStringLiteral("2");
const QString kRebootRefusing = QStringLiteral("3");
const QString kDropping = QStringLiteral("4");
const QString kNewAddress = QStringLiteral("10.77.0.%1");
constexpr int kFirstNewHost = 60;
constexpr int kSaveAttempts = 6;
const QString kNobody = QStringLiteral("10.77.0.251");

constexpr int kWatchIntervalMs = 500;
constexpr int kWatchLimitMs = 20000;
constexpr int kSearchTimeoutMs = 15000;
constexpr int kStateTimeoutMs = kWatchLimitMs + 10000;
constexpr int kProbeTimeoutMs = 10000;

const QString kSetEnv = QStringLiteral("SetEnv");

} // namespace

class TestE2eChecked : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void writesReachOnlyTheirCamera();
    void unsharedCameraIsWrittenAndProven();
    void refusedRebootAndDroppedWriteAreStatesOfTheirOwn();
    void silentAddressIsNotFree();

private:
    int rowOf(const QString &strAddress) const;
    void save(int row, const QString &strAddress);
    void waitUntilSettled(int row);
    void verifyWritesCarriedTheirCamerasMac(int nFrom);

    LabSession m_lab;
    LabProgram m_program;
    int m_nNextHost = kFirstNewHost;
};

void TestE2eChecked::initTestCase()
{
    if (!m_lab.isAvailable())
        QSKIP(qPrintable(m_lab.unavailableReason()));
    STEP(m_program.start(m_lab));
    STEP(m_program.driver()->setRebootWatchTiming(kWatchIntervalMs, kWatchLimitMs));
}

void TestE2eChecked::cleanupTestCase()
{
    m_program.stop();
}

void TestE2eChecked::init()
{
    m_program.driver()->hidePopups();
    STEP(m_program.driver()->search(kSearchTimeoutMs));
    QTRY_COMPARE_WITH_TIMEOUT(CHttp::getInstance()->pendingCount(), 0, kSearchTimeoutMs);
}

// The one filled row of @p strAddress.
int TestE2eChecked::rowOf(const QString &strAddress) const
{
    for (int row : m_program.driver()->rowsOf(strAddress)) {
        if (m_program.driver()->isFilled(row))
            return row;
    }
    return -1;
}

// A static address: the switch goes off first when the camera is on DHCP.
void TestE2eChecked::save(int row, const QString &strAddress)
{
    if (m_program.driver()->rowSwitch(row)->isChecked())
        QTest::mouseClick(m_program.driver()->rowSwitch(row), Qt::LeftButton);
    STEP(m_program.driver()->typeIntoCell(row, DeviceViewDriver::ColumnIp, strAddress));
    STEP(m_program.driver()->confirmSave(row));
}

// Until the row is out of the states in which its camera's address is in doubt, or proven.
void TestE2eChecked::waitUntilSettled(int row)
{
    QTRY_VERIFY_WITH_TIMEOUT(!rowStateLeavesAddressInDoubt(m_program.driver()->rowState(row)), kStateTimeoutMs);
    m_program.driver()->hidePopups();
}

// Every "SetEnv" the cameras received carried the MAC of the camera that handled it, and no
// write went out twice (each save wrote an address of its own).
void TestE2eChecked::verifyWritesCarriedTheirCamerasMac(int nFrom)
{
    QSet<QString> setWritten;
    for (const LabLine_S &stRequest : m_lab.lines(nFrom, QStringLiteral("REQ"), {{QStringLiteral("cmd"), kSetEnv}})) {
        const QJsonObject eth = LabSession::setEnvEth(stRequest);
        const QString strHandler = m_lab.camera(stRequest.hashField.value(QStringLiteral("cam"))).strMac;
        QVERIFY2(eth.value(QStringLiteral("szMacAddr")).toString().compare(strHandler, Qt::CaseInsensitive) == 0,
                 qPrintable(stRequest.strText));
        const QString strAddress = eth.value(QStringLiteral("szIPAddr")).toString();
        QVERIFY2(!setWritten.contains(strAddress), qPrintable(stRequest.strText));
        setWritten.insert(strAddress);
    }
}

// Saves of the shared address's writable row go on until one camera is back at a new
// address; every save is checked on its own connection, so a new connection reaching the
// other camera is refused and nothing is written there. Where the cameras close after every
// reply, no fresh connection is trusted at a shared address: nothing is written at all.
void TestE2eChecked::writesReachOnlyTheirCamera()
{
    const int nFrom = m_lab.lineCount();
    const bool bClosing = m_lab.lines(0, QStringLiteral("CAMERA")).first().hashField.value(QStringLiteral("close-after-reply"))
                          == QLatin1String("on");
    int row = rowOf(kShared);
    QVERIFY(row >= 0);
    bool bBack = false;
    for (int nAttempt = 0; nAttempt < kSaveAttempts && !bBack; ++nAttempt) {
        STEP(save(row, kNewAddress.arg(m_nNextHost++)));
        STEP(waitUntilSettled(row));
        bBack = m_program.driver()->rowState(row) == RowState::Back;
        QVERIFY2(bBack || m_program.driver()->rowState(row) == RowState::NotWritten,
                 qPrintable(m_program.driver()->rowStateTip(row)));
    }
    QCOMPARE(bBack, !bClosing);
    STEP(verifyWritesCarriedTheirCamerasMac(nFrom));
    if (bClosing)
        QVERIFY(m_lab.lines(nFrom, QStringLiteral("REQ"), {{QStringLiteral("cmd"), kSetEnv}}).isEmpty());
}

// A camera alone at its address is written, rebooted and proven, also when it closes after
// every reply (then check and write go back to back on fresh connections); a save right
// after the readdressing reaches it at its new address.
void TestE2eChecked::unsharedCameraIsWrittenAndProven()
{
    const int nFrom = m_lab.lineCount();
    for (int nSave = 0; nSave < 2; ++nSave) {
        const int row = rowOf(m_lab.camera(kPlainCamera).strIp);
        QVERIFY(row >= 0);
        const QString strAddress = kNewAddress.arg(m_nNextHost++);
        STEP(save(row, strAddress));
        STEP(m_program.driver()->waitForState(row, RowState::Back, kStateTimeoutMs));
        QTRY_COMPARE_WITH_TIMEOUT(m_lab.camera(kPlainCamera).strIp, strAddress, kStateTimeoutMs);
    }
    QCOMPARE(m_lab.lines(nFrom, QStringLiteral("REQ"), {{QStringLiteral("cmd"), kSetEnv}}).size(), 2);
    STEP(verifyWritesCarriedTheirCamerasMac(nFrom));
}

// A refused "Reboot" and a write that took effect without an answer are said as such; the
// latter's row cannot be saved until a search finds the camera.
void TestE2eChecked::refusedRebootAndDroppedWriteAreStatesOfTheirOwn()
{
    const int nRefusing = rowOf(m_lab.camera(kRebootRefusing).strIp);
    const int nDropping = rowOf(m_lab.camera(kDropping).strIp);
    QVERIFY(nRefusing >= 0 && nDropping >= 0);
    STEP(save(nRefusing, kNewAddress.arg(m_nNextHost++)));
    STEP(m_program.driver()->waitForState(nRefusing, RowState::RebootRefused, kStateTimeoutMs));
    m_program.driver()->hidePopups();
    STEP(save(nDropping, kNewAddress.arg(m_nNextHost++)));
    STEP(m_program.driver()->waitForState(nDropping, RowState::Unknown, kStateTimeoutMs));
    QVERIFY(!m_program.driver()->rowButton(DeviceTableDriver::kSaveButton, nDropping)->isEnabled());
    QCOMPARE(m_lab.lines(0, QStringLiteral("REQ"), {{QStringLiteral("cmd"), kSetEnv},
                                                    {QStringLiteral("cam"), kDropping}}).size(), 1);
}

// The silent host resolves but answers no connection attempt: it is taken, not free; an
// address where nothing resolves is free.
void TestE2eChecked::silentAddressIsNotFree()
{
    const QString strSilent = qEnvironmentVariable("KESTROVA_LAB_SILENT_HOSTS").section(QLatin1Char(','), 0, 0);
    QVERIFY(!strSilent.isEmpty());
    AddressProbe probe;
    QSignalSpy finishedSpy(&probe, &AddressProbe::sigFinished);
    probe.probe({strSilent, kNobody});
    QTRY_COMPARE_WITH_TIMEOUT(finishedSpy.count(), 1, kProbeTimeoutMs);
    QCOMPARE(finishedSpy.at(0).at(0).value<QSet<QString>>(), QSet<QString>{strSilent});
}

QTEST_MAIN(TestE2eChecked)
#include "tst_e2e_checked.moc"
