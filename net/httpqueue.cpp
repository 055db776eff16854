#include "net/httpqueue.h"

#include <QNetworkAccessManager>
#include <QNetworkConfiguration>
#include <QNetworkReply>
#include <QTimer>

#include "net/commandurl.h"

namespace {

// Qt's scheme for a request that only opens the connection its host's requests will use;
// the reply finishes once the connection is open, or with the error that kept it shut.
constexpr char PRECONNECT_SCHEME[] = "preconnect-http";
constexpr char TIMED_OUT_PROPERTY[] = "_connectTimedOut";

} // namespace

HttpQueue::HttpQueue(QObject *parent)
    : QObject(parent)
    , m_pManager(new QNetworkAccessManager(this))
{
    openToTheNetwork(m_pManager);
}

// Qt 5's bearer layer judges "the network" from NetworkManager or the interface list. In a
// container, a network namespace or on a machine without NetworkManager it may find no
// online configuration and fail every request to a non-loopback host at once ("Network
// access is disabled", or a session error "The specified configuration cannot be used").
// A camera on the LAN needs no managed session: the manager gets no bearer configuration
// (so it opens no session) and is told the network is there.
void HttpQueue::openToTheNetwork(QNetworkAccessManager *pManager)
{
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    pManager->setConfiguration(QNetworkConfiguration());
    pManager->setNetworkAccessible(QNetworkAccessManager::Accessible);
    QT_WARNING_POP
}

void HttpQueue::get(const QNetworkRequest &request, const QVariantHash &hashProperties)
{
    enqueue({request, QByteArray(), false, hashProperties});
}

void HttpQueue::post(const QNetworkRequest &request, const QByteArray &baBody, const QVariantHash &hashProperties)
{
    enqueue({request, baBody, true, hashProperties});
}

void HttpQueue::enqueue(const Job_S &stJob)
{
    const QString strHost = CommandUrl::hostKey(stJob.request.url());
    QList<Job_S> &listJobs = m_hashWaiting[strHost];
    listJobs.append(stJob);
    if (listJobs.size() == 1 && !m_setBusy.contains(strHost))
        m_listReady.append(strHost);
    pump();
}

// Starts what the bounds allow, taking the hosts in turn. A host without an open connection
// first gets one, unless the manager already holds as many hosts as it may: then nothing
// more starts until the requests under way have ended and the connections are closed.
void HttpQueue::pump()
{
    while (m_nInFlight < HTTP_MAX_IN_FLIGHT && !m_listReady.isEmpty()) {
        const QString strHost = m_listReady.first();
        if (m_setOpen.contains(strHost)) {
            m_listReady.removeFirst();
            sendNext(strHost);
        } else if (m_nHostsContacted < HTTP_MAX_HOSTS_OPEN) {
            m_listReady.removeFirst();
            if (opensItself(m_hashWaiting.value(strHost).first()))
                openWithFirstRequest(strHost);
            else
                openConnection(strHost);
        } else {
            return;
        }
    }
}

// Only a body's upload tells that a request's connection has opened; a request without
// one would first be heard of with its answer, which may come long after.
bool HttpQueue::opensItself(const Job_S &stJob)
{
    return stJob.bPost && !stJob.baBody.isEmpty();
}

void HttpQueue::sendNext(const QString &strHost)
{
    QNetworkReply *pReply = startJob(strHost, takeJob(strHost));
    connect(pReply, &QNetworkReply::finished, this, [this, strHost] { requestEnded(strHost); });
    emit sigSent(pReply);
}

HttpQueue::Job_S HttpQueue::takeJob(const QString &strHost)
{
    QList<Job_S> &listJobs = m_hashWaiting[strHost];
    const Job_S stJob = listJobs.takeFirst();
    if (listJobs.isEmpty())
        m_hashWaiting.remove(strHost);
    return stJob;
}

// Hands the job to the manager; its host is busy until the reply ends.
QNetworkReply *HttpQueue::startJob(const QString &strHost, const Job_S &stJob)
{
    m_setBusy.insert(strHost);
    ++m_nInFlight;
    QNetworkReply *pReply = stJob.bPost ? m_pManager->post(stJob.request, stJob.baBody) : m_pManager->get(stJob.request);
    for (auto property = stJob.hashProperties.cbegin(); property != stJob.hashProperties.cend(); ++property)
        pReply->setProperty(property.key().toLatin1().constData(), property.value());
    return pReply;
}

