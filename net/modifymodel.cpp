#include "net/modifymodel.h"

#include <QDebug>
#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>
#include <QNetworkInterface>
#include <QNetworkRequest>
#include <QRandomGenerator>
#include <QTimer>
#include <QUdpSocket>
#include <QUrl>
#include <QUrlQuery>
#include <QtEndian>

#include "core/commonsignal.h"
#include "core/metatypes.h"
#include "core/nametables.h"
#include "core/searchlimits.h"
#include "core/versiontext.h"
#include "net/chttp.h"
#include "net/commandurl.h"
#include "net/ethsettingsjson.h"
#include "net/jsonint.h"
#include "net/localaddresses.h"
#include "net/requestoutcome.h"

namespace {

constexpr char SEARCH_GROUP[] = "234.200.200.1";
constexpr quint16 SEARCH_BIND_PORT = 54361;
constexpr quint16 SEARCH_DEST_PORT = 54362;
constexpr int RESULT_DELAY_MS = 2000;
constexpr quint32 SEARCH_MAGIC = 0x12564387u;
// Every camera answers the multicast request at once; the usual default buffer holds only
// about 256 replies, and the rest of a large site's burst would be dropped by the kernel.
// The kernel caps the request at net.core.rmem_max.
constexpr int SEARCH_RECEIVE_BUFFER_BYTES = 4 * 1024 * 1024;
// Datagrams read in one turn of the event loop. A flood is read in slices this size, so
// the timers and the window's repainting get their turn in between; the socket announces
// the rest again as long as datagrams are pending.
constexpr int SEARCH_READ_BATCH = 256;

constexpr int KIND_ENV = 0;
constexpr int KIND_VERSION = 1;
constexpr int KIND_REBOOT = 2;
constexpr int FLAG_READ = 0;
constexpr int FLAG_REBOOT = 1;

constexpr char FORM_CONTENT_TYPE[] = "application/x-www-form-urlencoded";
constexpr char QUERY_VERSION_JSON[] = R"({"QueryState":{"QueryVersion":{}}})";
constexpr char REBOOT_JSON[] = R"({"SysCtrl":{"Reboot":{}}})";

constexpr char KEY_VALUE[] = "stValue";
constexpr char KEY_RET_VAL[] = "nRetVal";
constexpr char KEY_CAM_VERSION[] = "dwCamVersion";
constexpr char KEY_ARM_VERSION[] = "dwArmVersion";
constexpr char KEY_AF_VERSION[] = "dwAFVersion";

constexpr int RET_VAL_MISSING = -1;
constexpr int VERSION_MISSING = 0;

QHostAddress searchGroup()
{
    return QHostAddress(QLatin1String(SEARCH_GROUP));
}

} // namespace

ModifyModel::ModifyModel(QObject *parent)
    : QObject(parent)
    , m_pUdpSocket(new QUdpSocket(this))
{
    registerRecordMetaTypes();
}

void ModifyModel::slotSearchNetwork(QString strIp)
{
    if (m_bSearching)
        return;
    m_bReceived = false;
    if (strIp.isEmpty() || !bindSearchSocket() || !joinSearchGroup(strIp)) {
        abandonSearch();
        return;
    }
    connect(m_pUdpSocket, &QUdpSocket::readyRead, this, &ModifyModel::slotRecvMsg);
    m_bSearching = true;
    sendSearchRequest();
    QTimer::singleShot(SEARCH_WINDOW_MS, Qt::PreciseTimer, this, &ModifyModel::stopSearch);
}

bool ModifyModel::bindSearchSocket()
{
    if (m_pUdpSocket->bind(QHostAddress::AnyIPv4, SEARCH_BIND_PORT)) {
        m_pUdpSocket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, SEARCH_RECEIVE_BUFFER_BYTES);
        return true;
    }
    qDebug() << "create multicast bind port:" << SEARCH_BIND_PORT << " failed";
    return false;
}

