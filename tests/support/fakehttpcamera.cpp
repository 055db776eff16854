#include "support/fakehttpcamera.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrlQuery>

namespace {
const QByteArray kHeaderEnd("\r\n\r\n");
const QByteArray kLineEnd("\r\n");
const QString kCmdField = QStringLiteral("szCmd");

QByteArray reasonPhrase(int nStatus)
{
    static const QHash<int, QByteArray> s_hashReasons = {
        {200, "OK"},
        {301, "Moved Permanently"},
        {302, "Found"},
        {307, "Temporary Redirect"},
        {400, "Bad Request"},
        {404, "Not Found"},
        {500, "Internal Server Error"},
        {503, "Service Unavailable"},
    };
    return s_hashReasons.value(nStatus, "Status");
}

// Fills method, target and headers from the head; false when the request line is broken.
bool parseHead(const QByteArray &baHead, FakeHttpCamera::Request &request, QByteArray &baVersion)
{
    const QList<QByteArray> listLines = baHead.split('\n');
    const QList<QByteArray> listParts = listLines.value(0).trimmed().split(' ');
    if (listParts.size() != 3)
        return false;
    request.method = listParts.at(0);
    request.target = listParts.at(1);
    baVersion = listParts.at(2);
    for (int i = 1; i < listLines.size(); ++i) {
        const QByteArray baLine = listLines.at(i).trimmed();
        const int nColon = baLine.indexOf(':');
        if (nColon > 0)
            request.headers.insert(baLine.left(nColon).trimmed().toLower(), baLine.mid(nColon + 1).trimmed());
    }
    return true;
}
} // namespace

FakeHttpCamera::FakeHttpCamera(QObject *parent)
    : QObject(parent)
    , m_pServer(new QTcpServer(this))
{
    connect(m_pServer, &QTcpServer::newConnection, this, &FakeHttpCamera::acceptConnections);
}

FakeHttpCamera::~FakeHttpCamera() = default;

bool FakeHttpCamera::listen(const QHostAddress &address, quint16 nPort)
{
    return m_pServer->listen(address, nPort);
}

quint16 FakeHttpCamera::port() const
{
    return m_pServer->serverPort();
}

QString FakeHttpCamera::hostPort() const
{
    return QStringLiteral("%1:%2").arg(m_pServer->serverAddress().toString()).arg(port());
}

void FakeHttpCamera::setReply(const QString &strCommand, const QByteArray &baBody, int nHttpStatus)
{
    Reply &reply = m_hashReplies[strCommand];
    reply.baBody = baBody;
    reply.nStatus = nHttpStatus;
}

void FakeHttpCamera::setReplyHeader(const QString &strCommand, const QByteArray &baName, const QByteArray &baValue)
{
    m_hashReplies[strCommand].listHeaders.append(qMakePair(baName, baValue));
}

void FakeHttpCamera::setReplyDelay(const QString &strCommand, int nDelayMs)
{
    m_hashReplies[strCommand].nDelayMs = nDelayMs;
}

void FakeHttpCamera::setDeclaredLength(const QString &strCommand, qint64 nLength)
{
    m_hashReplies[strCommand].nDeclaredLength = nLength;
}

void FakeHttpCamera::setSilent(bool bSilent)
{
    m_bSilent = bSilent;
}

void FakeHttpCamera::setGetEnvMac(const QString &strMac, const QString &strAddress)
{
    setReply(QStringLiteral("GetEnv"), QStringLiteral(R"({"stValue":{"stEth":[{"szIPAddr":"%1","szSubMask":"255.255.255.0",)"
                                                     R"("szGateway":"192.168.1.1","szMacAddr":"%2","byValid":5}]}})")
                                          .arg(strAddress, strMac).toUtf8());
}

void FakeHttpCamera::setCloseAfterReply(bool bClose)
{
    m_bCloseAfterReply = bClose;
}

void FakeHttpCamera::setDropInsteadOfAnswer(const QString &strCommand)
{
    m_strDropCommand = strCommand;
}

QStringList FakeHttpCamera::commands() const
{
    QStringList listCommands;
    for (const Request &request : m_listRequests)
        listCommands.append(request.command);
    return listCommands;
}

QList<FakeHttpCamera::Request> FakeHttpCamera::requests() const
{
    return m_listRequests;
}

int FakeHttpCamera::connectionCount() const
{
    return m_nConnections;
}

void FakeHttpCamera::acceptConnections()
{
    while (QTcpSocket *pSocket = m_pServer->nextPendingConnection()) {
        ++m_nConnections;
        m_hashBuffers.insert(pSocket, QByteArray());
        connect(pSocket, &QTcpSocket::readyRead, this, [this, pSocket] { readFromSocket(pSocket); });
        connect(pSocket, &QTcpSocket::disconnected, this, [this, pSocket] {
            m_hashBuffers.remove(pSocket);
            pSocket->deleteLater();
        });
    }
}

