#include "site/rebootproof.h"

#include <QHostAddress>

#include "core/nametables.h"
#include "core/recordfields.h"
#include "core/timeunits.h"
#include "net/localaddresses.h"
#include "net/rebootwatch.h"
#include "net/requestoutcome.h"
#include "site/batchrun.h"
#include "site/devicerow.h"
#include "site/devicerowlist.h"
#include "site/journal.h"
#include "site/replymatcher.h"
#include "site/requestledger.h"
#include "site/searchcycle.h"
#include "site/sitenotifier.h"

namespace {

const QString kOrdering = QStringLiteral("written; ordering it to reboot onto %1");
const QString kRebootingOnto = QStringLiteral("rebooting onto %1; asking it every %2 s for up to %3 s");
const QString kDhcpNotFollowed = QStringLiteral("DHCP is on, so its new address is not known: a search will find it");
const QString kOtherSubnet = QStringLiteral("%1 is outside the subnet of %2/%3: this computer may not reach it; "
                                            "search from an address in that subnet to find it");
const QString kBackAt = QStringLiteral("answered at %1 with MAC %2 and the values written");
const QString kBatchNotBack = QStringLiteral("was not seen back: %1");
const QString kRebootRefused = QStringLiteral("the camera refused the reboot order (status %1); the values written wait "
                                              "for its next start");
const QString kRebootFailed = QStringLiteral("the reboot order was not sent: %1");
const QString kRebootOtherCamera = QStringLiteral("another camera (MAC %2) answered at %1");
const QString kRebootUnknown = QStringLiteral("the reboot order left and no answer came: the camera may be rebooting; "
                                              "a search will tell");
const QString kOtherCamera = QStringLiteral("another camera (MAC %1) answers at %2");

} // namespace

RebootProof::RebootProof(DeviceRowList &rows, ReplyMatcher &matcher, RequestLedger &ledger, BatchRun &batch,
                         const SearchCycle &search, SiteNotifier &notifier, QObject *parent)
    : QObject(parent)
    , m_rows(rows)
    , m_matcher(matcher)
    , m_ledger(ledger)
    , m_batch(batch)
    , m_search(search)
    , m_notifier(notifier)
    , m_pWatch(new RebootWatch(this))
{
    connect(m_pWatch, &RebootWatch::sigBack, this, &RebootProof::markBack);
    connect(m_pWatch, &RebootWatch::sigNotSeen, this, &RebootProof::markNotSeen);
    connect(m_pWatch, &RebootWatch::sigOtherCamera, this, &RebootProof::markOtherCamera);
}

void RebootProof::orderReboot(DeviceRow *pRow)
{
    pRow->setState(RowState::Rebooting, kOrdering.arg(pRow->record().strIPAddr));
    emit m_notifier.sigRowChanged(pRow->index());
    m_ledger.beginReboot(pRow->id());
    emit m_notifier.sigDevReboot(pRow->address());
    m_ledger.endSend();
}

void RebootProof::takeRebootEnd(quint64 nRowId, bool bHasStatus, int nStatus, int nOutcome, const QString &strOtherMac)
{
    DeviceRow *pRow = m_rows.find(nRowId);
    if (!pRow)
        return;
    if (bHasStatus && nStatus == ResultSuccess) {
        emit m_notifier.sigWriteEvent(nRowId, int(Journal::Event::Rebooted), QString());
        follow(pRow);
    } else if (bHasStatus) {
        const QString strWhy = kRebootRefused.arg(nStatus);
        endReboot(pRow, RowState::RebootRefused, Journal::Event::RebootRefused, strWhy, BatchRun::Watch::NotBack, strWhy);
    } else if (nOutcome == RequestOutcome::Unknown) {
        endReboot(pRow, RowState::Unknown, Journal::Event::RebootFailed, kRebootUnknown, BatchRun::Watch::Unknown,
                  kRebootUnknown);
    } else {
        const QString strWhy = nOutcome == RequestOutcome::OtherCamera ? kRebootOtherCamera.arg(pRow->address(), strOtherMac)
                                                                        : RequestOutcome::outcomeText(nOutcome);
        endReboot(pRow, RowState::RebootRefused, Journal::Event::RebootFailed, kRebootFailed.arg(strWhy),
                  BatchRun::Watch::NotBack, kRebootFailed.arg(strWhy));
    }
}

