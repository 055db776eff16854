#include "tools/camsim/cameraserver.h"

#include <QHostAddress>
#include <QPointer>
#include <QTimer>

#include <algorithm>

#include "tools/camsim/ajaxhandler.h"
#include "tools/camsim/camerafleet.h"
#include "tools/camsim/gzipbomb.h"
#include "tools/camsim/httpconnection.h"
#include "tools/camsim/requestlog.h"

namespace {

constexpr int kNoCamera = CameraFleet::kNoCamera;
constexpr int kRandomReplyBytes = 1024;
constexpr int kMaxConnections = 256;
constexpr qint64 kMiB = 1024 * 1024;
const QByteArray kBrokenJson = "{\"nRetVal\":0,\"stValue\":{\"stEth\":[{\"szIPAddr\":\"10.";
const QString kSetEnv = QStringLiteral("SetEnv");

// The REPLY line's field naming a camera's hostile mode.
QString hostileField(HostileMode eMode)
{
    return QStringLiteral("hostile=") + hostileModeName(eMode);
}

} // namespace

CameraServer::CameraServer(const QString &strAddress, const CamSimConfig_S &stConfig, CameraFleet *pFleet, RequestLog *pLog,
                           QObject *pParent)
    : QObject(pParent)
    , m_strAddress(strAddress)
    , m_stConfig(stConfig)
    , m_pFleet(pFleet)
    , m_pLog(pLog)
    , m_random(stConfig.nSeed ^ qHash(strAddress))
{
    connect(&m_server, &QTcpServer::newConnection, this, &CameraServer::slotNewConnection);
}

bool CameraServer::listen(QString &strError)
{
    if (m_server.isListening() || m_server.listen(QHostAddress(m_strAddress), m_stConfig.nHttpPort))
        return true;
    strError = QStringLiteral("cannot listen on %1:%2: %3").arg(m_strAddress).arg(m_stConfig.nHttpPort).arg(m_server.errorString());
    return false;
}

void CameraServer::stop()
{
    m_server.close();
    for (HttpConnection *pConnection : findChildren<HttpConnection *>(QString(), Qt::FindDirectChildrenOnly))
        pConnection->closeGracefully();
}

void CameraServer::slotNewConnection()
{
    while (QTcpSocket *pSocket = m_server.nextPendingConnection()) {
        if (findChildren<HttpConnection *>(QString(), Qt::FindDirectChildrenOnly).size() >= kMaxConnections) {
            m_pLog->write(QStringLiteral("BAD"), {{QStringLiteral("cam"), QStringLiteral("-")},
                                                  {QStringLiteral("ip"), m_strAddress},
                                                  {QStringLiteral("status"), QStringLiteral("-")},
                                                  {QStringLiteral("reason"), QStringLiteral("too-many-connections")}});
            pSocket->abort();
            pSocket->deleteLater();
            continue;
        }
        accept(pSocket);
    }
}

void CameraServer::accept(QTcpSocket *pSocket)
{
    auto *pConnection = new HttpConnection(pSocket, this);
    const int nCamera = chooseCamera();
    const SimCamera_S *pCamera = m_pFleet->camera(nCamera);
    if (pCamera && pCamera->bCloseAfterReply)
        pConnection->setCloseAfterReply();
    m_hashCameraOf.insert(pConnection, nCamera);
    connect(pConnection, &QObject::destroyed, this, [this, pConnection]() { m_hashCameraOf.remove(pConnection); });
    connect(pConnection, &HttpConnection::sigRequest, this,
            [this, pConnection](const HttpRequest_S &stRequest) { handleRequest(pConnection, stRequest); });
    connect(pConnection, &HttpConnection::sigMalformed, this,
            [this, pConnection](int nStatus, const QString &strReason, const QByteArray &baHead) {
                handleMalformed(pConnection, nStatus, strReason, baHead);
            });
}

