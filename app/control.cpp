#include "app/control.h"

#include "app/hubwiring.h"
#include "app/mainmodel.h"
#include "net/chttp.h"
#include "net/commontool.h"
#include "site/journal.h"
#include "site/sitemodel.h"
#include "ui/mainwindow.h"
#include "ui/modifymodule.h"
#include "ui/remembered.h"

Control::Control(QObject *parent)
    : QObject(parent)
{
    m_pMainWindow = new MainWindow;
    m_pMainModel = new MainModel;
    ModifyModule *pView = m_pMainWindow->getModifyModule();
    pView->siteModel()->setJournal(new Journal(this));
    connectHub(m_pMainModel->getModifyModel(), pView, m_pMainWindow);
    connectOutcomes(pView);
    CHttp::getInstance()->setReceiver(m_pMainModel);
    m_pMainWindow->restoreGeometry(Remembered::windowGeometry());
    m_pMainWindow->show();
}

// An SDK search still running would otherwise report into objects being destroyed.
Control::~Control()
{
    CommonTool::getInstance()->shutDown();
    Remembered::setWindowGeometry(m_pMainWindow->saveGeometry());
    delete m_pMainWindow;
    m_pMainWindow = nullptr;
    delete m_pMainModel;
    m_pMainModel = nullptr;
    CHttp::destroyInstance();
}

MainWindow *Control::getMainWindow() const
{
    return m_pMainWindow;
}

MainModel *Control::getMainModel() const
{
    return m_pMainModel;
}
