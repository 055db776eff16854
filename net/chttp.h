#pragma once

#include <functional>

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QMultiMap>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QVariantHash>

#include "net/communicationinterface.h"
#include "net/requestoutcome.h"

class CheckedWrites;
class HttpQueue;
class QNetworkReply;
class QNetworkRequest;
class QTimer;
class QUrl;
class QUrlQuery;

/**
 * The HTTP client for the device commands; a process-wide singleton on the GUI thread.
 *
 * Requests go out through an HttpQueue: one network manager, a bounded number of requests
 * under way, the rest waiting their turn in order, and a bound on the time a connection
 * may take to open. Each reply carries its command name in the "_cmd" property. A
 * successful reply body is delivered to the receiver with the routing pair of its command:
 * "SetEnv" (0, 1), "GetEnv" (0, 0), "QueryVersion" (1, 0), "Reboot" (2, 1). A failed
 * request delivers nothing; a failed "SetEnv" raises the hub's sigShowTips(1). A request
 * counts as pending from the call that takes it, waiting or under way, until it has been
 * handled; whenever the last pending request has been handled, the hub's
 * sigGetEnvFinished is emitted.
 *
 * Failures are network errors, a connection that does not open within
 * HttpQueue::HTTP_CONNECT_TIMEOUT_MS (the other requests waiting for the same host then
 * fail with it, unsent), HTTP error statuses, redirects (never followed), a transfer
 * stalled for longer than transferTimeout() or lasting longer than that in all (counted
 * from the moment the request is sent), and a body larger than HTTP_MAX_REPLY_BYTES,
 * aborted as soon as the limit is passed. The body is taken out of the reply as it
 * arrives and the reply's read buffer is small, so the network thread never holds much
 * more than the limit, whatever the body's framing and however busy the GUI thread is.
 *
 * Every request asks for the body as it is ("Accept-Encoding: identity"): the network
 * layer would otherwise inflate compressed bodies on its own thread without any bound.
 *
 * Commands that change a camera go apart from that queue (httpPostChecked): on a
 * connection the program holds itself, to a camera checked first, and never sent twice
 * (CheckedWrites). They keep the same request bytes, size limit, connect bound, transfer
 * timeout and failure rules, and are pending and reported like the others; a command
 * whose bytes left without a usable answer ends Unknown, and raises nothing on the hub.
 *
 * Every command request taken and the outcome of each are also reported to RequestOutcome.
 */
class CHttp : public CommunicationInterface
{
    Q_OBJECT

public:
    /// Time a request may go without any data moving, and may last in all, before it is aborted.
    static constexpr int HTTP_TRANSFER_TIMEOUT_MS = 10000;
    /// Largest reply body accepted; no command's answer comes close.
    static constexpr qint64 HTTP_MAX_REPLY_BYTES = 1024 * 1024;

    /// Logs that a reply from @p strIp grew past HTTP_MAX_REPLY_BYTES and was aborted.
    static void logTooLarge(const QString &strIp);
    /// Logs that the connection to @p strIp did not open within the connect bound.
    static void logConnectTimedOut(const QString &strIp);

    /// The instance, created without a parent on the first call; never null.
    static CHttp *getInstance();
    /// Deletes the instance, if any, with every request still waiting or under way; none of
    /// them is handled or reported afterwards.
    static void destroyInstance();

    void deliverReply(const QByteArray &baBody, int nKind, int nFlag, const QString &strIp) override;
    void setReceiver(MainModel *pReceiver) override;

