#pragma once

#include <QMetaType>
#include <QString>

// Network settings of one camera.
struct EthInfo_S
{
    QString strIPAddr;
    QString strSubMask;
    QString strGateway;
    QString strMacAddr;
    int nDhcp = -1; // 1 on, 0 off, -1 not reported yet
    QString strDns1;
    QString strDns2;
};

Q_DECLARE_METATYPE(EthInfo_S)
