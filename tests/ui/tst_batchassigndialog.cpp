// The batch plan's question: a plan is accepted only after a probe of exactly the addresses
// it shows. Runs in a private namespace whose own address KESTROVA_TEST_LOCAL_ADDRESS gives;
// the planned addresses have no host, so each probe waits for address resolution to fail.

#include <QtTest>

#include <QHostAddress>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

#include "net/addressprobe.h"
#include "ui/batchassigndialog.h"
#include "widgets/ctextbutton.h"

class TestBatchAssignDialog : public QObject
{
    Q_OBJECT

private slots:
    void editDuringProbeAbandonsIt();
    void sharedAddressPlanSaysHowLongItTakes();
};

void TestBatchAssignDialog::editDuringProbeAbandonsIt()
{
    const QHostAddress local(qEnvironmentVariable("KESTROVA_TEST_LOCAL_ADDRESS"));
    if (local.protocol() != QAbstractSocket::IPv4Protocol)
        QSKIP("needs KESTROVA_TEST_LOCAL_ADDRESS, an address of a private network namespace");
    const quint32 nSubnet = local.toIPv4Address() & 0xFFFFFF00u;
    BatchPlan::Entry_S stCamera;
    stCamera.nRowId = 1;
    stCamera.strMac = QStringLiteral("00:11:22:33:44:01");
    stCamera.strCurrent = QHostAddress(nSubnet + 20).toString();
    BatchAssignDialog dialog;
    dialog.open({stCamera}, {}, {local.toString()}, QHostAddress(nSubnet + 50).toString(),
                QStringLiteral("255.255.255.0"), local.toString());
    auto *pAssign = dialog.findChild<CTextButton *>(QStringLiteral("assignBtn"));
    QSignalSpy probeSpy(dialog.findChild<AddressProbe *>(), &AddressProbe::sigFinished);

    QTest::mouseClick(dialog.findChild<CTextButton *>(QStringLiteral("checkBtn")), Qt::LeftButton);
    QTest::keyClick(dialog.findChild<QLineEdit *>(QStringLiteral("startEdit")), Qt::Key_Backspace);
    QTRY_COMPARE_WITH_TIMEOUT(probeSpy.count(), 1, 2 * AddressProbe::RESOLUTION_LIMIT_MS);
    QVERIFY(!pAssign->isEnabled());

    // Checked again, the plan shown is the plan probed.
    QTest::mouseClick(dialog.findChild<CTextButton *>(QStringLiteral("checkBtn")), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(pAssign->isEnabled(), 4 * AddressProbe::RESOLUTION_LIMIT_MS);
    QCOMPARE(dialog.findChild<QTableWidget *>(QStringLiteral("planTable"))->item(0, 2)->text(),
             QHostAddress(nSubnet + 5).toString());
}

// Cameras out of the box are found in turn: no MAC is known yet, and the run takes about
// N x (reboot + 45 s), which the question says before the user confirms.
void TestBatchAssignDialog::sharedAddressPlanSaysHowLongItTakes()
{
    QList<BatchPlan::Entry_S> listCameras;
    for (quint64 nRowId = 1; nRowId <= 20; ++nRowId) {
        BatchPlan::Entry_S stCamera;
        stCamera.nRowId = nRowId;
        stCamera.strCurrent = QStringLiteral("192.168.1.108");
        listCameras.append(stCamera);
    }
    BatchAssignDialog dialog;
    dialog.open(listCameras, {}, {QStringLiteral("192.168.1.108")}, QStringLiteral("192.168.1.108"),
                QStringLiteral("255.255.255.0"), QStringLiteral("192.168.1.1"), QStringLiteral("192.168.1.108"));
    QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("titleText"))->text(),
             QStringLiteral("Readdress the 20 cameras at 192.168.1.108"));
    QVERIFY(dialog.findChild<QLabel *>(QStringLiteral("noteText"))->text().contains(
        QLatin1String("Expect about 20 x (reboot + 45 s): about 25 min")));
    QCOMPARE(dialog.findChild<QTableWidget *>(QStringLiteral("planTable"))->item(19, 0)->text(),
             QStringLiteral("found in its turn"));
}

QTEST_MAIN(TestBatchAssignDialog)
#include "tst_batchassigndialog.moc"
