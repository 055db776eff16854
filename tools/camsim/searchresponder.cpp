#include "tools/camsim/searchresponder.h"

#include <QNetworkInterface>
#include <QSet>
#include <QtEndian>

#include <algorithm>
#include <cstring>

#include "core/quillbootsearch_s.h"
#include "tools/camsim/camerafleet.h"
#include "tools/camsim/ipv4text.h"
#include "tools/camsim/requestlog.h"

namespace {

const QHostAddress kSearchGroup(QStringLiteral("234.200.200.1"));
constexpr quint16 kSearchPort = 54362;
constexpr quint16 kReplyPort = 54361;
constexpr quint32 kSearchMagic = 0x12564387u;
constexpr int kMagicOffset = 0;
constexpr int kRequestIdOffset = 4;
constexpr int kPortOffset = 8;
constexpr int kAddressOffset = 12;
constexpr int kAddressArea = kSearchRecordSize - kAddressOffset;
constexpr int kMaxDatagram = 65507;
constexpr int kMaxRandomReply = 512;
constexpr int kMaxFloodDatagram = 1472;
constexpr int kFloodBatch = 200;
constexpr int kFloodIntervalMs = 1;
const QByteArray kForeignHost = "evil.example";

QString hex32(quint32 nValue)
{
    return QStringLiteral("0x%1").arg(nValue, 8, 16, QLatin1Char('0'));
}

} // namespace

SearchResponder::SearchResponder(const CamSimConfig_S &stConfig, CameraFleet *pFleet, RequestLog *pLog, QObject *pParent)
    : QObject(pParent)
    , m_stConfig(stConfig)
    , m_pFleet(pFleet)
    , m_pLog(pLog)
    , m_random(stConfig.nSeed)
    , m_listPlausible(plausibleAddresses(stConfig, *pFleet))
{
    m_floodTimer.setInterval(kFloodIntervalMs);
    connect(&m_floodTimer, &QTimer::timeout, this, &SearchResponder::slotSendFloodBatch);
    connect(&m_groupSocket, &QUdpSocket::readyRead, this, &SearchResponder::slotReadDatagrams);
}

bool SearchResponder::start(QString &strError)
{
    const QNetworkInterface iface = QNetworkInterface::interfaceFromName(m_stConfig.strInterface);
    if (!iface.isValid()) {
        strError = QStringLiteral("no interface named ") + m_stConfig.strInterface;
        return false;
    }
    m_nInterfaceIndex = iface.index();
    // Bound to the group itself, so unicast datagrams to port 54362 never reach it.
    if (!m_groupSocket.bind(kSearchGroup, kSearchPort, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)
        || !m_groupSocket.joinMulticastGroup(kSearchGroup, iface)) {
        strError = QStringLiteral("cannot join 234.200.200.1:54362 on %1: %2").arg(m_stConfig.strInterface, m_groupSocket.errorString());
        return false;
    }
    if (!m_sendSocket.bind(QHostAddress(QHostAddress::AnyIPv4), 0)) {
        strError = QStringLiteral("cannot open the reply socket: ") + m_sendSocket.errorString();
        return false;
    }
    return true;
}

void SearchResponder::slotReadDatagrams()
{
    while (m_groupSocket.hasPendingDatagrams())
        answerDatagram(m_groupSocket.receiveDatagram(kMaxDatagram));
}

void SearchResponder::answerDatagram(const QNetworkDatagram &datagram)
{
    const QByteArray baData = datagram.data();
    QString strLine = QStringLiteral("SEARCH from=%1:%2 size=%3")
                          .arg(datagram.senderAddress().toString()).arg(datagram.senderPort()).arg(baData.size());
    if (baData.size() >= kRequestIdOffset + 4) {
        strLine += QStringLiteral(" magic=%1 id=%2")
                       .arg(hex32(qFromLittleEndian<quint32>(baData.constData() + kMagicOffset)),
                            hex32(qFromLittleEndian<quint32>(baData.constData() + kRequestIdOffset)));
    }
    QString strReason;
    if (datagram.interfaceIndex() != 0 && int(datagram.interfaceIndex()) != m_nInterfaceIndex)
        strReason = QStringLiteral("other-interface");
    else
        isSearchRequest(baData, strReason);
    if (!strReason.isEmpty())
        strLine += QStringLiteral(" ignored=") + strReason;
    m_pLog->write(strLine);
    if (!strReason.isEmpty())
        return;
    for (const SimCamera_S &stCamera : m_pFleet->cameras()) {
        if (!stCamera.bRebooting)
            answerAsCamera(stCamera, baData, datagram.senderAddress());
    }
}

