#include "net/addressprobe.h"

#include <QTcpSocket>
#include <QTimer>

#include "validate/addresscheck.h"
#include "validate/contactpolicy.h"

AddressProbe::AddressProbe(QObject *parent)
    : QObject(parent)
{
}

void AddressProbe::probe(const QStringList &listAddresses)
{
    for (auto it = m_hashUnderWay.cbegin(); it != m_hashUnderWay.cend(); ++it)
        it.key()->deleteLater();
    m_hashUnderWay.clear();
    m_setTaken.clear();
    m_listWaiting = listAddresses;
    m_listWaiting.removeDuplicates();
    startNext();
}

void AddressProbe::setPort(quint16 nPort)
{
    m_nPort = nPort;
}

void AddressProbe::startNext()
{
    while (!m_listWaiting.isEmpty() && m_hashUnderWay.size() < PROBE_IN_FLIGHT) {
        const QString strAddress = m_listWaiting.takeFirst();
        if (!isDottedQuadIpv4(strAddress) || !ContactPolicy::mayContact(strAddress)) {
            m_setTaken.insert(strAddress);
            continue;
        }
        auto *pSocket = new QTcpSocket(this);
        m_hashUnderWay.insert(pSocket, strAddress);
        connect(pSocket, &QTcpSocket::connected, this, [this, pSocket] { settle(pSocket, true); });
        connect(pSocket, &QTcpSocket::errorOccurred, this, [this, pSocket](QAbstractSocket::SocketError error) {
            settle(pSocket, error == QAbstractSocket::ConnectionRefusedError);
        });
        QTimer::singleShot(PROBE_TIMEOUT_MS, pSocket, [this, pSocket] { settle(pSocket, false); });
        pSocket->connectToHost(strAddress, m_nPort);
    }
    if (m_listWaiting.isEmpty() && m_hashUnderWay.isEmpty())
        emit sigFinished(m_setTaken);
}

void AddressProbe::settle(QTcpSocket *pSocket, bool bTaken)
{
    const auto it = m_hashUnderWay.constFind(pSocket);
    if (it == m_hashUnderWay.constEnd())
        return;
    if (bTaken)
        m_setTaken.insert(it.value());
    m_hashUnderWay.erase(it);
    pSocket->disconnect(this);
    pSocket->abort();
    pSocket->deleteLater();
    startNext();
}
