#include "deviceviewdriver.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include <algorithm>

#include "core/commonsignal.h"
#include "net/rebootwatch.h"
#include "ui/rowstatedelegate.h"
#include "ui/modifymodule.h"
#include "widgets/ccombobox.h"
#include "widgets/ctext.h"
#include "widgets/ctextbutton.h"
#include "widgets/ctexthintpopwidget.h"
#include "widgets/toasthintwidget.h"
#include "widgets/toggleswitch.h"

namespace {

const QString kSaveQuestion = QStringLiteral("Are you sure to save the changes and reboot the camera now?");
const QString kSaveButton = QStringLiteral("saveBtn");
const QString kCancelButton = QStringLiteral("cancelBtn");
// ARM, camera and AF versions, as the firmware column shows them.
const QString kFirmwareText = QStringLiteral("%1,%2,%3");

constexpr int kUiTimeoutMs = 5000;

} // namespace

DeviceViewDriver::DeviceViewDriver(ModifyModule *pView, QWidget *pWindow)
    : m_pView(pView)
    , m_pWindow(pWindow)
{
}

QStringList DeviceViewDriver::localAddresses() const
{
    const auto *pCombo = m_pView->findChild<CComboBox *>(QStringLiteral("localIpCombo"));
    QStringList listAddress;
    for (int nIndex = 0; pCombo && nIndex < pCombo->count(); ++nIndex)
        listAddress.append(pCombo->itemText(nIndex));
    return listAddress;
}

ModifyModule *DeviceViewDriver::view() const
{
    return m_pView;
}

QToolButton *DeviceViewDriver::searchButton() const
{
    return m_pView->findChild<QToolButton *>(QStringLiteral("toolButton"));
}

QTableWidget *DeviceViewDriver::table() const
{
    return m_pView->findChild<QTableWidget *>(QStringLiteral("ipTable"));
}

