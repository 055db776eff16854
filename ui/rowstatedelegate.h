#pragma once

#include <QColor>
#include <QStyledItemDelegate>

#include "site/rowstate.h"

/**
 * Paints the "No." cell of the device table with its row's state mark: a small dot at the
 * cell's left edge, in the colour of the state kept under RowStateRole (nothing when the
 * item has none). The number itself is painted as usual, centred.
 */
class RowStateDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    /// The item data role holding the row's state, an int of RowState.
    static constexpr int RowStateRole = Qt::UserRole + 1;

    explicit RowStateDelegate(QObject *parent = nullptr);

    void paint(QPainter *pPainter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    /// The colour of the mark for @p state.
    static QColor stateColor(RowState state);

private:
    static QRectF markRect(const QRect &cellRect);
};
