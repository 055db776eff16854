// The real program's objects in the lab's tool namespace against kestrova-camsim: eight
// simulated cameras, two of them sharing one address, camera 7 refusing every "SetEnv",
// every reboot taking 4 s. Each test clicks through the real window and then checks
// both sides: what the table shows against the simulator's CAMERA lines, and what the
// simulator says it was sent. The reboot watch is sped up to the simulator's pace.

#include <QtTest>

#include <QJsonObject>
#include <QScopedPointer>
#include <QSet>
#include <QTableWidget>
#include <QToolButton>

#include "core/commonsignal.h"
#include "deviceviewdriver.h"
#include "labprogram.h"
#include "labsession.h"
#include "support/teststep.h"
#include "net/chttp.h"
#include "ui/modifymodule.h"

namespace {

// Options the lab is started with (tests/e2e/CMakeLists.txt); the tests read the rest
// from the simulator's log.
constexpr int kCameraCount = 8;
const QString kRefusingCamera = QStringLiteral("7");
constexpr int kRefusedStatus = 2;
const QString kMovedCamera = QStringLiteral("3");
const QString kMovedAddress = QStringLiteral("10.77.0.50");
const QString kRefusedAddress = QStringLiteral("10.77.0.60");
const QString kSlowCamera = QStringLiteral("4");
const QString kSlowAddress = QStringLiteral("10.77.0.70");
const QString kAwayCamera = QStringLiteral("5");
const QString kAwayAddress = QStringLiteral("10.78.0.5");
const QString kAwayGateway = QStringLiteral("10.78.0.1");

// Faster than the simulator's reboot for the watch that sees the camera back, slower for
// the one that gives up first.
constexpr int kWatchIntervalMs = 500;
constexpr int kWatchLimitMs = 20000;
constexpr int kShortWatchLimitMs = 1000;
constexpr int kWatchTimeoutMs = kWatchLimitMs + 10000;

constexpr int kSearchTimeoutMs = 15000;
constexpr int kFillTimeoutMs = 10000;
constexpr int kLogTimeoutMs = 10000;

const QString kGetEnvJson = QStringLiteral(R"({"GetEnv":{"NetWork":{"nChannel":-1}}})");
const QString kQueryVersionJson = QStringLiteral(R"({"QueryState":{"QueryVersion":{}}})");
const QString kRebootJson = QStringLiteral(R"({"SysCtrl":{"Reboot":{}}})");

// The log shows bytes outside '!'..'~' as \xHH; the commands the tool sends have none
// but quotes and braces, so the text reads back as JSON.
} // namespace

class TestE2eCycle : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void searchListsAndFillsEveryCamera();
    void savedAddressIsFoundAfterReboot();
    void refusedWriteShowsFailed();
    void cameraSlowerThanTheWatchIsNotSeen();
    void addressInAnotherSubnetIsNotPolled();

private:
    void searchAndWaitForFilled();
    void saveNewAddress(const QString &strCamera, const QString &strAddress, const QString &strGateway, int *pRow);
    void verifyRowsShowCameras();
    void verifySearchRequests(int nFrom);
    QSet<QString> listedAddresses() const;

    LabSession m_lab;
    LabProgram m_program;
    int m_nSearchMark = 0;
};

void TestE2eCycle::initTestCase()
{
    if (!m_lab.isAvailable())
        QSKIP(qPrintable(m_lab.unavailableReason()));
    STEP(m_program.start(m_lab));
    QCOMPARE(m_lab.cameras().size(), kCameraCount);
    STEP(m_program.driver()->setRebootWatchTiming(kWatchIntervalMs, kWatchLimitMs));
}

void TestE2eCycle::cleanupTestCase()
{
    m_program.stop();
}

void TestE2eCycle::cleanup()
{
    if (m_program.driver())
        m_program.driver()->hidePopups();
}

QSet<QString> TestE2eCycle::listedAddresses() const
{
    const QStringList listAddress = m_program.driver()->rowAddresses();
    return QSet<QString>(listAddress.cbegin(), listAddress.cend());
}

