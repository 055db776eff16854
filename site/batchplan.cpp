#include "site/batchplan.h"

#include <QHostAddress>

#include "validate/addresscheck.h"

namespace {
const QString kBadStart = QStringLiteral("the start address %1 cannot be given to a camera");
const QString kBadMask = QStringLiteral("%1 is not a subnet mask");
const QString kGatewayElsewhere = QStringLiteral("the gateway %1 is not in the subnet of %2 with mask %3");
// Addresses looked at in all, far beyond any site.
constexpr int kMaxWalk = 65536;
} // namespace

BatchPlan::BatchPlan(const QList<Entry_S> &listCameras, const QString &strStart, const QString &strMask,
                     const QString &strGateway, const QSet<QString> &setHeld)
    : m_listEntries(listCameras)
{
    m_strError = validate(strStart, strMask, strGateway);
    if (m_strError.isEmpty())
        assign(strStart, strMask, strGateway, setHeld);
}

QString BatchPlan::error() const
{
    return m_strError;
}

QList<BatchPlan::Entry_S> BatchPlan::entries() const
{
    return m_listEntries;
}

QStringList BatchPlan::plannedAddresses() const
{
    QStringList listAddresses;
    for (const Entry_S &stEntry : m_listEntries) {
        if (!stEntry.strNew.isEmpty())
            listAddresses.append(stEntry.strNew);
    }
    return listAddresses;
}

QStringList BatchPlan::skippedAddresses() const
{
    return m_listSkipped;
}

// The same three checks a single save runs, on the start address, and the subnet's own
// network and broadcast addresses, which the address check knows only for a /24.
QString BatchPlan::validate(const QString &strStart, const QString &strMask, const QString &strGateway) const
{
    if (!checkIpValid(strStart))
        return kBadStart.arg(strStart);
    if (!checkMaskValid(strMask))
        return kBadMask.arg(strMask);
    if (!isHostAddressInSubnet(strStart, strMask))
        return kBadStart.arg(strStart);
    if (!isSameSubnet(strGateway, strStart, strMask))
        return kGatewayElsewhere.arg(strGateway, strStart, strMask);
    return QString();
}

// Counts up from the start while the address stays in the gateway's subnet. A valid mask
// never spans the whole address space, so the count leaves the subnet before it wraps; the
// walk is bounded all the same, since a wide subnet may hold long runs the check refuses.
void BatchPlan::assign(const QString &strStart, const QString &strMask, const QString &strGateway,
                       const QSet<QString> &setHeld)
{
    quint32 nNext = QHostAddress(strStart).toIPv4Address();
    int nWalkLeft = kMaxWalk;
    for (Entry_S &stEntry : m_listEntries) {
        while (stEntry.strNew.isEmpty()) {
            const QString strCandidate = QHostAddress(nNext).toString();
            if (!isSameSubnet(strGateway, strCandidate, strMask) || nWalkLeft-- == 0)
                return;
            ++nNext;
            if (setHeld.contains(strCandidate) || strCandidate == strGateway)
                m_listSkipped.append(strCandidate);
            else if (checkIpValid(strCandidate) && isHostAddressInSubnet(strCandidate, strMask))
                stEntry.strNew = strCandidate;
        }
    }
}