// Joins the group on the first interface that carries strIp, compared as text.
bool ModifyModel::joinSearchGroup(const QString &strIp)
{
    QNetworkInterface iface;
    QNetworkAddressEntry entry;
    if (!LocalAddresses::findCarrier(strIp, &iface, &entry)) {
        qDebug() << "iface is error";
        return false;
    }
    m_pUdpSocket->setMulticastInterface(iface);
    if (m_pUdpSocket->joinMulticastGroup(searchGroup(), iface))
        return true;
    qDebug() << "joinMulticastGroup :" << SEARCH_GROUP << " failed";
    return false;
}

void ModifyModel::sendSearchRequest()
{
    QuillbootSearch_S stRequest;
    stRequest.dwMagic = qToLittleEndian(SEARCH_MAGIC);
    stRequest.dwRequestId = qToLittleEndian(QRandomGenerator::global()->generate());
    const qint64 nWritten = m_pUdpSocket->writeDatagram(searchRecordToBytes(stRequest),
                                                        searchGroup(), SEARCH_DEST_PORT);
    if (nWritten == -1)
        qDebug() << "Failed to send message to multicast group" << "error:" << m_pUdpSocket->errorString();
}

// A search that cannot start still ends, so that the caller is not left waiting.
void ModifyModel::abandonSearch()
{
    closeSearchSocket();
    emit CommonSignal::getInstance()->sigSearchResult(QList<QuillbootSearch_S>());
    emit CommonSignal::getInstance()->sigGetEnvFinished();
}

void ModifyModel::closeSearchSocket()
{
    disconnect(m_pUdpSocket, &QUdpSocket::readyRead, this, &ModifyModel::slotRecvMsg);
    m_pUdpSocket->abort();
    m_pUdpSocket->close();
}

void ModifyModel::slotRecvMsg()
{
    m_bReceived = true;
    if (m_listSearchResult.isEmpty())
        m_bFirstReply = true;
    for (int nRead = 0; nRead < SEARCH_READ_BATCH && m_pUdpSocket->hasPendingDatagrams(); ++nRead) {
        if (m_listSearchResult.size() < SEARCH_MAX_RECORDS)
            keepNextReply();
        else
            dropNextReply();
    }
    if (m_bFirstReply)
        QTimer::singleShot(RESULT_DELAY_MS, Qt::PreciseTimer, this, &ModifyModel::emitSearchResult);
    m_bFirstReply = false;
}

void ModifyModel::keepNextReply()
{
    QByteArray baDatagram(int(qMax<qint64>(m_pUdpSocket->pendingDatagramSize(), 0)), '\0');
    m_pUdpSocket->readDatagram(baDatagram.data(), baDatagram.size());
    m_listSearchResult.append(searchRecordFromBytes(baDatagram));
    if (m_listSearchResult.size() == SEARCH_MAX_RECORDS)
        qDebug() << "search reply cap reached:" << SEARCH_MAX_RECORDS << "records; later replies dropped";
}

// Read all the same, so that the socket does not stay full of a flood until the window ends.
void ModifyModel::dropNextReply()
{
    m_pUdpSocket->readDatagram(nullptr, 0);
}

void ModifyModel::stopSearch()
{
    if (m_bSearching) {
        m_bSearching = false;
        m_pUdpSocket->leaveMulticastGroup(searchGroup(), m_pUdpSocket->multicastInterface());
    }
    if (m_pUdpSocket->state() != QAbstractSocket::UnconnectedState)
        closeSearchSocket();
    if (m_bReceived)
        return;
    emit CommonSignal::getInstance()->sigSearchResult(m_listSearchResult);
    emit CommonSignal::getInstance()->sigGetEnvFinished();
}

void ModifyModel::emitSearchResult()
{
    emit CommonSignal::getInstance()->sigSearchResult(m_listSearchResult);
    for (const QuillbootSearch_S &stRecord : qAsConst(m_listSearchResult))
        qDebug() << searchRecordAddress(stRecord);
    m_listSearchResult.clear();
    qDebug() << "sigSearchResult ===========================";
}

