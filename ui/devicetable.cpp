#include "ui/devicetable.h"

#include <QHelpEvent>
#include <QStyle>
#include <QToolTip>

namespace {

// The style keeps this much more than its focus frame's margin between a cell's edge and
// its text, on either side.
constexpr int kTextMarginBeyondFocusFrame = 1;

} // namespace

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

bool DeviceTable::viewportEvent(QEvent *pEvent)
{
    if (pEvent->type() == QEvent::ToolTip && showWholeText(static_cast<QHelpEvent *>(pEvent)))
        return true;
    return QTableWidget::viewportEvent(pEvent);
}

// True when the cell under the cursor is cut and its whole text is now the tooltip.
bool DeviceTable::showWholeText(const QHelpEvent *pEvent)
{
    const QModelIndex index = indexAt(pEvent->pos());
    const QString strText = cutText(index);
    if (strText.isEmpty())
        return false;
    QToolTip::showText(pEvent->globalPos(), strText, viewport(), visualRect(index));
    return true;
}

// The text of a cut cell without a tooltip of its own; empty for any other cell.
QString DeviceTable::cutText(const QModelIndex &index) const
{
    if (!index.isValid() || !index.data(Qt::ToolTipRole).toString().isEmpty())
        return QString();
    const QString strText = index.data(Qt::DisplayRole).toString();
    return textFits(index, strText) ? QString() : strText;
}

// Measured as the style lays the text out: on one line, in the item's font, within the
// cell's text rectangle less the style's margin on either side.
bool DeviceTable::textFits(const QModelIndex &index, const QString &strText) const
{
    QStyleOptionViewItem option = viewOptions();
    option.rect = visualRect(index);
    option.text = strText;
    option.features |= QStyleOptionViewItem::HasDisplay;
    const QVariant font = index.data(Qt::FontRole);
    if (font.isValid())
        option.font = qvariant_cast<QFont>(font).resolve(option.font);
    const int nMargin =
        style()->pixelMetric(QStyle::PM_FocusFrameHMargin, &option, this) + kTextMarginBeyondFocusFrame;
    const QRect textRect = style()->subElementRect(QStyle::SE_ItemViewItemText, &option, this);
    const QRect room = textRect.adjusted(nMargin, 0, -nMargin, 0);
    return QFontMetricsF(option.font).horizontalAdvance(strText) <= room.width();
}
