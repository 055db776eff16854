#include "tools/camsim/addressplumber.h"

#include <QHostAddress>
#include <QNetworkInterface>
#include <QProcess>

#include "tools/camsim/requestlog.h"

namespace {

constexpr int kIpToolTimeoutMs = 5000;
constexpr int kHostPrefix = 32;

} // namespace

AddressPlumber::AddressPlumber(bool bEnabled, const QString &strInterface, RequestLog *pLog)
    : m_bEnabled(bEnabled)
    , m_strInterface(strInterface)
    , m_pLog(pLog)
{
}

bool AddressPlumber::isLocal(const QString &strAddress)
{
    const QHostAddress address(strAddress);
    return address.isLoopback() || QNetworkInterface::allAddresses().contains(address);
}

bool AddressPlumber::ensureLocal(const QString &strAddress) const
{
    if (isLocal(strAddress) || !m_bEnabled)
        return isLocal(strAddress);
    runIpAddr(QStringLiteral("ADDR-ADD"), QStringLiteral("add"), strAddress, kHostPrefix);
    return isLocal(strAddress);
}

void AddressPlumber::release(const QString &strAddress) const
{
    if (!m_bEnabled)
        return;
    const QHostAddress address(strAddress);
    for (const QNetworkAddressEntry &entry : QNetworkInterface::interfaceFromName(m_strInterface).addressEntries()) {
        if (entry.ip() == address)
            runIpAddr(QStringLiteral("ADDR-DEL"), QStringLiteral("del"), strAddress, entry.prefixLength());
    }
}

void AddressPlumber::runIpAddr(const QString &strTag, const QString &strVerb, const QString &strAddress, int nPrefix) const
{
    QProcess process;
    process.start(QStringLiteral("ip"), {QStringLiteral("addr"), strVerb, strAddress + QLatin1Char('/') + QString::number(nPrefix),
                                         QStringLiteral("dev"), m_strInterface});
    const bool bFinished = process.waitForFinished(kIpToolTimeoutMs);
    m_pLog->write(QStringLiteral("%1 ip=%2 dev=%3 rc=%4")
                      .arg(strTag, strAddress, m_strInterface, bFinished ? QString::number(process.exitCode()) : QStringLiteral("timeout")));
}
