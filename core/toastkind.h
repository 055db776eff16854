#pragma once

/// What a result message is about, and so the icon the toast shows with it.
enum ToastKind {
    ToastSuccess = 0,
    ToastFailure = 1,
};
