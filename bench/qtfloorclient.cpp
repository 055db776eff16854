#include "bench/qtfloorclient.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>

#include "bench/processstats.h"

QtFloorClient::QtFloorClient(const QStringList &listAddresses, QObject *parent)
    : QObject(parent)
    , m_listAddresses(listAddresses)
    , m_pManager(new QNetworkAccessManager(this))
{
    HttpQueue::openToTheNetwork(m_pManager);
}

QtFloorClient::Result_S QtFloorClient::run(int nTimeoutMs)
{
    const double dCpuStart = ProcessStats::cpuMs();
    const qint64 nStartNs = ProcessStats::monotonicNs();
    QEventLoop loop;
    connect(this, &QtFloorClient::sigDone, &loop, &QEventLoop::quit);
    QTimer::singleShot(nTimeoutMs, &loop, &QEventLoop::quit);
    while (m_nNext < CameraReads::MAX_AT_ONCE && m_nNext < m_listAddresses.size())
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
    const QNetworkRequest request = CameraReads::request(m_listAddresses.at(nCamera), nStep);
    const QByteArray baBody = CameraReads::body(nStep);
    QNetworkReply *pReply = baBody.isEmpty() ? m_pManager->get(request) : m_pManager->post(request, baBody);
    connect(pReply, &QNetworkReply::finished, this, [this, pReply, nCamera, nStep] { takeReply(pReply, nCamera, nStep); });
}

void QtFloorClient::takeReply(QNetworkReply *pReply, int nCamera, int nStep)
{
    pReply->deleteLater();
    const bool bRead = pReply->error() == QNetworkReply::NoError
        && CameraReads::isAnswer(pReply->readAll());
    if (!bRead)
        endCamera(false);
    else if (nStep + 1 < CameraReads::READS)
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
