#include "site/addressconflicts.h"

namespace {
const QString kDescription = QStringLiteral("%1 answers at %2; reachable over HTTP: %3");
const QString kNotKnown = QStringLiteral("not known yet");
const QString kMacSeparator = QStringLiteral(", ");
} // namespace

void AddressConflicts::clear()
{
    m_hashAnswers.clear();
    m_hashHttpMacs.clear();
}

void AddressConflicts::countAnswer(const QString &strAddress)
{
    ++m_hashAnswers[strAddress];
}

int AddressConflicts::answerCount(const QString &strAddress) const
{
    return m_hashAnswers.value(strAddress);
}

bool AddressConflicts::isShared(const QString &strAddress) const
{
    return answerCount(strAddress) > 1;
}

int AddressConflicts::sharedAddressCount() const
{
    return sharedAddresses().size();
}

void AddressConflicts::noteHttpMac(const QString &strAddress, const QString &strMac)
{
    QStringList &listMacs = m_hashHttpMacs[strAddress];
    if (!listMacs.contains(strMac))
        listMacs.append(strMac);
}

QStringList AddressConflicts::httpMacs(const QString &strAddress) const
{
    return m_hashHttpMacs.value(strAddress);
}

bool AddressConflicts::reachesOnly(const QString &strAddress, const QString &strMac) const
{
    return httpMacs(strAddress) == QStringList{strMac};
}

QString AddressConflicts::describe(const QString &strAddress) const
{
    const QStringList listMacs = httpMacs(strAddress);
    return kDescription.arg(answerCount(strAddress))
        .arg(strAddress, listMacs.isEmpty() ? kNotKnown : listMacs.join(kMacSeparator));
}

QSet<QString> AddressConflicts::sharedAddresses() const
{
    QSet<QString> setShared;
    for (auto it = m_hashAnswers.cbegin(); it != m_hashAnswers.cend(); ++it) {
        if (it.value() > 1)
            setShared.insert(it.key());
    }
    return setShared;
}
