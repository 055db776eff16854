#pragma once

#include <QString>
#include <QtGlobal>

// Strict dotted-quad IPv4 text: four decimal numbers 0-255, nothing else.
class Ipv4Text
{
public:
    static bool isAddress(const QString &strText);
    // The address as a host-order number; 0 when strText is not an address.
    static quint32 toNumber(const QString &strText);
    static QString fromNumber(quint32 nAddress);
    // An address whose bits are ones followed by zeros.
    static bool isMask(const QString &strText);
};
