#pragma once

// Drives the device table of a ModifyModule the way a user does, for the view tests.

#include <QLineEdit>
#include <QTableWidget>
#include <QTest>

#include "widgets/ctext.h"
#include "widgets/ctextbutton.h"
#include "widgets/ctexthintpopwidget.h"
#include "widgets/toasthintwidget.h"
#include "widgets/toggleswitch.h"

#include "support/teststep.h"

/**
 * Finds and works the rows of the "ipTable" of the view drivenView() gives. The helpers
 * that click or type check as they go; wrap them in STEP to stop at their first failure.
 */
class DeviceTableDriver
{
public:
    // The text the result toast shows.
    static QString toastText()
    {
        return ToastHintWidget::getInstance()->findChild<CText *>(QStringLiteral("tipText"))->text();
    }

    // Hides the question pop-up and the toast, which outlive every view.
    static void hideHintWindows()
    {
        CTextHintPopWidget::getInstance()->hide();
        ToastHintWidget::getInstance()->hide();
    }

protected:
    ~DeviceTableDriver() = default;

    // The ModifyModule whose table is driven.
    virtual QWidget *drivenView() const = 0;

    QTableWidget *table() const { return drivenView()->findChild<QTableWidget *>(QStringLiteral("ipTable")); }

    // The cell's text, empty for a cell without an item.
    QString cell(int row, int column) const
    {
        const QTableWidgetItem *pItem = table()->item(row, column);
        return pItem ? pItem->text() : QString();
    }

    // The row's button named strName plus the row number ("saveBtn0", "cancelBtn1").
    CTextButton *rowButton(const QString &strName, int row) const
    {
        return drivenView()->findChild<CTextButton *>(strName + QString::number(row));
    }

    // The DHCP switch of the row, or nullptr.
    ToggleSwitch *rowSwitch(int row) const
    {
        QWidget *pCell = table()->cellWidget(row, 4);
        return pCell ? pCell->findChild<ToggleSwitch *>() : nullptr;
    }

    // Opens the cell's editor with a double click, replaces its text and commits it.
    void typeIntoCell(int row, int column, const QString &strText)
    {
        QTableWidget *pTable = table();
        QTableWidgetItem *pItem = pTable->item(row, column);
        QVERIFY(pItem);
        const QPoint center = pTable->visualItemRect(pItem).center();
        QTest::mouseClick(pTable->viewport(), Qt::LeftButton, {}, center);
        QTest::mouseDClick(pTable->viewport(), Qt::LeftButton, {}, center);
        QLineEdit *pEditor = nullptr;
        QTRY_VERIFY((pEditor = pTable->viewport()->findChild<QLineEdit *>()) && pEditor->isVisible());
        pEditor->selectAll();
        QTest::keyClicks(pEditor, strText);
        QTest::keyClick(pEditor, Qt::Key_Return);
        QTRY_COMPARE(cell(row, column), strText);
    }

    // Clicks the row's button, which must be there and enabled.
    void clickRowButton(const QString &strName, int row)
    {
        CTextButton *pButton = rowButton(strName, row);
        QVERIFY(pButton);
        QVERIFY(pButton->isEnabled());
        QTest::mouseClick(pButton, Qt::LeftButton);
    }
};