bool SearchResponder::isSearchRequest(const QByteArray &baData, QString &strReason) const
{
    if (baData.size() != kSearchRecordSize)
        strReason = QStringLiteral("size");
    else if (qFromLittleEndian<quint32>(baData.constData() + kMagicOffset) != kSearchMagic)
        strReason = QStringLiteral("magic");
    return strReason.isEmpty();
}

void SearchResponder::answerAsCamera(const SimCamera_S &stCamera, const QByteArray &baRequest, const QHostAddress &requester)
{
    const QList<QByteArray> listReplies = repliesOf(stCamera, baRequest);
    const int nCamera = stCamera.nIndex;
    const bool bFlood = stCamera.eHostile == HostileMode::Flood;
    const bool bPlausible = stCamera.eHostile == HostileMode::PlausibleFlood;
    QTimer::singleShot(stCamera.nDelayMs, this, [this, nCamera, listReplies, requester, baRequest, bFlood, bPlausible]() {
        for (const QByteArray &baReply : listReplies)
            sendReply(nCamera, baReply, requester);
        if (bFlood || bPlausible)
            startFlood(nCamera, requester, baRequest, bPlausible);
    });
}

QList<QByteArray> SearchResponder::repliesOf(const SimCamera_S &stCamera, const QByteArray &baRequest)
{
    switch (stCamera.eHostile) {
    case HostileMode::RandomBytes:
        return {randomBytes(kSearchRecordSize), randomBytes(1 + int(m_random.bounded(kMaxRandomReply)))};
    case HostileMode::BadAddress: {
        QList<QByteArray> listReplies;
        for (const QByteArray &baText : badAddressTexts(stCamera))
            listReplies << replyRecord(baRequest, baText);
        return listReplies;
    }
    default:
        return {replyRecord(baRequest, stCamera.strLiveAddress.toLatin1())};
    }
}

QByteArray SearchResponder::replyRecord(const QByteArray &baRequest, const QByteArray &baAddressText) const
{
    QByteArray baReply(kSearchRecordSize, '\0');
    qToLittleEndian<quint32>(kSearchMagic, baReply.data() + kMagicOffset);
    std::memcpy(baReply.data() + kRequestIdOffset, baRequest.constData() + kRequestIdOffset, 4);
    qToLittleEndian<qint32>(m_stConfig.nHttpPort, baReply.data() + kPortOffset);
    std::memcpy(baReply.data() + kAddressOffset, baAddressText.constData(), size_t(qMin(baAddressText.size(), kAddressArea)));
    return baReply;
}

// Texts a tool must not take for an address. The ones built on the camera's own address
// would reach this simulator if the tool used them, so such a request shows in the log.
QList<QByteArray> SearchResponder::badAddressTexts(const SimCamera_S &stCamera) const
{
    const QByteArray baAddress = stCamera.strLiveAddress.toLatin1();
    QByteArray baNoNul = baAddress;
    baNoNul.append(kAddressArea - baNoNul.size(), '1');
    return {kForeignHost, baAddress + ':' + QByteArray::number(m_stConfig.nHttpPort) + "/x?", baAddress + '#', baNoNul};
}

QByteArray SearchResponder::randomBytes(int nSize)
{
    QByteArray baBytes(nSize, '\0');
    for (char &chByte : baBytes)
        chByte = char(m_random.bounded(256u));
    return baBytes;
}

