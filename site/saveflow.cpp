#include "site/saveflow.h"

#include <QDebug>

#include "core/nametables.h"
#include "core/recordfields.h"
#include "core/toastkind.h"
#include "net/commontool.h"
#include "net/requestoutcome.h"
#include "site/batchrun.h"
#include "site/devicerow.h"
#include "site/devicerowlist.h"
#include "site/journal.h"
#include "site/rebootproof.h"
#include "site/replymatcher.h"
#include "site/requestledger.h"
#include "site/sitenotifier.h"
#include "validate/addresscheck.h"
#include "validate/contactpolicy.h"

namespace {

const QString kSaveQuestion = QStringLiteral("Are you sure to save the changes and reboot the camera now?");

// A refused save: the toast holds two short lines at most, the "Save" button's tooltip says why.
struct Refusal_S
{
    QString strToast;
    QString strWhy;
};
const Refusal_S kMergedRefusal = {QStringLiteral("Shared address"),
                                  QStringLiteral("This camera shares its address; change the other camera first")};
const Refusal_S kUnreachedRefusal = {
    QStringLiteral("Not reachable"),
    QStringLiteral("HTTP does not reach this answer: another device answers at its address; change that one first")};
const Refusal_S kAmbiguousRefusal = {
    QStringLiteral("Address in doubt"),
    QStringLiteral("Several cameras answer HTTP at this address in turn; a write could reach any of them")};
const Refusal_S kInFlightRefusal = {QStringLiteral("Still writing"),
                                    QStringLiteral("A write to this camera is still in flight; wait for its result")};
const Refusal_S kNoContactRefusal = {QStringLiteral("Never contacted"),
                                     QStringLiteral("This address is never contacted: %1")};

const QString kWriting = QStringLiteral("writing %1 to the camera");
const QString kWriteRefused = QStringLiteral("the camera refused the write (status %1)");
const QString kWriteFailed = QStringLiteral("the write failed: %1");
const QString kBatchRefused = QStringLiteral("refused the write (status %1)");
const QString kBatchNoAnswer = QStringLiteral("did not answer the write (%1)");
const QString kStatusDetail = QStringLiteral("status %1");
const QString kWriteUnknown = QStringLiteral("the write left and no answer came: the camera may have taken the values; "
                                             "a search will tell");
const QString kBatchUnknown = QStringLiteral("did not answer the write after it left");
const QString kUnknownToast = QStringLiteral("Outcome unknown");
const QString kOtherCamera = QStringLiteral("another camera (MAC %2) answered at %1: nothing was written");
const QString kOtherCameraToast = QStringLiteral("Another camera");
const QString kNotHostToast = QStringLiteral("Not a host address");

// The record a cancel or an answered save leaves behind.
DevInfo_S resetDevInfo()
{
    DevInfo_S stDevInfo;
    stDevInfo.nPort = -1;
    stDevInfo.nDhcp = 0;
    return stDevInfo;
}

void logRecord(const DevInfo_S &stRecord)
{
    qDebug() << "DevIP:" << stRecord.strIp << "DevPORT:" << stRecord.nPort;
    qDebug() << "IP:" << stRecord.strIPAddr << "Mask:" << stRecord.strSubMask << "GW:" << stRecord.strGateway
             << "MAC:" << stRecord.strMacAddr << "DHCP:" << stRecord.nDhcp << "DNS1:" << stRecord.strDns1
             << "DNS2:" << stRecord.strDns2;
    qDebug() << "CAM:" << stRecord.strCamVersion << "ARM:" << stRecord.strArmVersion << "AF:" << stRecord.strAFVersion;
}

} // namespace

SaveFlow::SaveFlow(DeviceRowList &rows, const ReplyMatcher &matcher, RequestLedger &ledger, BatchRun &batch,
                   RebootProof &proof, SiteNotifier &notifier, QObject *parent)
    : QObject(parent)
    , m_rows(rows)
    , m_matcher(matcher)
    , m_ledger(ledger)
    , m_batch(batch)
    , m_proof(proof)
    , m_notifier(notifier)
    , m_stQuestion(resetDevInfo())
{
}

void SaveFlow::ask(DeviceRow *pRow)
{
    if (pRow) {
        if (refuse(pRow))
            return;
        m_nQuestionRow = pRow->id();
        m_stQuestion = collect(pRow);
        qDebug() << "slotSave -->" << pRow->index();
        logRecord(m_stQuestion);
    }
    emit m_notifier.sigQuestion(kSaveQuestion);
}

