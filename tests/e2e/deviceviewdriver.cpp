#include "deviceviewdriver.h"

#include <QTest>

#include "net/rebootwatch.h"
#include "ui/modifymodule.h"
#include "widgets/ctextbutton.h"
#include "widgets/toggleswitch.h"

namespace {

// ARM, camera and AF versions, as the firmware column shows them.
const QString kFirmwareText = QStringLiteral("%1,%2,%3");

} // namespace

DeviceViewDriver::DeviceViewDriver(ModifyModule *pView, QWidget *pWindow)
    : DeviceTableDriver(pView, pWindow)
{
}

void DeviceViewDriver::waitForState(int row, RowState state, int nTimeoutMs)
{
    QTRY_VERIFY2_WITH_TIMEOUT(rowState(row) == state, qPrintable(rowStateTip(row)), nTimeoutMs);
}

void DeviceViewDriver::setRebootWatchTiming(int nIntervalMs, int nLimitMs)
{
    auto *pWatch = view()->findChild<RebootWatch *>();
    QVERIFY(pWatch);
    pWatch->setTiming(nIntervalMs, nLimitMs);
}

void DeviceViewDriver::verifyRowShows(int row, const LabCamera_S &stCamera) const
{
    QCOMPARE(cell(row, ColumnNo), QString::number(row + 1));
    QCOMPARE(cell(row, ColumnIp), stCamera.strIp);
    QCOMPARE(cell(row, ColumnMask), stCamera.strMask);
    QCOMPARE(cell(row, ColumnGateway), stCamera.strGateway);
    QCOMPARE(cell(row, ColumnMac), stCamera.strMac);
    QCOMPARE(cell(row, ColumnFirmware),
             kFirmwareText.arg(stCamera.strArmVersion, stCamera.strCamVersion, stCamera.strAFVersion));
    const ToggleSwitch *pSwitch = rowSwitch(row);
    QVERIFY(pSwitch);
    QCOMPARE(pSwitch->isChecked(), stCamera.bDhcp);
    QVERIFY(rowButton(kSaveButton, row) && rowButton(kSaveButton, row)->isEnabled());
    QVERIFY(rowButton(kCancelButton, row) && rowButton(kCancelButton, row)->isEnabled());
}

void DeviceViewDriver::verifyRowUnfilled(int row) const
{
    for (int column : {ColumnMask, ColumnGateway, ColumnMac, ColumnFirmware})
        QVERIFY2(cell(row, column).isEmpty(), qPrintable(QStringLiteral("row %1 column %2 shows %3")
                                                             .arg(row).arg(column).arg(cell(row, column))));
    QVERIFY(rowButton(kSaveButton, row) && !rowButton(kSaveButton, row)->isEnabled());
    QVERIFY(rowButton(kCancelButton, row) && !rowButton(kCancelButton, row)->isEnabled());
}
