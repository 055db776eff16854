#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include "net/httpanswerparser.h"
#include "net/requestoutcome.h"

class QTcpSocket;
class QTimer;

/**
 * One TCP connection to a camera's command endpoint that the program holds itself (no
 * proxy, no access manager), carrying one request and its answer at a time. Nothing is
 * ever sent again: a request whose answer does not come fails, and the connection is not
 * used again.
 *
 * The connection must open within HttpQueue::HTTP_CONNECT_TIMEOUT_MS. An answer is read
 * with HttpAnswerParser, its body limited to CHttp::HTTP_MAX_REPLY_BYTES; an exchange
 * fails when no data moves for its transfer timeout or when it lasts longer than that in
 * all, counted from the moment the request is written. Each failure is logged, with the
 * outcome it reads as: refused, unreachable, timed out, too large, unreadable (an answer
 * that is no HTTP), or failed (closed or reset before the answer was whole).
 *
 * A failure says whether any byte of the request had left, that is, had been handed to
 * the network: from then on the camera may have acted on it.
 */
class CameraLink : public QObject
{
    Q_OBJECT

public:
    /// A link to @p strHost, port @p nPort; nothing happens before open().
    CameraLink(const QString &strHost, quint16 nPort, QObject *parent = nullptr);

    /// Opens the connection: sigOpened, or sigFailed.
    void open();
    /**
     * Writes @p baRequest on the open, idle connection and reads its answer: sigAnswered,
     * or sigFailed. @p nTransferTimeoutMs bounds the time without data moving and the
     * exchange in all; 0 sets no bound.
     */
    void exchange(const QByteArray &baRequest, int nTransferTimeoutMs);
    /// True when another request may go on this connection now: it is open and idle, its
    /// last answer kept it, and nothing waits on it, neither bytes nor the camera's close.
    bool isReusable() const;
    /// The MAC the camera on this connection has been found to carry; empty until set.
    QString provenMac() const;
    void setProvenMac(const QString &strMac);

signals:
    void sigOpened();
    /// The answer to the latest request, whatever its status (1xx skipped).
    void sigAnswered(int nStatus, const QByteArray &baBody);
    /// The connection did not open, or the latest request got no whole answer;
    /// @p bBytesLeft when any byte of the request had left.
    void sigFailed(RequestOutcome::Outcome outcome, bool bBytesLeft);

private slots:
    void slotConnected();
    void slotReadyRead();
    void slotSocketError();
    void slotConnectTimeout();

private:
    enum Phase { Closed, Opening, Idle, Exchanging, Broken };

    void connectSocket();
    void transferTimedOut(const char *szWhat);
    void readAnswer();
    void finishAtClose();
    void settle();
    void fail(RequestOutcome::Outcome outcome);
    bool nothingWaits() const;

    QTcpSocket *m_pSocket = nullptr;
    QTimer *m_pConnectTimer = nullptr;
    QTimer *m_pStallTimer = nullptr;
    QTimer *m_pTotalTimer = nullptr;
    HttpAnswerParser m_parser;
    QString m_strHost;
    QString m_strProvenMac;
    quint16 m_nPort = 0;
    Phase m_phase = Closed;
    bool m_bBytesLeft = false;
    bool m_bKept = true;
};
