#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include "core/ethinfo_s.h"

/**
 * The network settings as the cameras' JSON carries them: written by "SetEnv", read from
 * the reply to "GetEnv". "byValid" is 5 for static addressing; its bit 1 marks DHCP.
 */
class EthSettingsJson
{
public:
    /// The "SetEnv" document for @p stEthInfo, compact, keys in ascending order.
    static QString setEnvText(const EthInfo_S &stEthInfo);
    /// Reads a "GetEnv" reply's root; false, and nothing read, without a non-empty "stEth" array.
    static bool readGetEnv(const QJsonObject &root, EthInfo_S *pEthInfo);
    /// The same from a reply body; false also when the body is no JSON.
    static bool readGetEnv(const QByteArray &baBody, EthInfo_S *pEthInfo);

    EthSettingsJson() = delete;
};
