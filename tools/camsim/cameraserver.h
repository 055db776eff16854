#pragma once

#include <QHash>
#include <QObject>
#include <QRandomGenerator>
#include <QString>
#include <QTcpServer>

#include "tools/camsim/ajaxcommand_s.h"
#include "tools/camsim/camerafleet.h"
#include "tools/camsim/camsimconfig_s.h"
#include "tools/camsim/httprequest_s.h"

class HttpConnection;
class RequestLog;
struct SimCamera_S;

// The HTTP listener on one address. Each new connection reaches one of the cameras that
// can serve the address at that moment (see CameraFleet::servingCameras), picked as
// --shared-serving says, and every request on it is served by that camera, after its
// delay and in its hostile way if it has one, as a LAN keeps a connection with the host
// it reached. A connection that reaches no camera (the redirect trap) only logs and
// answers 404. Every request and answer is written to the log. At most 256 connections
// are open per address; more are dropped at once.
class CameraServer : public QObject
{
    Q_OBJECT

public:
    CameraServer(const QString &strAddress, const CamSimConfig_S &stConfig, CameraFleet *pFleet, RequestLog *pLog,
                 QObject *pParent = nullptr);

    bool listen(QString &strError);
    // Stops listening and closes the open connections once their answers are written.
    void stop();
    bool isListening() const { return m_server.isListening(); }
    // Closes the connections that reached nCamera, once their answers are written.
    void closeConnectionsOf(int nCamera);

signals:
    // The camera accepted "Reboot"; its answer is already written.
    void sigRebootRequested(int nCamera);

private slots:
    void slotNewConnection();

private:
    void accept(QTcpSocket *pSocket);
    int chooseCamera();
    int cameraOf(HttpConnection *pConnection) const;
    void handleRequest(HttpConnection *pConnection, const HttpRequest_S &stRequest);
    void handleMalformed(HttpConnection *pConnection, int nStatus, const QString &strReason, const QByteArray &baHead);
    void answer(HttpConnection *pConnection, int nCamera, const HttpRequest_S &stRequest, const AjaxCommand_S &stCommand);
    void answerHostile(HttpConnection *pConnection, SimCamera_S &stCamera, const HttpRequest_S &stRequest,
                       const AjaxCommand_S &stCommand);
    QString answerRandomBytes(HttpConnection *pConnection);
    QString answerOversized(HttpConnection *pConnection);
    QString answerGzipBomb(HttpConnection *pConnection);
    QString answerInvalidJson(HttpConnection *pConnection);
    QString answerRedirect(HttpConnection *pConnection, const HttpRequest_S &stRequest);
    void answerNormally(HttpConnection *pConnection, SimCamera_S &stCamera, const AjaxCommand_S &stCommand, bool bTrickle);
    void dropAfterSetEnv(HttpConnection *pConnection, SimCamera_S &stCamera, const AjaxCommand_S &stCommand);
    void logSetEnv(const SimCamera_S &stCamera, const QString &strBefore);
    void logReply(const QString &strCamera, const QString &strCmd, int nStatus, const QString &strDetail);
    QString cameraLabel(int nCamera) const;
    static QString peerText(const HttpRequest_S &stRequest);

    QString m_strAddress;
    CamSimConfig_S m_stConfig;
    CameraFleet *m_pFleet;
    RequestLog *m_pLog;
    QTcpServer m_server;
    QRandomGenerator m_random;
    QHash<HttpConnection *, int> m_hashCameraOf;
    int m_nLastServed = CameraFleet::kNoCamera; // for --shared-serving alternate
};
