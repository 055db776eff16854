#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "site/rowstate.h"

class CTextButton;
class QTableWidget;
class QToolButton;
class QWidget;
class ToggleSwitch;

/**
 * Drives the device view's table the way a user does, with QTest mouse and key events on
 * the real widgets: "Search", typing into a cell, a row's switch, "Save" and "Cancel", the
 * question's "Yes", the toast. The void steps check as they go (QVERIFY); wrap them in
 * STEP to leave the test function at their first failure.
 */
class DeviceTableDriver
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

    /// How long a step waits for the widgets unless it is told.
    static constexpr int kStepTimeoutMs = 5000;
    /// The names of a row's "Save" and "Cancel", before the row number.
    inline static const QString kSaveButton = QStringLiteral("saveBtn");
    inline static const QString kCancelButton = QStringLiteral("cancelBtn");

    /// Drives @p pView, a ModifyModule; see setView().
    explicit DeviceTableDriver(QWidget *pView = nullptr, QWidget *pWindow = nullptr);

    /// Drives @p pView from now on. @p pWindow is the window the question lies over; without
    /// one the question is a window of its own, of any size.
    void setView(QWidget *pView, QWidget *pWindow = nullptr);
    QWidget *view() const;
    QTableWidget *table() const;
    QToolButton *searchButton() const;
    /// The addresses offered in "Computer IP ".
    QStringList localAddresses() const;

    /// Clicks "Search" and waits at most @p nTimeoutMs for the search and the SDK search to
    /// end, then as long again for every row to be asked for its settings ("Search" back).
    void search(int nTimeoutMs);
    /// Waits until every row in @p listRow shows mask, gateway, MAC and firmware.
    void waitForFilled(const QList<int> &listRow, int nTimeoutMs = kStepTimeoutMs);

    /// The cell's text, empty for a cell without an item.
    QString cell(int row, int column) const;
    /// The rows whose address cell shows @p strAddress, top to bottom.
    QList<int> rowsOf(const QString &strAddress) const;
    /// Every row's address cell, top to bottom.
    QStringList rowAddresses() const;
    bool isFilled(int row) const;
    /// The row's state mark, and the tooltip that gives its reason.
    RowState rowState(int row) const;
    QString rowStateTip(int row) const;
    /// The DHCP switch of the row, or nullptr.
    ToggleSwitch *rowSwitch(int row) const;
    /// The row's button named @p strName plus the row number ("saveBtn0", "cancelBtn1").
    CTextButton *rowButton(const QString &strName, int row) const;

    /// Double-clicks the cell, replaces its text by typing, and presses Return.
    void typeIntoCell(int row, int column, const QString &strText);
    /// Clicks the row's button, which must be there and enabled.
    void clickRowButton(const QString &strName, int row);
    /// Checks the question the row's "Save" asks and clicks its "Yes".
    void answerSaveQuestion();
    /// Clicks the row's "Save", then answerSaveQuestion().
    void confirmSave(int row);
    /// Clicks the row's "Cancel".
    void cancelRow(int row);

    static bool isToastVisible();
    static QString toastText();
    /// Hides the question and the toast, as their close buttons would; both outlive views.
    static void hidePopups();

private:
    QWidget *m_pView = nullptr;
    QWidget *m_pWindow = nullptr;
};
