#include "net/commontool.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QThread>
#include <QtEndian>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <iterator>

#include "core/commonsignal.h"
#include "core/devinfo_s.h"
#include "core/lazyinstance.h"
#include "core/nametables.h"
#include "core/versiontext.h"
#include "net/devicesdk.h"
#include "validate/addresscheck.h"

namespace {

LazyInstance<CommonTool> s_instance;

constexpr int kSearchMode = 0;
constexpr int kSearchWaitMs = 1000;
constexpr int kSearchReserved = 0;

// One stored text serves as both user name and password of the version query.
constexpr char kDeviceCredential[] = "quarn";
constexpr int kQueryReserved = 0;
constexpr char kVersionQuery[] = "QueryVersion";
constexpr int kQuerySuccess = 0;
constexpr int kVersionAreaSize = 28;
constexpr int kCamVersionOffset = 4;
constexpr int kAFVersionOffset = 12;
constexpr int kArmVersionOffset = 20;

constexpr quint64 kPortMask = 0xFFFF;
constexpr double kLargestExactInteger = 9007199254740992.0; // 2^53

// Counts callback calls for the log only; the SDK may call from any of its threads.
QAtomicInt s_nCallbackCount;

// How long the shut-down waits for a running SDK search: twice the time the search is
// asked to take, so a search that keeps its time ends within it.
constexpr unsigned long kShutdownWaitMs = 2 * kSearchWaitMs;

// Whether SDK reports may still reach the hub. Plain atomics, not locks: a callback may
// come from an SDK thread at any moment of the shut-down, even while static objects are
// being destroyed, and these stay valid throughout.
std::atomic<bool> s_bAcceptingReports{true};
// Callbacks between their last look at s_bAcceptingReports and the end of their emit.
std::atomic<int> s_nPublishing{0};

// Publishes the record unless the shut-down has begun. A callback that saw the gate open
// is counted until its emit is done, so the shut-down can wait for it to leave.
void publishIfAccepting(const DevInfo_S &stDev)
{
    s_nPublishing.fetch_add(1);
    if (s_bAcceptingReports.load())
        emit CommonSignal::getInstance()->sigSdkUpdateDevInfo(stDev);
    s_nPublishing.fetch_sub(1);
}

// Once no callback is between its look at the gate and its emit, none can publish again.
void closeReportGate()
{
    s_bAcceptingReports.store(false);
    while (s_nPublishing.load() != 0)
        QThread::yieldCurrentThread();
}

// The "stNetInfo" object of a report, empty when the text is not a JSON object with
// non-empty "SapSearch" and "stNetInfo" objects.
QJsonObject reportNetInfo(const char *szReport)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray(szReport), &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return {};
    const QJsonObject sapSearch = document.object().value(QLatin1String("SapSearch")).toObject();
    return sapSearch.value(QLatin1String("stNetInfo")).toObject();
}

DevInfo_S devInfoFromNetInfo(const QJsonObject &netInfo)
{
    DevInfo_S stDev;
    stDev.strIPAddr = netInfo.value(QLatin1String("szIP")).toString();
    stDev.strDns1 = netInfo.value(QLatin1String("szDns1")).toString();
    stDev.strDns2 = netInfo.value(QLatin1String("szDns2")).toString();
    stDev.strGateway = netInfo.value(QLatin1String("szGateway")).toString();
    stDev.strMacAddr = netInfo.value(QLatin1String("szMacAddr")).toString();
    stDev.strSubMask = netInfo.value(QLatin1String("szSubMask")).toString();
    return stDev;
}

// The low 16 bits of an integral "wDataPort"; 0 when it is missing, not a number or too
// large to be held exactly.
int reportPort(const QJsonValue &value)
{
    const double dPort = value.toDouble();
    if (!(std::fabs(dPort) <= kLargestExactInteger))
        return 0;
    return int(quint64(qint64(dPort)) & kPortMask);
}

