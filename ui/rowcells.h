#pragma once

#include <QObject>
#include <QString>

class CTextButton;
class DeviceRow;
class DeviceRowList;
class QTableWidget;
class QTableWidgetItem;
class QWidget;
class ToggleSwitch;

/**
 * The device table's cells for the site's rows: the text items, the state mark in "No.",
 * the DHCP switch and the "Save" and "Cancel" buttons of each row, written from the row
 * objects.
 *
 * Rows go into the table a slice per turn of the event loop, with the table's viewport
 * hidden until the last: every cell widget shown in view is laid out and painted against all
 * the others, which for thousands of rows would freeze the window for seconds.
 *
 * The switch and the buttons carry their row's id in the property ROW_ID_PROPERTY. A change
 * the user makes in an editable cell is told apart from the program's own writes.
 */
class RowCells : public QObject
{
    Q_OBJECT

public:
    /// Rows put into the table in one turn of the event loop: each brings its cell widgets.
    static constexpr int ROWS_INSERTED_PER_TURN = 50;
    /// The dynamic property of a row's switch and buttons that holds the row's id.
    static constexpr char ROW_ID_PROPERTY[] = "rowId";

    RowCells(QTableWidget *pTable, const DeviceRowList &rows, QObject *parent = nullptr);

    /// Empties the table.
    void clear();
    /// Puts rows @p nFirst to @p nFirst + @p nCount - 1 into the table; sigInserted follows.
    void insert(int nFirst, int nCount);
    /// Writes the cells of the row at @p nIndex again, once it is in the table.
    void refresh(int nIndex);
    /// True while the program writes cells or switches.
    bool isProgramWrite() const;
    /// True from insert() until its last row is in the table.
    bool isInserting() const;
    /// The pixel size of the row buttons' text, now and for the rows to come (default 16).
    void setButtonFontSize(int nSize);

signals:
    /// A row's switch and buttons were made.
    void sigRowWidgets(ToggleSwitch *pSwitch, CTextButton *pSave, CTextButton *pCancel);
    /// The user changed the text of the editable cell (@p nIndex, @p nColumn) to @p strText.
    void sigCellEdited(int nIndex, int nColumn, QString strText);
    /// Every row of the last insert() is in the table.
    void sigInserted();

private:
    void insertNextSlice();
    void insertRow(const DeviceRow *pRow);
    void writeRow(const DeviceRow *pRow);
    void setCell(int nIndex, int nColumn, const QString &strText, bool bEditable);
    QTableWidgetItem *ensureItem(int nIndex, int nColumn);
    ToggleSwitch *createSwitch(const DeviceRow *pRow, QWidget *pParent);
    CTextButton *createRowButton(const QString &strText, const QString &strName, const DeviceRow *pRow,
                                 QWidget *pParent);
    void cellChanged(int nIndex, int nColumn);

    QTableWidget *m_pTable = nullptr;
    const DeviceRowList &m_rows;
    int m_nInserted = 0;
    int m_nEnd = 0;
    int m_nProgramWrites = 0;
    int m_nButtonFontSize = 16;
};
