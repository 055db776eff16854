#include "net/localaddresses.h"

#include <QNetworkInterface>

#include <atomic>

namespace {

QList<QHostAddress> computerAddresses()
{
    return QNetworkInterface::allAddresses();
}

std::atomic<LocalAddresses::Source> s_pSource{&computerAddresses};

} // namespace

QStringList LocalAddresses::searchable()
{
    QStringList listAddresses;
    const QList<QHostAddress> listAll = s_pSource.load()();
    for (const QHostAddress &address : listAll) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
            listAddresses.append(address.toString());
    }
    return listAddresses;
}

void LocalAddresses::setSource(Source pSource)
{
    s_pSource.store(pSource ? pSource : &computerAddresses);
}

int LocalAddresses::prefixLength(const QString &strLocalIp)
{
    QNetworkInterface iface;
    QNetworkAddressEntry entry;
    return findCarrier(strLocalIp, &iface, &entry) ? entry.prefixLength() : -1;
}

bool LocalAddresses::findCarrier(const QString &strLocalIp, QNetworkInterface *pInterface, QNetworkAddressEntry *pEntry)
{
    const QList<QNetworkInterface> listInterfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &iface : listInterfaces) {
        const QList<QNetworkAddressEntry> listEntries = iface.addressEntries();
        for (const QNetworkAddressEntry &entry : listEntries) {
            if (entry.ip().toString() == strLocalIp) {
                *pInterface = iface;
                *pEntry = entry;
                return true;
            }
        }
    }
    return false;
}
