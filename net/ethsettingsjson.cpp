#include "net/ethsettingsjson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

#include "net/jsonint.h"

namespace {

constexpr char KEY_SET_ENV[] = "SetEnv";
constexpr char KEY_NETWORK[] = "NetWork";
constexpr char KEY_VALUE[] = "stValue";
constexpr char KEY_ETH[] = "stEth";
constexpr char KEY_DNS[] = "stDns";
constexpr char KEY_DNS1[] = "szDns1";
constexpr char KEY_DNS2[] = "szDns2";
constexpr char KEY_DEFAULT[] = "bDefault";
constexpr char KEY_VALID[] = "byValid";
constexpr char KEY_GATEWAY[] = "szGateway";
constexpr char KEY_IP_ADDR[] = "szIPAddr";
constexpr char KEY_MAC_ADDR[] = "szMacAddr";
constexpr char KEY_SUB_MASK[] = "szSubMask";

constexpr int VALID_STATIC = 5;
constexpr int VALID_DHCP_SHIFT = 1;
constexpr int VALID_MISSING = 0;
constexpr int ETH_DEFAULT = 1;

} // namespace

// Read back as UTF-8 so that no text is encoded twice when it becomes query text.
QString EthSettingsJson::setEnvText(const EthInfo_S &stEthInfo)
{
    const QJsonObject dns{{KEY_DNS1, stEthInfo.strDns1}, {KEY_DNS2, stEthInfo.strDns2}};
    const int nValid = VALID_STATIC | (int(stEthInfo.nDhcp > 0) << VALID_DHCP_SHIFT);
    const QJsonObject eth{
        {KEY_DEFAULT, ETH_DEFAULT},
        {KEY_VALID, nValid},
        {KEY_GATEWAY, stEthInfo.strGateway},
        {KEY_IP_ADDR, stEthInfo.strIPAddr},
        {KEY_MAC_ADDR, stEthInfo.strMacAddr},
        {KEY_SUB_MASK, stEthInfo.strSubMask},
    };
    const QJsonObject network{{KEY_DNS, dns}, {KEY_ETH, QJsonArray{eth}}};
    const QJsonObject root{{KEY_SET_ENV, QJsonObject{{KEY_NETWORK, network}}}};
    return QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Compact));
}

bool EthSettingsJson::readGetEnv(const QJsonObject &root, EthInfo_S *pEthInfo)
{
    const QJsonObject value = root.value(KEY_VALUE).toObject();
    const QJsonArray listEth = value.value(KEY_ETH).toArray();
    if (listEth.isEmpty())
        return false;
    EthInfo_S stEthInfo;
    const QJsonObject eth = listEth.first().toObject();
    stEthInfo.strIPAddr = eth.value(KEY_IP_ADDR).toString();
    stEthInfo.strSubMask = eth.value(KEY_SUB_MASK).toString();
    stEthInfo.strGateway = eth.value(KEY_GATEWAY).toString();
    stEthInfo.strMacAddr = eth.value(KEY_MAC_ADDR).toString();
    stEthInfo.nDhcp = (jsonInt(eth.value(KEY_VALID), VALID_MISSING) >> VALID_DHCP_SHIFT) & 1;
    const QJsonObject dns = value.value(KEY_DNS).toObject();
    stEthInfo.strDns1 = dns.value(KEY_DNS1).toString();
    stEthInfo.strDns2 = dns.value(KEY_DNS2).toString();
    *pEthInfo = stEthInfo;
    return true;
}

bool EthSettingsJson::readGetEnv(const QByteArray &baBody, EthInfo_S *pEthInfo)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(baBody, &parseError);
    return parseError.error == QJsonParseError::NoError && readGetEnv(document.object(), pEthInfo);
}
