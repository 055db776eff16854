#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QNetworkAddressEntry>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include "net/commandurl.h"

class QTcpSocket;

/**
 * Finds out which of some addresses already have a device, before a plan gives them away:
 * one short connection attempt each, a few at a time. An address counts as free only when
 * nothing answers at it.
 *
 * Taken: the connection opens, or is refused (a refusal comes from a host that is there).
 * When it does neither within PROBE_TIMEOUT_MS (a host whose firewall drops the attempt, a
 * lost first SYN), the kernel's neighbour table (NeighbourTable) tells whether a host
 * answered the address resolution the attempt started: a complete entry means taken. An
 * entry still resolving is waited for, while the attempt goes on, until the resolution
 * has failed (the kernel gives up after about 3 s; RESOLUTION_LIMIT_MS) or the attempt
 * ends without a refusal; only then is the address free.
 *
 * That evidence exists only on a local link: an address outside the subnets of the
 * computer's interfaces cannot be checked and counts as taken, without a packet sent, as
 * does an address whose neighbour table cannot be read. Only plain IPv4 addresses the
 * contact policy allows are ever contacted; any other is reported taken without a packet.
 */
class AddressProbe : public QObject
{
    Q_OBJECT

public:
    /// What a probe makes of an address.
    enum Verdict { Free, Taken, NotYet };

    /// Time a connection attempt may take before the neighbour table is asked.
    static constexpr int PROBE_TIMEOUT_MS = 800;
    /// Time from the attempt's start after which a resolution still shown unanswered has
    /// failed: Linux sends 3 requests 1 s apart.
    static constexpr int RESOLUTION_LIMIT_MS = 3500;
    /// Time between two looks at the neighbour table while a resolution goes on.
    static constexpr int TABLE_POLL_MS = 250;
    /// Attempts under way at once.
    static constexpr int PROBE_IN_FLIGHT = 16;

    explicit AddressProbe(QObject *parent = nullptr);

    /// Probes @p listAddresses (duplicates once); sigFinished follows, also for an empty list.
    /// A probe still running is abandoned.
    void probe(const QStringList &listAddresses);
    /// The port the attempts go to; the camera port by default (tests use their own).
    void setPort(quint16 nPort);
    /// The neighbour table read; NeighbourTable::defaultPath() by default (tests write their own).
    void setNeighbourTablePath(const QString &strPath);

    /**
     * What @p strAddress counts as when its connection attempt has neither opened nor been
     * refused: Taken when it lies outside every subnet of @p listLocal (the computer's
     * interface addresses), when the table at @p strTablePath cannot be read or has a
     * complete entry for it; otherwise Free once @p bResolutionOver, else NotYet.
     */
    static Verdict judgeSilent(const QString &strAddress, const QList<QNetworkAddressEntry> &listLocal,
                               const QString &strTablePath, bool bResolutionOver);
    /// True when @p strAddress lies within the subnet of one of the IPv4 entries @p listLocal.
    static bool isOnLocalLink(const QString &strAddress, const QList<QNetworkAddressEntry> &listLocal);

signals:
    /// Every address has been probed; @p setTaken holds those with a device answering, and
    /// those that cannot be checked.
    void sigFinished(QSet<QString> setTaken);

private:
    struct Attempt_S
    {
        QString strAddress;
        QElapsedTimer started;
    };

    void startNext();
    void startAttempt(const QString &strAddress);
    void decide(QTcpSocket *pSocket, bool bAttemptEnded);
    void settle(QTcpSocket *pSocket, bool bTaken);
    static QList<QNetworkAddressEntry> localEntries();

    QStringList m_listWaiting;
    QHash<QTcpSocket *, Attempt_S> m_hashUnderWay;
    QSet<QString> m_setTaken;
    QList<QNetworkAddressEntry> m_listLocal;
    QString m_strTablePath;
    quint16 m_nPort = CommandUrl::HTTP_PORT;
};
