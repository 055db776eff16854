#include "net/addressprobe.h"

#include <QDebug>
#include <QHostAddress>
#include <QNetworkInterface>
#include <QTcpSocket>
#include <QTimer>

#include "net/neighbourtable.h"
#include "validate/addresscheck.h"
#include "validate/contactpolicy.h"

AddressProbe::AddressProbe(QObject *parent)
    : QObject(parent)
    , m_strTablePath(NeighbourTable::defaultPath())
{
}

void AddressProbe::probe(const QStringList &listAddresses)
{
    for (auto it = m_hashUnderWay.cbegin(); it != m_hashUnderWay.cend(); ++it)
        it.key()->deleteLater();
    m_hashUnderWay.clear();
    m_setTaken.clear();
    m_listLocal = localEntries();
    m_listWaiting = listAddresses;
    m_listWaiting.removeDuplicates();
    startNext();
}

void AddressProbe::setPort(quint16 nPort)
{
    m_nPort = nPort;
}

void AddressProbe::setNeighbourTablePath(const QString &strPath)
{
    m_strTablePath = strPath;
}

AddressProbe::Verdict AddressProbe::judgeSilent(const QString &strAddress, const QList<QNetworkAddressEntry> &listLocal,
                                                const QString &strTablePath, bool bResolutionOver)
{
    QByteArray baTable;
    if (!isOnLocalLink(strAddress, listLocal) || !NeighbourTable::read(strTablePath, &baTable)
        || NeighbourTable::entryFor(baTable, strAddress) == NeighbourTable::Complete)
        return Taken;
    return bResolutionOver ? Free : NotYet;
}

bool AddressProbe::isOnLocalLink(const QString &strAddress, const QList<QNetworkAddressEntry> &listLocal)
{
    const QHostAddress address(strAddress);
    for (const QNetworkAddressEntry &entry : listLocal) {
        if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol
            && address.isInSubnet(entry.ip(), entry.prefixLength()))
            return true;
    }
    return false;
}

void AddressProbe::startNext()
{
    while (!m_listWaiting.isEmpty() && m_hashUnderWay.size() < PROBE_IN_FLIGHT) {
        const QString strAddress = m_listWaiting.takeFirst();
        if (!isDottedQuadIpv4(strAddress) || !ContactPolicy::mayContact(strAddress)) {
            m_setTaken.insert(strAddress);
        } else if (!isOnLocalLink(strAddress, m_listLocal)) {
            qDebug() << "AddressProbe:" << strAddress << "lies outside the computer's subnets: cannot be checked, taken";
            m_setTaken.insert(strAddress);
        } else {
            startAttempt(strAddress);
        }
    }
    if (m_listWaiting.isEmpty() && m_hashUnderWay.isEmpty())
        emit sigFinished(m_setTaken);
}

void AddressProbe::startAttempt(const QString &strAddress)
{
    auto *pSocket = new QTcpSocket(this);
    Attempt_S &stAttempt = m_hashUnderWay[pSocket];
    stAttempt.strAddress = strAddress;
    stAttempt.started.start();
    connect(pSocket, &QTcpSocket::connected, this, [this, pSocket] { settle(pSocket, true); });
    connect(pSocket, &QTcpSocket::errorOccurred, this, [this, pSocket](QAbstractSocket::SocketError error) {
        if (error == QAbstractSocket::ConnectionRefusedError)
            settle(pSocket, true);
        else
            decide(pSocket, true);
    });
    QTimer::singleShot(PROBE_TIMEOUT_MS, pSocket, [this, pSocket] { decide(pSocket, false); });
    pSocket->connectToHost(strAddress, m_nPort);
}

// Neither opened nor refused: the neighbour table decides, now or after another look.
void AddressProbe::decide(QTcpSocket *pSocket, bool bAttemptEnded)
{
    const auto it = m_hashUnderWay.constFind(pSocket);
    if (it == m_hashUnderWay.constEnd())
        return;
    const bool bResolutionOver = bAttemptEnded || it->started.elapsed() >= RESOLUTION_LIMIT_MS;
    const Verdict verdict = judgeSilent(it->strAddress, m_listLocal, m_strTablePath, bResolutionOver);
    if (verdict == NotYet)
        QTimer::singleShot(TABLE_POLL_MS, pSocket, [this, pSocket] { decide(pSocket, false); });
    else
        settle(pSocket, verdict == Taken);
}

void AddressProbe::settle(QTcpSocket *pSocket, bool bTaken)
{
    const auto it = m_hashUnderWay.constFind(pSocket);
    if (it == m_hashUnderWay.constEnd())
        return;
    if (bTaken)
        m_setTaken.insert(it->strAddress);
    m_hashUnderWay.erase(it);
    pSocket->disconnect(this);
    pSocket->abort();
    pSocket->deleteLater();
    startNext();
}

// The IPv4 address entries of the interfaces that are up.
QList<QNetworkAddressEntry> AddressProbe::localEntries()
{
    QList<QNetworkAddressEntry> listEntries;
    const QList<QNetworkInterface> listInterfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &iface : listInterfaces) {
        if (iface.flags().testFlag(QNetworkInterface::IsUp))
            listEntries += iface.addressEntries();
    }
    return listEntries;
}
