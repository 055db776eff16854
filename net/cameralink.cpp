#include "net/cameralink.h"

#include <QDebug>
#include <QMetaEnum>
#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTimer>

#include <cerrno>

#include <sys/socket.h>

#include "net/chttp.h"
#include "net/httpqueue.h"

namespace {

constexpr char NO_DATA[] = "no data for";
constexpr char NOT_ANSWERED[] = "not answered within";

QByteArray errorName(QAbstractSocket::SocketError error)
{
    return QMetaEnum::fromType<QAbstractSocket::SocketError>().valueToKey(error);
}

// How a socket error reads to someone looking at the camera's row.
RequestOutcome::Outcome outcomeOfSocketError(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return RequestOutcome::Refused;
    case QAbstractSocket::HostNotFoundError:
    case QAbstractSocket::NetworkError:
        return RequestOutcome::Unreachable;
    case QAbstractSocket::SocketTimeoutError:
        return RequestOutcome::TimedOut;
    default:
        return RequestOutcome::Failed;
    }
}

RequestOutcome::Outcome outcomeOfParse(HttpAnswerParser::Failure failure)
{
    switch (failure) {
    case HttpAnswerParser::TooLarge:
        return RequestOutcome::TooLarge;
    case HttpAnswerParser::Malformed:
        return RequestOutcome::Unreadable;
    default:
        return RequestOutcome::Failed;
    }
}

} // namespace

CameraLink::CameraLink(const QString &strHost, quint16 nPort, QObject *parent)
    : QObject(parent)
    , m_pSocket(new QTcpSocket(this))
    , m_pConnectTimer(new QTimer(this))
    , m_pStallTimer(new QTimer(this))
    , m_pTotalTimer(new QTimer(this))
    , m_parser(CHttp::HTTP_MAX_REPLY_BYTES)
    , m_strHost(strHost)
    , m_nPort(nPort)
{
    m_pSocket->setProxy(QNetworkProxy::NoProxy);
    for (QTimer *pTimer : {m_pConnectTimer, m_pStallTimer, m_pTotalTimer})
        pTimer->setSingleShot(true);
    connectSocket();
    connect(m_pConnectTimer, &QTimer::timeout, this, &CameraLink::slotConnectTimeout);
    connect(m_pStallTimer, &QTimer::timeout, this, [this] { transferTimedOut(NO_DATA); });
    connect(m_pTotalTimer, &QTimer::timeout, this, [this] { transferTimedOut(NOT_ANSWERED); });
}

void CameraLink::connectSocket()
{
    connect(m_pSocket, &QTcpSocket::connected, this, &CameraLink::slotConnected);
    connect(m_pSocket, &QTcpSocket::readyRead, this, &CameraLink::slotReadyRead);
    connect(m_pSocket, &QTcpSocket::errorOccurred, this, &CameraLink::slotSocketError);
    connect(m_pSocket, &QTcpSocket::bytesWritten, this, [this] {
        if (m_phase == Exchanging)
            m_bBytesLeft = true;
    });
}

void CameraLink::open()
{
    m_phase = Opening;
    m_pConnectTimer->start(HttpQueue::HTTP_CONNECT_TIMEOUT_MS);
    m_pSocket->connectToHost(m_strHost, m_nPort);
}

void CameraLink::exchange(const QByteArray &baRequest, int nTransferTimeoutMs)
{
    m_parser = HttpAnswerParser(CHttp::HTTP_MAX_REPLY_BYTES);
    m_bBytesLeft = false;
    m_phase = Exchanging;
    if (nTransferTimeoutMs > 0) {
        m_pStallTimer->start(nTransferTimeoutMs);
        m_pTotalTimer->start(nTransferTimeoutMs);
    }
    m_pSocket->write(baRequest);
    m_pSocket->flush();
}

