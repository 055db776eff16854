// Batch assignment in the lab, through the real window: twenty cameras (10.77.0.10 to .29,
// camera 7 refusing every "SetEnv") get addresses counted up from 10.77.1.10, where
// 10.77.1.15 is held by a listed camera, 10.77.1.16 by a listed hostile one, and 10.77.1.12
// by a device that answers TCP but not the search (the redirect trap). The plan must skip
// all three, every other camera must come back at its planned address, the refusing one
// must be reported, and nothing but the listed and planned addresses may be contacted.

#include <QtTest>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QToolButton>

#include "deviceviewdriver.h"
#include "labprogram.h"
#include "labsession.h"
#include "net/chttp.h"
#include "ui/modifymodule.h"
#include "support/teststep.h"
#include "ui/batchassigndialog.h"
#include "ui/rowactions.h"
#include "widgets/ctextbutton.h"

namespace {

constexpr int kBatchSize = 20;
const QString kFirstAddress = QStringLiteral("10.77.0.%1");
constexpr int kFirstHost = 10;
const QString kRefusingCamera = QStringLiteral("7");
const QString kStart = QStringLiteral("10.77.1.10");
const QString kMask = QStringLiteral("255.255.0.0");
const QString kGateway = QStringLiteral("10.77.0.1");
const QString kPlannedAddress = QStringLiteral("10.77.1.%1");
// 10.77.1.12 is the trap, .15 the listed holder, .16 the hostile camera.
const QList<int> kPlannedHosts = {10, 11, 13, 14, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32};

constexpr int kSearchTimeoutMs = 15000;
constexpr int kFillTimeoutMs = 15000;
constexpr int kPlanTimeoutMs = 20000;
constexpr int kBatchTimeoutMs = 120000;
constexpr int kWatchIntervalMs = 1000;
// The plan file: cameras 0 to 9 but the refusing one, whose place camera 10 takes.
constexpr int kPlanFileCameras = 10;
const QString kFileAddress = QStringLiteral("10.77.2.%1");
const QString kFileMask = QStringLiteral("255.255.0.0");
const QString kFileGateway = QStringLiteral("10.77.0.1");
constexpr int kWatchLimitMs = 60000;

} // namespace

class TestE2eBatch : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void batchReaddressesTwentyCameras();
    void planFileWritesTenCameras();

private:
    void searchAndSelectBatch();
    void checkPlan(BatchAssignDialog *pDialog);
    void verifyWrites(int nFrom);

    LabSession m_lab;
    LabProgram m_program;
};

void TestE2eBatch::initTestCase()
{
    if (!m_lab.isAvailable())
        QSKIP(qPrintable(m_lab.unavailableReason()));
    STEP(m_program.start(m_lab));
    STEP(m_program.driver()->setRebootWatchTiming(kWatchIntervalMs, kWatchLimitMs));
}

void TestE2eBatch::cleanupTestCase()
{
    m_program.stop();
}

