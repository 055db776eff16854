#include "tools/camsim/addressplumber.h"

#include <QHostAddress>
#include <QNetworkInterface>
#include <QProcess>

#include "tools/camsim/requestlog.h"

namespace {

constexpr int kIpToolTimeoutMs = 5000;

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
    QProcess process;
    process.start(QStringLiteral("ip"), {QStringLiteral("addr"), QStringLiteral("add"), strAddress + QStringLiteral("/32"),
                                         QStringLiteral("dev"), m_strInterface});
    const bool bFinished = process.waitForFinished(kIpToolTimeoutMs);
    m_pLog->write(QStringLiteral("ADDR-ADD ip=%1 dev=%2 rc=%3")
                      .arg(strAddress, m_strInterface, bFinished ? QString::number(process.exitCode()) : QStringLiteral("timeout")));
    return isLocal(strAddress);
}
