#pragma once

#include <QList>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

#include "tools/camsim/camsimconfig_s.h"
#include "tools/camsim/simcamera_s.h"

// All simulated cameras, built deterministically from the configuration and its seed:
// the regular cameras first, then one extra camera per hostile mode given without a
// camera. Every camera gets a distinct MAC address.
class CameraFleet
{
public:
    explicit CameraFleet(const CamSimConfig_S &stConfig);

    QList<SimCamera_S> &cameras() { return m_listCameras; }
    const QList<SimCamera_S> &cameras() const { return m_listCameras; }
    SimCamera_S *camera(int nIndex);

    // The camera that answers HTTP on strAddress now: the lowest index that lives there,
    // is not rebooting and has a listener. Null when there is none.
    SimCamera_S *httpOwner(const QString &strAddress);
    // Addresses that need an HTTP listener now, in camera order, without repeats.
    QStringList listeningAddresses() const;
    // Every address the cameras start on, without repeats, then the trap if any.
    QStringList plannedAddresses() const;
    // Where redirects point; empty when no camera redirects.
    QString trapAddress() const { return m_strTrapAddress; }

private:
    void addRegularCameras(const CamSimConfig_S &stConfig);
    void addExtraCameras(const CamSimConfig_S &stConfig);
    void applyHostileModes(const CamSimConfig_S &stConfig);
    void applyPerCameraValues(const CamSimConfig_S &stConfig);
    void chooseTrapAddress(const CamSimConfig_S &stConfig);
    SimCamera_S makeCamera(int nIndex, const QString &strAddress, const CamSimConfig_S &stConfig);
    QString uniqueMac(QRandomGenerator &rng);
    QString nextFreeAddress() const;

    QList<SimCamera_S> m_listCameras;
    QStringList m_listUsedMacs;
    QString m_strTrapAddress;
    quint32 m_nSeed;
};