// The camera a new connection reaches, as --shared-serving says; kNoCamera when none can.
int CameraServer::chooseCamera()
{
    const QList<int> listCameras = m_pFleet->servingCameras(m_strAddress);
    if (listCameras.isEmpty())
        return kNoCamera;
    switch (m_stConfig.eServing) {
    case ServingMode::Alternate: {
        const auto it = std::upper_bound(listCameras.cbegin(), listCameras.cend(), m_nLastServed);
        m_nLastServed = it == listCameras.cend() ? listCameras.constFirst() : *it;
        return m_nLastServed;
    }
    case ServingMode::Random:
        return listCameras.at(int(m_random.bounded(quint32(listCameras.size()))));
    case ServingMode::First:
        break;
    }
    return listCameras.constFirst();
}

int CameraServer::cameraOf(HttpConnection *pConnection) const
{
    return m_hashCameraOf.value(pConnection, kNoCamera);
}

void CameraServer::closeConnectionsOf(int nCamera)
{
    for (auto it = m_hashCameraOf.cbegin(); it != m_hashCameraOf.cend(); ++it) {
        if (it.value() == nCamera)
            it.key()->closeGracefully();
    }
}

void CameraServer::handleRequest(HttpConnection *pConnection, const HttpRequest_S &stRequest)
{
    const int nCamera = cameraOf(pConnection);
    const SimCamera_S *pCamera = m_pFleet->camera(nCamera);
    const AjaxCommand_S stCommand = AjaxHandler::parse(stRequest);
    m_pLog->write(QStringLiteral("REQ"), {{QStringLiteral("cam"), cameraLabel(nCamera)},
                                          {QStringLiteral("ip"), m_strAddress},
                                          {QStringLiteral("cmd"), stCommand.strCmd},
                                          {QStringLiteral("method"), QString::fromLatin1(stRequest.baMethod)},
                                          {QStringLiteral("target"), RequestLog::escaped(stRequest.baTarget)},
                                          {QStringLiteral("body"), RequestLog::escaped(stRequest.baBody)},
                                          {QStringLiteral("json"), RequestLog::escaped(stCommand.baJson)},
                                          {QStringLiteral("from"), peerText(stRequest)}});
    QPointer<HttpConnection> pGuard(pConnection);
    QTimer::singleShot(pCamera ? pCamera->nDelayMs : 0, this, [this, pGuard, nCamera, stRequest, stCommand]() {
        if (pGuard)
            answer(pGuard, nCamera, stRequest, stCommand);
    });
}

void CameraServer::handleMalformed(HttpConnection *pConnection, int nStatus, const QString &strReason, const QByteArray &baHead)
{
    const QString strCamera = cameraLabel(cameraOf(pConnection));
    m_pLog->write(QStringLiteral("BAD"), {{QStringLiteral("cam"), strCamera},
                                          {QStringLiteral("ip"), m_strAddress},
                                          {QStringLiteral("status"), QString::number(nStatus)},
                                          {QStringLiteral("reason"), RequestLog::escaped(strReason.toUtf8())},
                                          {QStringLiteral("head"), RequestLog::escaped(baHead)}});
    const HttpReply_S stReply = AjaxHandler::errorReply(nStatus, strReason);
    pConnection->sendReply(stReply);
    logReply(strCamera, QStringLiteral("-"), nStatus, QStringLiteral("body=") + RequestLog::escaped(stReply.baBody));
}

void CameraServer::answer(HttpConnection *pConnection, int nCamera, const HttpRequest_S &stRequest, const AjaxCommand_S &stCommand)
{
    SimCamera_S *pCamera = m_pFleet->camera(nCamera);
    if (!pCamera) {
        const HttpReply_S stReply = AjaxHandler::errorReply(HttpStatus::kNotFound, QStringLiteral("no camera at this address"));
        pConnection->sendReply(stReply);
        logReply(cameraLabel(nCamera), stCommand.strCmd, HttpStatus::kNotFound, QStringLiteral("body=") + RequestLog::escaped(stReply.baBody));
        return;
    }
    const bool bDropsSetEnv = pCamera->eHostile == HostileMode::SetEnvDrop;
    if (bDropsSetEnv && stCommand.strCmd == kSetEnv && stCommand.nErrorStatus == 0)
        dropAfterSetEnv(pConnection, *pCamera, stCommand);
    else if (pCamera->eHostile == HostileMode::None || pCamera->eHostile == HostileMode::BadAddress || bDropsSetEnv
        || pCamera->eHostile == HostileMode::Flood || pCamera->eHostile == HostileMode::PlausibleFlood)
        answerNormally(pConnection, *pCamera, stCommand, false);
    else
        answerHostile(pConnection, *pCamera, stRequest, stCommand);
}

