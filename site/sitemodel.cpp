#include "site/sitemodel.h"

#include <QDebug>

#include "core/nametables.h"
#include "core/searchlimits.h"
#include "site/batchrun.h"
#include "site/devicerow.h"
#include "site/rebootproof.h"
#include "site/saveflow.h"
#include "site/searchcycle.h"
#include "site/sitejournal.h"
#include "site/sitenotifier.h"

namespace {
const QString kBatchRunning = QStringLiteral("A batch assignment is running");
const QString kPlanOpen = QStringLiteral("A batch plan is open");
const QString kWritesInFlight = QStringLiteral("Waiting for the answer to the write to %1");
const QString kAddressSeparator = QStringLiteral(", ");
} // namespace

SiteModel::SiteModel(QObject *parent)
    : QObject(parent)
    , m_pNotifier(new SiteNotifier(this))
    , m_pBatchRun(new BatchRun(this))
{
    m_pSearch = new SearchCycle(m_rows, m_matcher, m_ledger, *m_pNotifier, this);
    m_pProof = new RebootProof(m_rows, m_matcher, m_ledger, *m_pBatchRun, *m_pSearch, *m_pNotifier, this);
    m_pSave = new SaveFlow(m_rows, m_matcher, m_ledger, *m_pBatchRun, *m_pProof, *m_pNotifier, this);
    m_pBatch = new BatchAssignment(m_rows, m_matcher, *m_pSave, *m_pBatchRun, *m_pNotifier, this);
    m_pJournal = new SiteJournal(m_rows, *m_pSearch, *m_pNotifier, this);
}

SiteNotifier *SiteModel::notifier() const
{
    return m_pNotifier;
}

const DeviceRowList &SiteModel::rows() const
{
    return m_rows;
}

void SiteModel::takeSearchResult(const QList<QuillbootSearch_S> &listAnswers)
{
    m_pSearch->takeResult(listAnswers);
}

void SiteModel::takeFirmware(const QString &strIp, const FwVersion_S &stFwVer)
{
    if (dropStaleReply("slotUpdateFwVersion", strIp))
        return;
    if (DeviceRow *pRow = m_matcher.takeFirmware(strIp, stFwVer))
        emit m_pNotifier->sigRowChanged(pRow->index());
}

void SiteModel::takeSettings(const QString &strIp, const EthInfo_S &stEthInfo)
{
    if (dropStaleReply("slotUpdateEthInfo", strIp))
        return;
    notifyChanged(m_matcher.takeSettings(strIp, stEthInfo));
}

void SiteModel::takeWriteStatus(const QString &strIp, int nStatus)
{
    if (dropStaleReply("slotUpdateEthStatus", strIp))
        return;
    m_pSave->takeStatus(strIp, nStatus);
}

void SiteModel::takeSdkReport(const DevInfo_S &stReport)
{
    m_matcher.keepSdkReport(stReport);
}

void SiteModel::takeSdkFinished()
{
    m_pSearch->takeSdkFinished();
}

void SiteModel::noteRequestStarted(quint64 nRequest, int nCmd)
{
    m_ledger.noteStarted(nRequest, nCmd);
}

void SiteModel::noteReplyDelivering(quint64 nRequest)
{
    m_ledger.noteDelivering(nRequest);
}

void SiteModel::noteReplyStatus(quint64 nRequest, int nStatus)
{
    m_ledger.noteStatus(nRequest, nStatus);
}

void SiteModel::noteOtherCamera(quint64 nRequest, const QString &strMac)
{
    m_ledger.noteOtherCamera(nRequest, strMac);
}

// A read that ended without settings says why; a save whose request ended without a status
// did not take, or may have; a reboot order ends the way its status or outcome says.
void SiteModel::noteRequestFinished(quint64 nRequest, const QString &strIp, int nCmd, int nOutcome)
{
    DeviceRow *pRead = m_rows.find(m_ledger.readRow(nRequest));
    if (nCmd == CmdGetEnv && pRead)
        m_pSearch->takeReadOutcome(pRead, nOutcome);
    const quint64 nRebootRow = m_ledger.rebootRow(nRequest);
    int nStatus = 0;
    const bool bHasStatus = m_ledger.statusOf(nRequest, &nStatus);
    const QString strOtherMac = m_ledger.otherCameraOf(nRequest);
    const quint64 nWriteRow = m_ledger.noteFinished(nRequest);
    if (nWriteRow != 0)
        m_pSave->takeUnanswered(nWriteRow, strIp, nOutcome, strOtherMac);
    if (nCmd == CmdReboot && nRebootRow != 0)
        m_pProof->takeRebootEnd(nRebootRow, bHasStatus, nStatus, nOutcome, strOtherMac);
}

bool SiteModel::search(const QString &strLocalIp)
{
    if (m_pSearch->isSearching() || !workUnderWay().isEmpty()) {
        qDebug() << "search refused:" << workUnderWay();
        return false;
    }
    if (m_bPlanOpen) {
        m_bPlanOpen = false;
        emit m_pNotifier->sigPlanDropped();
    }
    m_pSave->reset();
    m_pProof->stopAll();
    m_pBatch->clearNote();
    m_ledger.beginSearch();
    m_matcher.clear();
    m_rows.clear();
    emit m_pNotifier->sigRowsCleared();
    m_pSearch->start(strLocalIp);
    emit m_pNotifier->sigSearchStateChanged();
    return true;
}

