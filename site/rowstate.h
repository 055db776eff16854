#pragma once

#include <QString>

/// Where a row of the device table stands, as its state mark shows it.
enum class RowState {
    Waiting,     ///< listed, its settings not in yet
    Filled,      ///< its settings arrived
    NoAnswer,    ///< the camera refused, timed out or could not be reached
    Unreadable,  ///< it answered with something that is not its settings
    TooLarge,    ///< its reply was larger than the client accepts
    Conflict,    ///< another answer at its address that HTTP does not reach
    NoContact,   ///< an address that is never contacted
    Saving,      ///< a write is in flight
    Rebooting,   ///< written; rebooting onto its new settings
    Back,        ///< seen back at its new address with the values written
    NotSeen,     ///< not seen back at its new address
    NotWritten,  ///< a write was refused or failed; the camera keeps its settings
    Unknown,     ///< a write or reboot order left and no answer came: it may have taken effect
    OtherCamera, ///< after the reboot another camera answers at the new address
    RebootRefused, ///< written, but the camera refused the reboot order
};

/// The short name of @p state, first in its tooltip ("waiting for the camera").
QString rowStateName(RowState state);
/// True for the states of a row whose camera gave no usable settings.
bool rowStateIsUnanswered(RowState state);
/// True for the states in which the camera's address is in doubt: writing, rebooting, not
/// yet proven back, not seen, another camera there, outcome unknown. Such a row is not saved.
bool rowStateLeavesAddressInDoubt(RowState state);
