#include "tools/camsim/camerafleet.h"

#include <QRandomGenerator>

#include <iterator>

#include "tools/camsim/ipv4text.h"

namespace {

constexpr int kByValidDhcpOff = 5;
constexpr int kByValidDhcpOn = 7;
constexpr int kMacBytes = 6;
// Locally administered, unicast: never a real vendor's MAC.
constexpr quint32 kMacFirstByte = 0x02;
constexpr quint32 kVersionMajorMax = 9;
constexpr quint32 kVersionMinorMax = 20;
constexpr quint32 kVersionPatchMax = 99;

const char *const kDns1Choices[] = {"114.114.114.114", "8.8.8.8", "1.1.1.1", "223.5.5.5"};
const char *const kDns2Choices[] = {"114.114.115.115", "8.8.4.4", "1.0.0.1", "223.6.6.6"};

quint32 versionNumber(QRandomGenerator &rng)
{
    const quint32 nMajor = 1 + rng.bounded(kVersionMajorMax);
    const quint32 nMinor = rng.bounded(kVersionMinorMax + 1);
    const quint32 nPatch = rng.bounded(kVersionPatchMax + 1);
    return (nMajor << 16) | (nMinor << 8) | nPatch;
}

} // namespace

CameraFleet::CameraFleet(const CamSimConfig_S &stConfig)
    : m_strFactoryAddress(stConfig.nFactoryCameras > 0 ? stConfig.strFactoryAddress : QString())
    , m_nSeed(stConfig.nSeed)
{
    addRegularCameras(stConfig);
    addExtraCameras(stConfig);
    addFactoryCameras(stConfig);
    applyHostileModes(stConfig);
    applyPerCameraValues(stConfig);
    chooseTrapAddress(stConfig);
}

SimCamera_S *CameraFleet::camera(int nIndex)
{
    return nIndex >= 0 && nIndex < m_listCameras.size() ? &m_listCameras[nIndex] : nullptr;
}

QList<int> CameraFleet::servingCameras(const QString &strAddress) const
{
    if (!m_strFactoryAddress.isEmpty() && strAddress == m_strFactoryAddress) {
        const bool bServed = m_nFactoryHolder != kNoCamera && canServe(m_listCameras.at(m_nFactoryHolder));
        return bServed ? QList<int> {m_nFactoryHolder} : QList<int>();
    }
    QList<int> listCameras;
    for (const SimCamera_S &stCamera : m_listCameras) {
        if (stCamera.strLiveAddress == strAddress && canServe(stCamera))
            listCameras << stCamera.nIndex;
    }
    return listCameras;
}

bool CameraFleet::canServe(const SimCamera_S &stCamera) const
{
    return !stCamera.bRebooting && !stCamera.bHttpSilent;
}

int CameraFleet::nextFactoryHolder() const
{
    for (const SimCamera_S &stCamera : m_listCameras) {
        if (stCamera.strLiveAddress == m_strFactoryAddress && canServe(stCamera))
            return stCamera.nIndex;
    }
    return kNoCamera;
}

QStringList CameraFleet::listeningAddresses() const
{
    QStringList listAddresses;
    for (const SimCamera_S &stCamera : m_listCameras) {
        const QString &strAddress = stCamera.strLiveAddress;
        if (!listAddresses.contains(strAddress) && !servingCameras(strAddress).isEmpty())
            listAddresses << strAddress;
    }
    return listAddresses;
}

QStringList CameraFleet::plannedAddresses() const
{
    QStringList listAddresses;
    for (const SimCamera_S &stCamera : m_listCameras) {
        if (!listAddresses.contains(stCamera.strLiveAddress))
            listAddresses << stCamera.strLiveAddress;
    }
    if (!m_strTrapAddress.isEmpty() && !listAddresses.contains(m_strTrapAddress))
        listAddresses << m_strTrapAddress;
    return listAddresses;
}

void CameraFleet::addRegularCameras(const CamSimConfig_S &stConfig)
{
    for (int nIndex = 0; nIndex < stConfig.listAddresses.size(); ++nIndex) {
        SimCamera_S stCamera = makeCamera(nIndex, stConfig.listAddresses.at(nIndex), stConfig);
        stCamera.bHttpSilent = nIndex >= stConfig.listAddresses.size() - stConfig.nSilentHttp;
        m_listCameras << stCamera;
    }
}

void CameraFleet::addExtraCameras(const CamSimConfig_S &stConfig)
{
    for (const auto &pairHostile : stConfig.listHostile) {
        if (pairHostile.second != CamSimConfig_S::kExtraCamera)
            continue;
        SimCamera_S stCamera = makeCamera(m_listCameras.size(), nextFreeAddress(), stConfig);
        stCamera.eHostile = pairHostile.first;
        m_listCameras << stCamera;
    }
}

