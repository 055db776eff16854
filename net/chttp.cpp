#include "net/chttp.h"

#include <QDebug>
#include <QHash>
#include <QMetaEnum>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>

#include "app/mainmodel.h"
#include "core/commonsignal.h"
#include "core/lazyinstance.h"
#include "core/nametables.h"
#include "net/checkedwrites.h"
#include "net/commandurl.h"
#include "net/httpqueue.h"
#include "net/httprequestbytes.h"
#include "net/requestoutcome.h"

namespace {

LazyInstance<CHttp> s_instance;

constexpr char CMD_PROPERTY[] = "_cmd";
constexpr char REQUEST_PROPERTY[] = "_request";
constexpr char ASIDE_PROPERTY[] = "_aside";
constexpr char ACCEPT_ENCODING_HEADER[] = "Accept-Encoding";
constexpr char IDENTITY_ENCODING[] = "identity";
// What the network thread may read ahead of this thread; replies are far smaller.
constexpr qint64 READ_BUFFER_BYTES = 64 * 1024;

struct Route
{
    int nKind;
    int nFlag;
};

// Command number to the (kind, flag) pair the model's dispatcher chooses its parser by.
const QHash<int, Route> s_hashRoutes = {
    {CmdSetEnv, {0, 1}},
    {CmdGetEnv, {0, 0}},
    {CmdQueryVersion, {1, 0}},
    {CmdReboot, {2, 1}},
};

int httpStatus(const QNetworkReply *pReply)
{
    return pReply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

bool isRedirect(const QNetworkReply *pReply)
{
    return RequestOutcome::outcomeOfStatus(httpStatus(pReply)) == RequestOutcome::Redirected;
}

// How a network error reads to someone looking at the camera's row.
RequestOutcome::Outcome outcomeOfError(int nStatus, QNetworkReply::NetworkError error)
{
    if (RequestOutcome::outcomeOfStatus(nStatus) == RequestOutcome::HttpError)
        return RequestOutcome::HttpError;
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
        return RequestOutcome::Refused;
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::UnknownNetworkError:
        return RequestOutcome::Unreachable;
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
        return RequestOutcome::TimedOut;
    case QNetworkReply::ProtocolFailure:
    case QNetworkReply::ProtocolUnknownError:
        return RequestOutcome::Unreadable;
    default:
        return RequestOutcome::Failed;
    }
}

QByteArray errorName(int nError)
{
    return QMetaEnum::fromType<QNetworkReply::NetworkError>().valueToKey(nError);
}

// The properties a finished reply carries, as they were given to the queue.
QVariantHash propertiesOf(const QNetworkReply *pReply)
{
    QVariantHash hashProperties;
    for (const char *szName : {CMD_PROPERTY, REQUEST_PROPERTY, ASIDE_PROPERTY}) {
        const QVariant value = pReply->property(szName);
        if (value.isValid())
            hashProperties.insert(QLatin1String(szName), value);
    }
    return hashProperties;
}

} // namespace

CHttp::CHttp(QObject *parent)
    : CommunicationInterface(parent)
    , m_pQueue(new HttpQueue(this))
    , m_pCheckedWrites(new CheckedWrites(this))
    , m_pDeadlineTimer(new QTimer(this))
{
    m_clock.start();
    m_pDeadlineTimer->setSingleShot(true);
    connect(m_pDeadlineTimer, &QTimer::timeout, this, &CHttp::abortOverdue);
    connect(m_pQueue, &HttpQueue::sigSent, this, &CHttp::slotSent);
    connect(m_pQueue, &HttpQueue::sigNotSent, this, &CHttp::slotNotSent, Qt::QueuedConnection);
    connect(m_pCheckedWrites, &CheckedWrites::sigFinished, this, &CHttp::slotCheckedFinished);
}

CHttp *CHttp::getInstance()
{
    return s_instance.get([] { return new CHttp; });
}

void CHttp::destroyInstance()
{
    s_instance.destroy();
}

void CHttp::deliverReply(const QByteArray &baBody, int nKind, int nFlag, const QString &strIp)
{
    if (m_pReceiver)
        m_pReceiver->onReply(baBody, nKind, nFlag, strIp);
}

void CHttp::setReceiver(MainModel *pReceiver)
{
    m_pReceiver = pReceiver;
}

void CHttp::httpGet(const QUrl &url, const QString &strCmd)
{
    m_pQueue->get(prepareRequest(QNetworkRequest(url)), commandProperties(strCmd, takeRequest(url, strCmd)));
}

