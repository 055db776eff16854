#include "site/sharedaddressrun.h"

#include <QDebug>
#include <QTimer>

#include <algorithm>

#include "core/recordfields.h"
#include "core/timeunits.h"
#include "net/chttp.h"
#include "net/commandurl.h"
#include "net/ethsettingsjson.h"
#include "site/batchrun.h"
#include "site/devicerow.h"
#include "site/devicerowlist.h"
#include "site/replymatcher.h"
#include "site/sitenotifier.h"
#include "validate/addresscheck.h"

namespace {

const QString kProgress = QStringLiteral("Readdressing the cameras at %1: %2 of %3 readdressed");
const QString kWriting = QStringLiteral("; writing %1 to %2");
const QString kWaiting = QStringLiteral("; waiting for the address to pass to the next camera (%1 s)");
const QString kTurnWaiting = QStringLiteral("waiting its turn at %1");
const QString kSummary = QStringLiteral("%1 of %2 cameras at %3 readdressed");
const QString kCamera = QStringLiteral("%1 to %2: %3");
const QString kNeverAnswered = QStringLiteral("%1 planned addresses not given: no camera answered for them (%2)");
const QString kStillAnswers = QStringLiteral("the address still answered when the plan ran out");
const QString kStopped = QStringLiteral("the address stopped answering");
const QString kOnlyHandled = QStringLiteral("only cameras already handled answered");
const QString kCancelled = QStringLiteral("cancelled");
const QString kPlanDone = QStringLiteral("every planned address was given");
const QString kSeparator = QStringLiteral("; ");
const QString kListSeparator = QStringLiteral(", ");

} // namespace

SharedAddressRun::SharedAddressRun(DeviceRowList &rows, const ReplyMatcher &matcher, BatchRun &batch,
                                   SiteNotifier &notifier, QObject *parent)
    : QObject(parent)
    , m_rows(rows)
    , m_matcher(matcher)
    , m_batch(batch)
    , m_notifier(notifier)
{
    connect(&m_notifier, &SiteNotifier::sigBatchCameraDone, this, &SharedAddressRun::cameraDone);
}

void SharedAddressRun::start(const QString &strShared, const QStringList &listPlanned, const QString &strMask,
                             const QString &strGateway)
{
    m_strShared = strShared;
    m_listPlanned = listPlanned;
    m_strMask = plainMaskText(strMask);
    m_strGateway = strGateway;
    m_hashCameras.clear();
    m_listOrder.clear();
    m_setHandled.clear();
    m_nUnderWay = 0;
    m_bRunning = true;
    m_bCancelled = false;
    m_bStillAnswers = false;
    for (DeviceRow *pRow : m_rows.rowsAt(strShared)) {
        pRow->setState(RowState::Waiting, kTurnWaiting.arg(strShared));
        emit m_notifier.sigRowChanged(pRow->index());
    }
    allowFreshConnections(true);
    m_batch.open();
    m_waited.start();
    ask();
}

void SharedAddressRun::cancel()
{
    if (!m_bRunning)
        return;
    m_bCancelled = true;
    if (m_nUnderWay == 0)
        finish(kCancelled);
}

bool SharedAddressRun::isRunning() const
{
    return m_bRunning;
}

QString SharedAddressRun::progress() const
{
    QString strProgress = kProgress.arg(m_strShared).arg(readdressedCount()).arg(m_listPlanned.size());
    if (m_nUnderWay != 0)
        return strProgress + kWriting.arg(m_hashCameras.value(m_nUnderWay).strNew, m_hashCameras.value(m_nUnderWay).strMac);
    return strProgress + kWaiting.arg(m_waited.elapsed() / MS_PER_SECOND);
}

int SharedAddressRun::readdressedCount() const
{
    return int(std::count_if(m_hashCameras.cbegin(), m_hashCameras.cend(),
                             [](const Camera_S &stCamera) { return stCamera.bSucceeded; }));
}

void SharedAddressRun::setHandoverWait(int nWaitMs)
{
    m_nWaitMs = nWaitMs;
}

void SharedAddressRun::ask()
{
    if (!m_bRunning || m_nUnderWay != 0)
        return;
    const quint64 nGeneration = ++m_nGeneration;
    CHttp::getInstance()->httpGetAside(CommandUrl::getEnv(m_strShared), this,
                                       [this, nGeneration](RequestOutcome::Outcome outcome, const QByteArray &baBody) {
                                           if (nGeneration == m_nGeneration)
                                               judge(outcome, baBody);
                                       });
    emit m_notifier.sigStatusChanged();
}

void SharedAddressRun::judge(RequestOutcome::Outcome outcome, const QByteArray &baBody)
{
    EthInfo_S stSeen;
    if (m_bCancelled) {
        finish(kCancelled);
    } else if (outcome != RequestOutcome::Answered || !EthSettingsJson::readGetEnv(baBody, &stSeen)) {
        keepWaiting(kStopped);
    } else if (m_setHandled.contains(stSeen.strMacAddr.toUpper())) {
        keepWaiting(kOnlyHandled);
    } else if (m_listOrder.size() >= m_listPlanned.size()) {
        m_bStillAnswers = true;
        finish(kPlanDone);
    } else {
        takeCamera(stSeen);
    }
}