// The answers may have changed while the question was open, so the row is judged again.
void SaveFlow::confirm()
{
    DeviceRow *pRow = m_rows.find(m_nQuestionRow);
    if (pRow && refuse(pRow))
        return;
    if (!checkQuestionValues()) {
        emit m_notifier.sigToast(ToastFailure, getResultName(ResultFormError));
        return;
    }
    if (!isHostAddressInSubnet(m_stQuestion.strIPAddr, m_stQuestion.strSubMask)) {
        emit m_notifier.sigToast(ToastFailure, kNotHostToast);
        return;
    }
    send();
}

void SaveFlow::cancel(DeviceRow *pRow)
{
    if (pRow)
        restore(pRow);
    m_stQuestion = resetDevInfo();
}

void SaveFlow::restore(DeviceRow *pRow)
{
    pRow->showValues(pRow->storedValues());
    emit m_notifier.sigRowChanged(pRow->index());
}

void SaveFlow::reset()
{
    m_stQuestion = resetDevInfo();
    m_nQuestionRow = 0;
}

void SaveFlow::sendWrite(quint64 nRowId, const DevInfo_S &stSent)
{
    if (DeviceRow *pRow = m_rows.find(nRowId)) {
        m_ledger.beginSave(nRowId, stSent);
        pRow->setClaimedAddress(stSent.strIPAddr);
        setState(pRow, RowState::Saving, kWriting.arg(stSent.strIPAddr));
        emit m_notifier.sigWriteSent(nRowId, stSent);
    }
    emit m_notifier.sigSetEthInfo(stSent.strIp, networkFieldsOf(stSent));
    m_ledger.endSend();
    emit m_notifier.sigSearchStateChanged();
}

// A batch tells its outcome once, at the end, instead of a toast per camera.
void SaveFlow::takeStatus(const QString &strIp, int nStatus)
{
    quint64 nRowId = m_ledger.deliveringSaveRow();
    if (nRowId == 0)
        nRowId = m_ledger.pendingSaveRow(strIp);
    DeviceRow *pRow = m_rows.find(nRowId);
    const bool bWritten = nStatus == ResultSuccess;
    const bool bBatch = pRow && m_batch.isBusyWith(pRow->id());
    qDebug() << "slotUpdateEthStatus ---> " << strIp << nStatus;
    if (!bBatch)
        emit m_notifier.sigToast(bWritten ? ToastSuccess : ToastFailure,
                                 getResultName(bWritten ? ResultSuccess : ResultFailed));
    if (!pRow) {
        if (bWritten)
            emit m_notifier.sigDevReboot(strIp);
        return;
    }
    settle(pRow, bWritten ? Settled::Written : Settled::NotWritten);
    emit m_notifier.sigWriteEvent(pRow->id(), int(bWritten ? Journal::Event::Written : Journal::Event::Refused),
                                  kStatusDetail.arg(nStatus));
    if (bBatch)
        endBatchWrite(pRow, bWritten ? BatchRun::Write::Written : BatchRun::Write::NotWritten,
                      kBatchRefused.arg(nStatus));
    if (bWritten)
        m_proof.orderReboot(pRow);
    else
        setState(pRow, RowState::NotWritten, kWriteRefused.arg(nStatus));
}

// The network failures have already been shown through the hub. Once the write's bytes have
// left, no answer does not mean not written: the camera may have taken the values.
void SaveFlow::takeUnanswered(quint64 nRowId, const QString &strIp, int nOutcome, const QString &strOtherMac)
{
    DeviceRow *pRow = m_rows.find(nRowId);
    if (!pRow)
        return;
    const QString strOutcome = RequestOutcome::outcomeText(nOutcome);
    qDebug() << "slotRequestFinished: the write to" << strIp << "ended without a status:" << strOutcome;
    const bool bBatch = m_batch.isBusyWith(nRowId);
    if (nOutcome == RequestOutcome::Unknown) {
        settle(pRow, Settled::Unknown);
        emit m_notifier.sigWriteEvent(nRowId, int(Journal::Event::Unknown), strOutcome);
        setState(pRow, RowState::Unknown, kWriteUnknown);
        if (bBatch)
            endBatchWrite(pRow, BatchRun::Write::Unknown, kBatchUnknown);
        else
            emit m_notifier.sigToast(ToastFailure, kUnknownToast);
        return;
    }
    const QString strWhy = nOutcome == RequestOutcome::OtherCamera ? kOtherCamera.arg(strIp, strOtherMac)
                                                                    : kWriteFailed.arg(strOutcome);
    settle(pRow, Settled::NotWritten);
    emit m_notifier.sigWriteEvent(nRowId, int(Journal::Event::Failed), strWhy);
    setState(pRow, RowState::NotWritten, strWhy);
    if (bBatch)
        endBatchWrite(pRow, BatchRun::Write::NotWritten, nOutcome == RequestOutcome::OtherCamera ? strWhy : kBatchNoAnswer.arg(strOutcome));
    else if (nOutcome == RequestOutcome::OtherCamera)
        emit m_notifier.sigToast(ToastFailure, kOtherCameraToast);
    else if (nOutcome == RequestOutcome::Answered || nOutcome == RequestOutcome::Unreadable)
        emit m_notifier.sigToast(ToastFailure, getResultName(ResultFailed));
}