void CHttp::httpPost(const QNetworkRequest &request, const QUrlQuery &body, const QString &strCmd)
{
    const QByteArray baBody = body.toString(QUrl::FullyEncoded).toUtf8();
    m_pQueue->post(prepareRequest(request), baBody, commandProperties(strCmd, takeRequest(request.url(), strCmd)));
}

void CHttp::httpPostChecked(const QNetworkRequest &request, const QUrlQuery &body, const QString &strCmd,
                            const QString &strMac)
{
    const QUrl url = request.url();
    CheckedWrites::Command_S stCommand;
    stCommand.nRequest = takeRequest(url, strCmd);
    stCommand.strIp = url.host(QUrl::FullyDecoded);
    stCommand.nCmd = getCmdIndex(strCmd);
    stCommand.url = url;
    stCommand.baRequest = HttpRequestBytes::post(prepareRequest(request), body.toString(QUrl::FullyEncoded).toUtf8());
    stCommand.baCheck = HttpRequestBytes::get(prepareRequest(QNetworkRequest(CommandUrl::getEnv(url.authority()))));
    stCommand.strMac = strMac;
    stCommand.nTransferTimeoutMs = m_nTransferTimeoutMs;
    m_pCheckedWrites->send(stCommand);
}

void CHttp::setSharedAddresses(const QSet<QString> &setAddresses)
{
    m_pCheckedWrites->setSharedAddresses(setAddresses);
}

void CHttp::httpGetAside(const QUrl &url, QObject *pContext,
                         std::function<void(RequestOutcome::Outcome, const QByteArray &)> onDone)
{
    const quint64 nAside = ++m_nLastAside;
    m_hashAside.insert(nAside, {pContext, std::move(onDone)});
    m_pQueue->get(prepareRequest(QNetworkRequest(url)), {{QLatin1String(ASIDE_PROPERTY), nAside}});
}

void CHttp::setTransferTimeout(int nTimeoutMs)
{
    m_nTransferTimeoutMs = nTimeoutMs;
}

int CHttp::transferTimeout() const
{
    return m_nTransferTimeoutMs;
}

int CHttp::pendingCount() const
{
    return m_nPending;
}

// A camera that stops answering must not hold its request for good, a redirect must not
// lead the command elsewhere, and a compressed body must not be inflated behind the size
// limit's back.
QNetworkRequest CHttp::prepareRequest(const QNetworkRequest &request) const
{
    QNetworkRequest prepared(request);
    prepared.setTransferTimeout(m_nTransferTimeoutMs);
    prepared.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    prepared.setRawHeader(ACCEPT_ENCODING_HEADER, IDENTITY_ENCODING);
    return prepared;
}

// Counts the request as pending and reports it taken; returns its number.
quint64 CHttp::takeRequest(const QUrl &url, const QString &strCmd)
{
    const quint64 nRequest = RequestOutcome::getInstance()->reportStarted(url.host(QUrl::FullyDecoded), getCmdIndex(strCmd));
    ++m_nPending;
    return nRequest;
}

// What the reply of a queued command will carry.
QVariantHash CHttp::commandProperties(const QString &strCmd, quint64 nRequest)
{
    return {{QLatin1String(CMD_PROPERTY), strCmd}, {QLatin1String(REQUEST_PROPERTY), nRequest}};
}

void CHttp::slotSent(QNetworkReply *pReply)
{
    limitReplySize(pReply);
    limitTransferTime(pReply);
    connect(pReply, &QNetworkReply::finished, this, &CHttp::slotHttpFinished, Qt::QueuedConnection);
}

// Every byte that arrives restarts the transfer timeout, so a peer trickling its answer
// would hold the request for good; no request outlasts the timeout in all either, counted
// from the moment it was sent.
void CHttp::limitTransferTime(QNetworkReply *pReply)
{
    const int nTimeoutMs = pReply->request().transferTimeout();
    if (nTimeoutMs <= 0)
        return;
    const qint64 nDeadlineMs = m_clock.elapsed() + nTimeoutMs;
    m_hashTransfers[pReply].nDeadlineMs = nDeadlineMs;
    m_mapDeadlines.insert(nDeadlineMs, pReply);
    armDeadlineTimer();
}

// The timer waits for the earliest deadline.
void CHttp::armDeadlineTimer()
{
    if (m_mapDeadlines.isEmpty()) {
        m_pDeadlineTimer->stop();
        return;
    }
    const int nWaitMs = int(qMax<qint64>(0, m_mapDeadlines.firstKey() - m_clock.elapsed()));
    if (!m_pDeadlineTimer->isActive() || m_pDeadlineTimer->remainingTime() > nWaitMs)
        m_pDeadlineTimer->start(nWaitMs);
}

