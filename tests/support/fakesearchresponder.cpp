#include "support/fakesearchresponder.h"

#include <QHostAddress>
#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QTimer>
#include <QUdpSocket>
#include <QtEndian>

namespace {
const QHostAddress kGroup(QStringLiteral("234.200.200.1"));
constexpr int kRecordSize = 76;
constexpr int kPortOffset = 8;
constexpr int kAddressOffset = 12;

QNetworkInterface loopbackInterface()
{
    const QList<QNetworkInterface> listInterfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &iface : listInterfaces) {
        if (iface.flags() & QNetworkInterface::IsLoopBack)
            return iface;
    }
    return QNetworkInterface();
}
} // namespace

FakeSearchResponder::FakeSearchResponder(QObject *parent)
    : QObject(parent)
    , m_pSocket(new QUdpSocket(this))
{
    connect(m_pSocket, &QUdpSocket::readyRead, this, &FakeSearchResponder::readRequests);
}

FakeSearchResponder::~FakeSearchResponder()
{
    clearReplies();
}

bool FakeSearchResponder::start()
{
    const QNetworkInterface iface = loopbackInterface();
    if (!iface.isValid())
        return false;
    if (!m_pSocket->bind(QHostAddress::AnyIPv4, kListenPort,
                         QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint))
        return false;
    m_pSocket->setMulticastInterface(iface);
    if (!m_pSocket->joinMulticastGroup(kGroup, iface)) {
        m_pSocket->close();
        return false;
    }
    return true;
}

void FakeSearchResponder::addReply(const QByteArray &baDatagram, int nDelayMs)
{
    m_listReplies.append({baDatagram, nDelayMs});
}

void FakeSearchResponder::clearReplies()
{
    m_listReplies.clear();
    qDeleteAll(m_listPendingTimers);
    m_listPendingTimers.clear();
}

QList<QByteArray> FakeSearchResponder::requests() const
{
    return m_listRequests;
}

QByteArray FakeSearchResponder::replyDatagram(const QString &strIp, qint32 nPort)
{
    QByteArray baDatagram(kRecordSize, '\0');
    qToLittleEndian(nPort, baDatagram.data() + kPortOffset);
    const QByteArray baIp = strIp.toLatin1().left(kRecordSize - kAddressOffset - 1);
    baDatagram.replace(kAddressOffset, baIp.size(), baIp);
    return baDatagram;
}

void FakeSearchResponder::readRequests()
{
    while (m_pSocket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_pSocket->receiveDatagram();
        m_listRequests.append(datagram.data());
        scheduleReplies(datagram.senderAddress(), quint16(datagram.senderPort()));
        emit requestReceived(datagram.data());
    }
}

void FakeSearchResponder::scheduleReplies(const QHostAddress &sender, quint16 nSenderPort)
{
    for (const Reply &reply : qAsConst(m_listReplies)) {
        auto *pTimer = new QTimer(this);
        pTimer->setSingleShot(true);
        pTimer->setTimerType(Qt::PreciseTimer);
        m_listPendingTimers.append(pTimer);
        const QByteArray baDatagram = reply.baDatagram;
        connect(pTimer, &QTimer::timeout, this, [this, pTimer, baDatagram, sender, nSenderPort] {
            m_pSocket->writeDatagram(baDatagram, sender, nSenderPort);
            m_listPendingTimers.removeOne(pTimer);
            pTimer->deleteLater();
        });
        pTimer->start(reply.nDelayMs);
    }
}
