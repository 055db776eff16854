#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

/**
 * What one search learnt about addresses answered more than once.
 *
 * Two answers at one address may be two cameras or one camera that answered twice: the
 * search reply carries no MAC. Over HTTP only one device answers at a time (whichever wins
 * ARP), so the MACs that the address's "GetEnv" replies carry tell which camera a write to
 * that address reaches. A write is safe only when the address answered with exactly one MAC
 * and it is the row's.
 */
class AddressConflicts
{
public:
    /// Forgets everything (a new search).
    void clear();
    /// Counts one search reply at @p strAddress.
    void countAnswer(const QString &strAddress);
    /// Search replies counted at @p strAddress.
    int answerCount(const QString &strAddress) const;
    /// True when more than one search reply came from @p strAddress.
    bool isShared(const QString &strAddress) const;
    /// Addresses answered more than once.
    int sharedAddressCount() const;
    QSet<QString> sharedAddresses() const;

    /// Records that a "GetEnv" reply from @p strAddress carried @p strMac.
    void noteHttpMac(const QString &strAddress, const QString &strMac);
    /// The distinct MACs @p strAddress answered with over HTTP, in order of arrival.
    QStringList httpMacs(const QString &strAddress) const;
    /// True when a write to @p strAddress reaches the camera whose MAC is @p strMac.
    bool reachesOnly(const QString &strAddress, const QString &strMac) const;

    /// "2 answers at 10.0.0.64; reachable over HTTP: 00:1a:2b:00:00:01" (or "not known yet").
    QString describe(const QString &strAddress) const;

private:
    QHash<QString, int> m_hashAnswers;
    QHash<QString, QStringList> m_hashHttpMacs;
};