bool CameraLink::isReusable() const
{
    return m_phase == Idle && m_bKept && m_pSocket->state() == QAbstractSocket::ConnectedState
        && m_pSocket->bytesAvailable() == 0 && nothingWaits();
}

QString CameraLink::provenMac() const
{
    return m_strProvenMac;
}

void CameraLink::setProvenMac(const QString &strMac)
{
    m_strProvenMac = strMac;
}

void CameraLink::slotConnected()
{
    if (m_phase != Opening)
        return;
    m_pConnectTimer->stop();
    m_phase = Idle;
    emit sigOpened();
}

// Bytes that come while no request is out belong to none: the connection is not used again.
void CameraLink::slotReadyRead()
{
    if (m_phase != Exchanging) {
        m_pSocket->readAll();
        m_bKept = false;
        return;
    }
    if (m_pStallTimer->isActive())
        m_pStallTimer->start();
    readAnswer();
}

void CameraLink::readAnswer()
{
    m_parser.feed(m_pSocket->readAll());
    if (m_parser.state() == HttpAnswerParser::Complete)
        settle();
    else if (m_parser.state() == HttpAnswerParser::Failed)
        fail(outcomeOfParse(m_parser.failure()));
}

void CameraLink::slotSocketError()
{
    const QAbstractSocket::SocketError error = m_pSocket->error();
    if (m_phase == Exchanging && error == QAbstractSocket::RemoteHostClosedError) {
        finishAtClose();
        return;
    }
    if (m_phase != Opening && m_phase != Exchanging) {
        m_bKept = false;
        return;
    }
    qDebug() << "error:" << errorName(error) << m_pSocket->errorString() << m_strHost;
    fail(outcomeOfSocketError(error));
}

// The camera closed the connection: what it sent before may end an answer delimited by the close.
void CameraLink::finishAtClose()
{
    m_parser.feed(m_pSocket->readAll());
    m_parser.endOfStream();
    if (m_parser.state() == HttpAnswerParser::Complete) {
        settle();
        return;
    }
    if (m_parser.failure() == HttpAnswerParser::Truncated)
        qDebug() << "error:" << "connection closed before the answer was whole" << m_strHost;
    fail(outcomeOfParse(m_parser.failure()));
}

void CameraLink::slotConnectTimeout()
{
    if (m_phase != Opening)
        return;
    CHttp::logConnectTimedOut(m_strHost);
    fail(RequestOutcome::TimedOut);
}

void CameraLink::transferTimedOut(const char *szWhat)
{
    if (m_phase != Exchanging)
        return;
    qDebug() << "errorTimeOut:" << szWhat << m_pTotalTimer->interval() << "ms" << m_strHost;
    fail(RequestOutcome::TimedOut);
}

void CameraLink::settle()
{
    m_pStallTimer->stop();
    m_pTotalTimer->stop();
    m_bKept = m_parser.keepsConnection() && !m_parser.hasSurplus();
    m_phase = Idle;
    emit sigAnswered(m_parser.status(), m_parser.body());
}

void CameraLink::fail(RequestOutcome::Outcome outcome)
{
    if (outcome == RequestOutcome::TooLarge)
        CHttp::logTooLarge(m_strHost);
    else if (outcome == RequestOutcome::Unreadable)
        qDebug() << "error:" << "the answer is no HTTP/1.x answer" << m_strHost;
    m_pConnectTimer->stop();
    m_pStallTimer->stop();
    m_pTotalTimer->stop();
    m_phase = Broken;
    m_pSocket->abort();
    emit sigFailed(outcome, m_bBytesLeft);
}

// Looks at the socket itself, without reading: the camera's close or stray bytes may have
// arrived without the event loop having handled them yet.
bool CameraLink::nothingWaits() const
{
    char cPeek = 0;
    const ssize_t nPeeked = ::recv(int(m_pSocket->socketDescriptor()), &cPeek, 1, MSG_PEEK | MSG_DONTWAIT);
    return nPeeked < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
}
