#include "tools/camsim/httpconnection.h"

#include <QRegularExpression>

namespace {

constexpr int kMaxHeadBytes = 16 * 1024;
constexpr qint64 kMaxBodyBytes = 64 * 1024;
constexpr qint64 kStreamChunk = 64 * 1024;
constexpr qint64 kStreamLowWater = 256 * 1024;
const QByteArray kHeadEnd = "\r\n\r\n";
const QByteArray kLineEnd = "\r\n";
const QByteArray kLastChunk = "0\r\n\r\n";
const QByteArray kStreamPrefix = "{\"nRetVal\":0,\"szPad\":\"";
const QByteArray kStreamSuffix = "\"}";
constexpr char kStreamFill = 'x';
constexpr int kCloseGraceMs = 2000;

} // namespace

HttpConnection::HttpConnection(QTcpSocket *pSocket, QObject *pParent)
    : QObject(pParent)
    , m_pSocket(pSocket)
{
    m_pSocket->setParent(this);
    connect(m_pSocket, &QTcpSocket::readyRead, this, &HttpConnection::slotReadyRead);
    connect(m_pSocket, &QTcpSocket::bytesWritten, this, &HttpConnection::slotBytesWritten);
    connect(m_pSocket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
    connect(&m_trickleTimer, &QTimer::timeout, this, &HttpConnection::slotTrickleByte);
    QTimer::singleShot(0, this, &HttpConnection::slotReadyRead);
}

void HttpConnection::slotReadyRead()
{
    if (m_bClosing) {
        m_pSocket->readAll();
        return;
    }
    // Room for one largest request; the rest waits in the socket until it is answered.
    const qint64 nRoom = kMaxHeadBytes + kHeadEnd.size() + kMaxBodyBytes - m_baBuffer.size();
    if (nRoom > 0)
        m_baBuffer += m_pSocket->read(nRoom);
    if (!m_bBusy)
        parseNext();
}

void HttpConnection::parseNext()
{
    const int nHeadEnd = m_baBuffer.indexOf(kHeadEnd);
    if (nHeadEnd < 0) {
        if (m_baBuffer.size() > kMaxHeadBytes)
            refuse(HttpStatus::kHeadTooLarge, QStringLiteral("request head too large"), m_baBuffer.left(kMaxHeadBytes));
        return;
    }
    const QByteArray baHead = m_baBuffer.left(nHeadEnd);
    HttpRequest_S stRequest;
    int nStatus = 0;
    QString strReason;
    qint64 nLength = 0;
    if (nHeadEnd > kMaxHeadBytes) {
        refuse(HttpStatus::kHeadTooLarge, QStringLiteral("request head too large"), baHead.left(kMaxHeadBytes));
        return;
    }
    if (!parseHead(baHead, stRequest, nStatus, strReason) || !readContentLength(stRequest, nLength, nStatus, strReason)) {
        refuse(nStatus, strReason, baHead);
        return;
    }
    const int nBodyStart = nHeadEnd + kHeadEnd.size();
    if (m_baBuffer.size() - nBodyStart < nLength)
        return;
    stRequest.baBody = m_baBuffer.mid(nBodyStart, int(nLength));
    m_baBuffer.remove(0, nBodyStart + int(nLength));
    stRequest.peerAddress = m_pSocket->peerAddress();
    stRequest.nPeerPort = m_pSocket->peerPort();
    stRequest.localAddress = m_pSocket->localAddress();
    m_bKeepAlive = stRequest.bKeepAlive && !m_bCloseAfterReply;
    m_bBusy = true;
    emit sigRequest(stRequest);
}

bool HttpConnection::parseHead(const QByteArray &baHead, HttpRequest_S &stRequest, int &nStatus, QString &strReason)
{
    static const QRegularExpression reRequestLine(QStringLiteral("^([A-Z]+) (/[!-~]*) (HTTP/1\\.[01])$"));
    static const QRegularExpression reHeader(QStringLiteral("^([!#$%&'*+.^_`|~0-9A-Za-z-]+):[ \\t]*(.*?)[ \\t]*$"));
    nStatus = HttpStatus::kBadRequest;
    const QList<QByteArray> listLines = baHead.split('\n');
    const QRegularExpressionMatch lineMatch = reRequestLine.match(QString::fromLatin1(listLines.at(0)).remove(QLatin1Char('\r')));
    if (!lineMatch.hasMatch()) {
        strReason = QStringLiteral("bad request line");
        return false;
    }
    stRequest.baMethod = lineMatch.captured(1).toLatin1();
    stRequest.baTarget = lineMatch.captured(2).toLatin1();
    stRequest.baVersion = lineMatch.captured(3).toLatin1();
    const int nQuery = stRequest.baTarget.indexOf('?');
    stRequest.baPath = nQuery < 0 ? stRequest.baTarget : stRequest.baTarget.left(nQuery);
    stRequest.baQuery = nQuery < 0 ? QByteArray() : stRequest.baTarget.mid(nQuery + 1);
    for (int nLine = 1; nLine < listLines.size(); ++nLine) {
        const QRegularExpressionMatch headerMatch = reHeader.match(QString::fromLatin1(listLines.at(nLine)).remove(QLatin1Char('\r')));
        if (!headerMatch.hasMatch()) {
            strReason = QStringLiteral("bad header line");
            return false;
        }
        stRequest.hashHeaders.insert(headerMatch.captured(1).toLower().toLatin1(), headerMatch.captured(2).toLatin1());
    }
    const QByteArray baConnection = stRequest.hashHeaders.value("connection").toLower();
    stRequest.bKeepAlive = stRequest.baVersion.endsWith(".1") ? baConnection != "close" : baConnection == "keep-alive";
    return true;
}

bool HttpConnection::readContentLength(const HttpRequest_S &stRequest, qint64 &nLength, int &nStatus, QString &strReason)
{
    if (stRequest.hashHeaders.contains("transfer-encoding")) {
        nStatus = HttpStatus::kNotImplemented;
        strReason = QStringLiteral("transfer encodings are not supported");
        return false;
    }
    const QByteArray baLength = stRequest.hashHeaders.value("content-length", "0");
    bool bOk = false;
    nLength = baLength.toLongLong(&bOk);
    if (!bOk || nLength < 0 || baLength.startsWith('+')) {
        nStatus = HttpStatus::kBadRequest;
        strReason = QStringLiteral("bad Content-Length");
        return false;
    }
    if (nLength > kMaxBodyBytes) {
        nStatus = HttpStatus::kPayloadTooLarge;
        strReason = QStringLiteral("request body too large");
        return false;
    }
    return true;
}

void HttpConnection::refuse(int nStatus, const QString &strReason, const QByteArray &baHead)
{
    m_bBusy = true;
    m_bKeepAlive = false;
    m_baBuffer.clear();
    emit sigMalformed(nStatus, strReason, baHead);
}

QByteArray HttpConnection::serialise(const HttpReply_S &stReply, bool bKeepAlive)
{
    QByteArray baBytes = "HTTP/1.1 " + QByteArray::number(stReply.nStatus) + ' ' + stReply.baReason + kLineEnd;
    for (const auto &pairHeader : stReply.listHeaders)
        baBytes += pairHeader.first + ": " + pairHeader.second + kLineEnd;
    baBytes += "Content-Length: " + QByteArray::number(stReply.baBody.size()) + kLineEnd;
    baBytes += QByteArray("Connection: ") + (bKeepAlive ? "keep-alive" : "close") + kLineEnd + kLineEnd;
    return baBytes + stReply.baBody;
}

void HttpConnection::sendReply(const HttpReply_S &stReply)
{
    m_pSocket->write(serialise(stReply, m_bKeepAlive));
    m_bBusy = false;
    if (!m_bKeepAlive) {
        closeGracefully();
        return;
    }
    QTimer::singleShot(0, this, &HttpConnection::slotReadyRead);
}

void HttpConnection::sendRawAndClose(const QByteArray &baBytes)
{
    m_pSocket->write(baBytes);
    closeGracefully();
}

void HttpConnection::dropWithoutAnswer()
{
    m_bClosing = true;
    m_pSocket->abort();
}

void HttpConnection::streamBody(const QByteArray &baHead, qint64 nBodySize, bool bChunked)
{
    m_nStreamSize = nBodySize;
    m_nStreamOffset = 0;
    m_bStreamChunked = bChunked;
    m_bClosing = true;
    m_pSocket->write(baHead);
    slotBytesWritten();
}

void HttpConnection::slotBytesWritten()
{
    while (m_nStreamOffset < m_nStreamSize && m_pSocket->bytesToWrite() < kStreamLowWater) {
        const qint64 nLength = qMin(kStreamChunk, m_nStreamSize - m_nStreamOffset);
        const QByteArray baChunk = streamChunk(m_nStreamOffset, nLength);
        m_pSocket->write(m_bStreamChunked ? QByteArray::number(nLength, 16) + kLineEnd + baChunk + kLineEnd : baChunk);
        m_nStreamOffset += nLength;
    }
    if (m_nStreamSize > 0 && m_nStreamOffset == m_nStreamSize) {
        if (m_bStreamChunked)
            m_pSocket->write(kLastChunk);
        m_nStreamSize = 0;
        m_pSocket->disconnectFromHost();
    }
}

QByteArray HttpConnection::streamChunk(qint64 nOffset, qint64 nLength) const
{
    QByteArray baChunk(int(nLength), kStreamFill);
    const qint64 nEnd = nOffset + nLength;
    for (qint64 nPos = nOffset; nPos < qMin<qint64>(nEnd, kStreamPrefix.size()); ++nPos)
        baChunk[int(nPos - nOffset)] = kStreamPrefix.at(int(nPos));
    const qint64 nSuffixStart = m_nStreamSize - kStreamSuffix.size();
    for (qint64 nPos = qMax(nOffset, nSuffixStart); nPos < nEnd; ++nPos)
        baChunk[int(nPos - nOffset)] = kStreamSuffix.at(int(nPos - nSuffixStart));
    return baChunk;
}

void HttpConnection::trickle(const QByteArray &baBytes, int nIntervalMs)
{
    m_baTrickle = baBytes;
    m_nTrickleOffset = 0;
    m_bClosing = true;
    m_trickleTimer.start(nIntervalMs);
    slotTrickleByte();
}

void HttpConnection::slotTrickleByte()
{
    if (m_nTrickleOffset >= m_baTrickle.size()) {
        m_trickleTimer.stop();
        m_pSocket->disconnectFromHost();
        return;
    }
    m_pSocket->write(m_baTrickle.mid(m_nTrickleOffset++, 1));
}

void HttpConnection::closeGracefully()
{
    m_bClosing = true;
    m_trickleTimer.stop();
    m_nStreamSize = 0;
    m_pSocket->disconnectFromHost();
    // A peer that never reads must not keep the connection forever.
    QTimer::singleShot(kCloseGraceMs, m_pSocket, &QTcpSocket::abort);
}
