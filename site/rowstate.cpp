#include "ui/rowstate.h"

#include <QHash>

namespace {

struct RowStateLook
{
    const char *szColor;
    const char *szName;
};

// Blue is the window's accent for work in progress; green, amber and red say how it ended.
const QHash<int, RowStateLook> s_hashLooks = {
    {int(RowState::Waiting), {"#B8C4D1", "waiting for the camera"}},
    {int(RowState::Filled), {"#2EB872", "settings read"}},
    {int(RowState::NoAnswer), {"#E5484D", "no answer"}},
    {int(RowState::Unreadable), {"#E5484D", "unreadable reply"}},
    {int(RowState::TooLarge), {"#E5484D", "reply too large"}},
    {int(RowState::Conflict), {"#F5A623", "address conflict"}},
    {int(RowState::NoContact), {"#666666", "address that cannot be contacted"}},
    {int(RowState::Saving), {"#00B7FF", "saving"}},
    {int(RowState::Rebooting), {"#00B7FF", "rebooting"}},
    {int(RowState::Back), {"#2EB872", "back at its new address"}},
    {int(RowState::NotSeen), {"#E5484D", "not seen at its new address"}},
    {int(RowState::NotWritten), {"#E5484D", "not written"}},
};

} // namespace

QColor rowStateColor(RowState state)
{
    return QColor(QLatin1String(s_hashLooks.value(int(state)).szColor));
}

QString rowStateName(RowState state)
{
    return QString::fromLatin1(s_hashLooks.value(int(state)).szName);
}

bool rowStateIsUnanswered(RowState state)
{
    return state == RowState::NoAnswer || state == RowState::Unreadable || state == RowState::TooLarge;
}
