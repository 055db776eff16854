#include "net/chttp.h"

#include <QDebug>
#include <QHash>
#include <QMetaEnum>
#include <QNetworkAccessManager>
#include <QNetworkConfiguration>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>

#include "app/mainmodel.h"
#include "core/commonsignal.h"
#include "core/lazyinstance.h"
#include "core/nametables.h"
#include "net/requestoutcome.h"

namespace {

LazyInstance<CHttp> s_instance;

constexpr char CMD_PROPERTY[] = "_cmd";
constexpr char OVERSIZE_PROPERTY[] = "_oversize";
constexpr char REQUEST_PROPERTY[] = "_request";
constexpr int CMD_SET_ENV = 0;
constexpr int TIPS_FAILED = 1;
constexpr int REDIRECT_FIRST = 300;
constexpr int REDIRECT_LAST = 399;

struct Route
{
    int nKind;
    int nFlag;
};

// Command number to the (kind, flag) pair the model's dispatcher chooses its parser by.
const QHash<int, Route> s_hashRoutes = {
    {0, {0, 1}},
    {1, {0, 0}},
    {2, {1, 0}},
    {3, {2, 1}},
};

constexpr int HTTP_ERROR_FIRST = 400;

int httpStatus(const QNetworkReply *pReply)
{
    return pReply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

bool isRedirect(const QNetworkReply *pReply)
{
    const int nStatus = httpStatus(pReply);
    return nStatus >= REDIRECT_FIRST && nStatus <= REDIRECT_LAST;
}

// How a network error reads to someone looking at the camera's row.
RequestOutcome::Outcome outcomeOfError(const QNetworkReply *pReply)
{
    if (httpStatus(pReply) >= HTTP_ERROR_FIRST)
        return RequestOutcome::HttpError;
    switch (pReply->error()) {
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

} // namespace

CHttp::CHttp(QObject *parent)
    : CommunicationInterface(parent)
{
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
    QNetworkAccessManager *pManager = createManager();
    trackReply(pManager->get(prepareRequest(QNetworkRequest(url))), strCmd);
}

void CHttp::httpPost(const QNetworkRequest &request, const QUrlQuery &body, const QString &strCmd)
{
    QNetworkAccessManager *pManager = createManager();
    const QByteArray baBody = body.toString(QUrl::FullyEncoded).toUtf8();
    trackReply(pManager->post(prepareRequest(request), baBody), strCmd);
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

// Qt 5's bearer layer judges "the network" from NetworkManager or the interface list. In a
// container, a network namespace or on a machine without NetworkManager it may find no
// online configuration and fail every request to a non-loopback host at once ("Network
// access is disabled", or a session error "The specified configuration cannot be used").
// A camera on the LAN needs no managed session: the manager gets no bearer configuration
// (so it opens no session) and is told the network is there.
QNetworkAccessManager *CHttp::createManager()
{
    auto *pManager = new QNetworkAccessManager(this);
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    pManager->setConfiguration(QNetworkConfiguration());
    pManager->setNetworkAccessible(QNetworkAccessManager::Accessible);
    QT_WARNING_POP
    return pManager;
}

// A camera that stops answering must not hold its request for good, and a redirect must
// not lead the command elsewhere.
QNetworkRequest CHttp::prepareRequest(const QNetworkRequest &request) const
{
    QNetworkRequest prepared(request);
    prepared.setTransferTimeout(m_nTransferTimeoutMs);
    prepared.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    return prepared;
}

void CHttp::trackReply(QNetworkReply *pReply, const QString &strCmd)
{
    pReply->setProperty(CMD_PROPERTY, strCmd);
    const QString strIp = pReply->url().host(QUrl::FullyDecoded);
    pReply->setProperty(REQUEST_PROPERTY, RequestOutcome::getInstance()->reportStarted(strIp, getCmdIndex(strCmd)));
    limitReplySize(pReply);
    // Every byte that arrives restarts the transfer timeout, so a peer trickling its answer
    // would hold the request for good; no request outlasts the timeout in all either.
    if (m_nTransferTimeoutMs > 0)
        QTimer::singleShot(m_nTransferTimeoutMs, pReply, &QNetworkReply::abort);
    ++m_nPending;
    connect(pReply, &QNetworkReply::finished, this, &CHttp::slotHttpFinished, Qt::QueuedConnection);
}

// Counts the buffered body as it arrives; a device must not make us buffer without bound.
void CHttp::limitReplySize(QNetworkReply *pReply)
{
    connect(pReply, &QNetworkReply::readyRead, pReply, [pReply] {
        if (pReply->bytesAvailable() <= HTTP_MAX_REPLY_BYTES || pReply->property(OVERSIZE_PROPERTY).toBool())
            return;
        pReply->setProperty(OVERSIZE_PROPERTY, true);
        pReply->abort();
    });
}

void CHttp::slotHttpFinished()
{
    auto *pReply = qobject_cast<QNetworkReply *>(sender());
    if (!pReply)
        return;
    const QString strIp = pReply->url().host(QUrl::FullyDecoded);
    const int nCmd = getCmdIndex(pReply->property(CMD_PROPERTY).toString());
    const quint64 nRequest = pReply->property(REQUEST_PROPERTY).toULongLong();
    RequestOutcome *pOutcome = RequestOutcome::getInstance();
    const RequestOutcome::Outcome outcome = logFailure(pReply, strIp);
    if (outcome != RequestOutcome::Answered) {
        handleError(strIp, nCmd);
    } else {
        pOutcome->reportDelivering(nRequest, strIp, nCmd);
        handleReply(pReply->readAll(), strIp, nCmd);
    }
    pOutcome->reportFinished(nRequest, strIp, nCmd, outcome);
    pReply->manager()->deleteLater();
    pReply->deleteLater();
    finishRequest();
}

// Writes the log line of a failed reply and tells how it failed; Answered when it succeeded.
RequestOutcome::Outcome CHttp::logFailure(QNetworkReply *pReply, const QString &strIp) const
{
    const QNetworkReply::NetworkError error = pReply->error();
    if (pReply->property(OVERSIZE_PROPERTY).toBool()) {
        qDebug() << "error:" << "reply body larger than" << HTTP_MAX_REPLY_BYTES << "bytes, aborted" << strIp;
        return RequestOutcome::TooLarge;
    }
    if (error == QNetworkReply::TimeoutError) {
        qDebug() << "errorTimeOut:" << pReply->errorString() << strIp;
    } else if (error == QNetworkReply::OperationCanceledError) {
        // Only the timeouts cancel a reply that we did not abort ourselves.
        qDebug() << "errorTimeOut:" << "no data for" << m_nTransferTimeoutMs << "ms" << pReply->errorString() << strIp;
    } else if (error != QNetworkReply::NoError) {
        qDebug() << "error:" << QMetaEnum::fromType<QNetworkReply::NetworkError>().valueToKey(error)
                 << pReply->errorString() << strIp;
    } else if (isRedirect(pReply)) {
        qDebug() << "error:" << "redirect not followed, HTTP status" << httpStatus(pReply) << strIp;
        return RequestOutcome::Redirected;
    } else {
        return RequestOutcome::Answered;
    }
    return outcomeOfError(pReply);
}

void CHttp::handleReply(const QByteArray &baBody, const QString &strIp, int nCmd)
{
    const auto route = s_hashRoutes.constFind(nCmd);
    if (route != s_hashRoutes.constEnd())
        deliverReply(baBody, route->nKind, route->nFlag, strIp);
}

void CHttp::handleError(const QString &strIp, int nCmd)
{
    if (nCmd == CMD_SET_ENV) {
        emit CommonSignal::getInstance()->sigShowTips(TIPS_FAILED);
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