bool SiteModel::canSearch() const
{
    return !m_pSearch->isSearching() && !m_bPlanOpen && searchBlocker().isEmpty();
}

QString SiteModel::searchBlocker() const
{
    const QString strWork = workUnderWay();
    return strWork.isEmpty() && m_bPlanOpen ? kPlanOpen : strWork;
}

// A search would end the rows under a write or a batch.
QString SiteModel::workUnderWay() const
{
    if (m_pBatchRun->isRunning())
        return kBatchRunning;
    const QStringList listWrites = m_ledger.pendingSaveAddresses();
    return listWrites.isEmpty() ? QString() : kWritesInFlight.arg(listWrites.join(kAddressSeparator));
}

bool SiteModel::isSearching() const
{
    return m_pSearch->isSearching();
}

bool SiteModel::isListening() const
{
    return m_pSearch->isListening();
}

QString SiteModel::searchedFrom() const
{
    return m_pSearch->searchedFrom();
}

void SiteModel::editAddress(quint64 nRowId, const QString &strAddress)
{
    if (DeviceRow *pRow = m_rows.find(nRowId))
        pRow->editAddress(strAddress);
}

void SiteModel::editMask(quint64 nRowId, const QString &strMask)
{
    if (DeviceRow *pRow = m_rows.find(nRowId))
        pRow->editMask(strMask);
}

void SiteModel::editGateway(quint64 nRowId, const QString &strGateway)
{
    if (DeviceRow *pRow = m_rows.find(nRowId))
        pRow->editGateway(strGateway);
}

void SiteModel::editDhcp(quint64 nRowId, bool bDhcp)
{
    if (DeviceRow *pRow = m_rows.find(nRowId))
        pRow->editDhcp(bDhcp);
}

void SiteModel::askSave(quint64 nRowId)
{
    m_pSave->ask(m_rows.find(nRowId));
}

void SiteModel::confirmSave()
{
    m_pSave->confirm();
}

void SiteModel::cancelRow(quint64 nRowId)
{
    m_pSave->cancel(m_rows.find(nRowId));
}

BatchAssignment::PlanInput_S SiteModel::openPlan(const QList<quint64> &listRowIds)
{
    m_bPlanOpen = true;
    emit m_pNotifier->sigSearchStateChanged();
    return m_pBatch->planFor(listRowIds);
}

BatchAssignment::PlanInput_S SiteModel::openSharedPlan(const QString &strShared)
{
    m_bPlanOpen = true;
    emit m_pNotifier->sigSearchStateChanged();
    return m_pBatch->planForShared(strShared);
}

void SiteModel::startSharedBatch(const QString &strShared, const QList<BatchPlan::Entry_S> &listEntries,
                                 const QString &strMask, const QString &strGateway)
{
    m_bPlanOpen = false;
    m_pBatch->startShared(strShared, listEntries, strMask, strGateway);
}

void SiteModel::closePlan()
{
    if (!m_bPlanOpen)
        return;
    m_bPlanOpen = false;
    emit m_pNotifier->sigSearchStateChanged();
}

void SiteModel::startBatch(const QList<BatchPlan::Entry_S> &listEntries, const QString &strMask,
                           const QString &strGateway)
{
    m_bPlanOpen = false;
    m_pBatch->start(listEntries, strMask, strGateway);
}

QList<PlanMatch::Camera_S> SiteModel::planCameras() const
{
    return m_pBatch->planCameras();
}

QSet<QString> SiteModel::heldAddresses() const
{
    return m_pBatch->heldAddresses();
}

void SiteModel::cancelBatch()
{
    m_pBatch->cancel();
}

bool SiteModel::isBatchRunning() const
{
    return m_pBatch->isRunning();
}

QStringList SiteModel::notes() const
{
    QStringList listNotes;
    for (const QString &strNote : {m_pBatch->note(), m_pJournal->problem()}) {
        if (!strNote.isEmpty())
            listNotes.append(strNote);
    }
    return listNotes;
}

void SiteModel::setJournal(Journal *pJournal)
{
    m_pJournal->setJournal(pJournal);
}

Journal *SiteModel::journal() const
{
    return m_pJournal->journal();
}

SiteSummary_S SiteModel::summary() const
{
    SiteSummary_S stSummary;
    stSummary.nCameras = m_rows.size();
    stSummary.nConflicts = m_matcher.conflicts().sharedAddressCount();
    stSummary.searchedAt = m_pSearch->searchTime();
    stSummary.nCap = m_pSearch->isCapped() ? SEARCH_MAX_RECORDS : 0;
    for (const DeviceRow *pRow : m_rows.rows()) {
        if (pRow->fill() == DeviceRow::Fill::Filled || pRow->fill() == DeviceRow::Fill::Merged)
            ++stSummary.nFilled;
        else if (pRow->state() == RowState::Waiting)
            ++stSummary.nWaiting;
        else if (rowStateIsUnanswered(pRow->state()))
            ++stSummary.nUnanswered;
    }
    return stSummary;
}

bool SiteModel::dropStaleReply(const char *szWhat, const QString &strIp) const
{
    if (!m_ledger.isDeliveringStale())
        return false;
    qDebug() << szWhat << "reply to a request sent before the latest search dropped:" << strIp;
    return true;
}

void SiteModel::notifyChanged(const QList<DeviceRow *> &listRows)
{
    for (const DeviceRow *pRow : listRows)
        emit m_pNotifier->sigRowChanged(pRow->index());
}