void CameraServer::answerHostile(HttpConnection *pConnection, SimCamera_S &stCamera, const HttpRequest_S &stRequest,
                                 const AjaxCommand_S &stCommand)
{
    const QString strCamera = cameraLabel(stCamera.nIndex);
    const QString strMode = hostileField(stCamera.eHostile);
    switch (stCamera.eHostile) {
    case HostileMode::RandomBytes:
        logReply(strCamera, stCommand.strCmd, 0, strMode + answerRandomBytes(pConnection));
        return;
    case HostileMode::OversizedBody:
        logReply(strCamera, stCommand.strCmd, HttpStatus::kOk, strMode + answerOversized(pConnection));
        return;
    case HostileMode::GzipBomb:
        logReply(strCamera, stCommand.strCmd, HttpStatus::kOk, strMode + answerGzipBomb(pConnection));
        return;
    case HostileMode::InvalidJson:
        logReply(strCamera, stCommand.strCmd, HttpStatus::kOk, strMode + answerInvalidJson(pConnection));
        return;
    case HostileMode::Redirect:
        logReply(strCamera, stCommand.strCmd, HttpStatus::kFound, strMode + answerRedirect(pConnection, stRequest));
        return;
    case HostileMode::Trickle:
        answerNormally(pConnection, stCamera, stCommand, true);
        return;
    default:
        logReply(strCamera, stCommand.strCmd, 0, strMode);
        return;
    }
}

QString CameraServer::answerRandomBytes(HttpConnection *pConnection)
{
    QByteArray baBytes(kRandomReplyBytes, '\0');
    for (char &chByte : baBytes)
        chByte = char(m_random.bounded(256u));
    pConnection->sendRawAndClose(baBytes);
    return QStringLiteral(" bytes=%1").arg(kRandomReplyBytes);
}

QString CameraServer::answerOversized(HttpConnection *pConnection)
{
    const qint64 nSize = m_stConfig.nOversizeMb * kMiB;
    HttpReply_S stHead = AjaxHandler::jsonReply({});
    stHead.baBody.clear();
    QByteArray baHead = HttpConnection::serialise(stHead, false);
    switch (m_stConfig.eOversizeFraming) {
    case BodyFraming::Length:
        baHead.replace("Content-Length: 0", "Content-Length: " + QByteArray::number(nSize));
        break;
    case BodyFraming::Chunked:
        baHead.replace("Content-Length: 0", "Transfer-Encoding: chunked");
        break;
    case BodyFraming::Close:
        baHead.replace("Content-Length: 0\r\n", "");
        break;
    }
    pConnection->streamBody(baHead, nSize, m_stConfig.eOversizeFraming == BodyFraming::Chunked);
    return QStringLiteral(" bytes=%1").arg(nSize);
}

QString CameraServer::answerGzipBomb(HttpConnection *pConnection)
{
    HttpReply_S stReply = AjaxHandler::jsonReply({});
    stReply.listHeaders << qMakePair(QByteArray("Content-Encoding"), QByteArray("gzip"));
    stReply.baBody = GzipBomb::body(m_stConfig.nBombMb);
    pConnection->sendReply(stReply);
    return QStringLiteral(" bytes=%1 inflated-mb=%2").arg(stReply.baBody.size()).arg(m_stConfig.nBombMb);
}

QString CameraServer::answerInvalidJson(HttpConnection *pConnection)
{
    HttpReply_S stReply = AjaxHandler::jsonReply({});
    stReply.baBody = kBrokenJson;
    pConnection->sendReply(stReply);
    return QStringLiteral(" body=") + RequestLog::escaped(kBrokenJson);
}

QString CameraServer::answerRedirect(HttpConnection *pConnection, const HttpRequest_S &stRequest)
{
    HttpReply_S stReply;
    stReply.nStatus = HttpStatus::kFound;
    stReply.baReason = AjaxHandler::reasonOf(HttpStatus::kFound);
    const QByteArray baLocation = "http://" + m_pFleet->trapAddress().toLatin1() + ':' + QByteArray::number(m_stConfig.nHttpPort)
        + stRequest.baTarget;
    stReply.listHeaders << qMakePair(QByteArray("Location"), baLocation);
    pConnection->sendReply(stReply);
    return QStringLiteral(" location=") + RequestLog::escaped(baLocation);
}

