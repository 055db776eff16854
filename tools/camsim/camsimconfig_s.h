#pragma once

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include "tools/camsim/hostilemode.h"
#include "tools/camsim/servingmode.h"

// Everything the command line decides. Per-camera maps are keyed by camera index, with
// kAllCameras for a value that applies to every camera without its own.
struct CamSimConfig_S
{
    /// A camera whose silence after "Reboot" has this length never comes back.
    static constexpr int kNeverBack = -1;

    static constexpr int kAllCameras = -1;
    static constexpr int kExtraCamera = -1;

    int nCameras = 8;
    QStringList listAddresses; // one per regular camera, already expanded
    QString strSubMask;
    QString strGateway;
    quint32 nSeed = 1;
    QString strInterface;
    quint16 nHttpPort = 80;
    bool bSharedAddress = false;
    ServingMode eServing = ServingMode::First;
    QHash<int, int> hashSetEnvStatus;
    QHash<int, int> hashDelayMs;
    QHash<int, int> hashRebootStatus;
    QHash<int, int> hashDownMs; // silence after "Reboot", overriding nRebootMs; kNeverBack: for good
    QList<int> listCloseAfterReply; // cameras, or kAllCameras
    int nSilentHttp = 0;
    int nRebootMs = 3000;
    QList<QPair<HostileMode, int>> listHostile; // mode and camera, or kExtraCamera
    QString strTrapAddress;
    int nFloodCount = 10000;
    int nOversizeMb = 100;
    BodyFraming eOversizeFraming = BodyFraming::Length;
    int nBombMb = 768;
    int nTrickleMs = 1000;
    int nFactoryCameras = 0;
    QString strFactoryAddress;
    int nHandoverMs = 48000; // the median that tools/lab/neighbour-handover measured
    QString strLogFile;
    bool bManageAddresses = false;
    bool bPrintAddresses = false;
    bool bExitWithParent = false;
};