// Each overdue reply leaves the map before it is aborted: aborting ends it at once.
void CHttp::abortOverdue()
{
    const qint64 nNowMs = m_clock.elapsed();
    QList<QNetworkReply *> listOverdue;
    while (!m_mapDeadlines.isEmpty() && m_mapDeadlines.firstKey() <= nNowMs)
        listOverdue.append(m_mapDeadlines.take(m_mapDeadlines.firstKey()));
    for (QNetworkReply *pReply : qAsConst(listOverdue))
        pReply->abort();
    armDeadlineTimer();
}

// A finished reply no longer has a deadline; returns what was read of it.
CHttp::Transfer_S CHttp::takeTransfer(QNetworkReply *pReply)
{
    const Transfer_S stTransfer = m_hashTransfers.take(pReply);
    m_mapDeadlines.remove(stTransfer.nDeadlineMs, pReply);
    return stTransfer;
}

// The body is taken out of the reply as it arrives, and the reply's read buffer is bounded:
// the network thread stops reading from the socket while that buffer is full, so an
// oversized or endless body costs no more than the limit and the buffer, however busy this
// thread is. (Taking the bytes out is also what lets the network thread go on: it only
// resumes when the reply's buffer is read.) Bytes that would pass the limit are not taken;
// the request is aborted and what was read is dropped at once.
//
// Qt hands the buffer size to its network thread only once the request has started, and a
// request with a body starts from the event loop, after this call: for those the size is
// given then, or their replies would be read without any bound.
void CHttp::limitReplySize(QNetworkReply *pReply)
{
    const auto bound = [pReply] { pReply->setReadBufferSize(READ_BUFFER_BYTES); };
    if (pReply->operation() == QNetworkAccessManager::PostOperation)
        QMetaObject::invokeMethod(pReply, bound, Qt::QueuedConnection);
    else
        bound();
    connect(pReply, &QNetworkReply::readyRead, this, [this, pReply] {
        Transfer_S &stTransfer = m_hashTransfers[pReply];
        if (stTransfer.bOversize)
            return;
        if (stTransfer.baBody.size() + pReply->bytesAvailable() <= HTTP_MAX_REPLY_BYTES) {
            stTransfer.baBody += pReply->readAll();
            return;
        }
        stTransfer.baBody = QByteArray();
        stTransfer.bOversize = true;
        pReply->abort();
    });
}

void CHttp::slotHttpFinished()
{
    auto *pReply = qobject_cast<QNetworkReply *>(sender());
    if (!pReply)
        return;
    const QString strIp = pReply->url().host(QUrl::FullyDecoded);
    const Transfer_S stTransfer = takeTransfer(pReply);
    QByteArray baBody = stTransfer.baBody;
    const bool bOversize = stTransfer.bOversize || baBody.size() + pReply->bytesAvailable() > HTTP_MAX_REPLY_BYTES;
    const RequestOutcome::Outcome outcome = logFailure(pReply, bOversize, strIp);
    if (outcome == RequestOutcome::Answered)
        baBody += pReply->readAll();
    else
        baBody.clear();
    pReply->deleteLater();
    finish(propertiesOf(pReply), strIp, outcome, baBody);
}

void CHttp::slotNotSent(const QUrl &url, const QVariantHash &hashProperties, int nError, const QString &strError,
                        bool bTimedOut)
{
    const QString strIp = url.host(QUrl::FullyDecoded);
    finish(hashProperties, strIp, logConnectFailure(nError, strError, bTimedOut, strIp), QByteArray());
}

void CHttp::logTooLarge(const QString &strIp)
{
    qDebug() << "error:" << "reply body larger than" << HTTP_MAX_REPLY_BYTES << "bytes, aborted" << strIp;
}

void CHttp::logConnectTimedOut(const QString &strIp)
{
    qDebug() << "errorTimeOut:" << "connection not opened within" << HttpQueue::HTTP_CONNECT_TIMEOUT_MS << "ms" << strIp;
}

