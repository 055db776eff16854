#include "ui/rowstatedelegate.h"

#include <QHash>
#include <QPainter>

#include "site/rowstate.h"

namespace {
constexpr qreal kMarkDiameter = 8.0;
constexpr qreal kMarkInset = 6.0;

// Blue is the window's accent for work in progress; green, amber and red say how it ended.
const QHash<int, QColor> s_hashColors = {
    {int(RowState::Waiting), QColor("#B8C4D1")},
    {int(RowState::Filled), QColor("#2EB872")},
    {int(RowState::NoAnswer), QColor("#E5484D")},
    {int(RowState::Unreadable), QColor("#E5484D")},
    {int(RowState::TooLarge), QColor("#E5484D")},
    {int(RowState::Conflict), QColor("#F5A623")},
    {int(RowState::NoContact), QColor("#666666")},
    {int(RowState::Saving), QColor("#00B7FF")},
    {int(RowState::Rebooting), QColor("#00B7FF")},
    {int(RowState::Back), QColor("#2EB872")},
    {int(RowState::NotSeen), QColor("#E5484D")},
    {int(RowState::NotWritten), QColor("#E5484D")},
    {int(RowState::Unknown), QColor("#F5A623")},
    {int(RowState::OtherCamera), QColor("#E5484D")},
    {int(RowState::RebootRefused), QColor("#E5484D")},
};
} // namespace

QColor RowStateDelegate::stateColor(RowState state)
{
    return s_hashColors.value(int(state));
}

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
    pPainter->setBrush(stateColor(RowState(state.toInt())));
    pPainter->drawEllipse(markRect(option.rect));
    pPainter->restore();
}

QRectF RowStateDelegate::markRect(const QRect &cellRect)
{
    const qreal dTop = cellRect.center().y() + 0.5 - kMarkDiameter / 2;
    return QRectF(cellRect.left() + kMarkInset, dTop, kMarkDiameter, kMarkDiameter);
}
