// The address checks on texts the user typed into a row: the input is UTF-8 text
// holding the address, the mask and the gateway, separated by NUL bytes (so that line
// feeds, which the checks must refuse, can appear inside a text).

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

#include "tests/fuzz/fuzzsupport.h"
#include "validate/addresscheck.h"

namespace {

constexpr int kTexts = 3;
constexpr int kParts = 4;
constexpr int kPartLimit = 255;
constexpr int kPartDigits = 3;
constexpr quint32 kAllOnes = 0xFFFFFFFFu;
constexpr int kPartBits = 8;
constexpr int kFirstPartShift = 24;
constexpr quint32 kPartMask = 0xFF;
constexpr quint32 kLoopbackFirst = 127;
constexpr quint32 kMulticastFirst = 224; // from here up: multicast, then reserved
constexpr quint32 kNetworkLast = 0;
constexpr quint32 kBroadcastLast = 255;
constexpr int kApipaPrefixLength = 16;
constexpr quint32 kPointToPointHostBits = 1; // a /31: both addresses are hosts

// The dotted-quad value of a text of four decimal segments of 0 to 255 (leading zeros allowed), or
// false.
bool readDottedQuad(const QString &strText, quint32 *pValue)
{
    const QStringList listParts = strText.split(QLatin1Char('.'));
    if (listParts.size() != kParts)
        return false;
    quint32 nValue = 0;
    for (const QString &strPart : listParts) {
        if (strPart.isEmpty() || strPart.size() > kPartDigits)
            return false;
        for (const QChar ch : strPart) {
            if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
                return false;
        }
        const int nPart = strPart.toInt();
        if (nPart > kPartLimit)
            return false;
        nValue = (nValue << kPartBits) | quint32(nPart);
    }
    *pValue = nValue;
    return true;
}

void checkAddress(const QString &strIp)
{
    if (!checkIpValid(strIp))
        return;
    quint32 nValue = 0;
    fuzzCheck(readDottedQuad(strIp, &nValue), "an accepted address is a dotted quad");
    const QHostAddress address(strIp);
    fuzzCheck(address.protocol() == QAbstractSocket::IPv4Protocol && address.toString() == strIp,
              "an accepted address is one an IPv4 host address reads back as");
    const quint32 nFirst = nValue >> kFirstPartShift;
    const quint32 nLast = nValue & kPartMask;
    fuzzCheck(nFirst != kLoopbackFirst && nFirst < kMulticastFirst && nLast != kNetworkLast && nLast != kBroadcastLast,
              "an accepted address is neither loopback, multicast, reserved, network nor broadcast");
    fuzzCheck(!address.isInSubnet(QHostAddress(QStringLiteral("169.254.0.0")), kApipaPrefixLength),
              "an accepted address is not APIPA");
}

void checkMask(const QString &strMask)
{
    quint32 nValue = 0;
    const bool bDottedQuad = readDottedQuad(strMask, &nValue);
    const quint32 nHostBits = ~nValue;
    const bool bContiguous = (nHostBits & (nHostBits + 1)) == 0;
    const bool bExpected = bDottedQuad && bContiguous && nValue != 0 && nValue != kAllOnes;
    fuzzCheck(checkMaskValid(strMask) == bExpected,
              "a mask is accepted exactly when it is a dotted quad of contiguous ones, neither none nor all");
}

void checkSubnet(const QString &strGateway, const QString &strIp, const QString &strMask)
{
    const bool bSame = isSameSubnet(strGateway, strIp, strMask);
    fuzzCheck(bSame == isSameSubnet(strIp, strGateway, strMask), "sharing a subnet is symmetric");
    if (!bSame)
        return;
    for (const QString &strText : {strGateway, strIp})
        fuzzCheck(QHostAddress(strText).protocol() == QAbstractSocket::IPv4Protocol,
                  "addresses sharing a subnet are both IPv4");
    // The mask may carry leading zeros, as the mask check allows; its plain form is IPv4.
    quint32 nMask = 0;
    fuzzCheck(readDottedQuad(strMask, &nMask), "the mask of a shared subnet is a dotted quad");
    fuzzCheck(QHostAddress(plainMaskText(strMask)) == QHostAddress(nMask), "a mask's plain form has its value");
}

// A host address of its own subnet: a plain address, a valid mask, and host bits neither all
// zero nor all one, unless the subnet is a /31.
void checkHost(const QString &strIp, const QString &strMask)
{
    quint32 nAddress = 0;
    quint32 nMask = 0;
    const bool bAddress = isDottedQuadIpv4(strIp) && readDottedQuad(strIp, &nAddress);
    const bool bMask = checkMaskValid(strMask) && readDottedQuad(strMask, &nMask);
    const quint32 nHostBits = ~nMask;
    const quint32 nHostPart = nAddress & nHostBits;
    const bool bExpected = bAddress && bMask
        && (nHostBits == kPointToPointHostBits || (nHostPart != 0 && nHostPart != nHostBits));
    fuzzCheck(isHostAddressInSubnet(strIp, strMask) == bExpected,
              "a host address is a plain address whose host bits are neither all zero nor all one, or in a /31");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *pArgc, char ***pArgv)
{
    fuzzSetUpProcess(pArgc, pArgv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *pData, std::size_t nSize)
{
    const QByteArray baInput(reinterpret_cast<const char *>(pData), int(nSize));
    QList<QByteArray> listTexts = baInput.split('\0');
    while (listTexts.size() < kTexts)
        listTexts.append(QByteArray());
    const QString strIp = QString::fromUtf8(listTexts.at(0));
    const QString strMask = QString::fromUtf8(listTexts.at(1));
    const QString strGateway = QString::fromUtf8(listTexts.at(2));

    checkAddress(strIp);
    checkMask(strMask);
    checkSubnet(strGateway, strIp, strMask);
    checkHost(strIp, strMask);
    return 0;
}
