#include "site/batchassignment.h"

#include <QDebug>

#include "core/toastkind.h"
#include "net/localaddresses.h"
#include "site/batchrun.h"
#include "site/devicerow.h"
#include "site/devicerowlist.h"
#include "site/saveflow.h"
#include "site/sharedaddressrun.h"
#include "site/sitenotifier.h"
#include "validate/addresscheck.h"
#include "validate/contactpolicy.h"

namespace {
const QString kNotFilled = QStringLiteral("its settings have not arrived");
const QString kBatchWriting = QStringLiteral("Batch: writing %1 cameras");
const QString kBatchNote = QStringLiteral("Batch: %1");
const QString kBatchDone = QStringLiteral("Batch done");
const QString kBatchFailed = QStringLiteral("Batch: failures");
const QString kBatchCancelled = QStringLiteral("Batch cancelled");
} // namespace

BatchAssignment::BatchAssignment(DeviceRowList &rows, const ReplyMatcher &matcher, SaveFlow &save, BatchRun &batch,
                                 SiteNotifier &notifier, QObject *parent)
    : QObject(parent)
    , m_rows(rows)
    , m_save(save)
    , m_batch(batch)
    , m_notifier(notifier)
    , m_pShared(new SharedAddressRun(rows, matcher, batch, notifier, this))
{
    connect(m_pShared, &SharedAddressRun::sigFinished, this, &BatchAssignment::finishShared);
    connect(&m_batch, &BatchRun::sigWrite, &m_save, &SaveFlow::sendWrite);
    connect(&m_batch, &BatchRun::sigFinished, this, &BatchAssignment::finish);
    connect(&m_batch, &BatchRun::sigCameraDone, &m_notifier, &SiteNotifier::sigBatchCameraDone);
    connect(&m_batch, &BatchRun::sigSkipped, this, [this](quint64 nRowId) {
        if (DeviceRow *pRow = m_rows.find(nRowId))
            m_save.restore(pRow);
    });
}

BatchAssignment::PlanInput_S BatchAssignment::planFor(const QList<quint64> &listRowIds) const
{
    PlanInput_S stInput;
    for (quint64 nRowId : listRowIds) {
        const DeviceRow *pRow = m_rows.find(nRowId);
        if (!pRow)
            continue;
        const QString strWhy = refusal(pRow);
        if (!strWhy.isEmpty()) {
            stInput.listLeftOut.append({pRow->address(), strWhy});
            continue;
        }
        BatchPlan::Entry_S stEntry;
        stEntry.nRowId = pRow->id();
        stEntry.strMac = pRow->mac();
        stEntry.strCurrent = pRow->address();
        stInput.listCameras.append(stEntry);
    }
    stInput.setHeld = heldAddresses();
    if (const DeviceRow *pFirst = stInput.listCameras.isEmpty() ? nullptr : m_rows.find(stInput.listCameras.first().nRowId)) {
        stInput.strStart = pFirst->address();
        stInput.strMask = pFirst->record().strSubMask;
        stInput.strGateway = pFirst->record().strGateway;
    }
    return stInput;
}

// Every camera of the plan gets its static address (or DHCP), with its own mask and gateway
// or the plan's; each row shows what is being written. A camera whose row has gone (a plan
// of an earlier search) is not written.
void BatchAssignment::start(const QList<BatchPlan::Entry_S> &listEntries, const QString &strMask,
                            const QString &strGateway)
{
    QList<QPair<quint64, DevInfo_S>> listWrites;
    for (const BatchPlan::Entry_S &stEntry : listEntries) {
        DeviceRow *pRow = m_rows.find(stEntry.nRowId);
        if ((stEntry.strNew.isEmpty() && !stEntry.bDhcp) || !pRow) {
            qDebug() << "startBatch: not written, no row or no address:" << stEntry.strCurrent << stEntry.strNew;
            continue;
        }
        DevInfo_S stWrite = pRow->record();
        if (stEntry.bDhcp) {
            stWrite.nDhcp = 1;
        } else {
            stWrite.strIPAddr = stEntry.strNew;
            stWrite.strSubMask = plainMaskText(stEntry.strMask.isEmpty() ? strMask : stEntry.strMask);
            stWrite.strGateway = stEntry.strGateway.isEmpty() ? strGateway : stEntry.strGateway;
            stWrite.nDhcp = 0;
        }
        if (!stEntry.strLabel.isEmpty())
            pRow->setLabel(stEntry.strLabel);
        pRow->showValues({stWrite.strIPAddr, stWrite.strSubMask, stWrite.strGateway, stEntry.bDhcp});
        emit m_notifier.sigRowChanged(pRow->index());
        listWrites.append({pRow->id(), stWrite});
    }
    qDebug() << "startBatch:" << listWrites.size() << "cameras";
    m_strNote = kBatchWriting.arg(listWrites.size());
    m_batch.start(listWrites);
    emit m_notifier.sigSearchStateChanged();
    emit m_notifier.sigStatusChanged();
}