void DeviceViewDriver::search(int nTimeoutMs)
{
    QToolButton *pButton = searchButton();
    QVERIFY(pButton);
    QTRY_VERIFY_WITH_TIMEOUT(pButton->isEnabled(), kUiTimeoutMs);
    QSignalSpy finishedSpy(CommonSignal::getInstance(), &CommonSignal::sigSdkGetInfoFinished);
    QTest::mouseClick(pButton, Qt::LeftButton);
    QVERIFY(!pButton->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(finishedSpy.count(), 1, nTimeoutMs);
    // A large site's rows are asked a slice at a time; "Search" comes back after the last.
    QTRY_VERIFY_WITH_TIMEOUT(pButton->isEnabled(), nTimeoutMs);
}

void DeviceViewDriver::waitForFilled(const QList<int> &listRow, int nTimeoutMs)
{
    const auto allFilled = [&] {
        return std::all_of(listRow.cbegin(), listRow.cend(), [this](int row) { return isFilled(row); });
    };
    QTRY_VERIFY_WITH_TIMEOUT(allFilled(), nTimeoutMs);
}

QString DeviceViewDriver::cell(int row, int column) const
{
    const QTableWidgetItem *pItem = table()->item(row, column);
    return pItem ? pItem->text() : QString();
}

QList<int> DeviceViewDriver::rowsOf(const QString &strAddress) const
{
    QList<int> listRow;
    for (int row = 0; row < table()->rowCount(); ++row) {
        if (cell(row, ColumnIp) == strAddress)
            listRow.append(row);
    }
    return listRow;
}

QStringList DeviceViewDriver::rowAddresses() const
{
    QStringList listAddress;
    for (int row = 0; row < table()->rowCount(); ++row)
        listAddress.append(cell(row, ColumnIp));
    return listAddress;
}

bool DeviceViewDriver::isFilled(int row) const
{
    for (int column : {ColumnMask, ColumnGateway, ColumnMac, ColumnFirmware}) {
        if (cell(row, column).isEmpty())
            return false;
    }
    return true;
}

RowState DeviceViewDriver::rowState(int row) const
{
    const QTableWidgetItem *pItem = table()->item(row, ColumnNo);
    return pItem ? RowState(pItem->data(RowStateDelegate::RowStateRole).toInt()) : RowState::Waiting;
}

QString DeviceViewDriver::rowStateTip(int row) const
{
    const QTableWidgetItem *pItem = table()->item(row, ColumnNo);
    return pItem ? pItem->toolTip() : QString();
}

void DeviceViewDriver::waitForState(int row, RowState state, int nTimeoutMs)
{
    QTRY_VERIFY2_WITH_TIMEOUT(rowState(row) == state, qPrintable(rowStateTip(row)), nTimeoutMs);
}

void DeviceViewDriver::setRebootWatchTiming(int nIntervalMs, int nLimitMs)
{
    auto *pWatch = m_pView->findChild<RebootWatch *>();
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

ToggleSwitch *DeviceViewDriver::rowSwitch(int row) const
{
    QWidget *pCell = table()->cellWidget(row, ColumnDhcp);
    return pCell ? pCell->findChild<ToggleSwitch *>() : nullptr;
}

CTextButton *DeviceViewDriver::rowButton(const QString &strName, int row) const
{
    return m_pView->findChild<CTextButton *>(strName + QString::number(row));
}

void DeviceViewDriver::typeIntoCell(int row, int column, const QString &strText)
{
    QTableWidget *pTable = table();
    QTableWidgetItem *pItem = pTable->item(row, column);
    QVERIFY(pItem);
    pTable->scrollToItem(pItem);
    const QPoint center = pTable->visualItemRect(pItem).center();
    QTest::mouseClick(pTable->viewport(), Qt::LeftButton, {}, center);
    QTest::mouseDClick(pTable->viewport(), Qt::LeftButton, {}, center);
    QLineEdit *pEditor = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((pEditor = pTable->viewport()->findChild<QLineEdit *>()) && pEditor->isVisible(),
                             kUiTimeoutMs);
    pEditor->selectAll();
    QTest::keyClicks(pEditor, strText);
    QTest::keyClick(pEditor, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(cell(row, column), strText, kUiTimeoutMs);
}

void DeviceViewDriver::confirmSave(int row)
{
    clickRowButton(kSaveButton, row);
    if (QTest::currentTestFailed())
        return;
    CTextHintPopWidget *pPop = CTextHintPopWidget::getInstance();
    QTRY_VERIFY_WITH_TIMEOUT(pPop->isVisible(), kUiTimeoutMs);
    const auto *pQuestion = pPop->findChild<QLabel *>(QStringLiteral("tipText"));
    QVERIFY(pQuestion);
    QCOMPARE(pQuestion->text(), kSaveQuestion);
    QCOMPARE(pPop->size(), m_pWindow->size());
    auto *pSure = pPop->findChild<CTextButton *>(QStringLiteral("sureBtn"));
    QVERIFY(pSure);
    QTest::mouseClick(pSure, Qt::LeftButton);
    QVERIFY(!pPop->isVisible());
}

void DeviceViewDriver::cancelRow(int row)
{
    clickRowButton(kCancelButton, row);
}

bool DeviceViewDriver::isToastVisible() const
{
    return ToastHintWidget::getInstance()->isVisible();
}

QString DeviceViewDriver::toastText() const
{
    const auto *pText = ToastHintWidget::getInstance()->findChild<CText *>(QStringLiteral("tipText"));
    return pText ? pText->text() : QString();
}

void DeviceViewDriver::dismissPopups() const
{
    CTextHintPopWidget::getInstance()->hide();
    ToastHintWidget::getInstance()->hide();
}

void DeviceViewDriver::clickRowButton(const QString &strName, int row)
{
    CTextButton *pButton = rowButton(strName, row);
    QVERIFY(pButton);
    QVERIFY(pButton->isEnabled());
    QTest::mouseClick(pButton, Qt::LeftButton);
}
