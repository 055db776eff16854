#pragma once

#include <QTableWidget>

/**
 * The device table: a QTableWidget that shows the cell widgets (the DHCP switch, "Save" and
 * "Cancel" of every row) only for the rows in view.
 *
 * A plain table shows the cell widget of every row, in view or not, and each shown widget
 * is laid out and painted against all its siblings: with thousands of rows a single paint
 * of the table takes seconds. Hidden widgets cost nothing there; they are shown again as
 * their rows scroll into view.
 */
class DeviceTable : public QTableWidget
{
    Q_OBJECT

public:
    explicit DeviceTable(QWidget *parent = nullptr);

    /// As QTableWidget's, except that while the cell widgets are placed a row out of view
    /// has no rectangle, which hides its widgets.
    QRect visualRect(const QModelIndex &index) const override;

protected:
    void updateEditorGeometries() override;
    void scrollContentsBy(int dx, int dy) override;

private:
    bool m_bPlacingWidgets = false;
};