void HttpQueue::openConnection(const QString &strHost)
{
    const QUrl url = m_hashWaiting.value(strHost).first().request.url();
    QUrl attemptUrl;
    attemptUrl.setScheme(QLatin1String(PRECONNECT_SCHEME));
    attemptUrl.setHost(url.host());
    attemptUrl.setPort(url.port(CommandUrl::HTTP_PORT));
    m_setBusy.insert(strHost);
    ++m_nInFlight;
    ++m_nHostsContacted;
    QNetworkReply *pAttempt = m_pManager->get(QNetworkRequest(attemptUrl));
    m_hashOpening.insert(pAttempt, {});
    connect(pAttempt, &QNetworkReply::finished, this, [this, strHost, pAttempt] { connectionEnded(strHost, pAttempt); });
    limitConnectTime(pAttempt);
}

// The request goes out at once and Qt opens the connection for it: one request fewer, and
// no turn of this thread between the connection and the request. Until its body has left
// it is the connection's attempt, and the client hears of it only then.
void HttpQueue::openWithFirstRequest(const QString &strHost)
{
    ++m_nHostsContacted;
    const Job_S stJob = takeJob(strHost);
    QNetworkReply *pReply = startJob(strHost, stJob);
    m_hashOpening.insert(pReply, {stJob});
    connect(pReply, &QNetworkReply::uploadProgress, this, [this, strHost, pReply](qint64 nSent) {
        if (nSent <= 0 || !m_hashOpening.remove(pReply))
            return;
        m_setOpen.insert(strHost);
        emit sigSent(pReply);
    });
    connect(pReply, &QNetworkReply::finished, this, [this, strHost, pReply] { firstRequestEnded(strHost, pReply); });
    limitConnectTime(pReply);
}

void HttpQueue::limitConnectTime(QNetworkReply *pAttempt)
{
    QTimer::singleShot(HTTP_CONNECT_TIMEOUT_MS, pAttempt, [this, pAttempt] {
        if (!m_hashOpening.contains(pAttempt))
            return;
        pAttempt->setProperty(TIMED_OUT_PROPERTY, true);
        pAttempt->abort();
    });
}

void HttpQueue::connectionEnded(const QString &strHost, QNetworkReply *pAttempt)
{
    m_hashOpening.remove(pAttempt);
    --m_nInFlight;
    m_setBusy.remove(strHost);
    if (pAttempt->error() == QNetworkReply::NoError) {
        m_setOpen.insert(strHost);
        m_listReady.prepend(strHost);
    } else {
        failWaiting(strHost, pAttempt, {});
    }
    pAttempt->deleteLater();
    pump();
    closeConnectionsWhenIdle();
}

// A first request that ended while still opening its connection never left: it ends
// unsent, like the requests waiting behind it.
void HttpQueue::firstRequestEnded(const QString &strHost, QNetworkReply *pReply)
{
    if (!m_hashOpening.contains(pReply)) {
        requestEnded(strHost);
        return;
    }
    const QList<Job_S> listFirst = m_hashOpening.take(pReply);
    --m_nInFlight;
    m_setBusy.remove(strHost);
    failWaiting(strHost, pReply, listFirst);
    pReply->deleteLater();
    pump();
    closeConnectionsWhenIdle();
}

void HttpQueue::requestEnded(const QString &strHost)
{
    --m_nInFlight;
    m_setBusy.remove(strHost);
    if (m_hashWaiting.contains(strHost))
        m_listReady.prepend(strHost);
    pump();
    closeConnectionsWhenIdle();
}

void HttpQueue::failWaiting(const QString &strHost, QNetworkReply *pAttempt, const QList<Job_S> &listFirst)
{
    const bool bTimedOut = pAttempt->property(TIMED_OUT_PROPERTY).toBool();
    const QList<Job_S> listJobs = listFirst + m_hashWaiting.take(strHost);
    for (const Job_S &stJob : listJobs)
        emit sigNotSent(stJob.request.url(), stJob.hashProperties, pAttempt->error(), pAttempt->errorString(), bTimedOut);
}

// Later, from the event loop, so that the replies that just finished are handled first;
// by then new requests may be under way again.
void HttpQueue::closeConnectionsWhenIdle()
{
    if (m_nInFlight != 0)
        return;
    QTimer::singleShot(0, this, [this] {
        if (m_nInFlight != 0 || m_nHostsContacted == 0)
            return;
        m_pManager->clearConnectionCache();
        m_setOpen.clear();
        m_nHostsContacted = 0;
        pump();
    });
}
