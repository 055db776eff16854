#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QVector>

#include "bench/camerareads.h"

/**
 * The yardstick of the benchmark: a plain client on one thread (epoll, no Qt event loop)
 * that asks every camera "QueryVersion" and then "GetEnv", with the bytes the program's
 * client sends (bench/camerareads.h), one after the other on one connection per camera,
 * at most CameraReads::MAX_AT_ONCE connections at once, and parses every reply as JSON.
 * It knows nothing of timeouts, redirects or size caps beyond a bound on the whole run.
 */
class RefClient
{
public:
    using Result_S = CameraReads::Result_S;

    /// A client for the cameras at @p listAddresses, port 80.
    explicit RefClient(const QStringList &listAddresses);
    /// Asks every camera once and returns the figures; gives up after @p nTimeoutMs.
    Result_S run(int nTimeoutMs);

private:
    struct Connection_S
    {
        int nFd = -1;
        int nCamera = 0;
        int nStep = 0; // index of the request under way
        QByteArray baIn;
    };

    bool openNext();
    void onEvent(Connection_S &stConn, quint32 nEvents);
    bool sendStep(Connection_S &stConn);
    void close(Connection_S &stConn, bool bAnswered);

    QStringList m_listAddresses;
    // Per camera, its two requests in the order they are sent.
    QVector<QList<QByteArray>> m_vecRequests;
    QVector<Connection_S> m_vecConnections;
    QVector<int> m_vecFree; // slots of m_vecConnections not in use
    int m_nEpoll = -1;
    int m_nNext = 0;
    int m_nOpen = 0;
    Result_S m_stResult;
};
