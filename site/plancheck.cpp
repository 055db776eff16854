#include "site/plancheck.h"

#include <algorithm>
#include <iterator>

#include "net/addressprobe.h"
#include "site/macaddress.h"
#include "site/sitemodel.h"

namespace {
const QString kDhcpWanted = QStringLiteral("DHCP");
const QString kNoCamera = QStringLiteral("no camera with this MAC answered the search");
const QString kManyCameras = QStringLiteral("%1 cameras answer with this MAC");
} // namespace

PlanCheck::PlanCheck(SiteModel *pSite, QObject *parent)
    : QObject(parent)
    , m_pSite(pSite)
    , m_pProbe(new AddressProbe(this))
{
    connect(m_pProbe, &AddressProbe::sigFinished, this, &PlanCheck::addressesProbed);
}

// Matched once to learn which addresses to probe and which cameras a batch would leave out,
// and again around the addresses found taken.
void PlanCheck::planAddresses(const QList<PlanFile::Line_S> &listLines, const QList<PlanFile::Refusal_S> &listFileRefusals)
{
    m_listFileLines = listLines;
    m_listFileRefusals = listFileRefusals;
    m_listCameras = m_pSite->planCameras();
    m_setHeld = m_pSite->heldAddresses();
    const PlanMatch match(m_listFileLines, m_listCameras, m_setHeld);
    QList<quint64> listRowIds;
    QStringList listNew;
    for (const PlanMatch::Entry_S &stEntry : match.entries()) {
        if (stEntry.bAlreadyThere)
            continue;
        listRowIds.append(stEntry.nId);
        listNew.append(stEntry.strNew);
    }
    m_hashLeftOut = leftOut(listRowIds);
    m_pProbe->probe(listNew);
}

void PlanCheck::addressesProbed(const QSet<QString> &setTaken)
{
    const PlanMatch match(m_listFileLines, m_listCameras, m_setHeld + setTaken);
    for (const PlanMatch::Entry_S &stEntry : match.entries()) {
        if (!stEntry.bAlreadyThere && m_hashLeftOut.contains(stEntry.strCurrent)) {
            addRefused(stEntry.nLine, stEntry.strMac, stEntry.strNew, m_hashLeftOut.value(stEntry.strCurrent));
            continue;
        }
        const Line_S::Kind kind = stEntry.bAlreadyThere ? Line_S::AlreadyThere : Line_S::Write;
        m_listLines.append({kind, stEntry.nLine, stEntry.strMac, stEntry.strCurrent, stEntry.strNew, stEntry.strMask,
                            stEntry.strGateway, stEntry.strLabel, QString()});
        if (kind == Line_S::Write)
            m_listWrites.append({stEntry.nId, stEntry.strMac, stEntry.strCurrent, stEntry.strNew, stEntry.strMask,
                                 stEntry.strGateway, stEntry.strLabel, false});
    }
    for (const PlanMatch::Refusal_S &stRefusal : match.refusals())
        addRefused(stRefusal.nLine, stRefusal.strMac, stRefusal.strAddress, stRefusal.strReason);
    for (const PlanFile::Refusal_S &stRefusal : qAsConst(m_listFileRefusals))
        addRefused(stRefusal.nLine, QString(), QString(), stRefusal.strReason);
    std::stable_sort(m_listLines.begin(), m_listLines.end(),
                     [](const Line_S &stFirst, const Line_S &stSecond) { return stFirst.nLine < stSecond.nLine; });
    emit sigReady();
}

void PlanCheck::planDhcp(const QString &strMac)
{
    m_listCameras = m_pSite->planCameras();
    QList<PlanMatch::Camera_S> listFound;
    std::copy_if(m_listCameras.cbegin(), m_listCameras.cend(), std::back_inserter(listFound),
                 [&](const PlanMatch::Camera_S &stCamera) { return MacAddress::isSame(stCamera.strMac, strMac); });
    if (listFound.size() != 1) {
        addRefused(0, strMac, kDhcpWanted, listFound.isEmpty() ? kNoCamera : kManyCameras.arg(listFound.size()));
    } else {
        const PlanMatch::Camera_S &stCamera = listFound.first();
        m_hashLeftOut = leftOut({stCamera.nId});
        if (m_hashLeftOut.contains(stCamera.strAddress)) {
            addRefused(0, strMac, kDhcpWanted, m_hashLeftOut.value(stCamera.strAddress));
        } else {
            m_listWrites.append({stCamera.nId, strMac, stCamera.strAddress, QString(), QString(), QString(), QString(), true});
            m_listLines.append({Line_S::Write, 0, strMac, stCamera.strAddress, kDhcpWanted, QString(), QString(), QString(),
                                QString()});
        }
    }
    emit sigReady();
}

QList<PlanCheck::Line_S> PlanCheck::lines() const
{
    return m_listLines;
}

QList<BatchPlan::Entry_S> PlanCheck::writes() const
{
    return m_listWrites;
}

int PlanCheck::refusedCount() const
{
    return int(std::count_if(m_listLines.cbegin(), m_listLines.cend(),
                             [](const Line_S &stLine) { return stLine.kind == Line_S::Refused; }));
}

// The rows a batch would leave out, by address, with the reason; the plan is open from now on.
QHash<QString, QString> PlanCheck::leftOut(const QList<quint64> &listRowIds) const
{
    QHash<QString, QString> hashLeftOut;
    const BatchAssignment::PlanInput_S stInput = m_pSite->openPlan(listRowIds);
    for (const auto &leftOut : stInput.listLeftOut)
        hashLeftOut.insert(leftOut.first, leftOut.second);
    return hashLeftOut;
}

void PlanCheck::addRefused(int nLine, const QString &strMac, const QString &strWanted, const QString &strReason)
{
    m_listLines.append({Line_S::Refused, nLine, strMac, currentAddressOf(strMac), strWanted, QString(), QString(),
                        QString(), strReason});
}

QString PlanCheck::currentAddressOf(const QString &strMac) const
{
    for (const PlanMatch::Camera_S &stCamera : m_listCameras) {
        if (!strMac.isEmpty() && MacAddress::isSame(stCamera.strMac, strMac))
            return stCamera.strAddress;
    }
    return QString();
}
