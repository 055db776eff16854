#include "site/replymatcher.h"

#include <QDebug>

#include "core/recordfields.h"
#include "site/devicerow.h"
#include "site/devicerowlist.h"
#include "validate/contactpolicy.h"

namespace {

const QString kMerged = QStringLiteral("completed from the SDK; shares its address with the camera HTTP reaches");
const QString kUnreached = QStringLiteral("another answer at this address; HTTP reaches another device");
const QString kUnreachedTip = QStringLiteral("%1\nThis answer is not reached over HTTP: another device answers there.");
const QString kNoContactTip = QStringLiteral("Never contacted: %1");

bool hasFirmware(const FwVersion_S &stFwVer)
{
    return !stFwVer.strCamVersion.isEmpty() || !stFwVer.strArmVersion.isEmpty() || !stFwVer.strAFVersion.isEmpty();
}

void logReply(const EthInfo_S &stEthInfo, const FwVersion_S &stFwVer)
{
    qDebug() << "IP:" << stEthInfo.strIPAddr << "Mask:" << stEthInfo.strSubMask << "GW:" << stEthInfo.strGateway
             << "MAC:" << stEthInfo.strMacAddr << "DHCP:" << stEthInfo.nDhcp << "DNS1:" << stEthInfo.strDns1
             << "DNS2:" << stEthInfo.strDns2;
    qDebug() << "CAM:" << stFwVer.strCamVersion << "ARM:" << stFwVer.strArmVersion << "AF:" << stFwVer.strAFVersion;
}

} // namespace

ReplyMatcher::ReplyMatcher(DeviceRowList &rows)
    : m_rows(rows)
{
}

void ReplyMatcher::clear()
{
    m_conflicts.clear();
    m_listSdkReports.clear();
}

void ReplyMatcher::listRow(DeviceRow *pRow)
{
    m_conflicts.countAnswer(pRow->address());
    const QString strNoContact = ContactPolicy::refusalReason(pRow->address());
    if (strNoContact.isEmpty())
        return;
    pRow->setAddressTip(kNoContactTip.arg(strNoContact), false);
    pRow->setState(RowState::NoContact, strNoContact);
}

QList<DeviceRow *> ReplyMatcher::markSharedAddresses()
{
    QList<DeviceRow *> listChanged;
    for (DeviceRow *pRow : m_rows.rows()) {
        if (!m_conflicts.isShared(pRow->address()))
            continue;
        const QString strTip = m_conflicts.describe(pRow->address());
        pRow->setAddressTip(strTip, true);
        if (pRow->state() == RowState::Waiting)
            pRow->setState(RowState::Waiting, strTip);
        listChanged.append(pRow);
    }
    return listChanged;
}

void ReplyMatcher::keepSdkReport(const DevInfo_S &stReport)
{
    m_listSdkReports.append(stReport);
    qDebug() << "slotSdkUpdateDevInfo --->" << m_listSdkReports.size();
}

// Another camera's firmware is never copied onto an answer HTTP cannot reach.
DeviceRow *ReplyMatcher::takeFirmware(const QString &strIp, const FwVersion_S &stFwVer)
{
    const QList<DeviceRow *> listRows = m_rows.rowsAt(strIp);
    for (DeviceRow *pRow : listRows) {
        if (pRow->fill() == DeviceRow::Fill::Unreached || pRow->hasFirmware())
            continue;
        copyFirmwareFields(stFwVer, pRow->record());
        return pRow;
    }
    return nullptr;
}

QList<DeviceRow *> ReplyMatcher::takeSettings(const QString &strIp, EthInfo_S stEthInfo)
{
    m_conflicts.noteHttpMac(strIp, stEthInfo.strMacAddr);
    FwVersion_S stPendingFw;
    bool bMerged = false;
    QList<DeviceRow *> listChanged;
    const QList<DeviceRow *> listRows = m_rows.rowsAt(strIp);
    for (DeviceRow *pRow : listRows) {
        if (!bMerged && pRow->mac() == stEthInfo.strMacAddr && !m_listSdkReports.isEmpty())
            bMerged = mergeSdkRecord(strIp, pRow->mac(), stEthInfo, stPendingFw);
        if (pRow->isAnswered())
            continue;
        if (!bMerged && showsMacBefore(pRow, stEthInfo.strMacAddr))
            markUnreached(pRow);
        else
            fillRow(pRow, stEthInfo, stPendingFw, bMerged);
        listChanged.append(pRow);
        break;
    }
    for (DeviceRow *pRow : refreshAddressTips(strIp)) {
        if (!listChanged.contains(pRow))
            listChanged.append(pRow);
    }
    return listChanged;
}