// Clicks "Search" and waits for every row to be filled, but the second answer at the
// shared address, which HTTP cannot reach; the log position before the click is kept for
// the request checks.
void TestE2eCycle::searchAndWaitForFilled()
{
    m_nSearchMark = m_lab.lineCount();
    STEP(m_program.driver()->search(kSearchTimeoutMs));
    QCOMPARE(m_program.driver()->table()->rowCount(), kCameraCount);
    QTRY_COMPARE_WITH_TIMEOUT(CHttp::getInstance()->pendingCount(), 0, kFillTimeoutMs);
    QList<int> listRow;
    for (int row = 0; row < kCameraCount; ++row) {
        if (m_program.driver()->rowState(row) != RowState::Conflict)
            listRow.append(row);
    }
    QCOMPARE(listRow.size(), kCameraCount - 1);
    STEP(m_program.driver()->waitForFilled(listRow, kFillTimeoutMs));
}

// Types the camera's new address (and gateway, unless empty), saves, and waits for
// "Success"; *pRow is the camera's row.
void TestE2eCycle::saveNewAddress(const QString &strCamera, const QString &strAddress, const QString &strGateway,
                                  int *pRow)
{
    const QList<int> listRow = m_program.driver()->rowsOf(m_lab.camera(strCamera).strIp);
    QCOMPARE(listRow.size(), 1);
    *pRow = listRow.first();
    STEP(m_program.driver()->typeIntoCell(*pRow, DeviceViewDriver::ColumnIp, strAddress));
    if (!strGateway.isEmpty())
        STEP(m_program.driver()->typeIntoCell(*pRow, DeviceViewDriver::ColumnGateway, strGateway));
    STEP(m_program.driver()->confirmSave(*pRow));
    QTRY_VERIFY_WITH_TIMEOUT(m_program.driver()->isToastVisible(), kLogTimeoutMs);
    QCOMPARE(m_program.driver()->toastText(), QStringLiteral("Success"));
}

// Every camera has a row at its address. At the shared address HTTP reaches only the
// lowest-index camera, and the SDK stand-in reports no device, so nothing can complete
// the second row from another source: the first row shows the first camera, the second
// is marked as another answer there, with nothing copied into it.
void TestE2eCycle::verifyRowsShowCameras()
{
    QHash<QString, QList<LabCamera_S>> hashAtAddress;
    const QList<LabCamera_S> listCamera = m_lab.cameras();
    for (const LabCamera_S &stCamera : listCamera)
        hashAtAddress[stCamera.strIp].append(stCamera);
    QCOMPARE(hashAtAddress.size(), kCameraCount - 1);

    for (auto address = hashAtAddress.cbegin(); address != hashAtAddress.cend(); ++address) {
        const QList<int> listRow = m_program.driver()->rowsOf(address.key());
        QCOMPARE(listRow.size(), address.value().size());
        STEP(m_program.driver()->verifyRowShows(listRow.first(), address.value().first()));
        if (address.value().size() < 2)
            continue;
        for (int row : listRow.mid(1)) {
            QCOMPARE(m_program.driver()->rowState(row), RowState::Conflict);
            QVERIFY(m_program.driver()->cell(row, DeviceViewDriver::ColumnMac).isEmpty());
            QVERIFY(m_program.driver()->cell(row, DeviceViewDriver::ColumnFirmware).isEmpty());
        }
        const QString strHiddenMac = address.value().at(1).strMac;
        for (int row = 0; row < kCameraCount; ++row)
            QVERIFY(m_program.driver()->cell(row, DeviceViewDriver::ColumnMac) != strHiddenMac);
    }
}

