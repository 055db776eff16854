// One search reply datagram, as any peer on the LAN may send it, turned into a record and
// read back: the address text and the port a table row is made from.

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <QtEndian>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/quillbootsearch_s.h"
#include "tests/fuzz/fuzzsupport.h"
#include "validate/addresscheck.h"

namespace {

constexpr int kPortOffset = 8;
constexpr int kAddressOffset = 12;
constexpr int kAddressSize = kSearchRecordSize - kAddressOffset;

// The datagram's first 76 bytes, zero-filled when it is shorter.
QByteArray paddedRecordBytes(const QByteArray &baDatagram)
{
    QByteArray baBytes = baDatagram.left(kSearchRecordSize);
    baBytes.append(QByteArray(kSearchRecordSize - baBytes.size(), '\0'));
    return baBytes;
}

void checkAddress(const QString &strAddress, const QByteArray &baBytes)
{
    const QByteArray baArea = baBytes.mid(kAddressOffset, kAddressSize);
    const int nNul = baArea.indexOf('\0');
    const QByteArray baExpected = nNul < 0 ? baArea : baArea.left(nNul);
    fuzzCheck(strAddress.size() <= kAddressSize, "the address text holds at most 64 characters");
    fuzzCheck(!strAddress.contains(QChar(u'\0')), "the address text stops at its NUL byte");
    fuzzCheck(strAddress == QString::fromLatin1(baExpected), "the address text is the bytes before the NUL");
}

// An accepted address must be the whole host of the command URL built from it: no user
// part, port, path or query may slip in.
void checkRowAddress(const QString &strAddress)
{
    if (!isDottedQuadIpv4(strAddress))
        return;
    const QUrl url(QStringLiteral("http://%1/ajaxcom").arg(strAddress), QUrl::TolerantMode);
    fuzzCheck(url.isValid() && url.host() == strAddress && url.port() == -1 && url.userInfo().isEmpty()
                  && url.path() == QLatin1String("/ajaxcom") && !url.hasQuery() && !url.hasFragment(),
              "a row's address is the whole host of its command URL");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *pArgc, char ***pArgv)
{
    fuzzSetUpProcess(pArgc, pArgv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *pData, std::size_t nSize)
{
    const QByteArray baDatagram(reinterpret_cast<const char *>(pData), int(nSize));
    const QuillbootSearch_S stRecord = searchRecordFromBytes(baDatagram);
    const QByteArray baBytes = paddedRecordBytes(baDatagram);

    fuzzCheck(searchRecordToBytes(stRecord) == baBytes, "the record holds the datagram's first 76 bytes");
    checkAddress(searchRecordAddress(stRecord), baBytes);
    checkRowAddress(searchRecordAddress(stRecord));
    fuzzCheck(searchRecordPort(stRecord) == qFromLittleEndian<qint32>(baBytes.constData() + kPortOffset),
              "the port is the little-endian number at offset 8");
    return 0;
}
