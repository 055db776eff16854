#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "labcamera_s.h"
#include "site/rowstate.h"

class CTextButton;
class ModifyModule;
class QTableWidget;
class QToolButton;
class QWidget;
class ToggleSwitch;

/**
 * Drives the device view the way a user does, with QTest mouse and key events on the
 * real widgets: "Search", typing into a cell, a row's "Save" and "Cancel", the
 * confirmation pop-up's "Yes". The void steps check as they go (QVERIFY), so a caller
 * leaves its test function when QTest::currentTestFailed().
 */
class DeviceViewDriver
{
public:
    enum Column {
        ColumnNo,
        ColumnIp,
        ColumnMask,
        ColumnGateway,
        ColumnDhcp,
        ColumnMac,
        ColumnFirmware,
        ColumnOperation
    };

    /// @p pView is the window's device view; @p pWindow the window the pop-up covers.
    DeviceViewDriver(ModifyModule *pView, QWidget *pWindow);

    /// The addresses offered in "Computer IP ".
    QStringList localAddresses() const;
    ModifyModule *view() const;
    QToolButton *searchButton() const;
    QTableWidget *table() const;

    /// Clicks "Search" and waits at most @p nTimeoutMs for the search and the SDK search
    /// to end, then as long again for every row's settings to be requested ("Search"
    /// enabled again).
    void search(int nTimeoutMs);
    /// Waits at most @p nTimeoutMs until every row in @p listRow shows mask, gateway, MAC
    /// and firmware.
    void waitForFilled(const QList<int> &listRow, int nTimeoutMs);

    QString cell(int row, int column) const;
    /// The rows whose address cell shows @p strAddress, top to bottom.
    QList<int> rowsOf(const QString &strAddress) const;
    /// Every row's address cell, top to bottom.
    QStringList rowAddresses() const;
    bool isFilled(int row) const;
    /// The row's state mark, and the tooltip that gives its reason.
    RowState rowState(int row) const;
    QString rowStateTip(int row) const;
    /// Waits at most @p nTimeoutMs for the row's mark to show @p state.
    void waitForState(int row, RowState state, int nTimeoutMs);
    /// Sets the interval and the bound of the view's reboot watch.
    void setRebootWatchTiming(int nIntervalMs, int nLimitMs);
    /// Checks that the row shows the camera's settings and firmware, with "Save" and
    /// "Cancel" enabled.
    void verifyRowShows(int row, const LabCamera_S &stCamera) const;
    /// Checks that the row shows nothing but its address, with "Save" and "Cancel" disabled.
    void verifyRowUnfilled(int row) const;
    ToggleSwitch *rowSwitch(int row) const;
    /// The row's "Save" (@p strName "saveBtn") or "Cancel" ("cancelBtn") button.
    CTextButton *rowButton(const QString &strName, int row) const;

    /// Double-clicks the cell, replaces its text by typing, and presses Return.
    void typeIntoCell(int row, int column, const QString &strText);
    /// Clicks the row's "Save", checks the question, and clicks the pop-up's "Yes".
    void confirmSave(int row);
    /// Clicks the row's "Cancel".
    void cancelRow(int row);

    bool isToastVisible() const;
    QString toastText() const;
    /// Hides both pop-ups, as their close buttons would.
    void dismissPopups() const;

private:
    void clickRowButton(const QString &strName, int row);

    ModifyModule *m_pView = nullptr;
    QWidget *m_pWindow = nullptr;
};
