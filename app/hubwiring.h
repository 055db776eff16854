#pragma once

#include <QObject>

#include "core/commonsignal.h"
#include "net/modifymodel.h"
#include "net/requestoutcome.h"

// The thirteen hub connections, made in the hub's signal order, for any face of the site:
// the window (its device view and main window) or the command line, which has the same
// slots in the view's place. No other object connects to the hub.
template <typename Face, typename Tips>
void connectHub(ModifyModel *pModel, Face *pFace, Tips *pTips)
{
    CommonSignal *pHub = CommonSignal::getInstance();
    QObject::connect(pHub, &CommonSignal::sigSearchNetwork, pModel, &ModifyModel::slotSearchNetwork);
    QObject::connect(pHub, &CommonSignal::sigSearchResult, pFace, &Face::slotSearchResult);
    QObject::connect(pHub, &CommonSignal::sigGetFwVersion, pModel, &ModifyModel::slotGetFwVersion);
    QObject::connect(pHub, &CommonSignal::sigUpdateFwVersion, pFace, &Face::slotUpdateFwVersion);
    QObject::connect(pHub, &CommonSignal::sigGetEnv, pModel, &ModifyModel::slotGetEnv);
    QObject::connect(pHub, &CommonSignal::sigUpdateEthInfo, pFace, &Face::slotUpdateEthInfo);
    QObject::connect(pHub, &CommonSignal::sigGetEnvFinished, pFace, &Face::slotGetEnvFinished);
    QObject::connect(pHub, &CommonSignal::sigSetEthInfo, pModel, &ModifyModel::slotSetEthInfo);
    QObject::connect(pHub, &CommonSignal::sigSetEthStatus, pFace, &Face::slotUpdateEthStatus);
    QObject::connect(pHub, &CommonSignal::sigShowTips, pTips, &Tips::slotShowTips);
    QObject::connect(pHub, &CommonSignal::sigDevReboot, pModel, &ModifyModel::slotDevReboot);
    QObject::connect(pHub, &CommonSignal::sigSdkUpdateDevInfo, pFace, &Face::slotSdkUpdateDevInfo);
    QObject::connect(pHub, &CommonSignal::sigSdkGetInfoFinished, pFace, &Face::slotSdkGetInfoFinished);
}

// Beside the hub: how each request of the face ended, so that a failed write is known by
// its camera and replies of an earlier search are told apart.
template <typename Face>
void connectOutcomes(Face *pFace)
{
    RequestOutcome *pOutcome = RequestOutcome::getInstance();
    QObject::connect(pOutcome, &RequestOutcome::sigRequestStarted, pFace, &Face::slotRequestStarted);
    QObject::connect(pOutcome, &RequestOutcome::sigReplyDelivering, pFace, &Face::slotReplyDelivering);
    QObject::connect(pOutcome, &RequestOutcome::sigRequestFinished, pFace, &Face::slotRequestFinished);
    QObject::connect(pOutcome, &RequestOutcome::sigReplyStatus, pFace, &Face::slotReplyStatus);
    QObject::connect(pOutcome, &RequestOutcome::sigOtherCamera, pFace, &Face::slotOtherCamera);
}
