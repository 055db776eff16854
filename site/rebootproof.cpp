#include "site/rebootproof.h"

#include <QHostAddress>

#include "core/recordfields.h"
#include "core/timeunits.h"
#include "net/localaddresses.h"
#include "net/rebootwatch.h"
#include "site/batchrun.h"
#include "site/devicerow.h"
#include "site/devicerowlist.h"
#include "site/journal.h"
#include "site/replymatcher.h"
#include "site/searchcycle.h"
#include "site/sitenotifier.h"

namespace {

const QString kRebootingOnto = QStringLiteral("rebooting onto %1; asking it every %2 s for up to %3 s");
const QString kDhcpNotFollowed = QStringLiteral("DHCP is on, so its new address is not known: a search will find it");
const QString kOtherSubnet = QStringLiteral("%1 is outside the subnet of %2/%3: this computer may not reach it; "
                                            "search from an address in that subnet to find it");
const QString kBackAt = QStringLiteral("answered at %1 with MAC %2 and the values written");
const QString kBatchNotBack = QStringLiteral("was not seen back: %1");

} // namespace

RebootProof::RebootProof(DeviceRowList &rows, ReplyMatcher &matcher, BatchRun &batch, const SearchCycle &search,
                         SiteNotifier &notifier, QObject *parent)
    : QObject(parent)
    , m_rows(rows)
    , m_matcher(matcher)
    , m_batch(batch)
    , m_search(search)
    , m_notifier(notifier)
    , m_pWatch(new RebootWatch(this))
{
    connect(m_pWatch, &RebootWatch::sigBack, this, &RebootProof::markBack);
    connect(m_pWatch, &RebootWatch::sigNotSeen, this, &RebootProof::markNotSeen);
}

void RebootProof::follow(DeviceRow *pRow)
{
    const DevInfo_S &stSaved = pRow->record();
    const QString strUnwatchable = unwatchableReason(stSaved);
    if (!strUnwatchable.isEmpty()) {
        pRow->setState(RowState::Rebooting, strUnwatchable);
        emit m_notifier.sigRowChanged(pRow->index());
        m_batch.noteWatchEnded(pRow->id(), false, kBatchNotBack.arg(strUnwatchable));
        return;
    }
    pRow->setState(RowState::Rebooting, kRebootingOnto.arg(stSaved.strIPAddr)
                                            .arg(RebootWatch::REBOOT_POLL_INTERVAL_MS / MS_PER_SECOND)
                                            .arg(RebootWatch::REBOOT_WATCH_LIMIT_MS / MS_PER_SECOND));
    emit m_notifier.sigRowChanged(pRow->index());
    m_pWatch->watch(int(pRow->id()), networkFieldsOf(stSaved));
}

void RebootProof::stopAll()
{
    m_pWatch->stopAll();
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
    m_batch.noteWatchEnded(pRow->id(), true, QString());
}

void RebootProof::markNotSeen(int nKey, const QString &strReason)
{
    DeviceRow *pRow = m_rows.find(quint64(nKey));
    if (!pRow)
        return;
    pRow->setState(RowState::NotSeen, strReason);
    emit m_notifier.sigRowChanged(pRow->index());
    emit m_notifier.sigWriteEvent(pRow->id(), int(Journal::Event::NotSeen), strReason);
    m_batch.noteWatchEnded(pRow->id(), false, kBatchNotBack.arg(strReason));
}
