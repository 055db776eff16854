#include "ui/rowstatedelegate.h"

#include <QPainter>

#include "ui/rowstate.h"

namespace {
constexpr qreal kMarkDiameter = 8.0;
constexpr qreal kMarkInset = 6.0;
} // namespace

RowStateDelegate::RowStateDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

void RowStateDelegate::paint(QPainter *pPainter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyledItemDelegate::paint(pPainter, option, index);
    const QVariant state = index.data(RowStateRole);
    if (!state.isValid())
        return;
    pPainter->save();
    pPainter->setRenderHint(QPainter::Antialiasing);
    pPainter->setPen(Qt::NoPen);
    pPainter->setBrush(rowStateColor(RowState(state.toInt())));
    pPainter->drawEllipse(markRect(option.rect));
    pPainter->restore();
}

QRectF RowStateDelegate::markRect(const QRect &cellRect)
{
    const qreal dTop = cellRect.center().y() + 0.5 - kMarkDiameter / 2;
    return QRectF(cellRect.left() + kMarkInset, dTop, kMarkDiameter, kMarkDiameter);
}
