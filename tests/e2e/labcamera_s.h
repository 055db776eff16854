#pragma once

#include <QString>

/**
 * One simulated camera as its CAMERA line announced it, with the settings and the address
 * that later SETENV and BACK lines gave it.
 */
struct LabCamera_S
{
    QString strCam;          // index in the simulator, "0", "1", ...
    QString strIp;           // where it answers now
    QString strMask;
    QString strGateway;
    QString strMac;
    bool bDhcp = false;
    QString strCamVersion;   // "V%1.%2.%3"
    QString strArmVersion;
    QString strAFVersion;
    QString strHostile;      // "none" or the hostile mode
    bool bHttp = true;       // false for a camera without HTTP listener
    int nSetEnvStatus = 0;   // non-zero: refuses "SetEnv" with this status
};
