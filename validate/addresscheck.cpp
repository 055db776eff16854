#include "validate/addresscheck.h"

#include <QDebug>
#include <QHostAddress>
#include <QRegularExpression>
#include <QStringList>

namespace {

constexpr char kIpPattern[] =
    R"(^(?:(?:25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\.){3}(?:25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)$)";
constexpr char kMaskPattern[] =
    R"(^(25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\.(25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\.)"
    R"((25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\.(25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)$)";
constexpr QChar kSegmentSeparator = QLatin1Char('.');
constexpr QChar kLeadingZero = QLatin1Char('0');
constexpr int kBitsPerSegment = 8;

constexpr char kDefaultRoute[] = "0.0.0.0";
constexpr int kLoopbackFirst = 127;
constexpr int kNetworkLast = 0;
constexpr int kBroadcastLast = 255;
constexpr int kMulticastFirstMin = 224;
constexpr int kMulticastFirstMax = 239;
constexpr int kReservedFirstMin = 240;
constexpr int kReservedFirstMax = 255;
constexpr int kApipaFirst = 169;
constexpr int kApipaSecond = 254;
constexpr quint32 kMaskAllOnes = 0xFFFFFFFFu;
constexpr quint32 kMaskAllZeros = 0;
// The host bits of a /31 mask: its two addresses are both hosts (RFC 3021).
constexpr quint32 kPointToPointHostBits = 1;

constexpr char kMsgIpFormat[] = "格式非法：%1（需符合 4 段点分十进制，每段 0-255）";
constexpr char kMsgIpLeadingZero[] = "格式非法：%1（第 %2 段存在前导零）";
constexpr char kMsgIpLoopback[] = "不可分配：%1（环回地址，仅本地测试使用）";
constexpr char kMsgIpDefaultRoute[] = "不可分配：%1（默认路由地址，不可分配给主机）";
constexpr char kMsgIpNetwork[] = "不可分配：%1（网段网络地址，不可分配给主机）";
constexpr char kMsgIpBroadcast[] = "不可分配：%1（网段广播地址，不可分配给主机）";
constexpr char kMsgIpMulticast[] = "不可分配：%1（组播地址，用于组播通信）";
constexpr char kMsgIpReserved[] = "不可分配：%1（保留地址，仅科研使用）";
constexpr char kMsgIpApipa[] = "不可分配：%1（APIPA 地址，仅链路本地使用）";
constexpr char kMsgIpValid[] = "IP 合法且可分配：%1";
constexpr char kMsgMaskEmpty[] = "子网掩码不能为空";
constexpr char kMsgMaskFormat[] = "子网掩码格式错误，需符合IPv4点分十进制格式（例：255.255.255.0）";
constexpr char kMsgMaskAllOnes[] = "子网掩码不能为全1（255.255.255.255）";
constexpr char kMsgMaskAllZeros[] = "子网掩码不能为全0（0.0.0.0）";
constexpr char kMsgMaskMixed[] = "子网掩码二进制格式错误（1和0混合出现）";
constexpr char kMsgHostNotAddress[] = "not a host address: %1 is no dotted-quad IPv4 address";
constexpr char kMsgHostNotMask[] = "not a host address: %1 is no subnet mask";
constexpr char kMsgHostNetwork[] = "not a host address: %1 is the network address of its subnet with mask %2";
constexpr char kMsgHostBroadcast[] = "not a host address: %1 is the broadcast address of its subnet with mask %2";

void logMessage(const QString &strMessage)
{
    qDebug().noquote() << strMessage;
}

void logMessage(const char *szMessage)
{
    logMessage(QString::fromUtf8(szMessage));
}

void logMessage(const char *szFormat, const QString &strText)
{
    logMessage(QString::fromUtf8(szFormat).arg(strText));
}

// PCRE lets "$" match before a final line feed; the whole text has to match, so a match
// that stops short of the end does not count.
bool matchesWholeText(const QRegularExpression &regExp, const QString &strText)
{
    const QRegularExpressionMatch match = regExp.match(strText);
    return match.hasMatch() && match.capturedLength() == strText.size();
}

// The 1-based number of the first segment written with a leading zero, 0 when none is.
int leadingZeroSegment(const QStringList &listSegments)
{
    for (int i = 0; i < listSegments.size(); ++i) {
        if (listSegments.at(i).size() > 1 && listSegments.at(i).startsWith(kLeadingZero))
            return i + 1;
    }
    return 0;
}

// The message for an address that is well formed but may not be given to a host, or
// nullptr when it may. The tests apply in this order.
const char *unassignableReason(const QString &strIp, const QStringList &listSegments)
{
    const int nFirst = listSegments.first().toInt();
    const int nSecond = listSegments.at(1).toInt();
    const int nLast = listSegments.last().toInt();
    if (nFirst == kLoopbackFirst)
        return kMsgIpLoopback;
    if (strIp == QLatin1String(kDefaultRoute))
        return kMsgIpDefaultRoute;
    if (nLast == kNetworkLast)
        return kMsgIpNetwork;
    if (nLast == kBroadcastLast)
        return kMsgIpBroadcast;
    if (nFirst >= kMulticastFirstMin && nFirst <= kMulticastFirstMax)
        return kMsgIpMulticast;
    if (nFirst >= kReservedFirstMin && nFirst <= kReservedFirstMax)
        return kMsgIpReserved;
    if (nFirst == kApipaFirst && nSecond == kApipaSecond)
        return kMsgIpApipa;
    return nullptr;
}

quint32 maskValue(const QStringList &listSegments)
{
    quint32 nValue = 0;
    for (const QString &strSegment : listSegments)
        nValue = (nValue << kBitsPerSegment) | strSegment.toUInt();
    return nValue;
}

// True when no one bit follows a zero bit: the zero bits, inverted, form a run at the bottom.
bool hasContiguousOnes(quint32 nMask)
{
    const quint32 nHostBits = ~nMask;
    return (nHostBits & (nHostBits + 1)) == 0;
}

// The mask check's rules, without its messages.
bool isSubnetMask(quint32 nMask)
{
    return nMask != kMaskAllOnes && nMask != kMaskAllZeros && hasContiguousOnes(nMask);
}

// Only the plain dotted form counts: QHostAddress also reads "192.168.1", "3232235777" or
// " 1.2.3.4", and such a gateway would reach the camera as typed.
bool parseIpv4(const QString &strText, quint32 *pValue)
{
    const QHostAddress address(strText);
    if (address.protocol() != QAbstractSocket::IPv4Protocol || address.toString() != strText)
        return false;
    *pValue = address.toIPv4Address();
    return true;
}

// A mask may carry leading zeros ("255.255.255.000" is a mask the check accepts); only the
// addresses need the plain form.
bool parseMask(const QString &strText, quint32 *pValue)
{
    if (parseIpv4(strText, pValue))
        return true;
    static const QRegularExpression s_maskRegExp(QString::fromLatin1(kMaskPattern));
    if (!matchesWholeText(s_maskRegExp, strText))
        return false;
    *pValue = maskValue(strText.split(kSegmentSeparator));
    return true;
}

} // namespace

