#include "site/rowstate.h"

#include <QHash>

namespace {

const QHash<int, const char *> s_hashNames = {
    {int(RowState::Waiting), "waiting for the camera"},
    {int(RowState::Filled), "settings read"},
    {int(RowState::NoAnswer), "no answer"},
    {int(RowState::Unreadable), "unreadable reply"},
    {int(RowState::TooLarge), "reply too large"},
    {int(RowState::Conflict), "address conflict"},
    {int(RowState::NoContact), "address that cannot be contacted"},
    {int(RowState::Saving), "saving"},
    {int(RowState::Rebooting), "rebooting"},
    {int(RowState::Back), "back at its new address"},
    {int(RowState::NotSeen), "not seen at its new address"},
    {int(RowState::NotWritten), "not written"},
    {int(RowState::Unknown), "outcome unknown"},
    {int(RowState::OtherCamera), "another camera answers at the new address"},
    {int(RowState::RebootRefused), "reboot refused"},
};

} // namespace

QString rowStateName(RowState state)
{
    return QString::fromLatin1(s_hashNames.value(int(state)));
}

bool rowStateIsUnanswered(RowState state)
{
    return state == RowState::NoAnswer || state == RowState::Unreadable || state == RowState::TooLarge;
}

bool rowStateLeavesAddressInDoubt(RowState state)
{
    switch (state) {
    case RowState::Saving:
    case RowState::Rebooting:
    case RowState::NotSeen:
    case RowState::Unknown:
    case RowState::OtherCamera:
        return true;
    default:
        return false;
    }
}