// Writes the log line of a failed reply and tells how it failed; Answered when it succeeded.
RequestOutcome::Outcome CHttp::logFailure(QNetworkReply *pReply, bool bOversize, const QString &strIp) const
{
    const QNetworkReply::NetworkError error = pReply->error();
    if (bOversize) {
        logTooLarge(strIp);
        return RequestOutcome::TooLarge;
    }
    if (error == QNetworkReply::TimeoutError) {
        qDebug() << "errorTimeOut:" << pReply->errorString() << strIp;
    } else if (error == QNetworkReply::OperationCanceledError) {
        // Only the timeouts cancel a reply that we did not abort ourselves.
        qDebug() << "errorTimeOut:" << "no data for" << pReply->request().transferTimeout() << "ms"
                 << pReply->errorString() << strIp;
    } else if (error != QNetworkReply::NoError) {
        qDebug() << "error:" << errorName(error) << pReply->errorString() << strIp;
    } else if (isRedirect(pReply)) {
        qDebug() << "error:" << "redirect not followed, HTTP status" << httpStatus(pReply) << strIp;
        return RequestOutcome::Redirected;
    } else {
        return RequestOutcome::Answered;
    }
    return outcomeOfError(httpStatus(pReply), error);
}

// The log line of a request that was never sent, since its host's connection did not open.
RequestOutcome::Outcome CHttp::logConnectFailure(int nError, const QString &strError, bool bTimedOut,
                                                 const QString &strIp)
{
    if (bTimedOut) {
        logConnectTimedOut(strIp);
        return RequestOutcome::TimedOut;
    }
    qDebug() << "error:" << errorName(nError) << strError << strIp;
    return outcomeOfError(0, QNetworkReply::NetworkError(nError));
}

void CHttp::finish(const QVariantHash &hashProperties, const QString &strIp, RequestOutcome::Outcome outcome,
                   const QByteArray &baBody)
{
    const QVariant aside = hashProperties.value(QLatin1String(ASIDE_PROPERTY));
    if (aside.isValid())
        finishAside(aside.toULongLong(), outcome, baBody);
    else
        finishCommand(hashProperties, strIp, outcome, baBody);
}

void CHttp::finishAside(quint64 nAside, RequestOutcome::Outcome outcome, const QByteArray &baBody)
{
    const Aside_S stAside = m_hashAside.take(nAside);
    if (stAside.pContext)
        stAside.onDone(outcome, baBody);
}

void CHttp::finishCommand(const QVariantHash &hashProperties, const QString &strIp, RequestOutcome::Outcome outcome,
                          const QByteArray &baBody)
{
    const int nCmd = getCmdIndex(hashProperties.value(QLatin1String(CMD_PROPERTY)).toString());
    const quint64 nRequest = hashProperties.value(QLatin1String(REQUEST_PROPERTY)).toULongLong();
    RequestOutcome *pOutcome = RequestOutcome::getInstance();
    if (outcome != RequestOutcome::Answered) {
        handleError(strIp, nCmd);
    } else {
        pOutcome->reportDelivering(nRequest, strIp, nCmd);
        handleReply(baBody, strIp, nCmd);
    }
    pOutcome->reportFinished(nRequest, strIp, nCmd, outcome);
    finishRequest();
}

// A command that left without a usable answer, an unreadable one included, may have
// taken effect: it is Unknown, and the view, not the hub, tells what that means.
void CHttp::slotCheckedFinished(quint64 nRequest, const QString &strIp, int nCmd, RequestOutcome::Outcome outcome,
                                const QByteArray &baBody, const QString &strMacSeen)
{
    RequestOutcome *pOutcome = RequestOutcome::getInstance();
    if (outcome == RequestOutcome::Answered) {
        pOutcome->reportDelivering(nRequest, strIp, nCmd);
        handleReply(baBody, strIp, nCmd);
        if (pOutcome->isDeliveringUnreadable())
            outcome = RequestOutcome::Unknown;
    } else if (outcome != RequestOutcome::Unknown) {
        if (outcome == RequestOutcome::OtherCamera)
            pOutcome->reportOtherCamera(nRequest, strIp, strMacSeen);
        handleError(strIp, nCmd);
    }
    pOutcome->reportFinished(nRequest, strIp, nCmd, outcome);
    finishRequest();
}

void CHttp::handleReply(const QByteArray &baBody, const QString &strIp, int nCmd)
{
    const auto route = s_hashRoutes.constFind(nCmd);
    if (route != s_hashRoutes.constEnd())
        deliverReply(baBody, route->nKind, route->nFlag, strIp);
}

void CHttp::handleError(const QString &strIp, int nCmd)
{
    if (nCmd == CmdSetEnv) {
        emit CommonSignal::getInstance()->sigShowTips(ResultFailed);
        return;
    }
    qDebug() << "error ip:" << strIp;
}

void CHttp::finishRequest()
{
    --m_nPending;
    if (m_nPending != 0)
        return;
    qDebug() << "all requests finished, cleanup managers";
    emit CommonSignal::getInstance()->sigGetEnvFinished();
}
