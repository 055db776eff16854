#include "cli/searchorigin.h"

#include <QHostAddress>

#include "net/localaddresses.h"

namespace {

struct Range_S
{
    const char *szNetwork;
    int nPrefix;
};

constexpr Range_S kPrivateRanges[] = {{"10.0.0.0", 8}, {"172.16.0.0", 12}, {"192.168.0.0", 16}};

const QString kMsgForeign = QStringLiteral("%1 is not one of this computer's addresses; it has: %2");
const QString kMsgNoPrivate = QStringLiteral("this computer has no private IPv4 address to search from; "
                                             "choose one with --from: %1");
const QString kMsgSeveral = QStringLiteral("this computer has several private IPv4 addresses; "
                                           "choose one with --from: %1");
const QString kNone = QStringLiteral("none");
const QString kListSeparator = QStringLiteral(", ");

QString candidatesText(const QStringList &listCandidates)
{
    return listCandidates.isEmpty() ? kNone : listCandidates.join(kListSeparator);
}

} // namespace

SearchOrigin::SearchOrigin(const QString &strAsked)
{
    const QStringList listCandidates = LocalAddresses::searchable();
    if (strAsked.isEmpty()) {
        chooseDefault(listCandidates);
        return;
    }
    if (!listCandidates.contains(strAsked)) {
        m_nExitStatus = ExitForeignAddress;
        m_strError = kMsgForeign.arg(strAsked, candidatesText(listCandidates));
        return;
    }
    m_strAddress = strAsked;
}

QString SearchOrigin::address() const
{
    return m_strAddress;
}

int SearchOrigin::exitStatus() const
{
    return m_nExitStatus;
}

QString SearchOrigin::error() const
{
    return m_strError;
}

bool SearchOrigin::isPrivate(const QString &strAddress)
{
    const QHostAddress address(strAddress);
    for (const Range_S &stRange : kPrivateRanges) {
        if (address.isInSubnet(QHostAddress(QLatin1String(stRange.szNetwork)), stRange.nPrefix))
            return true;
    }
    return false;
}

void SearchOrigin::chooseDefault(const QStringList &listCandidates)
{
    QStringList listPrivate;
    for (const QString &strCandidate : listCandidates) {
        if (isPrivate(strCandidate))
            listPrivate.append(strCandidate);
    }
    if (listPrivate.size() == 1) {
        m_strAddress = listPrivate.first();
        return;
    }
    m_nExitStatus = ExitUsage;
    m_strError = (listPrivate.isEmpty() ? kMsgNoPrivate : kMsgSeveral).arg(candidatesText(listCandidates));
}