// One multicast search from the tool's address; then one "GetEnv" (GET) and one
// "QueryVersion" (POST, form body) per row, each to its row's address and nowhere else.
void TestE2eCycle::verifySearchRequests(int nFrom)
{
    const QList<LabLine_S> listSearch = m_lab.lines(nFrom, QStringLiteral("SEARCH"));
    QCOMPARE(listSearch.size(), 1);
    QCOMPARE(listSearch.first().hashField.value(QStringLiteral("from")),
             m_lab.toolAddress() + QStringLiteral(":54361"));
    QCOMPARE(listSearch.first().hashField.value(QStringLiteral("size")), QStringLiteral("76"));
    QCOMPARE(listSearch.first().hashField.value(QStringLiteral("magic")), QStringLiteral("0x12564387"));

    const QStringList listOutside = m_lab.requestsOutside(listedAddresses(), nFrom);
    QVERIFY2(listOutside.isEmpty(), qPrintable(listOutside.join(QLatin1Char('\n'))));

    const QList<LabLine_S> listRequest = m_lab.lines(nFrom, QStringLiteral("REQ"));
    QHash<QString, int> hashGetEnv;
    QHash<QString, int> hashQueryVersion;
    for (const LabLine_S &stRequest : listRequest) {
        const QString strCmd = stRequest.hashField.value(QStringLiteral("cmd"));
        const QString strMethod = stRequest.hashField.value(QStringLiteral("method"));
        const QString strJson = stRequest.hashField.value(QStringLiteral("json"));
        const QString strIp = stRequest.hashField.value(QStringLiteral("ip"));
        if (strCmd == QLatin1String("GetEnv")) {
            QCOMPARE(strMethod, QStringLiteral("GET"));
            QCOMPARE(strJson, kGetEnvJson);
            ++hashGetEnv[strIp];
        } else {
            QCOMPARE(strCmd, QStringLiteral("QueryVersion"));
            QCOMPARE(strMethod, QStringLiteral("POST"));
            QCOMPARE(strJson, kQueryVersionJson);
            QVERIFY(stRequest.hashField.value(QStringLiteral("body")).startsWith(QLatin1String("szCmd=")));
            ++hashQueryVersion[strIp];
        }
    }
    const QSet<QString> setListed = listedAddresses();
    for (const QString &strIp : setListed) {
        const int nRows = m_program.driver()->rowsOf(strIp).size();
        QCOMPARE(hashGetEnv.value(strIp), nRows);
        QCOMPARE(hashQueryVersion.value(strIp), nRows);
    }
}

void TestE2eCycle::searchListsAndFillsEveryCamera()
{
    STEP(searchAndWaitForFilled());
    STEP(verifyRowsShowCameras());
    STEP(verifySearchRequests(m_nSearchMark));
    QVERIFY(m_program.driver()->searchButton()->isEnabled());
}

