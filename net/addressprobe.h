#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include "net/commandurl.h"

class QTcpSocket;

/**
 * Finds out which of some addresses already have a device answering on the camera port,
 * before a plan gives them away: one short connection attempt each, a few at a time. An
 * address counts as taken when the connection opens or is refused (a refusal comes from a
 * host that is there); it counts as free when nothing answers within the bound.
 *
 * Only plain IPv4 addresses that pass the address checks are ever contacted; any other is
 * reported taken without a packet sent.
 */
class AddressProbe : public QObject
{
    Q_OBJECT

public:
    /// Time one connection attempt may take.
    static constexpr int PROBE_TIMEOUT_MS = 800;
    /// Attempts under way at once.
    static constexpr int PROBE_IN_FLIGHT = 16;

    explicit AddressProbe(QObject *parent = nullptr);

    /// Probes @p listAddresses (duplicates once); sigFinished follows, also for an empty list.
    /// A probe still running is abandoned.
    void probe(const QStringList &listAddresses);
    /// The port the attempts go to; the camera port by default (tests use their own).
    void setPort(quint16 nPort);

signals:
    /// Every address has been probed; @p setTaken holds those with a device answering.
    void sigFinished(QSet<QString> setTaken);

private:
    void startNext();
    void settle(QTcpSocket *pSocket, bool bTaken);

    QStringList m_listWaiting;
    QHash<QTcpSocket *, QString> m_hashUnderWay;
    QSet<QString> m_setTaken;
    quint16 m_nPort = CommandUrl::HTTP_PORT;
};
