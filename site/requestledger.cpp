#include "site/requestledger.h"

#include "core/nametables.h"

void RequestLedger::beginSearch()
{
    m_setStale.unite(m_setCurrent);
    m_setCurrent.clear();
    m_hashPendingSaves.clear();
    m_hashSaveRequests.clear();
    m_hashRebootRequests.clear();
    m_hashReadRequests.clear();
    endSend();
}

void RequestLedger::beginSave(quint64 nRowId, const DevInfo_S &stSaved)
{
    m_hashPendingSaves.insert(nRowId, stSaved);
    m_nSendingRow = nRowId;
    m_nSendingCmd = CmdSetEnv;
}

void RequestLedger::beginReboot(quint64 nRowId)
{
    m_nSendingRow = nRowId;
    m_nSendingCmd = CmdReboot;
}

// Asking takes two requests, the firmware and the settings: both are the row's.
void RequestLedger::beginAsking(quint64 nRowId)
{
    m_nSendingRow = nRowId;
    m_nSendingCmd = CmdGetEnv;
}

void RequestLedger::endSend()
{
    m_nSendingRow = 0;
    m_nSendingCmd = CmdNone;
}

void RequestLedger::noteStarted(quint64 nRequest, int nCmd)
{
    m_setCurrent.insert(nRequest);
    if (m_nSendingRow == 0)
        return;
    if (nCmd == CmdSetEnv && m_nSendingCmd == CmdSetEnv)
        m_hashSaveRequests.insert(nRequest, m_nSendingRow);
    else if (nCmd == CmdReboot && m_nSendingCmd == CmdReboot)
        m_hashRebootRequests.insert(nRequest, m_nSendingRow);
    else if (m_nSendingCmd == CmdGetEnv)
        m_hashReadRequests.insert(nRequest, m_nSendingRow);
    if (nCmd == CmdSetEnv || nCmd == CmdReboot)
        endSend();
}

quint64 RequestLedger::readRow(quint64 nRequest) const
{
    return m_hashReadRequests.value(nRequest);
}

quint64 RequestLedger::rebootRow(quint64 nRequest) const
{
    return m_hashRebootRequests.value(nRequest);
}

void RequestLedger::noteDelivering(quint64 nRequest)
{
    m_nDelivering = nRequest;
}

bool RequestLedger::isDeliveringStale() const
{
    return m_nDelivering != 0 && m_setStale.contains(m_nDelivering);
}

quint64 RequestLedger::deliveringSaveRow() const
{
    return m_hashSaveRequests.value(m_nDelivering);
}

void RequestLedger::noteStatus(quint64 nRequest, int nStatus)
{
    m_hashStatuses.insert(nRequest, nStatus);
}

bool RequestLedger::statusOf(quint64 nRequest, int *pStatus) const
{
    const auto it = m_hashStatuses.constFind(nRequest);
    if (it == m_hashStatuses.constEnd())
        return false;
    *pStatus = it.value();
    return true;
}

void RequestLedger::noteOtherCamera(quint64 nRequest, const QString &strMac)
{
    m_hashOtherCameras.insert(nRequest, strMac);
}

QString RequestLedger::otherCameraOf(quint64 nRequest) const
{
    return m_hashOtherCameras.value(nRequest);
}

quint64 RequestLedger::noteFinished(quint64 nRequest)
{
    if (m_nDelivering == nRequest)
        m_nDelivering = 0;
    m_setCurrent.remove(nRequest);
    m_setStale.remove(nRequest);
    m_hashReadRequests.remove(nRequest);
    m_hashRebootRequests.remove(nRequest);
    m_hashStatuses.remove(nRequest);
    m_hashOtherCameras.remove(nRequest);
    const quint64 nRowId = m_hashSaveRequests.take(nRequest);
    return m_hashPendingSaves.contains(nRowId) ? nRowId : 0;
}

bool RequestLedger::hasPendingSave(quint64 nRowId) const
{
    return m_hashPendingSaves.contains(nRowId);
}

quint64 RequestLedger::pendingSaveRow(const QString &strIp) const
{
    quint64 nFound = 0;
    for (auto it = m_hashPendingSaves.cbegin(); it != m_hashPendingSaves.cend(); ++it) {
        if (it->strIp == strIp && (nFound == 0 || it.key() < nFound))
            nFound = it.key();
    }
    return nFound;
}

DevInfo_S RequestLedger::takePendingSave(quint64 nRowId)
{
    for (auto it = m_hashSaveRequests.begin(); it != m_hashSaveRequests.end();) {
        if (it.value() == nRowId)
            it = m_hashSaveRequests.erase(it);
        else
            ++it;
    }
    return m_hashPendingSaves.take(nRowId);
}

QStringList RequestLedger::pendingSaveAddresses() const
{
    QStringList listAddresses;
    for (const DevInfo_S &stSaved : m_hashPendingSaves)
        listAddresses.append(stSaved.strIp);
    listAddresses.sort();
    listAddresses.removeDuplicates();
    return listAddresses;
}
