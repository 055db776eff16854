#pragma once

#include <QObject>
#include <QString>

/**
 * What became of each device command, told beside the hub: the HTTP client reports every
 * request it takes and how each one ended, and the reply parsers mark a body they cannot
 * read. The controller connects these signals to the device view, which must know which
 * camera's request failed and why; the hub's signals stay as they are.
 *
 * Requests are numbered from 1 in the order the client takes them. For one request,
 * sigRequestStarted comes first, synchronously inside the call that sent it; then, for a
 * reply handed to the parsers, sigReplyDelivering right before the parsers run (and so
 * before any hub signal they emit), and sigReplyStatus while they run when the reply
 * carries a status; for a command whose check found another camera, sigOtherCamera; last
 * sigRequestFinished with its outcome. A request still in flight when the client is
 * destroyed never finishes.
 */
class RequestOutcome : public QObject
{
    Q_OBJECT

public:
    enum Outcome {
        Answered,   ///< the parsers read the reply
        Unreadable, ///< a reply that is not the command's answer (no JSON, members missing, no HTTP)
        Refused,    ///< the camera refused the connection
        Unreachable,///< no route to the camera, or its address cannot be resolved
        TimedOut,   ///< no answer within the client's transfer timeout
        TooLarge,   ///< a body larger than the client accepts
        Redirected, ///< a redirect, which is never followed
        HttpError,  ///< an HTTP error status
        Failed,     ///< any other network failure (connection closed, reset, ...), or a command refused unsent
        OtherCamera,///< the check before a command found another camera: nothing was sent
        Unknown,    ///< a command left without a usable answer: the camera may have acted on it
        SharedAddress, ///< the camera closed the checked connection and others answer at its address: not sent
    };
    Q_ENUM(Outcome)

    /// The instance, created without a parent on the first call; never null.
    static RequestOutcome *getInstance();

    /// The client took a request for @p strIp carrying command number @p nCmd; returns its number.
    quint64 reportStarted(const QString &strIp, int nCmd);
    /// The reply to request @p nRequest is about to be handed to the parsers.
    void reportDelivering(quint64 nRequest, const QString &strIp, int nCmd);
    /// The parser running for the reply being delivered could not read it.
    void markUnreadable();
    /// The parser running for the reply being delivered read the status @p nStatus ("nRetVal").
    void markStatus(int nStatus);
    /// True when a parser has marked the reply being delivered unreadable.
    bool isDeliveringUnreadable() const;
    /// The check before command @p nRequest found the camera with MAC @p strMac instead.
    void reportOtherCamera(quint64 nRequest, const QString &strIp, const QString &strMac);
    /// Request @p nRequest has ended; @p outcome Answered becomes Unreadable when a parser said so.
    void reportFinished(quint64 nRequest, const QString &strIp, int nCmd, Outcome outcome);

    /// A short text for @p nOutcome, for logs and tooltips ("timed out").
    static QString outcomeText(int nOutcome);
    /// What an answer's HTTP status @p nStatus makes of its request: Answered for 2xx,
    /// Redirected for 3xx, HttpError from 400, Unreadable for anything else.
    static Outcome outcomeOfStatus(int nStatus);

signals:
    void sigRequestStarted(quint64 nRequest, QString strIp, int nCmd);
    void sigReplyDelivering(quint64 nRequest, QString strIp, int nCmd);
    void sigRequestFinished(quint64 nRequest, QString strIp, int nCmd, int nOutcome);
    /// The reply to @p nRequest carries the status @p nStatus, as its parser read it.
    void sigReplyStatus(quint64 nRequest, int nStatus);
    /// Command @p nRequest was not sent: the camera at @p strIp answered with MAC @p strMac.
    void sigOtherCamera(quint64 nRequest, QString strIp, QString strMac);

private:
    explicit RequestOutcome(QObject *parent = nullptr);

    quint64 m_nLastRequest = 0;
    quint64 m_nDelivering = 0;
    bool m_bUnreadable = false;
};