void RebootProof::stopAll()
{
    m_pWatch->stopAll();
}

// The camera is seen gone from the address the write went to, the one it is reached at now.
void RebootProof::follow(DeviceRow *pRow)
{
    const DevInfo_S &stSaved = pRow->record();
    const QString strUnwatchable = unwatchableReason(stSaved);
    if (!strUnwatchable.isEmpty()) {
        pRow->setState(RowState::Rebooting, strUnwatchable);
        emit m_notifier.sigRowChanged(pRow->index());
        m_batch.noteWatchEnded(pRow->id(), stSaved.nDhcp > 0 ? BatchRun::Watch::Released : BatchRun::Watch::NotBack,
                               kBatchNotBack.arg(strUnwatchable));
        return;
    }
    pRow->setState(RowState::Rebooting, kRebootingOnto.arg(stSaved.strIPAddr)
                                            .arg(RebootWatch::REBOOT_POLL_INTERVAL_MS / MS_PER_SECOND)
                                            .arg(RebootWatch::REBOOT_WATCH_LIMIT_MS / MS_PER_SECOND));
    emit m_notifier.sigRowChanged(pRow->index());
    m_pWatch->watch(int(pRow->id()), networkFieldsOf(stSaved), pRow->address());
}

QString RebootProof::unwatchableReason(const DevInfo_S &stSaved) const
{
    if (stSaved.nDhcp > 0)
        return kDhcpNotFollowed;
    const QString strFrom = m_search.searchedFrom();
    const int nPrefix = LocalAddresses::prefixLength(strFrom);
    if (nPrefix >= 0 && !QHostAddress(stSaved.strIPAddr).isInSubnet(QHostAddress(strFrom), nPrefix))
        return kOtherSubnet.arg(stSaved.strIPAddr, strFrom).arg(nPrefix);
    return QString();
}

void RebootProof::endReboot(DeviceRow *pRow, RowState state, Journal::Event event, const QString &strWhy,
                            BatchRun::Watch watch, const QString &strBatchWhy)
{
    pRow->setState(state, strWhy);
    emit m_notifier.sigRowChanged(pRow->index());
    emit m_notifier.sigWriteEvent(pRow->id(), int(event), strWhy);
    m_batch.noteWatchEnded(pRow->id(), watch, strBatchWhy);
}

// Whatever was known of the old address no longer concerns the row.
void RebootProof::markBack(int nKey)
{
    DeviceRow *pRow = m_rows.find(quint64(nKey));
    if (!pRow)
        return;
    const QString strNew = pRow->record().strIPAddr;
    if (pRow->address() != strNew)
        pRow->setAddressTip(QString(), false);
    m_rows.moveTo(pRow, strNew);
    m_matcher.noteHttpMac(strNew, pRow->mac());
    pRow->setState(RowState::Back, kBackAt.arg(strNew, pRow->mac()));
    pRow->setLastProof(QDateTime::currentDateTime());
    emit m_notifier.sigRowChanged(pRow->index());
    emit m_notifier.sigWriteEvent(pRow->id(), int(Journal::Event::Back), pRow->reason());
    m_batch.noteWatchEnded(pRow->id(), BatchRun::Watch::Back, QString());
}

void RebootProof::markNotSeen(int nKey, const QString &strReason)
{
    if (DeviceRow *pRow = m_rows.find(quint64(nKey)))
        endReboot(pRow, RowState::NotSeen, Journal::Event::NotSeen, strReason, BatchRun::Watch::NotBack,
                  kBatchNotBack.arg(strReason));
}

void RebootProof::markOtherCamera(int nKey, const QString &strMac)
{
    DeviceRow *pRow = m_rows.find(quint64(nKey));
    if (!pRow)
        return;
    const QString strWhy = kOtherCamera.arg(strMac, pRow->record().strIPAddr);
    endReboot(pRow, RowState::OtherCamera, Journal::Event::OtherCamera, strWhy, BatchRun::Watch::NotBack, strWhy);
}