void CameraServer::answerNormally(HttpConnection *pConnection, SimCamera_S &stCamera, const AjaxCommand_S &stCommand, bool bTrickle)
{
    bool bReboot = false;
    const QString strBefore = stCamera.strIPAddr;
    const HttpReply_S stReply = stCommand.nErrorStatus != 0 ? AjaxHandler::errorReply(stCommand.nErrorStatus, stCommand.strError)
                                                            : AjaxHandler::execute(stCommand, stCamera, bReboot);
    QString strDetail = QStringLiteral("body=") + RequestLog::escaped(stReply.baBody);
    if (bTrickle) {
        pConnection->trickle(HttpConnection::serialise(stReply, false), m_stConfig.nTrickleMs);
        strDetail += QLatin1Char(' ') + hostileField(HostileMode::Trickle);
    } else {
        pConnection->sendReply(stReply);
    }
    logReply(cameraLabel(stCamera.nIndex), stCommand.strCmd, stReply.nStatus, strDetail);
    if (stCommand.strCmd == kSetEnv && stReply.nStatus == HttpStatus::kOk)
        logSetEnv(stCamera, strBefore);
    if (bReboot) {
        // The answer leaves before the camera goes, as a real camera answers, then reboots.
        pConnection->flush();
        emit sigRebootRequested(stCamera.nIndex);
    }
}

// The settings change as an answered "SetEnv" changes them; the answer never comes.
void CameraServer::dropAfterSetEnv(HttpConnection *pConnection, SimCamera_S &stCamera, const AjaxCommand_S &stCommand)
{
    bool bReboot = false;
    const QString strBefore = stCamera.strIPAddr;
    const HttpReply_S stReply = AjaxHandler::execute(stCommand, stCamera, bReboot);
    pConnection->dropWithoutAnswer();
    logReply(cameraLabel(stCamera.nIndex), stCommand.strCmd, 0, hostileField(stCamera.eHostile));
    if (stReply.nStatus == HttpStatus::kOk)
        logSetEnv(stCamera, strBefore);
}

void CameraServer::logSetEnv(const SimCamera_S &stCamera, const QString &strBefore)
{
    if (stCamera.nSetEnvStatus != 0)
        return;
    m_pLog->write(QStringLiteral("SETENV"), {{QStringLiteral("cam"), cameraLabel(stCamera.nIndex)},
                                             {QStringLiteral("ip"), m_strAddress},
                                             {QStringLiteral("was"), strBefore},
                                             {QStringLiteral("now"), stCamera.strIPAddr},
                                             {QStringLiteral("mask"), stCamera.strSubMask},
                                             {QStringLiteral("gateway"), stCamera.strGateway},
                                             {QStringLiteral("byValid"), QString::number(stCamera.nByValid)},
                                             {QStringLiteral("dns1"), RequestLog::escaped(stCamera.strDns1.toUtf8())},
                                             {QStringLiteral("dns2"), RequestLog::escaped(stCamera.strDns2.toUtf8())}});
}

// strDetail is one or more ready key=value fields.
void CameraServer::logReply(const QString &strCamera, const QString &strCmd, int nStatus, const QString &strDetail)
{
    const QString strStatus = nStatus ? QString::number(nStatus) : QStringLiteral("-");
    m_pLog->write(QStringLiteral("REPLY cam=") + strCamera + QStringLiteral(" ip=") + m_strAddress + QStringLiteral(" cmd=")
                  + strCmd + QStringLiteral(" status=") + strStatus + QLatin1Char(' ') + strDetail);
}

QString CameraServer::peerText(const HttpRequest_S &stRequest)
{
    return stRequest.peerAddress.toString() + QLatin1Char(':') + QString::number(stRequest.nPeerPort);
}

QString CameraServer::cameraLabel(int nCamera) const
{
    return nCamera == kNoCamera ? QStringLiteral("trap") : QString::number(nCamera);
}