const AddressConflicts &ReplyMatcher::conflicts() const
{
    return m_conflicts;
}

void ReplyMatcher::noteHttpMac(const QString &strAddress, const QString &strMac)
{
    m_conflicts.noteHttpMac(strAddress, strMac);
}

bool ReplyMatcher::mergeSdkRecord(const QString &strAddress, const QString &strMac, EthInfo_S &stEthInfo,
                                  FwVersion_S &stPendingFw)
{
    for (int nIndex = 0; nIndex < m_listSdkReports.size(); ++nIndex) {
        const DevInfo_S &stSdk = m_listSdkReports.at(nIndex);
        if (stSdk.strIPAddr != strAddress || stSdk.strMacAddr == strMac)
            continue;
        stEthInfo.strGateway = stSdk.strGateway;
        stEthInfo.strSubMask = stSdk.strSubMask;
        stEthInfo.strMacAddr = stSdk.strMacAddr;
        copyFirmwareFields(stSdk, stPendingFw);
        m_listSdkReports.removeAt(nIndex);
        qDebug() << "m_sdkDevList ---- >" << m_listSdkReports.size();
        return true;
    }
    return false;
}

bool ReplyMatcher::showsMacBefore(const DeviceRow *pRow, const QString &strMac) const
{
    const QList<DeviceRow *> listRows = m_rows.rowsAt(pRow->address());
    for (const DeviceRow *pEarlier : listRows) {
        if (pEarlier->index() >= pRow->index())
            break;
        const DeviceRow::Fill fill = pEarlier->fill();
        if ((fill == DeviceRow::Fill::Filled || fill == DeviceRow::Fill::Merged) && pEarlier->mac() == strMac)
            return true;
    }
    return false;
}

// The camera's values always become the row's record; a value the user has already changed
// keeps the user's.
void ReplyMatcher::fillRow(DeviceRow *pRow, const EthInfo_S &stEthInfo, const FwVersion_S &stPendingFw, bool bMerged)
{
    DevInfo_S &stRecord = pRow->record();
    copyNetworkFields(stEthInfo, stRecord);
    pRow->setFill(bMerged ? DeviceRow::Fill::Merged : DeviceRow::Fill::Filled);
    if (bMerged)
        pRow->setState(RowState::Conflict, kMerged);
    else
        pRow->setState(RowState::Filled,
                       m_conflicts.isShared(pRow->address()) ? m_conflicts.describe(pRow->address()) : QString());
    pRow->showSettings(stEthInfo.strSubMask, stEthInfo.strGateway, stEthInfo.nDhcp != 0);
    if (!hasFirmware(stPendingFw))
        return;
    copyFirmwareFields(stPendingFw, stRecord);
    qDebug() << pRow->index() << pRow->firmwareText();
    logReply(stEthInfo, stPendingFw);
}

// The buttons come on so that "Save" can say why this answer is not written; a firmware text
// that reached the row can only be the reachable camera's.
void ReplyMatcher::markUnreached(DeviceRow *pRow)
{
    pRow->setFill(DeviceRow::Fill::Unreached);
    pRow->setState(RowState::Conflict, kUnreached);
    copyFirmwareFields(FwVersion_S(), pRow->record());
    qDebug() << "slotUpdateEthInfo: row" << pRow->index() << "is another answer at" << pRow->address()
             << "that HTTP does not reach";
}

// Every row of a shared address says what its HTTP answers have shown so far.
QList<DeviceRow *> ReplyMatcher::refreshAddressTips(const QString &strAddress)
{
    if (!m_conflicts.isShared(strAddress))
        return {};
    const QString strTip = m_conflicts.describe(strAddress);
    const QList<DeviceRow *> listRows = m_rows.rowsAt(strAddress);
    for (DeviceRow *pRow : listRows)
        pRow->setAddressTip(pRow->fill() == DeviceRow::Fill::Unreached ? kUnreachedTip.arg(strTip) : strTip, true);
    return listRows;
}
