#include "tools/camsim/camsim.h"

#include <QTimer>

#include <algorithm>

#include "tools/camsim/cameraserver.h"
#include "tools/camsim/gzipbomb.h"
#include "tools/camsim/searchresponder.h"

namespace {

QString versionText(quint32 dwVersion)
{
    return QStringLiteral("V%1.%2.%3").arg((dwVersion >> 16) & 0xFF).arg((dwVersion >> 8) & 0xFF).arg(dwVersion & 0xFF);
}

QString onOff(bool bOn)
{
    return bOn ? QStringLiteral("on") : QStringLiteral("off");
}

QString cameraText(int nCamera)
{
    return nCamera == CameraFleet::kNoCamera ? QStringLiteral("-") : QString::number(nCamera);
}

} // namespace

CamSim::CamSim(const CamSimConfig_S &stConfig, QObject *pParent)
    : QObject(pParent)
    , m_stConfig(stConfig)
    , m_fleet(stConfig)
    , m_plumber(stConfig.bManageAddresses, stConfig.strInterface, &m_log)
{
}

bool CamSim::start()
{
    if (!m_stConfig.strLogFile.isEmpty() && !m_log.open(m_stConfig.strLogFile)) {
        fail(QStringLiteral("cannot open the log file ") + m_stConfig.strLogFile);
        return false;
    }
    printCameras();
    m_pResponder = new SearchResponder(m_stConfig, &m_fleet, &m_log, this);
    QString strError;
    if (!m_pResponder->start(strError)) {
        fail(strError);
        return false;
    }
    if (!openListeners())
        return false;
    prepareGzipBomb();
    m_log.write(QStringLiteral("READY cameras=%1 interface=%2 group=234.200.200.1:54362 http-port=%3")
                    .arg(m_fleet.cameras().size()).arg(m_stConfig.strInterface).arg(m_stConfig.nHttpPort));
    return true;
}

// Building a large bomb takes seconds; done before READY, so that no answer waits for it.
void CamSim::prepareGzipBomb()
{
    const QList<SimCamera_S> &listCameras = m_fleet.cameras();
    if (std::any_of(listCameras.cbegin(), listCameras.cend(),
                    [](const SimCamera_S &stCamera) { return stCamera.eHostile == HostileMode::GzipBomb; }))
        GzipBomb::body(m_stConfig.nBombMb);
}

void CamSim::printCameras()
{
    for (const SimCamera_S &stCamera : m_fleet.cameras()) {
        m_log.write(QStringLiteral("CAMERA cam=%1 ip=%2 port=%3 mask=%4 gateway=%5 mac=%6 dns1=%7 dns2=%8 byValid=%9")
                        .arg(stCamera.nIndex).arg(stCamera.strIPAddr).arg(m_stConfig.nHttpPort)
                        .arg(stCamera.strSubMask, stCamera.strGateway, stCamera.strMacAddr, stCamera.strDns1, stCamera.strDns2)
                        .arg(stCamera.nByValid)
                    + QStringLiteral(" dhcp=%1 dwCamVersion=%2 dwArmVersion=%3 dwAFVersion=%4 versions=%5,%6,%7 hostile=%8")
                          .arg(stCamera.nByValid >> 1 & 1).arg(stCamera.dwCamVersion).arg(stCamera.dwArmVersion)
                          .arg(stCamera.dwAFVersion)
                          .arg(versionText(stCamera.dwCamVersion), versionText(stCamera.dwArmVersion),
                               versionText(stCamera.dwAFVersion), hostileModeName(stCamera.eHostile))
                    + QStringLiteral(" http=%1 setenv-status=%2 delay-ms=%3 reboot-status=%4 close-after-reply=%5")
                          .arg(onOff(!stCamera.bHttpSilent)).arg(stCamera.nSetEnvStatus).arg(stCamera.nDelayMs)
                          .arg(stCamera.nRebootStatus).arg(onOff(stCamera.bCloseAfterReply)));
    }
    if (!m_fleet.factoryAddress().isEmpty())
        m_log.write(QStringLiteral("FACTORY ip=%1 cameras=%2 first=%3 handover-ms=%4")
                        .arg(m_fleet.factoryAddress()).arg(m_stConfig.nFactoryCameras).arg(m_fleet.factoryHolder())
                        .arg(m_stConfig.nHandoverMs));
    if (!m_fleet.trapAddress().isEmpty())
        m_log.write(QStringLiteral("TRAP ip=%1 port=%2").arg(m_fleet.trapAddress()).arg(m_stConfig.nHttpPort));
}

