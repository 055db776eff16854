#pragma once

#include <QString>
#include <QStringList>

#include "cli/exitstatus.h"

/**
 * The computer's address a command searches from: the one asked for, which must be one of
 * the addresses the window offers (LocalAddresses::searchable()), or by default the
 * computer's only private IPv4 address among them (10/8, 172.16/12, 192.168/16).
 */
class SearchOrigin
{
public:
    /// Chooses from @p strAsked, or by default when it is empty.
    explicit SearchOrigin(const QString &strAsked);

    /// The address chosen; empty when none could be.
    QString address() const;
    /// ExitDone when an address was chosen; otherwise the exit status of why not.
    int exitStatus() const;
    /// Why no address was chosen, listing the candidates.
    QString error() const;

    /// True for an address of the private IPv4 ranges.
    static bool isPrivate(const QString &strAddress);

private:
    void chooseDefault(const QStringList &listCandidates);

    QString m_strAddress;
    QString m_strError;
    int m_nExitStatus = ExitDone;
};
