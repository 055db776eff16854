#pragma once

#include <QByteArray>
#include <QString>

/**
 * The kernel's IPv4 neighbour table as Linux shows it in /proc/net/arp, readable without
 * privileges: whether a host on a local link answered the address resolution for an
 * address. A row whose flags carry 0x2 (complete) has a host's hardware address; a row
 * without it is still resolving, or its resolution failed (both read 0x0).
 */
class NeighbourTable
{
public:
    enum Entry {
        Absent,    ///< no row for the address
        Resolving, ///< rows, none complete: no host has answered (yet)
        Complete,  ///< a host answered the resolution
    };

    /// Where Linux shows the table.
    static QString defaultPath();
    /// The table's text at @p strPath; false when it cannot be read.
    static bool read(const QString &strPath, QByteArray *pTable);
    /// The entry for @p strAddress in @p baTable; Complete when any of its rows (one per
    /// interface) is.
    static Entry entryFor(const QByteArray &baTable, const QString &strAddress);

    NeighbourTable() = delete;
};
