#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QNetworkRequest>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUrl>
#include <QVariantHash>

class QNetworkAccessManager;
class QNetworkReply;

/**
 * Sends HTTP requests through one network manager (one network thread) so that a site of
 * any size costs a bounded number of sockets and threads.
 *
 * At most HTTP_MAX_IN_FLIGHT requests and connection attempts are under way at once, and
 * at most one per host (address and port): the requests to one host go one after the
 * other, in the order they were queued, over the connection the first one opened. Hosts
 * take their turns in the order their first waiting request was queued; a host whose
 * request has ended keeps its turn while it has more waiting.
 *
 * A host's connection must open within HTTP_CONNECT_TIMEOUT_MS. A first request with a body
 * opens it itself: the body leaving shows the connection open, and the request counts as
 * sent from then on. Before any other first request the connection is opened on its own.
 * When it cannot be opened (refused, unreachable, too slow), every request waiting for that
 * host, the one that was to open it included, ends at once with that failure and none of
 * them is sent.
 *
 * The manager keeps the connections it opened; all of them are closed as soon as nothing
 * is under way, whether because nothing waits or because HTTP_MAX_HOSTS_OPEN hosts have
 * been reached since they were last closed (further hosts then wait for the requests under
 * way to end).
 *
 * Nothing is sent or reported after the queue is destroyed; requests still waiting or
 * under way then simply end.
 */
class HttpQueue : public QObject
{
    Q_OBJECT

public:
    /// Requests and connection attempts under way at once.
    static constexpr int HTTP_MAX_IN_FLIGHT = 256;
    /// Time a connection to a host may take to open. A camera on the LAN accepts within
    /// milliseconds; this leaves room for one lost SYN, which the kernel resends after 1 s.
    static constexpr int HTTP_CONNECT_TIMEOUT_MS = 1500;
    /// Hosts contacted before the open connections must be closed; bounds the sockets held.
    static constexpr int HTTP_MAX_HOSTS_OPEN = 512;

    explicit HttpQueue(QObject *parent = nullptr);

    /// Sets @p pManager up to reach hosts on the LAN even where Qt's bearer layer finds no
    /// online network (a container, a network namespace, no NetworkManager).
    static void openToTheNetwork(QNetworkAccessManager *pManager);

    /// Queues a GET of @p request; its reply will carry @p hashProperties as dynamic properties.
    void get(const QNetworkRequest &request, const QVariantHash &hashProperties);
    /// Queues a POST of @p request with body @p baBody; its reply will carry @p hashProperties.
    void post(const QNetworkRequest &request, const QByteArray &baBody, const QVariantHash &hashProperties);

signals:
    /// A queued request has been sent: @p pReply is its reply (owned by the manager), with
    /// its properties set. Emitted before any signal of the reply itself can arrive, but
    /// its upload progress when the request opened its host's connection.
    void sigSent(QNetworkReply *pReply);
    /**
     * A queued request for @p url ended unsent: the connection to its host could not be
     * opened. @p nError (a QNetworkReply::NetworkError) and @p strError tell why, or
     * @p bTimedOut is true when it did not open within HTTP_CONNECT_TIMEOUT_MS.
     */
    void sigNotSent(const QUrl &url, const QVariantHash &hashProperties, int nError, const QString &strError,
                    bool bTimedOut);

private:
    struct Job_S
    {
        QNetworkRequest request;
        QByteArray baBody;
        bool bPost = false;
        QVariantHash hashProperties;
    };

    void enqueue(const Job_S &stJob);
    void pump();
    static bool opensItself(const Job_S &stJob);
    void sendNext(const QString &strHost);
    Job_S takeJob(const QString &strHost);
    QNetworkReply *startJob(const QString &strHost, const Job_S &stJob);
    void openConnection(const QString &strHost);
    void openWithFirstRequest(const QString &strHost);
    void limitConnectTime(QNetworkReply *pAttempt);
    void connectionEnded(const QString &strHost, QNetworkReply *pAttempt);
    void firstRequestEnded(const QString &strHost, QNetworkReply *pReply);
    void requestEnded(const QString &strHost);
    void failWaiting(const QString &strHost, QNetworkReply *pAttempt, const QList<Job_S> &listFirst);
    void closeConnectionsWhenIdle();

    QNetworkAccessManager *m_pManager = nullptr;
    // Requests not yet sent, per host, in the order they were queued.
    QHash<QString, QList<Job_S>> m_hashWaiting;
    // Hosts with waiting requests and nothing under way, in the order of their turns.
    QList<QString> m_listReady;
    // Hosts with a request or a connection attempt under way.
    QSet<QString> m_setBusy;
    // Hosts whose connection the manager holds open.
    QSet<QString> m_setOpen;
    // Replies opening a connection, until it shows open: the connection's own attempt (no
    // job), or a host's first request (its job).
    QHash<QNetworkReply *, QList<Job_S>> m_hashOpening;
    int m_nHostsContacted = 0;
    int m_nInFlight = 0;
};
