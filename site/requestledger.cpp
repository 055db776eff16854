#include "site/requestledger.h"

void RequestLedger::beginSearch()
{
    m_setStale.unite(m_setCurrent);
    m_setCurrent.clear();
    m_hashPendingSaves.clear();
    m_hashSaveRequests.clear();
    m_hashReadRequests.clear();
    m_nSendingRow = 0;
    m_nAskingRow = 0;
}

void RequestLedger::beginAsking(quint64 nRowId)
{
    m_nAskingRow = nRowId;
}

void RequestLedger::endAsking()
{
    m_nAskingRow = 0;
}

void RequestLedger::beginSave(quint64 nRowId, const DevInfo_S &stSaved)
{
    m_hashPendingSaves.insert(nRowId, stSaved);
    m_nSendingRow = nRowId;
}

void RequestLedger::endSaveSend()
{
    m_nSendingRow = 0;
}

void RequestLedger::noteStarted(quint64 nRequest, bool bWrite)
{
    m_setCurrent.insert(nRequest);
    if (bWrite && m_nSendingRow != 0) {
        m_hashSaveRequests.insert(nRequest, m_nSendingRow);
        m_nSendingRow = 0;
    } else if (!bWrite && m_nAskingRow != 0) {
        m_hashReadRequests.insert(nRequest, m_nAskingRow);
    }
}

quint64 RequestLedger::readRow(quint64 nRequest) const
{
    return m_hashReadRequests.value(nRequest);
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

quint64 RequestLedger::noteFinished(quint64 nRequest)
{
    if (m_nDelivering == nRequest)
        m_nDelivering = 0;
    m_setCurrent.remove(nRequest);
    m_setStale.remove(nRequest);
    m_hashReadRequests.remove(nRequest);
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
