#include "labprogram.h"

#include <QStringList>
#include <QTest>

#include "app/control.h"
#include "labsession.h"
#include "ui/mainwindow.h"

LabProgram::LabProgram() = default;

LabProgram::~LabProgram() = default;

void LabProgram::start(const LabSession &lab)
{
    m_pControl.reset(new Control);
    MainWindow *pWindow = m_pControl->getMainWindow();
    QVERIFY(QTest::qWaitForWindowExposed(pWindow));
    m_pDriver.reset(new DeviceViewDriver(pWindow->getModifyModule(), pWindow));
    // The namespace holds only the lab link: the one address to search from.
    QCOMPARE(m_pDriver->localAddresses(), QStringList{lab.toolAddress()});
}

void LabProgram::stop()
{
    m_pDriver.reset();
    m_pControl.reset();
}

DeviceViewDriver *LabProgram::driver() const
{
    return m_pDriver.data();
}