QString versionAt(const unsigned char *pArea, int nOffset)
{
    return versionText(qFromUnaligned<quint32>(pArea + nOffset));
}

// Asks the parameter library for the three firmware versions; a failed query leaves the
// area zero, which reads as "V0.0.0" for each.
void queryVersions(const QString &strIp, int nPort, DevInfo_S *pDev)
{
    unsigned char area[kVersionAreaSize] = {};
    const QByteArray baIp = strIp.toUtf8();
    const int nResult = DeviceSdk::queryParameter(baIp.constData(), nPort, kDeviceCredential, kDeviceCredential,
                                                  kQueryReserved, kVersionQuery, kVersionAreaSize, area);
    if (nResult != kQuerySuccess)
        std::fill(std::begin(area), std::end(area), 0);
    pDev->strCamVersion = versionAt(area, kCamVersionOffset);
    pDev->strAFVersion = versionAt(area, kAFVersionOffset);
    pDev->strArmVersion = versionAt(area, kArmVersionOffset);
}

} // namespace

void fdQuillSearchCB(int, const char *szReport)
{
    if (!s_bAcceptingReports.load())
        return;
    qDebug() << "fdQuillSearchCB --->" << s_nCallbackCount.fetchAndAddRelaxed(1);
    const QJsonObject netInfo = reportNetInfo(szReport);
    if (netInfo.isEmpty())
        return;
    DevInfo_S stDev = devInfoFromNetInfo(netInfo);
    queryVersions(stDev.strIPAddr, reportPort(netInfo.value(QLatin1String("wDataPort"))), &stDev);
    publishIfAccepting(stDev);
}

// The end of a search is handled in this object's thread, so it belongs to the GUI thread
// even when some other thread happens to ask for it first.
CommonTool::CommonTool(QObject *parent)
    : QObject(parent)
{
    if (const QCoreApplication *pApp = QCoreApplication::instance())
        moveToThread(pApp->thread());
}

CommonTool *CommonTool::getInstance()
{
    return s_instance.get([] { return new CommonTool; });
}

void CommonTool::getDevInfo()
{
    if (m_pSearchThread)
        return;
    s_bAcceptingReports.store(true);
    m_pSearchThread = QThread::create(&CommonTool::runSdkSearch);
    connect(m_pSearchThread.data(), &QThread::finished, this, &CommonTool::finishSdkSearch);
    m_pSearchThread->start();
}

void CommonTool::runSdkSearch()
{
    const int nDevices = DeviceSdk::search(kSearchMode, kSearchWaitMs, &fdQuillSearchCB, kSearchReserved);
    qDebug() << "Devices :" << nDevices;
}

void CommonTool::finishSdkSearch()
{
    if (m_pSearchThread)
        m_pSearchThread->deleteLater();
    if (s_bAcceptingReports.load())
        emit CommonSignal::getInstance()->sigSdkGetInfoFinished();
}

void CommonTool::shutDown()
{
    closeReportGate();
    if (m_pSearchThread && !m_pSearchThread->wait(kShutdownWaitMs))
        qDebug() << "SDK search still running after" << kShutdownWaitMs << "ms at shut-down; left to finish alone";
}

QString CommonTool::getCmdName(int nCmd) const
{
    return ::getCmdName(nCmd);
}

QString CommonTool::getResultName(int nResult) const
{
    return ::getResultName(nResult);
}

int CommonTool::getCmdIndex(const QString &strName) const
{
    return ::getCmdIndex(strName);
}

bool CommonTool::checkIpValid(const QString &strIp) const
{
    return ::checkIpValid(strIp);
}

bool CommonTool::checkMaskValid(const QString &strMask) const
{
    return ::checkMaskValid(strMask);
}

bool CommonTool::isSameSubnet(const QString &strFirst, const QString &strSecond, const QString &strMask) const
{
    return ::isSameSubnet(strFirst, strSecond, strMask);
}
