#include "support/devicetabledriver.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include <algorithm>

#include "core/commonsignal.h"
#include "ui/rowstatedelegate.h"
#include "widgets/ccombobox.h"
#include "widgets/ctext.h"
#include "widgets/ctextbutton.h"
#include "widgets/ctexthintpopwidget.h"
#include "widgets/toasthintwidget.h"
#include "widgets/toggleswitch.h"

namespace {

const QString kSaveQuestion = QStringLiteral("Are you sure to save the changes and reboot the camera now?");
const QString kTipText = QStringLiteral("tipText");

} // namespace

DeviceTableDriver::DeviceTableDriver(QWidget *pView, QWidget *pWindow)
{
    setView(pView, pWindow);
}

void DeviceTableDriver::setView(QWidget *pView, QWidget *pWindow)
{
    m_pView = pView;
    m_pWindow = pWindow;
}

QWidget *DeviceTableDriver::view() const
{
    return m_pView;
}

QTableWidget *DeviceTableDriver::table() const
{
    return m_pView->findChild<QTableWidget *>(QStringLiteral("ipTable"));
}

QToolButton *DeviceTableDriver::searchButton() const
{
    return m_pView->findChild<QToolButton *>(QStringLiteral("toolButton"));
}

QStringList DeviceTableDriver::localAddresses() const
{
    const auto *pCombo = m_pView->findChild<CComboBox *>(QStringLiteral("localIpCombo"));
    QStringList listAddress;
    for (int nIndex = 0; pCombo && nIndex < pCombo->count(); ++nIndex)
        listAddress.append(pCombo->itemText(nIndex));
    return listAddress;
}

void DeviceTableDriver::search(int nTimeoutMs)
{
    QToolButton *pButton = searchButton();
    QVERIFY(pButton);
    QTRY_VERIFY_WITH_TIMEOUT(pButton->isEnabled(), kStepTimeoutMs);
    QSignalSpy finishedSpy(CommonSignal::getInstance(), &CommonSignal::sigSdkGetInfoFinished);
    QTest::mouseClick(pButton, Qt::LeftButton);
    QVERIFY(!pButton->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(finishedSpy.count(), 1, nTimeoutMs);
    // A large site's rows are asked a slice at a time; "Search" comes back after the last.
    QTRY_VERIFY_WITH_TIMEOUT(pButton->isEnabled(), nTimeoutMs);
}

void DeviceTableDriver::waitForFilled(const QList<int> &listRow, int nTimeoutMs)
{
    const auto allFilled = [&] {
        return std::all_of(listRow.cbegin(), listRow.cend(), [this](int row) { return isFilled(row); });
    };
    QTRY_VERIFY_WITH_TIMEOUT(allFilled(), nTimeoutMs);
}

QString DeviceTableDriver::cell(int row, int column) const
{
    const QTableWidgetItem *pItem = table()->item(row, column);
    return pItem ? pItem->text() : QString();
}

QList<int> DeviceTableDriver::rowsOf(const QString &strAddress) const
{
    QList<int> listRow;
    for (int row = 0; row < table()->rowCount(); ++row) {
        if (cell(row, ColumnIp) == strAddress)
            listRow.append(row);
    }
    return listRow;
}

QStringList DeviceTableDriver::rowAddresses() const
{
    QStringList listAddress;
    for (int row = 0; row < table()->rowCount(); ++row)
        listAddress.append(cell(row, ColumnIp));
    return listAddress;
}

bool DeviceTableDriver::isFilled(int row) const
{
    for (int column : {ColumnMask, ColumnGateway, ColumnMac, ColumnFirmware}) {
        if (cell(row, column).isEmpty())
            return false;
    }
    return true;
}

RowState DeviceTableDriver::rowState(int row) const
{
    const QTableWidgetItem *pItem = table()->item(row, ColumnNo);
    return pItem ? RowState(pItem->data(RowStateDelegate::RowStateRole).toInt()) : RowState::Waiting;
}

QString DeviceTableDriver::rowStateTip(int row) const
{
    const QTableWidgetItem *pItem = table()->item(row, ColumnNo);
    return pItem ? pItem->toolTip() : QString();
}

ToggleSwitch *DeviceTableDriver::rowSwitch(int row) const
{
    QWidget *pCell = table()->cellWidget(row, ColumnDhcp);
    return pCell ? pCell->findChild<ToggleSwitch *>() : nullptr;
}

CTextButton *DeviceTableDriver::rowButton(const QString &strName, int row) const
{
    return m_pView->findChild<CTextButton *>(strName + QString::number(row));
}

void DeviceTableDriver::typeIntoCell(int row, int column, const QString &strText)
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
                             kStepTimeoutMs);
    pEditor->selectAll();
    QTest::keyClicks(pEditor, strText);
    QTest::keyClick(pEditor, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(cell(row, column), strText, kStepTimeoutMs);
}

void DeviceTableDriver::clickRowButton(const QString &strName, int row)
{
    CTextButton *pButton = rowButton(strName, row);
    QVERIFY(pButton);
    QVERIFY(pButton->isEnabled());
    QTest::mouseClick(pButton, Qt::LeftButton);
}

void DeviceTableDriver::answerSaveQuestion()
{
    CTextHintPopWidget *pPop = CTextHintPopWidget::getInstance();
    QTRY_VERIFY_WITH_TIMEOUT(pPop->isVisible(), kStepTimeoutMs);
    const auto *pQuestion = pPop->findChild<QLabel *>(kTipText);
    QVERIFY(pQuestion);
    QCOMPARE(pQuestion->text(), kSaveQuestion);
    if (m_pWindow)
        QCOMPARE(pPop->size(), m_pWindow->size());
    auto *pSure = pPop->findChild<CTextButton *>(QStringLiteral("sureBtn"));
    QVERIFY(pSure);
    QTest::mouseClick(pSure, Qt::LeftButton);
    QVERIFY(!pPop->isVisible());
}

void DeviceTableDriver::confirmSave(int row)
{
    clickRowButton(kSaveButton, row);
    if (!QTest::currentTestFailed())
        answerSaveQuestion();
}

void DeviceTableDriver::cancelRow(int row)
{
    clickRowButton(kCancelButton, row);
}

bool DeviceTableDriver::isToastVisible()
{
    return ToastHintWidget::getInstance()->isVisible();
}

QString DeviceTableDriver::toastText()
{
    const auto *pText = ToastHintWidget::getInstance()->findChild<CText *>(kTipText);
    return pText ? pText->text() : QString();
}

void DeviceTableDriver::hidePopups()
{
    CTextHintPopWidget::getInstance()->hide();
    ToastHintWidget::getInstance()->hide();
}
