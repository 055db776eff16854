#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include "core/commonsignal.h"

/**
 * Writes down, in order of emission, the hub signals that answer device commands and
 * searches, each as a short text:
 *   "finished", "tips:N", "status:IP:N", "eth:IP:ADDR:DHCP", "fw:IP:CAM:ARM:AF",
 *   "result:COUNT".
 * Header-only, so that it links against whichever library carries the hub.
 */
class HubRecorder : public QObject
{
public:
    HubRecorder()
    {
        CommonSignal *pHub = CommonSignal::getInstance();
        connect(pHub, &CommonSignal::sigGetEnvFinished, this, [this] { m_listEvents.append(QStringLiteral("finished")); });
        connect(pHub, &CommonSignal::sigShowTips, this,
                [this](int nType) { m_listEvents.append(QStringLiteral("tips:%1").arg(nType)); });
        connect(pHub, &CommonSignal::sigSetEthStatus, this, [this](QString strIp, int nStatus) {
            m_listEvents.append(QStringLiteral("status:%1:%2").arg(strIp).arg(nStatus));
        });
        connect(pHub, &CommonSignal::sigUpdateEthInfo, this, [this](QString strIp, EthInfo_S stEthInfo) {
            m_listEthInfo.append(stEthInfo);
            m_listEvents.append(QStringLiteral("eth:%1:%2:%3").arg(strIp, stEthInfo.strIPAddr).arg(stEthInfo.nDhcp));
        });
        connect(pHub, &CommonSignal::sigUpdateFwVersion, this, [this](QString strIp, FwVersion_S stFwVersion) {
            m_listEvents.append(QStringLiteral("fw:%1:%2:%3:%4")
                                    .arg(strIp, stFwVersion.strCamVersion, stFwVersion.strArmVersion,
                                         stFwVersion.strAFVersion));
        });
        connect(pHub, &CommonSignal::sigSearchResult, this, [this](QList<QuillbootSearch_S> listResult) {
            m_listEvents.append(QStringLiteral("result:%1").arg(listResult.size()));
        });
    }

    QStringList m_listEvents;
    QList<EthInfo_S> m_listEthInfo;
};
