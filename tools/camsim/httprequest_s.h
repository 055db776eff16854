#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>

// One HTTP request as it arrived: the raw target and body, headers by lower-case name.
struct HttpRequest_S
{
    QByteArray baMethod;
    QByteArray baTarget;
    QByteArray baPath;
    QByteArray baQuery;
    QByteArray baVersion;
    QHash<QByteArray, QByteArray> hashHeaders;
    QByteArray baBody;
    bool bKeepAlive = true;
    QHostAddress peerAddress;
    quint16 nPeerPort = 0;
    QHostAddress localAddress;
};
