#pragma once

// The hub's records for the tests: made up as a camera or the SDK would send them, and read
// back as lists of texts, so that a test compares every field at once.

#include <QStringList>
#include <QtEndian>

#include <cstring>

#include "core/devinfo_s.h"
#include "core/ethinfo_s.h"
#include "core/quillbootsearch_s.h"

// A search answer from @p strAddress (cut to the record's field) offering @p nPort.
inline QuillbootSearch_S searchReply(const QString &strAddress, qint32 nPort = 80)
{
    QuillbootSearch_S stReply;
    const QByteArray baAddress = strAddress.toLatin1();
    std::memcpy(stReply.szIp, baAddress.constData(), size_t(qMin(baAddress.size(), int(sizeof(stReply.szIp)) - 1)));
    stReply.dwPort = qToLittleEndian(nPort);
    return stReply;
}

// A camera's settings: the address and MAC given, mask 255.255.255.0, gateway 10.0.0.1,
// DNS 127.0.0.53 and 127.0.0.54.
inline EthInfo_S ethInfo(const QString &strAddress, const QString &strMac, int nDhcp = 0)
{
    return {strAddress, QStringLiteral("255.255.255.0"), QStringLiteral("10.0.0.1"), strMac, nDhcp,
            QStringLiteral("127.0.0.53"), QStringLiteral("127.0.0.54")};
}

// An SDK report of a camera: mask 255.255.0.0, gateway 10.0.200.1, camera V3.1.4, ARM
// V1.5.9, AF V2.6.5; no search address, port or DHCP.
inline DevInfo_S sdkReport(const QString &strAddress, const QString &strMac)
{
    DevInfo_S stDevInfo;
    stDevInfo.strIPAddr = strAddress;
    stDevInfo.strSubMask = QStringLiteral("255.255.0.0");
    stDevInfo.strGateway = QStringLiteral("10.0.200.1");
    stDevInfo.strMacAddr = strMac;
    stDevInfo.strCamVersion = QStringLiteral("V3.1.4");
    stDevInfo.strArmVersion = QStringLiteral("V1.5.9");
    stDevInfo.strAFVersion = QStringLiteral("V2.6.5");
    return stDevInfo;
}

// Every field of the record, in the order of its declaration.
inline QStringList devInfoFields(const DevInfo_S &stDev)
{
    return {stDev.strIp,         QString::number(stDev.nPort), stDev.strIPAddr,     stDev.strSubMask,
            stDev.strGateway,    stDev.strMacAddr,             QString::number(stDev.nDhcp),
            stDev.strDns1,       stDev.strDns2,                stDev.strCamVersion, stDev.strArmVersion,
            stDev.strAFVersion};
}

// Every field of the record, in the order of its declaration.
inline QStringList ethInfoFields(const EthInfo_S &stEth)
{
    return {stEth.strIPAddr, stEth.strSubMask, stEth.strGateway, stEth.strMacAddr,
            QString::number(stEth.nDhcp), stEth.strDns1, stEth.strDns2};
}