BatchAssignment::PlanInput_S BatchAssignment::planForShared(const QString &strShared) const
{
    PlanInput_S stInput;
    stInput.strShared = strShared;
    for (const DeviceRow *pRow : m_rows.rowsAt(strShared)) {
        BatchPlan::Entry_S stEntry;
        stEntry.nRowId = pRow->id();
        stEntry.strCurrent = strShared;
        stInput.listCameras.append(stEntry);
        if (pRow->isAnswered() && stInput.strMask.isEmpty()) {
            stInput.strMask = pRow->record().strSubMask;
            stInput.strGateway = pRow->record().strGateway;
        }
    }
    stInput.setHeld = heldAddresses();
    stInput.strStart = strShared;
    return stInput;
}

void BatchAssignment::startShared(const QString &strShared, const QList<BatchPlan::Entry_S> &listEntries,
                                  const QString &strMask, const QString &strGateway)
{
    QStringList listPlanned;
    for (const BatchPlan::Entry_S &stEntry : listEntries) {
        if (!stEntry.strNew.isEmpty())
            listPlanned.append(stEntry.strNew);
    }
    qDebug() << "startShared:" << strShared << listPlanned.size() << "addresses";
    m_bSharedRun = true;
    m_pShared->start(strShared, listPlanned, strMask, strGateway);
    emit m_notifier.sigSearchStateChanged();
    emit m_notifier.sigStatusChanged();
}

void BatchAssignment::cancel()
{
    if (m_pShared->isRunning())
        m_pShared->cancel();
    else
        m_batch.cancel();
}

bool BatchAssignment::isRunning() const
{
    return m_batch.isRunning();
}

QString BatchAssignment::note() const
{
    return m_pShared->isRunning() ? m_pShared->progress() : m_strNote;
}

void BatchAssignment::clearNote()
{
    m_strNote.clear();
}

QString BatchAssignment::refusal(const DeviceRow *pRow) const
{
    if (ContactPolicy::mayContact(pRow->address()) && !pRow->isAnswered())
        return kNotFilled;
    return m_save.refusal(pRow);
}

QList<PlanMatch::Camera_S> BatchAssignment::planCameras() const
{
    QList<PlanMatch::Camera_S> listCameras;
    for (const DeviceRow *pRow : m_rows.rows()) {
        if (pRow->isAnswered() && !pRow->mac().isEmpty())
            listCameras.append({pRow->id(), pRow->mac(), pRow->address()});
    }
    return listCameras;
}

QSet<QString> BatchAssignment::heldAddresses() const
{
    QSet<QString> setHeld;
    for (const DeviceRow *pRow : m_rows.rows())
        setHeld << pRow->address() << pRow->record().strIPAddr << pRow->claimedAddress();
    const QStringList listOwn = LocalAddresses::searchable();
    setHeld.unite(QSet<QString>(listOwn.cbegin(), listOwn.cend()));
    setHeld.remove(QString());
    return setHeld;
}

// The end of a shared address's run is told by the run, which knows its cameras by MAC.
void BatchAssignment::finish(const QString &strSummary, bool bFailures)
{
    if (!m_bSharedRun)
        report(strSummary, bFailures, m_batch.wasCancelled());
}

void BatchAssignment::finishShared(const QString &strSummary, bool bFailures)
{
    m_bSharedRun = false;
    report(strSummary, bFailures, false);
}

// A cancel is the user's own choice: only failures make the toast a failure's.
void BatchAssignment::report(const QString &strSummary, bool bFailures, bool bCancelled)
{
    qDebug() << "finishBatch:" << strSummary;
    m_strNote = kBatchNote.arg(strSummary);
    emit m_notifier.sigSearchStateChanged();
    emit m_notifier.sigStatusChanged();
    emit m_notifier.sigBatchFinished(strSummary, bFailures);
    if (bFailures)
        emit m_notifier.sigToast(ToastFailure, kBatchFailed);
    else
        emit m_notifier.sigToast(ToastSuccess, bCancelled ? kBatchCancelled : kBatchDone);
}
