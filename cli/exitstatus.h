#pragma once

/// The command line's exit statuses.
enum ExitStatus {
    ExitDone = 0,           ///< the search ran; every camera written is proven back
    ExitFailed = 1,         ///< a camera failed, was not found, or was refused
    ExitUsage = 2,          ///< a usage error: nothing was sent
    ExitForeignAddress = 3, ///< --from is not one of the computer's addresses
};