    /// Sends a GET for @p url, tagged with @p strCmd.
    void httpGet(const QUrl &url, const QString &strCmd);
    /// Sends a POST of @p request whose body is @p body, fully encoded; tagged with @p strCmd.
    void httpPost(const QNetworkRequest &request, const QUrlQuery &body, const QString &strCmd);
    /**
     * Sends a POST of @p request with body @p body, fully encoded, tagged with @p strCmd,
     * on a held connection to the camera whose "GetEnv" answers with MAC @p strMac; an
     * empty @p strMac stands for the MAC of the latest write to that address (for the
     * "Reboot" that follows a "SetEnv"). The request bytes are those httpPost would send.
     * Sent at most once; see CheckedWrites for the check and the outcomes. A failure that
     * is not Unknown raises the hub's sigShowTips(1) for a "SetEnv", like httpPost; an
     * OtherCamera outcome is also reported with the MAC seen.
     */
    void httpPostChecked(const QNetworkRequest &request, const QUrlQuery &body, const QString &strCmd,
                         const QString &strMac);
    /// The addresses where more than one device answered the last search: a checked command
    /// is never sent there on a fresh connection (see CheckedWrites).
    void setSharedAddresses(const QSet<QString> &setAddresses);
    /**
     * Sends a GET for @p url like httpGet, with the same queue, bounds and failure rules,
     * but aside from the command batch: it is not pending, never ends a batch, is neither
     * delivered to the receiver nor reported to RequestOutcome. @p onDone runs once, on
     * the GUI thread from the event loop, with the outcome (Answered for a reply the
     * client accepts, never Unreadable: the body is not parsed here) and, for Answered,
     * the body. It never runs after @p pContext is destroyed, nor after the client is.
     */
    void httpGetAside(const QUrl &url, QObject *pContext,
                      std::function<void(RequestOutcome::Outcome, const QByteArray &)> onDone);

    /// The transfer timeout given to later requests; HTTP_TRANSFER_TIMEOUT_MS by default.
    void setTransferTimeout(int nTimeoutMs);
    int transferTimeout() const;
    /// Requests sent and not yet handled.
    int pendingCount() const;

private slots:
    void slotSent(QNetworkReply *pReply);
    void slotHttpFinished();
    void slotNotSent(const QUrl &url, const QVariantHash &hashProperties, int nError, const QString &strError,
                     bool bTimedOut);
    void slotCheckedFinished(quint64 nRequest, const QString &strIp, int nCmd, RequestOutcome::Outcome outcome,
                             const QByteArray &baBody, const QString &strMacSeen);

private:
    struct Aside_S
    {
        QPointer<QObject> pContext;
        std::function<void(RequestOutcome::Outcome, const QByteArray &)> onDone;
    };

    // A reply under way: the body read so far, and when it must have ended.
    struct Transfer_S
    {
        QByteArray baBody;
        bool bOversize = false;
        qint64 nDeadlineMs = 0;
    };

    explicit CHttp(QObject *parent = nullptr);

    QNetworkRequest prepareRequest(const QNetworkRequest &request) const;
    quint64 takeRequest(const QUrl &url, const QString &strCmd);
    static QVariantHash commandProperties(const QString &strCmd, quint64 nRequest);
    void limitTransferTime(QNetworkReply *pReply);
    void armDeadlineTimer();
    void abortOverdue();
    Transfer_S takeTransfer(QNetworkReply *pReply);
    void limitReplySize(QNetworkReply *pReply);
    RequestOutcome::Outcome logFailure(QNetworkReply *pReply, bool bOversize, const QString &strIp) const;
    static RequestOutcome::Outcome logConnectFailure(int nError, const QString &strError, bool bTimedOut,
                                                     const QString &strIp);
    void finish(const QVariantHash &hashProperties, const QString &strIp, RequestOutcome::Outcome outcome,
                const QByteArray &baBody);
    void finishAside(quint64 nAside, RequestOutcome::Outcome outcome, const QByteArray &baBody);
    void finishCommand(const QVariantHash &hashProperties, const QString &strIp, RequestOutcome::Outcome outcome,
                       const QByteArray &baBody);
    void handleReply(const QByteArray &baBody, const QString &strIp, int nCmd);
    void handleError(const QString &strIp, int nCmd);
    void finishRequest();

    HttpQueue *m_pQueue = nullptr;
    CheckedWrites *m_pCheckedWrites = nullptr;
    QHash<quint64, Aside_S> m_hashAside;
    QHash<QNetworkReply *, Transfer_S> m_hashTransfers;
    // The replies under way by their deadlines, on m_clock; one timer for them all, since
    // a timer of each reply's own costs more than the rest of its handling here.
    QMultiMap<qint64, QNetworkReply *> m_mapDeadlines;
    QTimer *m_pDeadlineTimer = nullptr;
    QElapsedTimer m_clock;
    quint64 m_nLastAside = 0;
    int m_nPending = 0;
    int m_nTransferTimeoutMs = HTTP_TRANSFER_TIMEOUT_MS;
};