QString SaveFlow::refusal(const DeviceRow *pRow, QString *pToast) const
{
    const QString strNoContact = ContactPolicy::refusalReason(pRow->address());
    const AddressConflicts &conflicts = m_matcher.conflicts();
    Refusal_S stRefusal;
    if (!strNoContact.isEmpty())
        stRefusal = {kNoContactRefusal.strToast, kNoContactRefusal.strWhy.arg(strNoContact)};
    else if (pRow->fill() == DeviceRow::Fill::Unreached)
        stRefusal = kUnreachedRefusal;
    else if (pRow->fill() == DeviceRow::Fill::Merged)
        stRefusal = kMergedRefusal;
    else if (m_ledger.hasPendingSave(pRow->id()) || m_batch.isBusyWith(pRow->id()))
        stRefusal = kInFlightRefusal;
    else if (!conflicts.reachesOnly(pRow->address(), pRow->mac()))
        stRefusal = conflicts.httpMacs(pRow->address()).size() > 1 ? kAmbiguousRefusal : kMergedRefusal;
    if (pToast)
        *pToast = stRefusal.strToast;
    return stRefusal.strWhy;
}

// Shows why a save of the row would be unsafe, if it would; true when it is refused.
bool SaveFlow::refuse(DeviceRow *pRow)
{
    QString strToast;
    const QString strWhy = refusal(pRow, &strToast);
    pRow->setSaveTip(strWhy);
    emit m_notifier.sigRowChanged(pRow->index());
    if (strToast.isEmpty())
        return false;
    qDebug() << "slotSave -->" << pRow->index() << "refused:" << strWhy;
    emit m_notifier.sigToast(ToastFailure, strToast);
    return true;
}

// The record that is saved: the camera's own, with the address, mask, gateway and DHCP the
// row shows.
DevInfo_S SaveFlow::collect(const DeviceRow *pRow) const
{
    qDebug() << "completeDevInfo >> " << pRow->index() << pRow->address();
    DevInfo_S stRecord = pRow->record();
    const DeviceRow::Shown_S &stShown = pRow->shown();
    stRecord.strIPAddr = stShown.strAddress;
    stRecord.strSubMask = stShown.strMask;
    stRecord.strGateway = stShown.strGateway;
    stRecord.nDhcp = stShown.bDhcp ? 1 : 0;
    return stRecord;
}

bool SaveFlow::checkQuestionValues() const
{
    CommonTool *pTool = CommonTool::getInstance();
    return pTool->checkIpValid(m_stQuestion.strIPAddr) && pTool->checkMaskValid(m_stQuestion.strSubMask)
        && pTool->isSameSubnet(m_stQuestion.strGateway, m_stQuestion.strIPAddr, m_stQuestion.strSubMask);
}

// The mask goes out in the plain form every camera reads, and the row shows what was sent.
void SaveFlow::send()
{
    DevInfo_S stSent = m_stQuestion;
    stSent.strSubMask = plainMaskText(stSent.strSubMask);
    DeviceRow *pRow = m_rows.find(m_nQuestionRow);
    if (pRow && pRow->shown().strMask != stSent.strSubMask) {
        pRow->editMask(stSent.strSubMask);
        emit m_notifier.sigRowChanged(pRow->index());
    }
    m_stQuestion = resetDevInfo();
    m_nQuestionRow = 0;
    sendWrite(pRow ? pRow->id() : 0, stSent);
}

// A refused or failed write leaves the camera as it was, so the stored record stays what
// "Cancel" must put back; a write whose outcome is unknown keeps its address claimed.
void SaveFlow::settle(DeviceRow *pRow, Settled settled)
{
    const DevInfo_S stSaved = m_ledger.takePendingSave(pRow->id());
    if (settled == Settled::Written)
        pRow->record() = stSaved;
    else if (settled == Settled::NotWritten)
        pRow->setClaimedAddress(QString());
    emit m_notifier.sigSearchStateChanged();
}

// The plan's values were shown in the row; a camera that did not take them keeps its own.
void SaveFlow::endBatchWrite(DeviceRow *pRow, BatchRun::Write write, const QString &strWhy)
{
    m_batch.noteWriteEnded(pRow->id(), write, strWhy);
    if (write == BatchRun::Write::NotWritten)
        restore(pRow);
}

void SaveFlow::setState(DeviceRow *pRow, RowState state, const QString &strReason)
{
    pRow->setState(state, strReason);
    emit m_notifier.sigRowChanged(pRow->index());
}