void TestE2eCycle::savedAddressIsFoundAfterReboot()
{
    const LabCamera_S stBefore = m_lab.camera(kMovedCamera);
    QVERIFY(!stBefore.strIp.isEmpty());
    QVERIFY(!m_lab.addresses().contains(kMovedAddress));
    STEP(searchAndWaitForFilled());
    const QList<int> listRow = m_program.driver()->rowsOf(stBefore.strIp);
    QCOMPARE(listRow.size(), 1);
    const int row = listRow.first();

    const int nMark = m_lab.lineCount();
    int nSavedRow = -1;
    STEP(saveNewAddress(kMovedCamera, kMovedAddress, QString(), &nSavedRow));
    QCOMPARE(nSavedRow, row);

    // "SetEnv" went to the old address with the edited address and the row's other values.
    const QHash<QString, QString> hashCamera{{QStringLiteral("cam"), kMovedCamera}};
    QVERIFY(m_lab.waitForLine(nMark, QStringLiteral("REBOOT"), hashCamera, kLogTimeoutMs));
    const QList<LabLine_S> listSetEnv =
        m_lab.lines(nMark, QStringLiteral("REQ"), {{QStringLiteral("cmd"), QStringLiteral("SetEnv")}});
    QCOMPARE(listSetEnv.size(), 1);
    QCOMPARE(listSetEnv.first().hashField.value(QStringLiteral("cam")), kMovedCamera);
    QCOMPARE(listSetEnv.first().hashField.value(QStringLiteral("ip")), stBefore.strIp);
    QCOMPARE(listSetEnv.first().hashField.value(QStringLiteral("method")), QStringLiteral("POST"));
    const QJsonObject eth = LabSession::setEnvEth(listSetEnv.first());
    QCOMPARE(eth[QStringLiteral("szIPAddr")].toString(), kMovedAddress);
    QCOMPARE(eth[QStringLiteral("szSubMask")].toString(), stBefore.strMask);
    QCOMPARE(eth[QStringLiteral("szGateway")].toString(), stBefore.strGateway);
    QCOMPARE(eth[QStringLiteral("szMacAddr")].toString(), stBefore.strMac);
    QVERIFY(!m_lab.lines(nMark, QStringLiteral("SETENV"), {{QStringLiteral("cam"), kMovedCamera},
                                                          {QStringLiteral("now"), kMovedAddress}}).isEmpty());

    // "Reboot" only after the write was answered, to the same address.
    const QList<LabLine_S> listReboot =
        m_lab.lines(nMark, QStringLiteral("REQ"), {{QStringLiteral("cmd"), QStringLiteral("Reboot")}});
    QCOMPARE(listReboot.size(), 1);
    QCOMPARE(listReboot.first().hashField.value(QStringLiteral("ip")), stBefore.strIp);
    QCOMPARE(listReboot.first().hashField.value(QStringLiteral("json")), kRebootJson);
    QVERIFY(listSetEnv.first().nIndex < listReboot.first().nIndex);
    QVERIFY(m_lab.waitForLine(nMark, QStringLiteral("BACK"),
                              {{QStringLiteral("cam"), kMovedCamera}, {QStringLiteral("ip"), kMovedAddress}},
                              kLogTimeoutMs));

    // The row proves it: the new address answers with the camera's MAC and the values
    // written, and it is the address the camera is reached at from now on.
    STEP(m_program.driver()->waitForState(row, RowState::Back, kWatchTimeoutMs));
    const QList<LabLine_S> listWatch = m_lab.lines(nMark, QStringLiteral("REQ"), {{QStringLiteral("ip"), kMovedAddress}});
    QVERIFY(!listWatch.isEmpty());
    for (const LabLine_S &stRequest : listWatch)
        QCOMPARE(stRequest.hashField.value(QStringLiteral("json")), kGetEnvJson);
    const QStringList listOutside = m_lab.requestsOutside({stBefore.strIp, kMovedAddress}, nMark);
    QVERIFY2(listOutside.isEmpty(), qPrintable(listOutside.join(QLatin1Char('\n'))));
    STEP(m_program.driver()->typeIntoCell(row, DeviceViewDriver::ColumnIp, QStringLiteral("10.77.0.51")));
    STEP(m_program.driver()->cancelRow(row));
    QCOMPARE(m_program.driver()->cell(row, DeviceViewDriver::ColumnIp), kMovedAddress);

    // The next search finds the camera at its new address.
    STEP(searchAndWaitForFilled());
    QVERIFY(m_program.driver()->rowsOf(stBefore.strIp).isEmpty());
    const QList<int> listMoved = m_program.driver()->rowsOf(kMovedAddress);
    QCOMPARE(listMoved.size(), 1);
    LabCamera_S stAfter = stBefore;
    stAfter.strIp = kMovedAddress;
    QCOMPARE(m_lab.camera(kMovedCamera).strIp, kMovedAddress);
    STEP(m_program.driver()->verifyRowShows(listMoved.first(), stAfter));
    STEP(verifyRowsShowCameras());
    STEP(verifySearchRequests(m_nSearchMark));
}

