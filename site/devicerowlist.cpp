#include "site/devicerowlist.h"

#include <algorithm>

#include "site/devicerow.h"

namespace {
bool byIndex(const DeviceRow *pFirst, const DeviceRow *pSecond)
{
    return pFirst->index() < pSecond->index();
}
} // namespace

DeviceRowList::~DeviceRowList()
{
    clear();
}

DeviceRow *DeviceRowList::append(const QString &strAddress, int nPort)
{
    auto *pRow = new DeviceRow(++m_nLastId, m_listRows.size(), strAddress, nPort);
    m_listRows.append(pRow);
    m_hashById.insert(pRow->id(), pRow);
    m_hashByAddress[strAddress].append(pRow);
    return pRow;
}

void DeviceRowList::clear()
{
    qDeleteAll(m_listRows);
    m_listRows.clear();
    m_hashById.clear();
    m_hashByAddress.clear();
}

int DeviceRowList::size() const
{
    return m_listRows.size();
}

DeviceRow *DeviceRowList::at(int nIndex) const
{
    return m_listRows.value(nIndex);
}

DeviceRow *DeviceRowList::find(quint64 nId) const
{
    return m_hashById.value(nId);
}

QList<DeviceRow *> DeviceRowList::rowsAt(const QString &strAddress) const
{
    return m_hashByAddress.value(strAddress);
}

const QList<DeviceRow *> &DeviceRowList::rows() const
{
    return m_listRows;
}

void DeviceRowList::moveTo(DeviceRow *pRow, const QString &strAddress)
{
    m_hashByAddress[pRow->address()].removeOne(pRow);
    QList<DeviceRow *> &listAtNew = m_hashByAddress[strAddress];
    listAtNew.insert(std::lower_bound(listAtNew.begin(), listAtNew.end(), pRow, byIndex), pRow);
    pRow->record().strIp = strAddress;
}