void ModifyModel::slotGetFwVersion(QString strIp)
{
    QUrlQuery body;
    body.addQueryItem(CommandUrl::commandField(), QLatin1String(QUERY_VERSION_JSON));
    QNetworkRequest request(CommandUrl::plain(strIp));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QLatin1String(FORM_CONTENT_TYPE));
    CHttp::getInstance()->httpPost(request, body, getCmdName(CmdQueryVersion));
}

void ModifyModel::slotGetEnv(QString strIp)
{
    CHttp::getInstance()->httpGet(CommandUrl::getEnv(strIp), getCmdName(CmdGetEnv));
}

void ModifyModel::slotSetEthInfo(QString strIp, EthInfo_S stEthInfo)
{
    const QUrl url = CommandUrl::withCommand(strIp, EthSettingsJson::setEnvText(stEthInfo));
    qDebug() << "slotSetEthInfo:" << url.toString();
    CHttp::getInstance()->httpPostChecked(QNetworkRequest(url), QUrlQuery(), getCmdName(CmdSetEnv), stEthInfo.strMacAddr);
}

void ModifyModel::slotDevReboot(QString strIp)
{
    const QUrl url = CommandUrl::withCommand(strIp, QLatin1String(REBOOT_JSON));
    CHttp::getInstance()->httpPostChecked(QNetworkRequest(url), QUrlQuery(), getCmdName(CmdReboot), QString());
}

void ModifyModel::dispatchReply(const QByteArray &baBody, int nKind, int nFlag, const QString &strIp)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(baBody, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        RequestOutcome::getInstance()->markUnreadable();
        return;
    }
    const QJsonObject root = document.object();
    if (nKind == KIND_ENV && nFlag == FLAG_READ)
        dealGetEnv(root, strIp);
    else if (nKind == KIND_ENV)
        dealSetEnv(root, strIp);
    else if (nKind == KIND_VERSION && nFlag == FLAG_READ)
        dealQueryVersion(root, strIp);
    else if (nKind == KIND_REBOOT && nFlag == FLAG_REBOOT)
        dealDevReboot(root, strIp);
}

void ModifyModel::dealGetEnv(const QJsonObject &root, const QString &strIp)
{
    EthInfo_S stEthInfo;
    if (!EthSettingsJson::readGetEnv(root, &stEthInfo)) {
        RequestOutcome::getInstance()->markUnreadable();
        return;
    }
    emit CommonSignal::getInstance()->sigUpdateEthInfo(strIp, stEthInfo);
}

void ModifyModel::dealSetEnv(const QJsonObject &root, const QString &strIp)
{
    const int nRetVal = jsonInt(root.value(KEY_RET_VAL), RET_VAL_MISSING);
    RequestOutcome::getInstance()->markStatus(nRetVal);
    emit CommonSignal::getInstance()->sigSetEthStatus(strIp, nRetVal);
}

void ModifyModel::dealQueryVersion(const QJsonObject &root, const QString &strIp)
{
    const QJsonObject value = root.value(KEY_VALUE).toObject();
    if (value.isEmpty()) {
        RequestOutcome::getInstance()->markUnreadable();
        return;
    }
    FwVersion_S stFwVersion;
    stFwVersion.strCamVersion = versionText(quint32(jsonInt(value.value(KEY_CAM_VERSION), VERSION_MISSING)));
    stFwVersion.strArmVersion = versionText(quint32(jsonInt(value.value(KEY_ARM_VERSION), VERSION_MISSING)));
    stFwVersion.strAFVersion = versionText(quint32(jsonInt(value.value(KEY_AF_VERSION), VERSION_MISSING)));
    emit CommonSignal::getInstance()->sigUpdateFwVersion(strIp, stFwVersion);
}

void ModifyModel::dealDevReboot(const QJsonObject &root, const QString &strIp)
{
    const int nRetVal = jsonInt(root.value(KEY_RET_VAL), RET_VAL_MISSING);
    RequestOutcome::getInstance()->markStatus(nRetVal);
    qDebug().noquote() << QStringLiteral("dealDevReboot[%1]: %2").arg(strIp).arg(nRetVal);
}