void SearchResponder::sendReply(int nCamera, const QByteArray &baReply, const QHostAddress &requester)
{
    const SimCamera_S *pCamera = m_pFleet->camera(nCamera);
    if (!pCamera || pCamera->bRebooting)
        return;
    const qint64 nSent = m_sendSocket.writeDatagram(baReply, requester, kReplyPort);
    const QuillbootSearch_S stRecord = searchRecordFromBytes(baReply);
    QString strLine = QStringLiteral("SEARCH-REPLY cam=%1 ip=%2 to=%3:%4 size=%5 port=%6 text=")
                          .arg(nCamera).arg(pCamera->strLiveAddress, requester.toString()).arg(kReplyPort).arg(baReply.size())
                          .arg(searchRecordPort(stRecord))
        + RequestLog::escaped(searchRecordAddress(stRecord).toLatin1());
    if (nSent < 0)
        strLine += QStringLiteral(" error=") + RequestLog::escaped(m_sendSocket.errorString().toUtf8());
    m_pLog->write(strLine);
}

void SearchResponder::startFlood(int nCamera, const QHostAddress &requester, const QByteArray &baRequest, bool bPlausible)
{
    if (m_floodTimer.isActive()) {
        m_pLog->write(QStringLiteral("FLOOD cam=%1 to=%2:%3 skipped=busy").arg(nCamera).arg(requester.toString()).arg(kReplyPort));
        return;
    }
    m_nFloodCamera = nCamera;
    m_floodTarget = requester;
    m_baFloodRequest = baRequest;
    m_bPlausibleFlood = bPlausible;
    m_nFloodLeft = bPlausible ? m_listPlausible.size() : m_stConfig.nFloodCount;
    m_nFloodSent = 0;
    QString strLine = QStringLiteral("FLOOD cam=%1 to=%2:%3 count=%4").arg(nCamera).arg(requester.toString()).arg(kReplyPort).arg(m_nFloodLeft);
    if (bPlausible && !m_listPlausible.isEmpty())
        strLine += QStringLiteral(" first=%1 last=%2").arg(m_listPlausible.first(), m_listPlausible.last());
    m_pLog->write(strLine);
    m_floodTimer.start();
}

void SearchResponder::slotSendFloodBatch()
{
    for (int nBatch = 0; nBatch < kFloodBatch && m_nFloodLeft > 0; ++nBatch, --m_nFloodLeft) {
        if (m_sendSocket.writeDatagram(floodDatagram(), m_floodTarget, kReplyPort) >= 0)
            ++m_nFloodSent;
    }
    if (m_nFloodLeft > 0)
        return;
    m_floodTimer.stop();
    m_pLog->write(QStringLiteral("FLOOD-DONE cam=%1 sent=%2").arg(m_nFloodCamera).arg(m_nFloodSent));
}

QByteArray SearchResponder::floodDatagram()
{
    if (m_bPlausibleFlood)
        return replyRecord(m_baFloodRequest, m_listPlausible.at(m_listPlausible.size() - m_nFloodLeft).toLatin1());
    return randomBytes(1 + int(m_random.bounded(kMaxFloodDatagram)));
}

// --flood-count host addresses of camera 0's subnet, from the top down, leaving out every
// address a camera, the trap or the gateway has; fewer when the subnet runs out.
QStringList SearchResponder::plausibleAddresses(const CamSimConfig_S &stConfig, const CameraFleet &fleet)
{
    const bool bNeeded = std::any_of(stConfig.listHostile.cbegin(), stConfig.listHostile.cend(),
                                     [](const QPair<HostileMode, int> &pairHostile) { return pairHostile.first == HostileMode::PlausibleFlood; });
    if (!bNeeded)
        return {};
    const quint32 nMask = Ipv4Text::toNumber(stConfig.strSubMask);
    const quint32 nNetwork = Ipv4Text::toNumber(stConfig.listAddresses.at(0)) & nMask;
    const QStringList listPlanned = fleet.plannedAddresses();
    QSet<QString> setTaken(listPlanned.cbegin(), listPlanned.cend());
    setTaken.insert(stConfig.strGateway);
    QStringList listAddresses;
    for (quint32 nAddress = (nNetwork | ~nMask) - 1; nAddress > nNetwork && listAddresses.size() < stConfig.nFloodCount; --nAddress) {
        const QString strAddress = Ipv4Text::fromNumber(nAddress);
        if (!setTaken.contains(strAddress))
            listAddresses << strAddress;
    }
    return listAddresses;
}
