#include "site/requestledger.h"

void RequestLedger::beginSearch()
{
    m_setStale.unite(m_setCurrent);
    m_setCurrent.clear();
    m_hashPendingSaves.clear();
    m_hashSaveRequests.clear();
    m_hashReadRequests.clear();
    m_nSendingRow = -1;
    m_nAskingRow = -1;
}

void RequestLedger::beginAsking(int row)
{
    m_nAskingRow = row;
}

void RequestLedger::endAsking()
{
    m_nAskingRow = -1;
}

void RequestLedger::beginSave(int row, const DevInfo_S &stSaved)
{
    m_hashPendingSaves.insert(row, stSaved);
    m_nSendingRow = row;
}

void RequestLedger::endSaveSend()
{
    m_nSendingRow = -1;
}

void RequestLedger::noteStarted(quint64 nRequest, bool bWrite)
{
    m_setCurrent.insert(nRequest);
    if (bWrite && m_nSendingRow >= 0) {
        m_hashSaveRequests.insert(nRequest, m_nSendingRow);
        m_nSendingRow = -1;
    } else if (!bWrite && m_nAskingRow >= 0) {
        m_hashReadRequests.insert(nRequest, m_nAskingRow);
    }
}

int RequestLedger::readRow(quint64 nRequest) const
{
    return m_hashReadRequests.value(nRequest, -1);
}

void RequestLedger::noteDelivering(quint64 nRequest)
{
    m_nDelivering = nRequest;
}

bool RequestLedger::isDeliveringStale() const
{
    return m_nDelivering != 0 && m_setStale.contains(m_nDelivering);
}

int RequestLedger::deliveringSaveRow() const
{
    return m_hashSaveRequests.value(m_nDelivering, -1);
}

int RequestLedger::noteFinished(quint64 nRequest)
{
    if (m_nDelivering == nRequest)
        m_nDelivering = 0;
    m_setCurrent.remove(nRequest);
    m_setStale.remove(nRequest);
    m_hashReadRequests.remove(nRequest);
    const int row = m_hashSaveRequests.value(nRequest, -1);
    m_hashSaveRequests.remove(nRequest);
    return m_hashPendingSaves.contains(row) ? row : -1;
}

bool RequestLedger::hasPendingSave(int row) const
{
    return m_hashPendingSaves.contains(row);
}

int RequestLedger::pendingSaveRow(const QString &strIp) const
{
    int nFound = -1;
    for (auto it = m_hashPendingSaves.cbegin(); it != m_hashPendingSaves.cend(); ++it) {
        if (it->strIp == strIp && (nFound < 0 || it.key() < nFound))
            nFound = it.key();
    }
    return nFound;
}

DevInfo_S RequestLedger::takePendingSave(int row)
{
    for (auto it = m_hashSaveRequests.begin(); it != m_hashSaveRequests.end();) {
        if (it.value() == row)
            it = m_hashSaveRequests.erase(it);
        else
            ++it;
    }
    return m_hashPendingSaves.take(row);
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
