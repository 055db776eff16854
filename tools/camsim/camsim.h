#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include "tools/camsim/addressplumber.h"
#include "tools/camsim/camerafleet.h"
#include "tools/camsim/camsimconfig_s.h"
#include "tools/camsim/requestlog.h"

class CameraServer;
class SearchResponder;

// The simulator: builds the fleet, prints one CAMERA line per camera, opens the search
// responder and one HTTP listener per camera address, then prints the READY line. Runs
// the reboots: a rebooting camera drops its connections and is silent (no search replies,
// its listener closed unless another camera can serve the address) for the configured
// time, then comes back at the address its settings hold.
//
// Runs the handover of the factory address: when its holder reboots onto another address,
// the address is served by nobody for --handover-ms, as on a LAN the computer's neighbour
// entry keeps pointing at the departed camera until it is resolved again; then the next
// factory camera serves it. Meanwhile, in the lab (--manage-addresses), the address is
// taken off the camera interface, so connection attempts get no answer at all; elsewhere
// (loopback) its listener is closed and they are refused.
class CamSim : public QObject
{
    Q_OBJECT

public:
    explicit CamSim(const CamSimConfig_S &stConfig, QObject *pParent = nullptr);

    // Returns false, after an ERROR line, when something needed cannot be opened.
    bool start();

private slots:
    void slotRebootRequested(int nCamera);

private:
    void printCameras();
    void prepareGzipBomb();
    bool openListeners();
    CameraServer *serverFor(const QString &strAddress);
    void finishReboot(int nCamera);
    void leaveFactoryAddress(int nCamera);
    void handOver(int nFrom);
    void fail(const QString &strError);

    CamSimConfig_S m_stConfig;
    RequestLog m_log;
    CameraFleet m_fleet;
    AddressPlumber m_plumber;
    SearchResponder *m_pResponder = nullptr;
    QHash<QString, CameraServer *> m_hashServers;
};