bool checkIpValid(const QString &strIp)
{
    static const QRegularExpression s_ipRegExp(QString::fromLatin1(kIpPattern));
    if (!matchesWholeText(s_ipRegExp, strIp)) {
        logMessage(kMsgIpFormat, strIp);
        return false;
    }
    const QStringList listSegments = strIp.split(kSegmentSeparator);
    if (const int nSegment = leadingZeroSegment(listSegments)) {
        logMessage(QString::fromUtf8(kMsgIpLeadingZero).arg(strIp, QString::number(nSegment)));
        return false;
    }
    if (const char *szReason = unassignableReason(strIp, listSegments)) {
        logMessage(szReason, strIp);
        return false;
    }
    logMessage(kMsgIpValid, strIp);
    return true;
}

bool checkMaskValid(const QString &strMask)
{
    static const QRegularExpression s_maskRegExp(QString::fromLatin1(kMaskPattern));
    if (strMask.isEmpty()) {
        logMessage(kMsgMaskEmpty);
        return false;
    }
    if (!matchesWholeText(s_maskRegExp, strMask)) {
        logMessage(kMsgMaskFormat);
        return false;
    }
    const quint32 nMask = maskValue(strMask.split(kSegmentSeparator));
    if (nMask == kMaskAllOnes) {
        logMessage(kMsgMaskAllOnes);
        return false;
    }
    if (nMask == kMaskAllZeros) {
        logMessage(kMsgMaskAllZeros);
        return false;
    }
    if (!hasContiguousOnes(nMask)) {
        logMessage(kMsgMaskMixed);
        return false;
    }
    return true;
}

bool isSameSubnet(const QString &strFirst, const QString &strSecond, const QString &strMask)
{
    quint32 nFirst = 0;
    quint32 nSecond = 0;
    quint32 nMask = 0;
    if (!parseIpv4(strFirst, &nFirst) || !parseIpv4(strSecond, &nSecond) || !parseMask(strMask, &nMask))
        return false;
    return ((nFirst ^ nSecond) & nMask) == 0;
}

bool isHostAddressInSubnet(const QString &strAddress, const QString &strMask)
{
    quint32 nAddress = 0;
    quint32 nMask = 0;
    if (!parseIpv4(strAddress, &nAddress)) {
        logMessage(kMsgHostNotAddress, strAddress);
        return false;
    }
    if (!parseMask(strMask, &nMask) || !isSubnetMask(nMask)) {
        logMessage(kMsgHostNotMask, strMask);
        return false;
    }
    const quint32 nHostBits = ~nMask;
    if (nHostBits == kPointToPointHostBits)
        return true;
    const quint32 nHostPart = nAddress & nHostBits;
    const bool bNetwork = nHostPart == 0;
    if (bNetwork || nHostPart == nHostBits) {
        logMessage(QString::fromUtf8(bNetwork ? kMsgHostNetwork : kMsgHostBroadcast).arg(strAddress, strMask));
        return false;
    }
    return true;
}

QString plainMaskText(const QString &strMask)
{
    quint32 nMask = 0;
    if (!parseMask(strMask, &nMask))
        return strMask;
    return QHostAddress(nMask).toString();
}

bool isDottedQuadIpv4(const QString &strAddress)
{
    QHostAddress address;
    return address.setAddress(strAddress) && address.protocol() == QAbstractSocket::IPv4Protocol
        && address.toString() == strAddress;
}
