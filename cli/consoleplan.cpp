#include "cli/consoleplan.h"

#include <algorithm>
#include <iterator>

#include "net/addressprobe.h"
#include "site/macaddress.h"
#include "site/sitemodel.h"

namespace {

const QString kStatic = QStringLiteral("%1 -> %2 (mask %3, gateway %4)");
const QString kDhcp = QStringLiteral("%1 -> DHCP (the new address is the DHCP server's to give)");
const QString kLabel = QStringLiteral("%1, label \"%2\"");
const QString kRefused = QStringLiteral("%1 -> %2  not written: %3");
const QString kFileRefused = QStringLiteral("not written: %1");
// Two fields of a line: MAC and what it gets, or current address and why nothing.
const QString kTwoFields = QStringLiteral("%1  %2");
const QString kFileLine = QStringLiteral("line %1: %2");
const QString kNotFound = QStringLiteral("(not found)");
const QString kDhcpWanted = QStringLiteral("DHCP");
const QString kNoCamera = QStringLiteral("no camera with this MAC answered the search");
const QString kManyCameras = QStringLiteral("%1 cameras answer with this MAC");

} // namespace

ConsolePlan::ConsolePlan(SiteModel *pSite, QObject *parent)
    : QObject(parent)
    , m_pSite(pSite)
    , m_pProbe(new AddressProbe(this))
{
    connect(m_pProbe, &AddressProbe::sigFinished, this, &ConsolePlan::addressesProbed);
}

// Matched once to learn which addresses to probe and which cameras the window would leave
// out, and again around the addresses found taken.
void ConsolePlan::planAddresses(const QList<PlanFile::Line_S> &listLines,
                                const QList<PlanFile::Refusal_S> &listFileRefusals)
{
    m_listLines = listLines;
    m_listFileRefusals = listFileRefusals;
    m_listCameras = m_pSite->planCameras();
    m_setHeld = m_pSite->heldAddresses();
    const PlanMatch match(m_listLines, m_listCameras, m_setHeld);
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

void ConsolePlan::addressesProbed(const QSet<QString> &setTaken)
{
    const PlanMatch match(m_listLines, m_listCameras, m_setHeld + setTaken);
    for (const PlanMatch::Entry_S &stEntry : match.entries()) {
        if (stEntry.bAlreadyThere) {
            addLine(stEntry.nLine, stEntry.strMac, kTwoFields.arg(stEntry.strCurrent, PlanMatch::alreadyThereText()));
        } else if (m_hashLeftOut.contains(stEntry.strCurrent)) {
            addRefused(stEntry.nLine, stEntry.strMac, stEntry.strNew, m_hashLeftOut.value(stEntry.strCurrent));
        } else {
            m_listWrites.append({stEntry.nId, stEntry.strMac, stEntry.strCurrent, stEntry.strNew, stEntry.strMask,
                                 stEntry.strGateway, stEntry.strLabel, false});
            const QString strText = kStatic.arg(stEntry.strCurrent, stEntry.strNew, stEntry.strMask, stEntry.strGateway);
            addLine(stEntry.nLine, stEntry.strMac, stEntry.strLabel.isEmpty() ? strText : kLabel.arg(strText, stEntry.strLabel));
        }
    }
    for (const PlanMatch::Refusal_S &stRefusal : match.refusals())
        addRefused(stRefusal.nLine, stRefusal.strMac, stRefusal.strAddress, stRefusal.strReason);
    for (const PlanFile::Refusal_S &stRefusal : qAsConst(m_listFileRefusals)) {
        ++m_nRefused;
        m_listText.append({stRefusal.nLine, kFileLine.arg(stRefusal.nLine).arg(kFileRefused.arg(stRefusal.strReason))});
    }
    std::stable_sort(m_listText.begin(), m_listText.end(),
                     [](const Line_S &stFirst, const Line_S &stSecond) { return stFirst.nLine < stSecond.nLine; });
    emit sigReady();
}

void ConsolePlan::planDhcp(const QString &strMac)
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
            addLine(0, strMac, kDhcp.arg(stCamera.strAddress));
        }
    }
    emit sigReady();
}

QList<BatchPlan::Entry_S> ConsolePlan::writes() const
{
    return m_listWrites;
}

QStringList ConsolePlan::text() const
{
    QStringList listText;
    for (const Line_S &stLine : m_listText)
        listText.append(stLine.strText);
    return listText;
}

int ConsolePlan::refusedCount() const
{
    return m_nRefused;
}

// The rows the window's batch plan would leave out, by address, with the reason; the plan
// is open from now on.
QHash<QString, QString> ConsolePlan::leftOut(const QList<quint64> &listRowIds) const
{
    QHash<QString, QString> hashLeftOut;
    const BatchAssignment::PlanInput_S stInput = m_pSite->openPlan(listRowIds);
    for (const auto &leftOut : stInput.listLeftOut)
        hashLeftOut.insert(leftOut.first, leftOut.second);
    return hashLeftOut;
}

void ConsolePlan::addLine(int nLine, const QString &strMac, const QString &strText)
{
    const QString strCamera = kTwoFields.arg(strMac, strText);
    m_listText.append({nLine, nLine > 0 ? kFileLine.arg(nLine).arg(strCamera) : strCamera});
}

void ConsolePlan::addRefused(int nLine, const QString &strMac, const QString &strWanted, const QString &strReason)
{
    ++m_nRefused;
    const QString strCurrent = currentAddressOf(strMac);
    addLine(nLine, strMac, kRefused.arg(strCurrent.isEmpty() ? kNotFound : strCurrent, strWanted, strReason));
}

QString ConsolePlan::currentAddressOf(const QString &strMac) const
{
    for (const PlanMatch::Camera_S &stCamera : m_listCameras) {
        if (MacAddress::isSame(stCamera.strMac, strMac))
            return stCamera.strAddress;
    }
    return QString();
}
