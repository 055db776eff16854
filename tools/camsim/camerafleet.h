#pragma once

#include <QList>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

#include "tools/camsim/camsimconfig_s.h"
#include "tools/camsim/simcamera_s.h"

// All simulated cameras, built deterministically from the configuration and its seed:
// the regular cameras first, then one extra camera per hostile mode given without a
// camera, then the factory cameras. Every camera gets a distinct MAC address.
//
// The factory cameras share one address that only one of them serves at a time (its
// holder): the first at the start, then, once the holder has left, the lowest-index
// factory camera still there; the simulator decides when (see CamSim).
class CameraFleet
{
public:
    static constexpr int kNoCamera = -1;

    explicit CameraFleet(const CamSimConfig_S &stConfig);

    QList<SimCamera_S> &cameras() { return m_listCameras; }
    const QList<SimCamera_S> &cameras() const { return m_listCameras; }
    SimCamera_S *camera(int nIndex);

    // The cameras a new HTTP connection to strAddress may reach now, in index order: those
    // that live there, are not rebooting and have a listener; at the factory address only
    // its holder.
    QList<int> servingCameras(const QString &strAddress) const;
    // Addresses that need an HTTP listener now, in camera order, without repeats.
    QStringList listeningAddresses() const;
    // Every address the cameras start on, without repeats, then the trap if any.
    QStringList plannedAddresses() const;
    // Where redirects point; empty when no camera redirects.
    QString trapAddress() const { return m_strTrapAddress; }

    QString factoryAddress() const { return m_strFactoryAddress; }
    // The factory camera serving the factory address, or kNoCamera while none does.
    int factoryHolder() const { return m_nFactoryHolder; }
    void setFactoryHolder(int nCamera) { m_nFactoryHolder = nCamera; }
    // The lowest-index camera at the factory address that could serve it, or kNoCamera.
    int nextFactoryHolder() const;

private:
    void addRegularCameras(const CamSimConfig_S &stConfig);
    void addExtraCameras(const CamSimConfig_S &stConfig);
    void addFactoryCameras(const CamSimConfig_S &stConfig);
    bool canServe(const SimCamera_S &stCamera) const;
    void applyHostileModes(const CamSimConfig_S &stConfig);
    void applyPerCameraValues(const CamSimConfig_S &stConfig);
    void chooseTrapAddress(const CamSimConfig_S &stConfig);
    SimCamera_S makeCamera(int nIndex, const QString &strAddress, const CamSimConfig_S &stConfig);
    QString uniqueMac(QRandomGenerator &rng);
    QString nextFreeAddress() const;

    QList<SimCamera_S> m_listCameras;
    QStringList m_listUsedMacs;
    QString m_strTrapAddress;
    QString m_strFactoryAddress;
    int m_nFactoryHolder = kNoCamera;
    quint32 m_nSeed;
};
