#pragma once

#include <QHostAddress>
#include <QList>
#include <QNetworkInterface>
#include <QStringList>

/**
 * The computer's own addresses, as the search bar offers them and as the batch plan keeps
 * clear of. By default they come from QNetworkInterface::allAddresses(); tests install a
 * list of their own in code.
 */
class LocalAddresses
{
public:
    using Source = QList<QHostAddress> (*)();

    /// The IPv4 addresses that are not loopback, as dotted text, in the order the source gives them.
    static QStringList searchable();
    /// Installs the source of addresses; nullptr puts the computer's own back.
    static void setSource(Source pSource);
    /// The prefix length of the interface address @p strLocalIp; -1 when no interface has it.
    static int prefixLength(const QString &strLocalIp);
    /// The first interface that carries @p strLocalIp (compared as text), and that address's
    /// entry on it; false when none does.
    static bool findCarrier(const QString &strLocalIp, QNetworkInterface *pInterface, QNetworkAddressEntry *pEntry);

    LocalAddresses() = delete;
};
