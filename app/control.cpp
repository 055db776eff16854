#include "app/control.h"

#include "app/mainmodel.h"
#include "core/commonsignal.h"
#include "net/chttp.h"
#include "net/commontool.h"
#include "net/modifymodel.h"
#include "net/requestoutcome.h"
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
    m_pMainWindow->getModifyModule()->siteModel()->setJournal(new Journal(this));
    connectHub();
    connectOutcomes();
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

// One connection per hub signal, in the hub's signal order.
void Control::connectHub()
{
    CommonSignal *pHub = CommonSignal::getInstance();
    ModifyModel *pModel = m_pMainModel->getModifyModel();
    ModifyModule *pView = m_pMainWindow->getModifyModule();

    connect(pHub, &CommonSignal::sigSearchNetwork, pModel, &ModifyModel::slotSearchNetwork);
    connect(pHub, &CommonSignal::sigSearchResult, pView, &ModifyModule::slotSearchResult);
    connect(pHub, &CommonSignal::sigGetFwVersion, pModel, &ModifyModel::slotGetFwVersion);
    connect(pHub, &CommonSignal::sigUpdateFwVersion, pView, &ModifyModule::slotUpdateFwVersion);
    connect(pHub, &CommonSignal::sigGetEnv, pModel, &ModifyModel::slotGetEnv);
    connect(pHub, &CommonSignal::sigUpdateEthInfo, pView, &ModifyModule::slotUpdateEthInfo);
    connect(pHub, &CommonSignal::sigGetEnvFinished, pView, &ModifyModule::slotGetEnvFinished);
    connect(pHub, &CommonSignal::sigSetEthInfo, pModel, &ModifyModel::slotSetEthInfo);
    connect(pHub, &CommonSignal::sigSetEthStatus, pView, &ModifyModule::slotUpdateEthStatus);
    connect(pHub, &CommonSignal::sigShowTips, m_pMainWindow, &MainWindow::slotShowTips);
    connect(pHub, &CommonSignal::sigDevReboot, pModel, &ModifyModel::slotDevReboot);
    connect(pHub, &CommonSignal::sigSdkUpdateDevInfo, pView, &ModifyModule::slotSdkUpdateDevInfo);
    connect(pHub, &CommonSignal::sigSdkGetInfoFinished, pView, &ModifyModule::slotSdkGetInfoFinished);
}

// Beside the hub: how each request of the view ended, so that a failed write is known by
// its camera and replies of an earlier search are told apart.
void Control::connectOutcomes()
{
    RequestOutcome *pOutcome = RequestOutcome::getInstance();
    ModifyModule *pView = m_pMainWindow->getModifyModule();
    connect(pOutcome, &RequestOutcome::sigRequestStarted, pView, &ModifyModule::slotRequestStarted);
    connect(pOutcome, &RequestOutcome::sigReplyDelivering, pView, &ModifyModule::slotReplyDelivering);
    connect(pOutcome, &RequestOutcome::sigRequestFinished, pView, &ModifyModule::slotRequestFinished);
}
