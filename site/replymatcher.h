#pragma once

#include <QList>
#include <QString>

#include "core/devinfo_s.h"
#include "core/ethinfo_s.h"
#include "core/fwversion_s.h"
#include "site/addressconflicts.h"

class DeviceRow;
class DeviceRowList;

/**
 * Finds the row each reply and SDK report belongs to, and fills it.
 *
 * Replies find their rows by the address each row is reached at, never by the editable
 * address cell. A firmware reply fills the first row of its address without firmware. A
 * settings reply fills the first row of its address still waiting; when it carries the MAC
 * that an earlier row of the address already shows, an SDK report of another camera at that
 * address completes the row (mask, gateway, MAC and firmware from the report); without one
 * the row is that camera's second answer, or a device HTTP does not reach, and is marked
 * instead of filled with a copy. A value the user has already edited keeps the user's value.
 *
 * It also counts the answers per address: rows of an address answered more than once are
 * marked, with the MACs their address answered with over HTTP.
 */
class ReplyMatcher
{
public:
    explicit ReplyMatcher(DeviceRowList &rows);

    /// A new search: forgets the SDK reports and the answers counted.
    void clear();
    /// Counts the new row's answer; a row whose address is never contacted says why.
    void listRow(DeviceRow *pRow);
    /// Once every row of the search is listed: the rows of shared addresses say so.
    /// Returns the rows changed.
    QList<DeviceRow *> markSharedAddresses();
    /// Holds an SDK report aside for the rows of shared addresses.
    void keepSdkReport(const DevInfo_S &stReport);

    /// The row @p stFwVer filled; nullptr when no row of @p strIp was waiting for firmware.
    DeviceRow *takeFirmware(const QString &strIp, const FwVersion_S &stFwVer);
    /// The rows changed by @p stEthInfo from @p strIp: the row it filled or marked first,
    /// then the other rows of the address whose tooltip changed. Empty when dropped.
    QList<DeviceRow *> takeSettings(const QString &strIp, EthInfo_S stEthInfo);

    const AddressConflicts &conflicts() const;
    /// Records that @p strAddress answered HTTP with @p strMac outside the search's own
    /// requests (a camera back at its new address).
    void noteHttpMac(const QString &strAddress, const QString &strMac);

private:
    bool mergeSdkRecord(const QString &strAddress, const QString &strMac, EthInfo_S &stEthInfo,
                        FwVersion_S &stPendingFw);
    bool showsMacBefore(const DeviceRow *pRow, const QString &strMac) const;
    void fillRow(DeviceRow *pRow, const EthInfo_S &stEthInfo, const FwVersion_S &stPendingFw, bool bMerged);
    void markUnreached(DeviceRow *pRow);
    QList<DeviceRow *> refreshAddressTips(const QString &strAddress);

    DeviceRowList &m_rows;
    AddressConflicts m_conflicts;
    QList<DevInfo_S> m_listSdkReports;
};
