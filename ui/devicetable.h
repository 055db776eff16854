#pragma once

#include <QTableWidget>

class QHelpEvent;

/**
 * The device table: a QTableWidget that shows the cell widgets (the DHCP switch, "Save" and
 * "Cancel" of every row) only for the rows in view.
 *
 * A plain table shows the cell widget of every row, in view or not, and each shown widget
 * is laid out and painted against all its siblings: with thousands of rows a single paint
 * of the table takes seconds. Hidden widgets cost nothing there; they are shown again as
 * their rows scroll into view.
 *
 * A cell too narrow for its text, and without a tooltip of its own, shows its whole text
 * in its tooltip; every other cell's tooltip is the item's own, as in any table.
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
    /// Shows the whole text of a cut cell as the tooltip; every other event, and the
    /// tooltip of any other cell, goes to QTableWidget.
    bool viewportEvent(QEvent *pEvent) override;

private:
    bool showWholeText(const QHelpEvent *pEvent);
    QString cutText(const QModelIndex &index) const;
    bool textFits(const QModelIndex &index, const QString &strText) const;

    bool m_bPlacingWidgets = false;
};
