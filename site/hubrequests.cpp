#include "site/hubrequests.h"

#include "core/commonsignal.h"
#include "site/sitenotifier.h"

void sendSiteRequestsToHub(const SiteNotifier *pNotifier, QObject *pFace)
{
    CommonSignal *pHub = CommonSignal::getInstance();
    QObject::connect(pNotifier, &SiteNotifier::sigSearchNetwork, pFace,
                     [pHub](const QString &strIp) { emit pHub->sigSearchNetwork(strIp); });
    QObject::connect(pNotifier, &SiteNotifier::sigAskCamera, pFace, [pHub](const QString &strIp) {
        emit pHub->sigGetFwVersion(strIp);
        emit pHub->sigGetEnv(strIp);
    });
    QObject::connect(pNotifier, &SiteNotifier::sigSetEthInfo, pFace,
                     [pHub](const QString &strIp, const EthInfo_S &stEthInfo) { emit pHub->sigSetEthInfo(strIp, stEthInfo); });
    QObject::connect(pNotifier, &SiteNotifier::sigDevReboot, pFace,
                     [pHub](const QString &strIp) { emit pHub->sigDevReboot(strIp); });
}
