#pragma once

// The hub's records as lists of texts, so that a test compares every field at once.

#include <QStringList>

#include "core/devinfo_s.h"
#include "core/ethinfo_s.h"

// Every field of the record, in the order of its declaration.
inline QStringList devInfoFields(const DevInfo_S &stDev)
{
    return {stDev.strIp,         QString::number(stDev.nPort), stDev.strIPAddr,     stDev.strSubMask,
            stDev.strGateway,    stDev.strMacAddr,             QString::number(stDev.nDhcp),
            stDev.strDns1,       stDev.strDns2,                stDev.strCamVersion, stDev.strArmVersion,
            stDev.strAFVersion};
}

// Every field of the record, in the order of its declaration.
inline QStringList ethInfoFields(const EthInfo_S &stEth)
{
    return {stEth.strIPAddr, stEth.strSubMask, stEth.strGateway, stEth.strMacAddr,
            QString::number(stEth.nDhcp), stEth.strDns1, stEth.strDns2};
}
