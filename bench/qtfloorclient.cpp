#include "bench/qtfloorclient.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkConfiguration>
#include <QNetworkReply>
#include <QTimer>
#include <QUrlQuery>

#include "bench/processstats.h"
#include "net/commandurl.h"

namespace {

// What the program's client puts on its two reads (net/chttp.cpp, net/modifymodel.cpp).
constexpr char kQueryVersionJson[] = R"({"QueryState":{"QueryVersion":{}}})";
constexpr char kFormType[] = "application/x-www-form-urlencoded";
constexpr char kAcceptEncoding[] = "Accept-Encoding";
constexpr char kIdentity[] = "identity";
constexpr char kValueKey[] = "stValue";
constexpr int kSteps = 2;

} // namespace

// The manager is set up as the program's queue sets it up (net/httpqueue.cpp), or a
// network namespace would leave it without a network.
QtFloorClient::QtFloorClient(const QStringList &listAddresses, QObject *parent)
    : QObject(parent)
    , m_listAddresses(listAddresses)
    , m_pManager(new QNetworkAccessManager(this))
{
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    m_pManager->setConfiguration(QNetworkConfiguration());
    m_pManager->setNetworkAccessible(QNetworkAccessManager::Accessible);
    QT_WARNING_POP
}

QtFloorClient::Result_S QtFloorClient::run(int nTimeoutMs)
{
    const double dCpuStart = ProcessStats::cpuMs();
    const qint64 nStartNs = ProcessStats::monotonicNs();
    QEventLoop loop;
    connect(this, &QtFloorClient::sigDone, &loop, &QEventLoop::quit);
    QTimer::singleShot(nTimeoutMs, &loop, &QEventLoop::quit);
    while (m_nNext < MAX_CAMERAS && m_nNext < m_listAddresses.size())
        askNext();
    if (m_nEnded < m_listAddresses.size())
        loop.exec();
    m_stResult.nFailed = m_listAddresses.size() - m_stResult.nAnswered;
    m_stResult.dWallMs = double(ProcessStats::monotonicNs() - nStartNs) / ProcessStats::kNsPerMs;
    m_stResult.dCpuMs = ProcessStats::cpuMs() - dCpuStart;
    return m_stResult;
}

void QtFloorClient::askNext()
{
    if (m_nNext < m_listAddresses.size())
        sendStep(m_nNext++, 0);
}

void QtFloorClient::sendStep(int nCamera, int nStep)
{
    const QString &strIp = m_listAddresses.at(nCamera);
    QNetworkReply *pReply = nullptr;
    if (nStep == 0) {
        QNetworkRequest request(CommandUrl::plain(strIp));
        request.setHeader(QNetworkRequest::ContentTypeHeader, QLatin1String(kFormType));
        request.setRawHeader(kAcceptEncoding, kIdentity);
        QUrlQuery body;
        body.addQueryItem(CommandUrl::commandField(), QLatin1String(kQueryVersionJson));
        pReply = m_pManager->post(request, body.toString(QUrl::FullyEncoded).toUtf8());
    } else {
        QNetworkRequest request(CommandUrl::getEnv(strIp));
        request.setRawHeader(kAcceptEncoding, kIdentity);
        pReply = m_pManager->get(request);
    }
    connect(pReply, &QNetworkReply::finished, this, [this, pReply, nCamera, nStep] { takeReply(pReply, nCamera, nStep); });
}

void QtFloorClient::takeReply(QNetworkReply *pReply, int nCamera, int nStep)
{
    pReply->deleteLater();
    const bool bRead = pReply->error() == QNetworkReply::NoError
        && !QJsonDocument::fromJson(pReply->readAll()).object().value(QLatin1String(kValueKey)).toObject().isEmpty();
    if (!bRead)
        endCamera(false);
    else if (nStep + 1 < kSteps)
        sendStep(nCamera, nStep + 1);
    else
        endCamera(true);
}

void QtFloorClient::endCamera(bool bAnswered)
{
    m_stResult.nAnswered += bAnswered ? 1 : 0;
    ++m_nEnded;
    askNext();
    if (m_nEnded == m_listAddresses.size())
        emit sigDone();
}
