#include "ui/devicetable.h"

DeviceTable::DeviceTable(QWidget *parent)
    : QTableWidget(parent)
{
}

QRect DeviceTable::visualRect(const QModelIndex &index) const
{
    const QRect rect = QTableWidget::visualRect(index);
    if (m_bPlacingWidgets && !rect.intersects(viewport()->rect()))
        return QRect();
    return rect;
}

void DeviceTable::updateEditorGeometries()
{
    m_bPlacingWidgets = true;
    QTableWidget::updateEditorGeometries();
    m_bPlacingWidgets = false;
}

// Scrolling moves the widgets without placing them again: the rows coming into view need
// theirs shown.
void DeviceTable::scrollContentsBy(int dx, int dy)
{
    QTableWidget::scrollContentsBy(dx, dy);
    updateEditorGeometries();
}