void FakeHttpCamera::readFromSocket(QTcpSocket *pSocket)
{
    QByteArray &baBuffer = m_hashBuffers[pSocket];
    baBuffer.append(pSocket->readAll());
    Request request;
    bool bClose = false;
    while (takeRequest(baBuffer, request, bClose)) {
        m_listRequests.append(request);
        emit requestReceived();
        if (!m_strDropCommand.isEmpty() && request.command == m_strDropCommand) {
            // Later, since the reset deletes the socket and its buffer.
            QTimer::singleShot(0, pSocket, [pSocket] { pSocket->abort(); });
            return;
        }
        if (!m_bSilent)
            answer(pSocket, request, bClose);
        request = Request();
    }
}

// Cuts one complete request off the front of the buffer; false while it is incomplete.
bool FakeHttpCamera::takeRequest(QByteArray &baBuffer, Request &request, bool &bClose)
{
    const int nHeadEnd = baBuffer.indexOf(kHeaderEnd);
    if (nHeadEnd < 0)
        return false;
    QByteArray baVersion;
    if (!parseHead(baBuffer.left(nHeadEnd), request, baVersion)) {
        baBuffer.clear();
        return false;
    }
    const int nBodyStart = nHeadEnd + kHeaderEnd.size();
    const int nBodyLength = request.headers.value("content-length", "0").toInt();
    if (baBuffer.size() < nBodyStart + nBodyLength)
        return false;
    request.body = baBuffer.mid(nBodyStart, nBodyLength);
    request.raw = baBuffer.left(nBodyStart + nBodyLength);
    baBuffer.remove(0, nBodyStart + nBodyLength);
    request.cmdJson = commandJson(request);
    request.command = recogniseCommand(request.cmdJson);
    const QByteArray baConnection = request.headers.value("connection").toLower();
    bClose = baConnection == "close" || (baVersion == "HTTP/1.0" && baConnection != "keep-alive");
    return true;
}

void FakeHttpCamera::answer(QTcpSocket *pSocket, const Request &request, bool bClose)
{
    const Reply reply = m_hashReplies.value(request.command);
    if (reply.nDelayMs <= 0) {
        writeAnswer(pSocket, reply, bClose);
        return;
    }
    QTimer::singleShot(reply.nDelayMs, pSocket, [this, pSocket, reply, bClose] { writeAnswer(pSocket, reply, bClose); });
}

void FakeHttpCamera::writeAnswer(QTcpSocket *pSocket, const Reply &reply, bool bClose)
{
    const bool bHoldOpen = reply.nDeclaredLength >= 0;
    const qint64 nLength = bHoldOpen ? reply.nDeclaredLength : reply.baBody.size();
    QByteArray baHead = "HTTP/1.1 " + QByteArray::number(reply.nStatus) + ' ' + reasonPhrase(reply.nStatus) + kLineEnd;
    baHead += "Content-Type: application/json" + kLineEnd;
    baHead += "Content-Length: " + QByteArray::number(nLength) + kLineEnd;
    for (const auto &header : reply.listHeaders)
        baHead += header.first + ": " + header.second + kLineEnd;
    baHead += (bClose ? QByteArray("Connection: close") : QByteArray("Connection: keep-alive")) + kLineEnd;
    pSocket->write(baHead + kLineEnd + reply.baBody);
    if ((bClose || m_bCloseAfterReply) && !bHoldOpen)
        pSocket->disconnectFromHost();
}

QString FakeHttpCamera::recogniseCommand(const QByteArray &baJson)
{
    const QJsonObject root = QJsonDocument::fromJson(baJson).object();
    if (root.contains(QLatin1String("GetEnv")))
        return QStringLiteral("GetEnv");
    if (root.contains(QLatin1String("SetEnv")))
        return QStringLiteral("SetEnv");
    if (root.value(QLatin1String("QueryState")).toObject().contains(QLatin1String("QueryVersion")))
        return QStringLiteral("QueryVersion");
    if (root.value(QLatin1String("SysCtrl")).toObject().contains(QLatin1String("Reboot")))
        return QStringLiteral("Reboot");
    return QString();
}

// The "szCmd" value from the URL query, or else from a form body.
QByteArray FakeHttpCamera::commandJson(const Request &request)
{
    const int nQuery = request.target.indexOf('?');
    if (nQuery >= 0) {
        const QUrlQuery query(QString::fromLatin1(request.target.mid(nQuery + 1)));
        if (query.hasQueryItem(kCmdField))
            return query.queryItemValue(kCmdField, QUrl::FullyDecoded).toUtf8();
    }
    const QUrlQuery form(QString::fromLatin1(request.body));
    return form.queryItemValue(kCmdField, QUrl::FullyDecoded).toUtf8();
}