void CameraFleet::addFactoryCameras(const CamSimConfig_S &stConfig)
{
    for (int nCamera = 0; nCamera < stConfig.nFactoryCameras; ++nCamera)
        m_listCameras << makeCamera(m_listCameras.size(), m_strFactoryAddress, stConfig);
    if (stConfig.nFactoryCameras > 0)
        m_nFactoryHolder = nextFactoryHolder();
}

void CameraFleet::applyHostileModes(const CamSimConfig_S &stConfig)
{
    for (const auto &pairHostile : stConfig.listHostile) {
        if (pairHostile.second != CamSimConfig_S::kExtraCamera)
            m_listCameras[pairHostile.second].eHostile = pairHostile.first;
    }
}

void CameraFleet::applyPerCameraValues(const CamSimConfig_S &stConfig)
{
    for (SimCamera_S &stCamera : m_listCameras) {
        stCamera.nSetEnvStatus = stConfig.hashSetEnvStatus.value(
            stCamera.nIndex, stConfig.hashSetEnvStatus.value(CamSimConfig_S::kAllCameras, 0));
        stCamera.nDelayMs = stConfig.hashDelayMs.value(
            stCamera.nIndex, stConfig.hashDelayMs.value(CamSimConfig_S::kAllCameras, 0));
        stCamera.nRebootStatus = stConfig.hashRebootStatus.value(
            stCamera.nIndex, stConfig.hashRebootStatus.value(CamSimConfig_S::kAllCameras, 0));
        stCamera.nDownMs = stConfig.hashDownMs.value(
            stCamera.nIndex, stConfig.hashDownMs.value(CamSimConfig_S::kAllCameras, stConfig.nRebootMs));
        stCamera.bCloseAfterReply = stConfig.listCloseAfterReply.contains(stCamera.nIndex)
            || stConfig.listCloseAfterReply.contains(CamSimConfig_S::kAllCameras);
    }
}

void CameraFleet::chooseTrapAddress(const CamSimConfig_S &stConfig)
{
    bool bRedirects = false;
    for (const SimCamera_S &stCamera : qAsConst(m_listCameras))
        bRedirects = bRedirects || stCamera.eHostile == HostileMode::Redirect;
    if (bRedirects)
        m_strTrapAddress = stConfig.strTrapAddress.isEmpty() ? nextFreeAddress() : stConfig.strTrapAddress;
}

SimCamera_S CameraFleet::makeCamera(int nIndex, const QString &strAddress, const CamSimConfig_S &stConfig)
{
    // One generator per camera, seeded from the fleet seed and the index, so adding a
    // camera or a hostile mode never changes the cameras before it.
    QRandomGenerator rng(m_nSeed * 7919u + quint32(nIndex));
    SimCamera_S stCamera;
    stCamera.nIndex = nIndex;
    stCamera.strLiveAddress = strAddress;
    stCamera.strIPAddr = strAddress;
    stCamera.strSubMask = stConfig.strSubMask;
    stCamera.strGateway = stConfig.strGateway;
    stCamera.strDns1 = QString::fromLatin1(kDns1Choices[rng.bounded(int(std::size(kDns1Choices)))]);
    stCamera.strDns2 = QString::fromLatin1(kDns2Choices[rng.bounded(int(std::size(kDns2Choices)))]);
    stCamera.nByValid = rng.bounded(2) ? kByValidDhcpOn : kByValidDhcpOff;
    stCamera.dwCamVersion = versionNumber(rng);
    stCamera.dwArmVersion = versionNumber(rng);
    stCamera.dwAFVersion = versionNumber(rng);
    stCamera.strMacAddr = uniqueMac(rng);
    return stCamera;
}

QString CameraFleet::uniqueMac(QRandomGenerator &rng)
{
    QString strMac;
    do {
        QStringList listBytes {QString::asprintf("%02X", kMacFirstByte)};
        for (int nByte = 1; nByte < kMacBytes; ++nByte)
            listBytes << QString::asprintf("%02X", rng.bounded(256u));
        strMac = listBytes.join(QLatin1Char(':'));
    } while (m_listUsedMacs.contains(strMac));
    m_listUsedMacs << strMac;
    return strMac;
}

// After the highest camera address, the factory address included even before its cameras
// exist, so that an extra camera never lands on it.
QString CameraFleet::nextFreeAddress() const
{
    quint32 nHighest = Ipv4Text::toNumber(m_strFactoryAddress);
    for (const SimCamera_S &stCamera : m_listCameras)
        nHighest = qMax(nHighest, Ipv4Text::toNumber(stCamera.strLiveAddress));
    return Ipv4Text::fromNumber(nHighest + 1);
}