// Listens on every address that has a camera able to answer now, and the trap; closes
// the listeners of addresses left empty. Returns false when one cannot be opened.
bool CamSim::openListeners()
{
    QStringList listAddresses = m_fleet.listeningAddresses();
    if (!m_fleet.trapAddress().isEmpty())
        listAddresses << m_fleet.trapAddress();
    for (auto it = m_hashServers.begin(); it != m_hashServers.end(); ++it) {
        if (!listAddresses.contains(it.key()))
            it.value()->stop();
    }
    bool bAllOpen = true;
    for (const QString &strAddress : qAsConst(listAddresses)) {
        QString strError;
        m_plumber.ensureLocal(strAddress);
        if (!serverFor(strAddress)->listen(strError)) {
            fail(strError);
            bAllOpen = false;
        }
    }
    return bAllOpen;
}

CameraServer *CamSim::serverFor(const QString &strAddress)
{
    CameraServer *pServer = m_hashServers.value(strAddress);
    if (!pServer) {
        pServer = new CameraServer(strAddress, m_stConfig, &m_fleet, &m_log, this);
        connect(pServer, &CameraServer::sigRebootRequested, this, &CamSim::slotRebootRequested, Qt::QueuedConnection);
        m_hashServers.insert(strAddress, pServer);
    }
    return pServer;
}

void CamSim::slotRebootRequested(int nCamera)
{
    SimCamera_S *pCamera = m_fleet.camera(nCamera);
    if (!pCamera || pCamera->bRebooting)
        return;
    pCamera->bRebooting = true;
    m_log.write(QStringLiteral("REBOOT cam=%1 from=%2 to=%3 silent-ms=%4")
                    .arg(nCamera).arg(pCamera->strLiveAddress, pCamera->strIPAddr).arg(pCamera->nDownMs));
    for (CameraServer *pServer : qAsConst(m_hashServers))
        pServer->closeConnectionsOf(nCamera);
    openListeners();
    if (nCamera == m_fleet.factoryHolder() && pCamera->strIPAddr != m_fleet.factoryAddress())
        leaveFactoryAddress(nCamera);
    if (pCamera->nDownMs != CamSimConfig_S::kNeverBack)
        QTimer::singleShot(pCamera->nDownMs, this, [this, nCamera]() { finishReboot(nCamera); });
}

void CamSim::finishReboot(int nCamera)
{
    SimCamera_S *pCamera = m_fleet.camera(nCamera);
    pCamera->strLiveAddress = pCamera->strIPAddr;
    pCamera->bRebooting = false;
    openListeners();
    m_log.write(QStringLiteral("BACK cam=%1 ip=%2").arg(nCamera).arg(pCamera->strLiveAddress));
}

// The holder has left: nobody serves the factory address until the handover.
void CamSim::leaveFactoryAddress(int nCamera)
{
    m_fleet.setFactoryHolder(CameraFleet::kNoCamera);
    m_plumber.release(m_fleet.factoryAddress());
    QTimer::singleShot(m_stConfig.nHandoverMs, this, [this, nCamera]() { handOver(nCamera); });
}

void CamSim::handOver(int nFrom)
{
    const int nTo = m_fleet.nextFactoryHolder();
    m_fleet.setFactoryHolder(nTo);
    openListeners();
    m_log.write(QStringLiteral("HANDOVER ip=%1 from=%2 to=%3").arg(m_fleet.factoryAddress(), cameraText(nFrom), cameraText(nTo)));
}

void CamSim::fail(const QString &strError)
{
    m_log.write(QStringLiteral("ERROR ") + strError);
}
