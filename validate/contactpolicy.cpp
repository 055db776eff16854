#include "validate/contactpolicy.h"

#include <QHostAddress>

#include <atomic>

#include "validate/addresscheck.h"

namespace {

constexpr int kFirstOctetShift = 24;
constexpr quint32 kThisNetworkFirst = 0;
constexpr quint32 kLoopbackFirst = 127;
constexpr quint32 kMulticastFirst = 224;
constexpr quint32 kReservedFirst = 240;

std::atomic<bool> s_bLoopbackAllowed{false};

QString reasonForFirstOctet(quint32 nFirst)
{
    if (nFirst == kThisNetworkFirst)
        return QStringLiteral("0.0.0.0/8: \"this network\", no device's address");
    if (nFirst == kLoopbackFirst && !s_bLoopbackAllowed.load())
        return QStringLiteral("loopback: the computer itself");
    if (nFirst >= kReservedFirst)
        return QStringLiteral("reserved or broadcast address: no single device");
    if (nFirst >= kMulticastFirst)
        return QStringLiteral("multicast address: no single device");
    return QString();
}

} // namespace

bool ContactPolicy::mayContact(const QString &strAddress)
{
    return refusalReason(strAddress).isEmpty();
}

QString ContactPolicy::refusalReason(const QString &strAddress)
{
    if (!isDottedQuadIpv4(strAddress))
        return QStringLiteral("not a plain IPv4 address");
    return reasonForFirstOctet(QHostAddress(strAddress).toIPv4Address() >> kFirstOctetShift);
}

void ContactPolicy::setLoopbackAllowed(bool bAllowed)
{
    s_bLoopbackAllowed.store(bAllowed);
}
