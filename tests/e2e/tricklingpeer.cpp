#include "tricklingpeer.h"

#include <QTcpServer>
#include <QTcpSocket>

namespace {

const QByteArray kHeadEnd = "\r\n\r\n";
const QByteArray kHead = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: %1\r\n\r\n";

} // namespace

TricklingPeer::TricklingPeer(const QByteArray &baBody, int nIntervalMs, QObject *parent)
    : QObject(parent)
    , m_pServer(new QTcpServer(this))
    , m_baBody(baBody)
{
    m_trickleTimer.setInterval(nIntervalMs);
    connect(&m_trickleTimer, &QTimer::timeout, this, &TricklingPeer::sendNextByte);
    connect(m_pServer, &QTcpServer::newConnection, this, &TricklingPeer::acceptConnection);
}

TricklingPeer::~TricklingPeer()
{
    m_trickleTimer.stop();
}

bool TricklingPeer::listen(const QHostAddress &address)
{
    return m_pServer->listen(address, 0);
}

QString TricklingPeer::hostPort() const
{
    return QStringLiteral("%1:%2").arg(m_pServer->serverAddress().toString()).arg(m_pServer->serverPort());
}

int TricklingPeer::bytesSent() const
{
    return m_nSent;
}

bool TricklingPeer::wasContacted() const
{
    return m_bContacted;
}

void TricklingPeer::acceptConnection()
{
    while (QTcpSocket *pSocket = m_pServer->nextPendingConnection()) {
        m_bContacted = true;
        if (m_pSocket) {
            pSocket->abort();
            pSocket->deleteLater();
            continue;
        }
        m_pSocket = pSocket;
        m_baRequest.clear();
        m_nSent = 0;
        connect(pSocket, &QTcpSocket::readyRead, this, &TricklingPeer::readRequest);
        connect(pSocket, &QTcpSocket::disconnected, this, [this, pSocket] {
            m_trickleTimer.stop();
            pSocket->deleteLater();
            m_pSocket = nullptr;
        });
    }
}

void TricklingPeer::readRequest()
{
    m_baRequest += m_pSocket->readAll();
    if (m_trickleTimer.isActive() || !m_baRequest.contains(kHeadEnd))
        return;
    m_pSocket->write(QByteArray(kHead).replace("%1", QByteArray::number(m_baBody.size())));
    m_trickleTimer.start();
}

void TricklingPeer::sendNextByte()
{
    if (!m_pSocket || m_nSent >= m_baBody.size()) {
        m_trickleTimer.stop();
        return;
    }
    m_pSocket->write(m_baBody.mid(m_nSent, 1));
    ++m_nSent;
}
