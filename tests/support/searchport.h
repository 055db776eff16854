#pragma once

// The UDP port the tool's search binds, for the tests that search on loopback.

#include <QHostAddress>
#include <QTest>
#include <QUdpSocket>

constexpr quint16 kSearchBindPort = 54361;

// True when the search port can be bound alone. Another program (or a test of another
// build) searching at the same time would share the group with the test, which then skips
// instead of failing.
inline bool searchPortFree()
{
    QUdpSocket probe;
    return probe.bind(QHostAddress::AnyIPv4, kSearchBindPort, QAbstractSocket::DontShareAddress);
}

// Skips the test function while another program holds the search port.
#define SKIP_UNLESS_SEARCH_PORT_FREE()                                                             \
    do {                                                                                           \
        if (!searchPortFree())                                                                     \
            QSKIP("port 54361 is in use by another program");                                      \
    } while (false)