void TestE2eCycle::refusedWriteShowsFailed()
{
    const LabCamera_S stCamera = m_lab.camera(kRefusingCamera);
    QCOMPARE(stCamera.nSetEnvStatus, kRefusedStatus);
    STEP(searchAndWaitForFilled());
    const QList<int> listRow = m_program.driver()->rowsOf(stCamera.strIp);
    QCOMPARE(listRow.size(), 1);
    const int row = listRow.first();

    const int nMark = m_lab.lineCount();
    QSignalSpy rebootSpy(CommonSignal::getInstance(), &CommonSignal::sigDevReboot);
    STEP(m_program.driver()->typeIntoCell(row, DeviceViewDriver::ColumnIp, kRefusedAddress));
    STEP(m_program.driver()->confirmSave(row));
    QTRY_VERIFY_WITH_TIMEOUT(m_program.driver()->isToastVisible(), kLogTimeoutMs);
    QCOMPARE(m_program.driver()->toastText(), QStringLiteral("Failed"));
    QTRY_COMPARE_WITH_TIMEOUT(CHttp::getInstance()->pendingCount(), 0, kLogTimeoutMs);

    // The camera was asked and said no: nothing changed there, and no reboot was ordered.
    const QList<LabLine_S> listReply = m_lab.lines(nMark, QStringLiteral("REPLY"),
                                                   {{QStringLiteral("cam"), kRefusingCamera},
                                                    {QStringLiteral("cmd"), QStringLiteral("SetEnv")}});
    QCOMPARE(listReply.size(), 1);
    QCOMPARE(listReply.first().hashField.value(QStringLiteral("body")),
             QStringLiteral(R"({"nRetVal":%1})").arg(kRefusedStatus));
    QCOMPARE(rebootSpy.count(), 0);
    QVERIFY(m_lab.lines(nMark, QStringLiteral("REQ"), {{QStringLiteral("cmd"), QStringLiteral("Reboot")}}).isEmpty());
    QVERIFY(m_lab.lines(nMark, QStringLiteral("SETENV")).isEmpty());
    QCOMPARE(m_lab.camera(kRefusingCamera).strIp, stCamera.strIp);

    // The row still holds what the camera has; "Cancel" shows it again.
    STEP(m_program.driver()->cancelRow(row));
    QCOMPARE(m_program.driver()->cell(row, DeviceViewDriver::ColumnIp), stCamera.strIp);
    STEP(m_program.driver()->verifyRowShows(row, stCamera));
}

// A bound shorter than the simulator's reboot (4 s): the watch gives up and says so, in time.
void TestE2eCycle::cameraSlowerThanTheWatchIsNotSeen()
{
    STEP(searchAndWaitForFilled());
    STEP(m_program.driver()->setRebootWatchTiming(kWatchIntervalMs, kShortWatchLimitMs));
    int row = -1;
    saveNewAddress(kSlowCamera, kSlowAddress, QString(), &row);
    STEP(m_program.driver()->setRebootWatchTiming(kWatchIntervalMs, kWatchLimitMs));
    QVERIFY(row >= 0);
    STEP(m_program.driver()->waitForState(row, RowState::NotSeen, kWatchTimeoutMs));
    const int nMark = m_lab.lineCount();
    QVERIFY(m_lab.waitForLine(0, QStringLiteral("BACK"), {{QStringLiteral("cam"), kSlowCamera}}, kLogTimeoutMs));
    QVERIFY(m_lab.lines(nMark, QStringLiteral("REQ"), {{QStringLiteral("ip"), kSlowAddress}}).isEmpty());
    QVERIFY2(m_program.driver()->rowStateTip(row).contains(QStringLiteral("asked 10.77.0.70 for 1 s")),
             qPrintable(m_program.driver()->rowStateTip(row)));
}

// The computer cannot reach the new address from its subnet: the row says so and nothing
// is sent there. Last, since the camera is then out of the lab's reach.
void TestE2eCycle::addressInAnotherSubnetIsNotPolled()
{
    STEP(searchAndWaitForFilled());
    const int nMark = m_lab.lineCount();
    int row = -1;
    STEP(saveNewAddress(kAwayCamera, kAwayAddress, kAwayGateway, &row));
    STEP(m_program.driver()->waitForState(row, RowState::Rebooting, kLogTimeoutMs));
    // First the reboot order, then, once the camera acknowledged it, why it is not followed.
    QTRY_VERIFY2_WITH_TIMEOUT(m_program.driver()->rowStateTip(row).contains(QStringLiteral("outside the subnet of")),
                              qPrintable(m_program.driver()->rowStateTip(row)), kLogTimeoutMs);
    QVERIFY(m_lab.waitForLine(nMark, QStringLiteral("BACK"),
                              {{QStringLiteral("cam"), kAwayCamera}, {QStringLiteral("ip"), kAwayAddress}},
                              kLogTimeoutMs));
    QTest::qWait(2 * kWatchIntervalMs);
    QVERIFY(m_lab.lines(nMark, QStringLiteral("REQ"), {{QStringLiteral("ip"), kAwayAddress}}).isEmpty());
    QCOMPARE(m_program.driver()->rowState(row), RowState::Rebooting);
}

QTEST_MAIN(TestE2eCycle)
#include "tst_e2e_cycle.moc"
