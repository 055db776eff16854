#include "tools/camsim/gzipbomb.h"

#include <array>

namespace {

// The inflated bytes: one literal, then copies of the byte before it.
constexpr char kFill = ' ';
constexpr int kCopyLength = 258;
// gzip member head: magic, deflate, no flags, no time, no extra flags, unknown system.
const QByteArray kGzipHead = QByteArray::fromHex("1f8b08000000000000ff");

// Deflate writes fixed fields from their least significant bit, Huffman codes from their
// most significant one, both filling bytes from bit 0.
class BitWriter
{
public:
    void field(quint32 nValue, int nBits)
    {
        for (int nBit = 0; nBit < nBits; ++nBit)
            bit((nValue >> nBit) & 1u);
    }
    void code(quint32 nCode, int nBits)
    {
        for (int nBit = nBits - 1; nBit >= 0; --nBit)
            bit((nCode >> nBit) & 1u);
    }
    void zeros(qint64 nBits)
    {
        while (nBits > 0 && m_nUsed != 0) {
            bit(0);
            --nBits;
        }
        m_baBytes.append(int(nBits / 8), '\0');
        for (qint64 nBit = 0; nBit < nBits % 8; ++nBit)
            bit(0);
    }
    QByteArray bytes() const { return m_nUsed ? m_baBytes + char(m_nPartial) : m_baBytes; }

private:
    void bit(quint32 nBit)
    {
        m_nPartial |= quint8(nBit << m_nUsed);
        if (++m_nUsed == 8) {
            m_baBytes.append(char(m_nPartial));
            m_nPartial = 0;
            m_nUsed = 0;
        }
    }

    QByteArray m_baBytes;
    quint8 m_nPartial = 0;
    int m_nUsed = 0;
};

// The code-length code: symbol 18 (a run of zeros) "0", lengths 1 "10" and 2 "11". Its
// lengths go out in the format's order 16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3,
// 13, 2, 14, 1: only 18, 2 and 1 are used.
constexpr std::array<int, 18> kCodeLengthLengths = {0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2};

void zeroRun(BitWriter &writer, int nCount)
{
    constexpr int kLongestRun = 138;
    constexpr int kShortestRun = 11;
    while (nCount > 0) {
        const int nRun = qMin(nCount, kLongestRun);
        writer.code(0, 1);
        writer.field(quint32(nRun - kShortestRun), 7);
        nCount -= nRun;
    }
}

// Literal/length code: the copy of 258 (symbol 285) "0", the fill byte "10", end of
// block (256) "11". Distance code: distance 1 (symbol 0) "0".
void blockHead(BitWriter &writer)
{
    constexpr int kLastBlockDynamic = 0b101;
    constexpr int kLiteralCodes = 286;
    constexpr int kEndOfBlock = 256;
    constexpr int kCopySymbol = 285;
    writer.field(kLastBlockDynamic, 3);
    writer.field(kLiteralCodes - 257, 5);
    writer.field(0, 5);
    writer.field(quint32(kCodeLengthLengths.size()) - 4, 4);
    for (int nLength : kCodeLengthLengths)
        writer.field(quint32(nLength), 3);
    const auto lengthTwo = [&writer] { writer.code(0b11, 2); };
    const auto lengthOne = [&writer] { writer.code(0b10, 2); };
    zeroRun(writer, kFill);
    lengthTwo();
    zeroRun(writer, kEndOfBlock - kFill - 1);
    lengthTwo();
    zeroRun(writer, kCopySymbol - kEndOfBlock - 1);
    lengthOne();
    lengthOne();
}

quint32 crc32OfFill(qint64 nBytes)
{
    std::array<quint32, 256> table{};
    for (quint32 nByte = 0; nByte < table.size(); ++nByte) {
        quint32 nCrc = nByte;
        for (int nBit = 0; nBit < 8; ++nBit)
            nCrc = (nCrc & 1u) ? (nCrc >> 1) ^ 0xEDB88320u : nCrc >> 1;
        table[nByte] = nCrc;
    }
    quint32 nCrc = 0xFFFFFFFFu;
    for (qint64 nIndex = 0; nIndex < nBytes; ++nIndex)
        nCrc = table[(nCrc ^ quint8(kFill)) & 0xFFu] ^ (nCrc >> 8);
    return ~nCrc;
}

QByteArray littleEndian32(quint32 nValue)
{
    QByteArray baBytes(4, '\0');
    for (int nByte = 0; nByte < 4; ++nByte)
        baBytes[nByte] = char((nValue >> (8 * nByte)) & 0xFFu);
    return baBytes;
}

} // namespace

const QByteArray &GzipBomb::body(int nInflatedMb)
{
    constexpr qint64 kMiB = 1024 * 1024;
    static const QByteArray s_baBody = build(nInflatedMb * kMiB);
    return s_baBody;
}

QByteArray GzipBomb::build(qint64 nInflatedBytes)
{
    const qint64 nCopies = qMax<qint64>(1, (nInflatedBytes - 1 + kCopyLength - 1) / kCopyLength);
    const qint64 nSize = 1 + nCopies * kCopyLength;
    BitWriter writer;
    blockHead(writer);
    writer.code(0b10, 2);
    writer.zeros(2 * nCopies);
    writer.code(0b11, 2);
    return kGzipHead + writer.bytes() + littleEndian32(crc32OfFill(nSize)) + littleEndian32(quint32(nSize));
}
