#pragma once

#include <QScopedPointer>

#include "deviceviewdriver.h"

class Control;
class LabSession;

/**
 * The real program started inside a lab: the controller with its window, and a driver for
 * the window's device view. start() checks as it goes (QVERIFY), so a caller leaves its
 * test function when QTest::currentTestFailed().
 */
class LabProgram
{
public:
    LabProgram();
    ~LabProgram();

    /// Builds the program, waits for its window and checks that the only address it offers
    /// to search from is the lab's tool address.
    void start(const LabSession &lab);
    /// Ends the program, the window first.
    void stop();
    /// The driver of the running program's device view; null before start() and after stop().
    DeviceViewDriver *driver() const;

private:
    QScopedPointer<Control> m_pControl;
    QScopedPointer<DeviceViewDriver> m_pDriver;
};
