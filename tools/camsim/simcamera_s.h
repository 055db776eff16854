#pragma once

#include <QString>
#include <QtGlobal>

#include "tools/camsim/hostilemode.h"

// One simulated camera: the settings it reports and stores, where it can be reached now,
// and how it behaves.
struct SimCamera_S
{
    int nIndex = 0;
    // Where the camera answers HTTP and which address its search replies carry. Differs
    // from strIPAddr between a "SetEnv" that moved it and the reboot that applies it.
    QString strLiveAddress;

    QString strIPAddr;
    QString strSubMask;
    QString strGateway;
    QString strMacAddr;
    QString strDns1;
    QString strDns2;
    int nByValid = 5; // bit 1 set: DHCP on

    quint32 dwCamVersion = 0;
    quint32 dwArmVersion = 0;
    quint32 dwAFVersion = 0;

    HostileMode eHostile = HostileMode::None;
    int nSetEnvStatus = 0; // non-zero: "SetEnv" is refused with this status
    int nDelayMs = 0;      // wait before every answer
    int nRebootStatus = 0; // non-zero: "Reboot" is refused with this status
    int nDownMs = 0;       // silence after "Reboot"; CamSimConfig_S::kNeverBack: for good
    bool bCloseAfterReply = false; // every answer carries "Connection: close"
    bool bHttpSilent = false; // no HTTP listener at all
    bool bRebooting = false;
};
