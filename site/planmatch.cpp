#include "site/planmatch.h"

#include "site/macaddress.h"
#include "validate/addresscheck.h"

namespace {
const QString kAlreadyThere = QStringLiteral("already at this address: nothing to do");
const QString kMacTwice = QStringLiteral("MAC also on line %1");
const QString kAddressTwice = QStringLiteral("address also on line %1");
const QString kNotFound = QStringLiteral("no camera with this MAC in the search");
const QString kFoundOften = QStringLiteral("%1 cameras answer with this MAC");
const QString kBadAddress = QStringLiteral("address cannot be given to a camera");
const QString kBadMask = QStringLiteral("mask is not a subnet mask");
const QString kGatewayElsewhere = QStringLiteral("gateway not in the address's subnet");
const QString kIsGateway = QStringLiteral("address is the gateway");
const QString kNotHost = QStringLiteral("network or broadcast address of its subnet");
const QString kHeldByCamera = QStringLiteral("address of camera %1 now");
const QString kInUse = QStringLiteral("address in use");

// The first of @p listLines other than @p nLine; 0 when there is none.
int otherLine(const QList<int> &listLines, int nLine)
{
    for (const int nOther : listLines) {
        if (nOther != nLine)
            return nOther;
    }
    return 0;
}
} // namespace

PlanMatch::PlanMatch(const QList<PlanFile::Line_S> &listLines, const QList<Camera_S> &listCameras,
                     const QSet<QString> &setInUse)
    : m_setInUse(setInUse)
{
    index(listLines, listCameras);
    for (const PlanFile::Line_S &stLine : listLines)
        match(stLine);
}

QList<PlanMatch::Entry_S> PlanMatch::entries() const
{
    return m_listEntries;
}

QList<PlanMatch::Refusal_S> PlanMatch::refusals() const
{
    return m_listRefusals;
}

QString PlanMatch::alreadyThereText()
{
    return kAlreadyThere;
}

void PlanMatch::index(const QList<PlanFile::Line_S> &listLines, const QList<Camera_S> &listCameras)
{
    for (const PlanFile::Line_S &stLine : listLines) {
        m_hashLinesByMac[stLine.strMac].append(stLine.nLine);
        m_hashLinesByAddress[stLine.strAddress].append(stLine.nLine);
    }
    for (const Camera_S &stCamera : listCameras) {
        const QString strMac = MacAddress::cameraForm(stCamera.strMac);
        m_hashCamerasByMac[strMac].append(stCamera);
        m_hashMacByAddress.insert(stCamera.strAddress, strMac);
    }
}

void PlanMatch::match(const PlanFile::Line_S &stLine)
{
    QString strReason = duplicateReason(stLine);
    if (strReason.isEmpty())
        strReason = cameraReason(stLine);
    if (strReason.isEmpty())
        strReason = checkReason(stLine);
    const Camera_S stCamera = m_hashCamerasByMac.value(stLine.strMac).value(0);
    if (strReason.isEmpty())
        strReason = occupiedReason(stLine, stCamera);
    if (!strReason.isEmpty()) {
        m_listRefusals.append({stLine.nLine, stLine.strMac, stLine.strAddress, strReason});
        return;
    }
    m_listEntries.append({stCamera.nId, stLine.nLine, stLine.strMac, stCamera.strAddress, stLine.strAddress,
                          plainMaskText(stLine.strMask), stLine.strGateway, stLine.strLabel,
                          stCamera.strAddress == stLine.strAddress});
}

// Both lines of a MAC or an address given twice are refused: neither can be the one meant.
QString PlanMatch::duplicateReason(const PlanFile::Line_S &stLine) const
{
    if (const int nOther = otherLine(m_hashLinesByMac.value(stLine.strMac), stLine.nLine))
        return kMacTwice.arg(nOther);
    if (const int nOther = otherLine(m_hashLinesByAddress.value(stLine.strAddress), stLine.nLine))
        return kAddressTwice.arg(nOther);
    return QString();
}

QString PlanMatch::cameraReason(const PlanFile::Line_S &stLine) const
{
    const int nCameras = m_hashCamerasByMac.value(stLine.strMac).size();
    if (nCameras == 0)
        return kNotFound;
    return nCameras > 1 ? kFoundOften.arg(nCameras) : QString();
}

// The checks a single save runs, and the subnet's own network and broadcast addresses.
QString PlanMatch::checkReason(const PlanFile::Line_S &stLine) const
{
    if (!checkIpValid(stLine.strAddress))
        return kBadAddress;
    if (!checkMaskValid(stLine.strMask))
        return kBadMask;
    if (!isSameSubnet(stLine.strGateway, stLine.strAddress, stLine.strMask))
        return kGatewayElsewhere;
    if (stLine.strGateway == stLine.strAddress)
        return kIsGateway;
    return isHostAddressInSubnet(stLine.strAddress, stLine.strMask) ? QString() : kNotHost;
}

// Its own camera's address is no obstacle; any other camera's is, whether or not the plan
// moves that one too: writes are not ordered.
QString PlanMatch::occupiedReason(const PlanFile::Line_S &stLine, const Camera_S &stCamera) const
{
    if (stLine.strAddress == stCamera.strAddress)
        return QString();
    if (m_hashMacByAddress.contains(stLine.strAddress))
        return kHeldByCamera.arg(m_hashMacByAddress.value(stLine.strAddress));
    return m_setInUse.contains(stLine.strAddress) ? kInUse : QString();
}
