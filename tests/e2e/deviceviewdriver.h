#pragma once

#include "labcamera_s.h"
#include "support/devicetabledriver.h"

class ModifyModule;

/**
 * The device table's driver with the lab's checks: a row against the simulator's camera,
 * the wait for a row's mark, and the pace of the view's reboot watch.
 */
class DeviceViewDriver : public DeviceTableDriver
{
public:
    /// @p pView is the window's device view; @p pWindow the window the question covers.
    DeviceViewDriver(ModifyModule *pView, QWidget *pWindow);

    /// Waits at most @p nTimeoutMs for the row's mark to show @p state.
    void waitForState(int row, RowState state, int nTimeoutMs);
    /// Sets the interval and the bound of the view's reboot watch.
    void setRebootWatchTiming(int nIntervalMs, int nLimitMs);
    /// Checks that the row shows the camera's settings and firmware, with "Save" and
    /// "Cancel" enabled.
    void verifyRowShows(int row, const LabCamera_S &stCamera) const;
    /// Checks that the row shows nothing but its address, with "Save" and "Cancel" disabled.
    void verifyRowUnfilled(int row) const;
};
