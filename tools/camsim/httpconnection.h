#pragma once

#include <QByteArray>
#include <QObject>
#include <QTcpSocket>
#include <QTimer>

#include "tools/camsim/httpreply_s.h"
#include "tools/camsim/httprequest_s.h"

// One accepted HTTP/1.x connection. Parses one request at a time (keep-alive and
// pipelined requests wait until the previous one is answered) with bounded buffers: a
// request head over 16 KiB or a body over 64 KiB is refused. Writes plain, streamed or
// trickled answers; deletes itself when the peer goes.
class HttpConnection : public QObject
{
    Q_OBJECT

public:
    explicit HttpConnection(QTcpSocket *pSocket, QObject *pParent = nullptr);

    // From now on every answer carries "Connection: close" and the connection closes after it.
    void setCloseAfterReply() { m_bCloseAfterReply = true; }
    void sendReply(const HttpReply_S &stReply);
    // Hands what is written so far to the kernel at once.
    void flush() { m_pSocket->flush(); }
    // Closes at once, with no answer to the request being served.
    void dropWithoutAnswer();
    // Writes baBytes as they are (no HTTP framing) and closes.
    void sendRawAndClose(const QByteArray &baBytes);
    // Writes baHead, then a generated JSON body of nBodySize bytes, keeping little in the
    // socket's buffer at a time, in chunked framing when bChunked; closes at the end.
    void streamBody(const QByteArray &baHead, qint64 nBodySize, bool bChunked);
    // Writes baBytes one byte per nIntervalMs.
    void trickle(const QByteArray &baBytes, int nIntervalMs);
    // Closes after the pending bytes are written (aborting after 2 s), dropping further
    // requests and stopping a stream or trickle.
    void closeGracefully();

    static QByteArray serialise(const HttpReply_S &stReply, bool bKeepAlive);

signals:
    void sigRequest(const HttpRequest_S &stRequest);
    // The bytes are not HTTP that can be served; the answer must be stReply's status.
    void sigMalformed(int nStatus, const QString &strReason, const QByteArray &baHead);

private slots:
    void slotReadyRead();
    void slotBytesWritten();
    void slotTrickleByte();

private:
    void parseNext();
    bool parseHead(const QByteArray &baHead, HttpRequest_S &stRequest, int &nStatus, QString &strReason);
    bool readContentLength(const HttpRequest_S &stRequest, qint64 &nLength, int &nStatus, QString &strReason);
    void refuse(int nStatus, const QString &strReason, const QByteArray &baHead);
    QByteArray streamChunk(qint64 nOffset, qint64 nLength) const;

    QTcpSocket *m_pSocket;
    QByteArray m_baBuffer;
    bool m_bBusy = false;
    bool m_bClosing = false;
    bool m_bKeepAlive = true;
    bool m_bCloseAfterReply = false;
    qint64 m_nStreamSize = 0;
    qint64 m_nStreamOffset = 0;
    bool m_bStreamChunked = false;
    QByteArray m_baTrickle;
    int m_nTrickleOffset = 0;
    QTimer m_trickleTimer;
};