// The camera that answered gets the next planned address, in the next row of the address not
// yet given to a camera of this run; a box with more cameras than answers gets new rows.
void SharedAddressRun::takeCamera(const EthInfo_S &stSeen)
{
    DeviceRow *pRow = m_rows.find(freeRow());
    copyNetworkFields(stSeen, pRow->record());
    pRow->setFill(DeviceRow::Fill::Filled);
    DevInfo_S stWrite = pRow->record();
    stWrite.strIPAddr = m_listPlanned.at(m_listOrder.size());
    stWrite.strSubMask = m_strMask;
    stWrite.strGateway = m_strGateway;
    stWrite.nDhcp = 0;
    pRow->showValues({stWrite.strIPAddr, m_strMask, m_strGateway, false});
    emit m_notifier.sigRowChanged(pRow->index());
    m_setHandled.insert(stSeen.strMacAddr.toUpper());
    m_listOrder.append(pRow->id());
    m_hashCameras.insert(pRow->id(), {stSeen.strMacAddr, stWrite.strIPAddr, false, false, QString()});
    m_nUnderWay = pRow->id();
    qDebug() << "SharedAddressRun:" << stSeen.strMacAddr << "at" << m_strShared << "gets" << stWrite.strIPAddr;
    m_batch.add(pRow->id(), stWrite);
}

quint64 SharedAddressRun::freeRow()
{
    const QList<DeviceRow *> listRows = m_rows.rowsAt(m_strShared);
    for (const DeviceRow *pRow : listRows) {
        if (!m_hashCameras.contains(pRow->id()))
            return pRow->id();
    }
    const int nPort = listRows.isEmpty() ? 0 : listRows.first()->record().nPort;
    DeviceRow *pRow = m_rows.append(m_strShared, nPort);
    emit m_notifier.sigRowsAppended(pRow->index(), 1);
    return pRow->id();
}

// The next camera answers only once the one just readdressed has left the address.
void SharedAddressRun::cameraDone(quint64 nRowId, bool bSucceeded, const QString &strWhat)
{
    if (!m_bRunning || nRowId != m_nUnderWay)
        return;
    Camera_S &stCamera = m_hashCameras[nRowId];
    stCamera.bDone = true;
    stCamera.bSucceeded = bSucceeded;
    stCamera.strWhat = strWhat;
    m_nUnderWay = 0;
    if (m_bCancelled) {
        finish(kCancelled);
        return;
    }
    m_waited.start();
    ask();
}

void SharedAddressRun::keepWaiting(const QString &strWhy)
{
    if (m_waited.elapsed() >= m_nWaitMs) {
        finish(strWhy);
        return;
    }
    QTimer::singleShot(ASK_INTERVAL_MS, this, &SharedAddressRun::ask);
    emit m_notifier.sigStatusChanged();
}

void SharedAddressRun::finish(const QString &strWhy)
{
    if (!m_bRunning)
        return;
    m_bRunning = false;
    ++m_nGeneration;
    allowFreshConnections(false);
    const QString strSummary = summary(strWhy);
    qDebug() << "SharedAddressRun:" << strSummary;
    m_batch.close();
    const bool bFailures = std::any_of(m_hashCameras.cbegin(), m_hashCameras.cend(),
                                       [](const Camera_S &stCamera) { return !stCamera.bSucceeded; });
    emit sigFinished(strSummary, bFailures || m_listOrder.size() < m_listPlanned.size());
}

// "18 of 20 cameras at 192.168.1.108 readdressed; 02:...:01 to 10.0.0.11: back at its new
// address; ...; 2 planned addresses not given: ...".
QString SharedAddressRun::summary(const QString &strWhy) const
{
    QStringList listParts{kSummary.arg(readdressedCount()).arg(m_listPlanned.size()).arg(m_strShared)};
    for (quint64 nRowId : m_listOrder) {
        const Camera_S &stCamera = m_hashCameras.value(nRowId);
        listParts.append(kCamera.arg(stCamera.strMac, stCamera.strNew, stCamera.strWhat));
    }
    const int nNotGiven = m_listPlanned.size() - m_listOrder.size();
    if (nNotGiven > 0)
        listParts.append(kNeverAnswered.arg(nNotGiven).arg(strWhy));
    if (m_bStillAnswers)
        listParts.append(kStillAnswers);
    return listParts.join(kSeparator);
}

// Every camera of the box may take any planned address: a write that lands on a fresh
// connection at this address is allowed while the run lasts.
void SharedAddressRun::allowFreshConnections(bool bAllow) const
{
    QSet<QString> setShared = m_matcher.conflicts().sharedAddresses();
    if (bAllow)
        setShared.remove(m_strShared);
    CHttp::getInstance()->setSharedAddresses(setShared);
}
