#pragma once

#include <QMetaType>
#include <QString>

// Everything the device view keeps about one camera. The seven fields after nPort mirror
// EthInfo_S and the last three mirror FwVersion_S, in the same order.
struct DevInfo_S
{
    QString strIp; // the address the camera answered the search from; commands go here
    int nPort = 0;
    QString strIPAddr;
    QString strSubMask;
    QString strGateway;
    QString strMacAddr;
    int nDhcp = -1;
    QString strDns1;
    QString strDns2;
    QString strCamVersion;
    QString strArmVersion;
    QString strAFVersion;
};

Q_DECLARE_METATYPE(DevInfo_S)
