#pragma once

#include <QByteArray>
#include <QString>

#include "net/communicationinterface.h"
#include "net/requestoutcome.h"

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;
class QUrl;
class QUrlQuery;

/**
 * The HTTP client for the device commands; a process-wide singleton on the GUI thread.
 *
 * Every request gets a manager of its own and carries its command name in the reply's
 * "_cmd" property. A successful reply body is delivered to the receiver with the routing
 * pair of its command: "SetEnv" (0, 1), "GetEnv" (0, 0), "QueryVersion" (1, 0),
 * "Reboot" (2, 1). A failed request delivers nothing; a failed "SetEnv" raises the hub's
 * sigShowTips(1). Whenever the last request in flight has been handled, the hub's
 * sigGetEnvFinished is emitted.
 *
 * Failures are network errors, HTTP error statuses, redirects (never followed), a
 * transfer stalled for longer than transferTimeout() or lasting longer than that in all,
 * and a body larger than HTTP_MAX_REPLY_BYTES (aborted as soon as the limit is passed).
 *
 * Every request taken and the outcome of each are also reported to RequestOutcome.
 */
class CHttp : public CommunicationInterface
{
    Q_OBJECT

public:
    /// Time a request may go without any data moving, and may last in all, before it is aborted.
    static constexpr int HTTP_TRANSFER_TIMEOUT_MS = 10000;
    /// Largest reply body accepted; no command's answer comes close.
    static constexpr qint64 HTTP_MAX_REPLY_BYTES = 1024 * 1024;

    /// The instance, created without a parent on the first call; never null.
    static CHttp *getInstance();
    /// Deletes the instance, if any, with every request still in flight.
    static void destroyInstance();

    void deliverReply(const QByteArray &baBody, int nKind, int nFlag, const QString &strIp) override;
    void setReceiver(MainModel *pReceiver) override;

    /// Sends a GET for @p url, tagged with @p strCmd.
    void httpGet(const QUrl &url, const QString &strCmd);
    /// Sends a POST of @p request whose body is @p body, fully encoded; tagged with @p strCmd.
    void httpPost(const QNetworkRequest &request, const QUrlQuery &body, const QString &strCmd);

    /// The transfer timeout given to later requests; HTTP_TRANSFER_TIMEOUT_MS by default.
    void setTransferTimeout(int nTimeoutMs);
    int transferTimeout() const;
    /// Requests sent and not yet handled.
    int pendingCount() const;

private slots:
    void slotHttpFinished();

private:
    explicit CHttp(QObject *parent = nullptr);

    QNetworkAccessManager *createManager();
    QNetworkRequest prepareRequest(const QNetworkRequest &request) const;
    void trackReply(QNetworkReply *pReply, const QString &strCmd);
    static void limitReplySize(QNetworkReply *pReply);
    RequestOutcome::Outcome logFailure(QNetworkReply *pReply, const QString &strIp) const;
    void handleReply(const QByteArray &baBody, const QString &strIp, int nCmd);
    void handleError(const QString &strIp, int nCmd);
    void finishRequest();

    int m_nPending = 0;
    int m_nTransferTimeoutMs = HTTP_TRANSFER_TIMEOUT_MS;
};
