#pragma once

#include "core/devinfo_s.h"
#include "core/ethinfo_s.h"
#include "core/fwversion_s.h"

// The network settings that EthInfo_S and DevInfo_S both carry, field by field, from one
// record to the other.
template <typename From, typename To>
void copyNetworkFields(const From &stFrom, To &stTo)
{
    stTo.strIPAddr = stFrom.strIPAddr;
    stTo.strSubMask = stFrom.strSubMask;
    stTo.strGateway = stFrom.strGateway;
    stTo.strMacAddr = stFrom.strMacAddr;
    stTo.nDhcp = stFrom.nDhcp;
    stTo.strDns1 = stFrom.strDns1;
    stTo.strDns2 = stFrom.strDns2;
}

// The firmware versions that FwVersion_S and DevInfo_S both carry.
template <typename From, typename To>
void copyFirmwareFields(const From &stFrom, To &stTo)
{
    stTo.strCamVersion = stFrom.strCamVersion;
    stTo.strArmVersion = stFrom.strArmVersion;
    stTo.strAFVersion = stFrom.strAFVersion;
}

// The network settings of @p stDevInfo as the write and the hub carry them.
inline EthInfo_S networkFieldsOf(const DevInfo_S &stDevInfo)
{
    EthInfo_S stEthInfo;
    copyNetworkFields(stDevInfo, stEthInfo);
    return stEthInfo;
}
