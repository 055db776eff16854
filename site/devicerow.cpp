#include "site/devicerow.h"

namespace {
const QString kFirmwareText = QStringLiteral("%1,%2,%3");
} // namespace

DeviceRow::DeviceRow(quint64 nId, int nIndex, const QString &strAddress, int nPort)
    : m_nId(nId)
    , m_nIndex(nIndex)
{
    m_stRecord.strIp = strAddress;
    m_stRecord.nPort = nPort;
    m_stShown.strAddress = strAddress;
}

quint64 DeviceRow::id() const
{
    return m_nId;
}

int DeviceRow::index() const
{
    return m_nIndex;
}

const DevInfo_S &DeviceRow::record() const
{
    return m_stRecord;
}

DevInfo_S &DeviceRow::record()
{
    return m_stRecord;
}

QString DeviceRow::address() const
{
    return m_stRecord.strIp;
}

QString DeviceRow::mac() const
{
    return m_stRecord.strMacAddr;
}

QString DeviceRow::firmwareText() const
{
    if (!hasFirmware())
        return QString();
    return kFirmwareText.arg(m_stRecord.strArmVersion, m_stRecord.strCamVersion, m_stRecord.strAFVersion);
}

bool DeviceRow::hasFirmware() const
{
    return !m_stRecord.strCamVersion.isEmpty() || !m_stRecord.strArmVersion.isEmpty()
        || !m_stRecord.strAFVersion.isEmpty();
}

const DeviceRow::Shown_S &DeviceRow::shown() const
{
    return m_stShown;
}

void DeviceRow::showValues(const Shown_S &stShown)
{
    m_stShown = stShown;
    m_nEdited = 0;
}

void DeviceRow::showSettings(const QString &strMask, const QString &strGateway, bool bDhcp)
{
    if (!isEdited(EditedMask))
        m_stShown.strMask = strMask;
    if (!isEdited(EditedGateway))
        m_stShown.strGateway = strGateway;
    if (!isEdited(EditedDhcp))
        m_stShown.bDhcp = bDhcp;
}

void DeviceRow::editAddress(const QString &strAddress)
{
    m_stShown.strAddress = strAddress;
    m_nEdited |= EditedAddress;
}

void DeviceRow::editMask(const QString &strMask)
{
    m_stShown.strMask = strMask;
    m_nEdited |= EditedMask;
}

void DeviceRow::editGateway(const QString &strGateway)
{
    m_stShown.strGateway = strGateway;
    m_nEdited |= EditedGateway;
}

void DeviceRow::editDhcp(bool bDhcp)
{
    m_stShown.bDhcp = bDhcp;
    m_nEdited |= EditedDhcp;
}

bool DeviceRow::isEdited(EditedValue value) const
{
    return m_nEdited & value;
}

// A camera that never reported its DHCP state counts as on, as its switch then shows.
DeviceRow::Shown_S DeviceRow::storedValues() const
{
    Shown_S stStored;
    stStored.strAddress = m_stRecord.strIp;
    stStored.strMask = m_stRecord.strSubMask;
    stStored.strGateway = m_stRecord.strGateway;
    stStored.bDhcp = m_stRecord.nDhcp != 0;
    return stStored;
}

DeviceRow::Fill DeviceRow::fill() const
{
    return m_fill;
}

void DeviceRow::setFill(Fill fill)
{
    m_fill = fill;
}

bool DeviceRow::isAnswered() const
{
    return m_fill != Fill::Waiting;
}

RowState DeviceRow::state() const
{
    return m_state;
}

QString DeviceRow::reason() const
{
    return m_strReason;
}

void DeviceRow::setState(RowState state, const QString &strReason)
{
    m_state = state;
    m_strReason = strReason;
}

QString DeviceRow::addressTip() const
{
    return m_strAddressTip;
}

bool DeviceRow::isShared() const
{
    return m_bShared;
}

void DeviceRow::setAddressTip(const QString &strTip, bool bShared)
{
    m_strAddressTip = strTip;
    m_bShared = bShared;
}

QString DeviceRow::saveTip() const
{
    return m_strSaveTip;
}

void DeviceRow::setSaveTip(const QString &strTip)
{
    m_strSaveTip = strTip;
}

bool DeviceRow::canSave() const
{
    return isAnswered() && !rowStateLeavesAddressInDoubt(m_state);
}

QString DeviceRow::claimedAddress() const
{
    return m_strClaimed;
}

void DeviceRow::setClaimedAddress(const QString &strAddress)
{
    m_strClaimed = strAddress;
}

QDateTime DeviceRow::lastProof() const
{
    return m_lastProof;
}

void DeviceRow::setLastProof(const QDateTime &proof)
{
    m_lastProof = proof;
}

QString DeviceRow::label() const
{
    return m_strLabel;
}

void DeviceRow::setLabel(const QString &strLabel)
{
    m_strLabel = strLabel;
}
