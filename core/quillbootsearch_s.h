#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QtEndian>
#include <QtGlobal>

#include <cstring>

// One 76-byte multicast search message: the request and every reply share this layout.
// The record holds the bytes exactly as they travel, so its numbers are little-endian;
// read and write them through the helpers below.
struct QuillbootSearch_S
{
    quint32 dwMagic = 0;
    quint32 dwRequestId = 0;
    qint32 dwPort = 0;
    char szIp[64] = {};
};
static_assert(sizeof(QuillbootSearch_S) == 76, "the search record is 76 bytes on the wire");

Q_DECLARE_METATYPE(QuillbootSearch_S)
Q_DECLARE_METATYPE(QList<QuillbootSearch_S>)

constexpr int kSearchRecordSize = int(sizeof(QuillbootSearch_S));

// The record made from the first bytes of a datagram: a shorter one leaves the rest zero,
// a longer one is cut.
inline QuillbootSearch_S searchRecordFromBytes(const QByteArray &baData)
{
    QuillbootSearch_S stRecord;
    std::memcpy(&stRecord, baData.constData(), size_t(qMin(baData.size(), kSearchRecordSize)));
    return stRecord;
}

inline QByteArray searchRecordToBytes(const QuillbootSearch_S &stRecord)
{
    return QByteArray(reinterpret_cast<const char *>(&stRecord), kSearchRecordSize);
}

// The address text up to its NUL byte, or all 64 bytes when there is none.
inline QString searchRecordAddress(const QuillbootSearch_S &stRecord)
{
    const void *pNul = std::memchr(stRecord.szIp, '\0', sizeof(stRecord.szIp));
    const int nLength = pNul ? int(static_cast<const char *>(pNul) - stRecord.szIp) : int(sizeof(stRecord.szIp));
    return QString::fromLatin1(stRecord.szIp, nLength);
}

inline qint32 searchRecordPort(const QuillbootSearch_S &stRecord)
{
    return qFromLittleEndian(stRecord.dwPort);
}
