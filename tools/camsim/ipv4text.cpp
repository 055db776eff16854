#include "tools/camsim/ipv4text.h"

#include <QRegularExpression>

namespace {

constexpr int kOctets = 4;
constexpr int kOctetMax = 255;
constexpr int kOctetBits = 8;

const QRegularExpression &dottedQuad()
{
    static const QRegularExpression re(QStringLiteral("^(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})$"));
    return re;
}

} // namespace

bool Ipv4Text::isAddress(const QString &strText)
{
    const QRegularExpressionMatch match = dottedQuad().match(strText);
    if (!match.hasMatch())
        return false;
    for (int nOctet = 1; nOctet <= kOctets; ++nOctet) {
        if (match.captured(nOctet).toInt() > kOctetMax)
            return false;
    }
    return true;
}

quint32 Ipv4Text::toNumber(const QString &strText)
{
    if (!isAddress(strText))
        return 0;
    const QRegularExpressionMatch match = dottedQuad().match(strText);
    quint32 nAddress = 0;
    for (int nOctet = 1; nOctet <= kOctets; ++nOctet)
        nAddress = (nAddress << kOctetBits) | match.captured(nOctet).toUInt();
    return nAddress;
}

QString Ipv4Text::fromNumber(quint32 nAddress)
{
    QStringList listOctets;
    for (int nShift = (kOctets - 1) * kOctetBits; nShift >= 0; nShift -= kOctetBits)
        listOctets << QString::number((nAddress >> nShift) & kOctetMax);
    return listOctets.join(QLatin1Char('.'));
}

bool Ipv4Text::isMask(const QString &strText)
{
    if (!isAddress(strText))
        return false;
    const quint32 nInverted = ~toNumber(strText);
    return (nInverted & (nInverted + 1)) == 0;
}