// Lists the site, waits for the batch's rows to fill, and selects them.
void TestE2eBatch::searchAndSelectBatch()
{
    DeviceViewDriver *pDriver = m_program.driver();
    STEP(pDriver->search(kSearchTimeoutMs));
    QList<int> listRows;
    for (int nCamera = 0; nCamera < kBatchSize; ++nCamera) {
        const QList<int> listOfCamera = pDriver->rowsOf(kFirstAddress.arg(kFirstHost + nCamera));
        QCOMPARE(listOfCamera.size(), 1);
        listRows.append(listOfCamera.first());
    }
    STEP(pDriver->waitForFilled(listRows, kFillTimeoutMs));
    QTableWidget *pTable = pDriver->table();
    pTable->clearSelection();
    for (int row : qAsConst(listRows))
        pTable->selectionModel()->select(pTable->model()->index(row, 0),
                                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

// Types the plan's values and waits until the checked plan may be confirmed.
void TestE2eBatch::checkPlan(BatchAssignDialog *pDialog)
{
    const QList<QPair<const char *, QString>> listFields = {
        {"startEdit", kStart}, {"maskEdit", kMask}, {"gatewayEdit", kGateway}};
    for (const auto &field : listFields) {
        auto *pEdit = pDialog->findChild<QLineEdit *>(QLatin1String(field.first));
        QVERIFY(pEdit);
        pEdit->selectAll();
        QTest::keyClicks(pEdit, field.second);
    }
    QTest::mouseClick(pDialog->findChild<CTextButton *>(QStringLiteral("checkBtn")), Qt::LeftButton);
    auto *pAssign = pDialog->findChild<CTextButton *>(QStringLiteral("assignBtn"));
    QTRY_VERIFY_WITH_TIMEOUT(pAssign->isEnabled(), kPlanTimeoutMs);
    const QTableWidget *pPlan = pDialog->findChild<QTableWidget *>(QStringLiteral("planTable"));
    QCOMPARE(pPlan->rowCount(), kBatchSize);
    for (int row = 0; row < kBatchSize; ++row) {
        QCOMPARE(pPlan->item(row, 1)->text(), kFirstAddress.arg(kFirstHost + row));
        QCOMPARE(pPlan->item(row, 2)->text(), kPlannedAddress.arg(kPlannedHosts.at(row)));
    }
}

// One "SetEnv" per camera, to its old address, with the planned values and DHCP off; a
// reboot for each camera that took it; nothing anywhere else.
void TestE2eBatch::verifyWrites(int nFrom)
{
    QSet<QString> setAllowed;
    for (int nCamera = 0; nCamera < kBatchSize; ++nCamera) {
        const QString strOld = kFirstAddress.arg(kFirstHost + nCamera);
        const QString strNew = kPlannedAddress.arg(kPlannedHosts.at(nCamera));
        setAllowed << strOld << strNew;
        const QList<LabLine_S> listSetEnv = m_lab.lines(nFrom, QStringLiteral("REQ"),
                                                        {{QStringLiteral("cmd"), QStringLiteral("SetEnv")},
                                                         {QStringLiteral("ip"), strOld}});
        QCOMPARE(listSetEnv.size(), 1);
        const QJsonObject eth = LabSession::setEnvEth(listSetEnv.first());
        QCOMPARE(eth[QStringLiteral("szIPAddr")].toString(), strNew);
        QCOMPARE(eth[QStringLiteral("szSubMask")].toString(), kMask);
        QCOMPARE(eth[QStringLiteral("szGateway")].toString(), kGateway);
        QCOMPARE(eth[QStringLiteral("byValid")].toInt(), 5);
        const QString strCam = listSetEnv.first().hashField.value(QStringLiteral("cam"));
        QCOMPARE(eth[QStringLiteral("szMacAddr")].toString(), m_lab.camera(strCam).strMac);
        const int nReboots = m_lab.lines(nFrom, QStringLiteral("REQ"), {{QStringLiteral("cmd"), QStringLiteral("Reboot")},
                                                                       {QStringLiteral("ip"), strOld}}).size();
        QCOMPARE(nReboots, strCam == kRefusingCamera ? 0 : 1);
    }
    const QStringList listOutside = m_lab.requestsOutside(setAllowed, nFrom);
    QVERIFY2(listOutside.isEmpty(), qPrintable(listOutside.join(QLatin1Char('\n'))));
}

void TestE2eBatch::batchReaddressesTwentyCameras()
{
    STEP(searchAndSelectBatch());
    QWidget *pView = m_program.driver()->view();
    QTest::mouseClick(pView->findChild<QToolButton *>(QStringLiteral("assignBtn")), Qt::LeftButton);
    auto *pDialog = pView->window()->findChild<BatchAssignDialog *>();
    QVERIFY(pDialog);
    QTRY_VERIFY(pDialog->isVisible());
    STEP(checkPlan(pDialog));

    const int nMark = m_lab.lineCount();
    QElapsedTimer batchTime;
    batchTime.start();
    QTest::mouseClick(pDialog->findChild<CTextButton *>(QStringLiteral("assignBtn")), Qt::LeftButton);
    QVERIFY(!m_program.driver()->searchButton()->isEnabled());
    auto *pStatus = pView->findChild<QLabel *>(QStringLiteral("siteStatusText"));
    QTRY_VERIFY_WITH_TIMEOUT(pStatus->toolTip().contains(QStringLiteral("Batch: 19 back")), kBatchTimeoutMs);
    qInfo("batch of %d cameras: %lld ms from confirmation to summary (simulator reboot 3 s, watch every %d ms)",
          kBatchSize, batchTime.elapsed(), kWatchIntervalMs);
    QVERIFY2(pStatus->toolTip().endsWith(QStringLiteral(
                 "Batch: 19 back at their new addresses, 1 failed: 10.77.0.17 refused the write (status 2)")),
             qPrintable(pStatus->toolTip()));
    QVERIFY(m_program.driver()->searchButton()->isEnabled());

    for (int nCamera = 0; nCamera < kBatchSize; ++nCamera) {
        const bool bRefusing = QString::number(nCamera) == kRefusingCamera;
        const QString strNow = bRefusing ? kFirstAddress.arg(kFirstHost + nCamera) : kPlannedAddress.arg(kPlannedHosts.at(nCamera));
        QCOMPARE(m_lab.camera(QString::number(nCamera)).strIp, strNow);
    }
    STEP(verifyWrites(nMark));
}

// A spreadsheet's plan: ten cameras named by MAC, each with its own address, mask, gateway
// and label, found wherever they answer now. Each gets exactly one "SetEnv" carrying its own
// MAC and the line's values, and comes back there.
void TestE2eBatch::planFileWritesTenCameras()
{
    STEP(m_program.driver()->search(kSearchTimeoutMs));
    QTRY_COMPARE_WITH_TIMEOUT(CHttp::getInstance()->pendingCount(), 0, kFillTimeoutMs);
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("site.csv")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Label;MAC;Address;Mask;Gateway\r\n");
    QHash<QString, QString> hashPlanned;
    for (int nCamera = 0; nCamera < kPlanFileCameras; ++nCamera) {
        const LabCamera_S stCamera = m_lab.camera(QString::number(nCamera == 7 ? kPlanFileCameras : nCamera));
        const QString strNew = kFileAddress.arg(kFirstHost + nCamera);
        hashPlanned.insert(stCamera.strCam, strNew);
        file.write(QStringLiteral("door %1;%2;%3;%4;%5\r\n")
                       .arg(nCamera).arg(stCamera.strMac.toLower(), strNew, kFileMask, kFileGateway).toUtf8());
    }
    file.close();
    const int nMark = m_lab.lineCount();
    QWidget *pView = m_program.driver()->view();
    pView->findChild<RowActions *>()->openPlanFile(file.fileName());
    auto *pDialog = pView->window()->findChild<BatchAssignDialog *>();
    auto *pAssign = pDialog->findChild<CTextButton *>(QStringLiteral("assignBtn"));
    QTRY_VERIFY_WITH_TIMEOUT(pDialog->isVisible() && pAssign->isEnabled(), kPlanTimeoutMs);
    QTest::mouseClick(pAssign, Qt::LeftButton);
    auto *pStatus = pView->findChild<QLabel *>(QStringLiteral("siteStatusText"));
    QTRY_VERIFY_WITH_TIMEOUT(pStatus->toolTip().endsWith(QStringLiteral("Batch: 10 back at their new addresses")), kBatchTimeoutMs);
    for (auto it = hashPlanned.cbegin(); it != hashPlanned.cend(); ++it) {
        const QList<LabLine_S> listSetEnv = m_lab.lines(nMark, QStringLiteral("REQ"), {{QStringLiteral("cmd"), QStringLiteral("SetEnv")},
                                                                                     {QStringLiteral("cam"), it.key()}});
        QCOMPARE(listSetEnv.size(), 1);
        const QJsonObject eth = LabSession::setEnvEth(listSetEnv.first());
        QCOMPARE(eth[QStringLiteral("szIPAddr")].toString(), it.value());
        QCOMPARE(eth[QStringLiteral("szSubMask")].toString(), kFileMask);
        QCOMPARE(eth[QStringLiteral("szGateway")].toString(), kFileGateway);
        QCOMPARE(eth[QStringLiteral("szMacAddr")].toString(), m_lab.camera(it.key()).strMac);
        QCOMPARE(m_lab.camera(it.key()).strIp, it.value());
    }
}

QTEST_MAIN(TestE2eBatch)
#include "tst_e2e_batch.moc"
