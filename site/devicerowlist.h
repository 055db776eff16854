#pragma once

#include <QHash>
#include <QList>
#include <QString>

class DeviceRow;

/**
 * The rows of one search in table order, with their indexes by id and by the address each
 * row is reached at. Rows are only ever appended, until clear() ends them all; ids keep
 * counting across searches, so an id of an earlier search finds nothing.
 */
class DeviceRowList
{
public:
    DeviceRowList() = default;
    ~DeviceRowList();
    DeviceRowList(const DeviceRowList &) = delete;
    DeviceRowList &operator=(const DeviceRowList &) = delete;

    /// A new row at the end for the camera found at @p strAddress, port @p nPort.
    DeviceRow *append(const QString &strAddress, int nPort);
    /// Deletes every row.
    void clear();

    int size() const;
    /// The row at table index @p nIndex; nullptr outside the table.
    DeviceRow *at(int nIndex) const;
    /// The row with id @p nId; nullptr when it is gone or never was.
    DeviceRow *find(quint64 nId) const;
    /// The rows reached at @p strAddress, in table order.
    QList<DeviceRow *> rowsAt(const QString &strAddress) const;
    /// Every row, in table order.
    const QList<DeviceRow *> &rows() const;
    /// The row is reached at @p strAddress from now on.
    void moveTo(DeviceRow *pRow, const QString &strAddress);

private:
    QList<DeviceRow *> m_listRows;
    QHash<quint64, DeviceRow *> m_hashById;
    QHash<QString, QList<DeviceRow *>> m_hashByAddress;
    quint64 m_nLastId = 0;
};
