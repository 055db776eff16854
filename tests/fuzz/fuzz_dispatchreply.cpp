// One HTTP reply body, as any camera may answer, handed to the reply parsers for every
// routing pair: the first two bytes give kind and flag as digits ("00" "GetEnv", "01"
// "SetEnv", "10" "QueryVersion", "21" "Reboot"; any other byte gives some other number),
// the rest is the body.

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QString>

#include <cstddef>
#include <cstdint>

#include "core/commonsignal.h"
#include "net/modifymodel.h"
#include "tests/fuzz/fuzzsupport.h"

namespace {

constexpr int kRouteBytes = 2;
constexpr char kAddress[] = "192.168.1.20";

enum class Parser { None, GetEnv, SetEnv, QueryVersion };

// Which parser publishes for (nKind, nFlag); the reboot parser only logs.
Parser expectedParser(int nKind, int nFlag)
{
    if (nKind == 0)
        return nFlag == 0 ? Parser::GetEnv : Parser::SetEnv;
    if (nKind == 1 && nFlag == 0)
        return Parser::QueryVersion;
    return Parser::None;
}

// What the hub carried during one dispatch.
struct Published
{
    Parser parser = Parser::None;
    int nSignals = 0;
};

Published s_published;

void notePublished(Parser parser, const QString &strIp)
{
    s_published.parser = parser;
    ++s_published.nSignals;
    fuzzCheck(strIp == QLatin1String(kAddress), "every signal carries the reply's address");
}

void watchHub()
{
    CommonSignal *pHub = CommonSignal::getInstance();
    QObject::connect(pHub, &CommonSignal::sigUpdateEthInfo, [](const QString &strIp, const EthInfo_S &stEthInfo) {
        notePublished(Parser::GetEnv, strIp);
        fuzzCheck(stEthInfo.nDhcp == 0 || stEthInfo.nDhcp == 1, "a parsed DHCP state is 0 or 1");
    });
    QObject::connect(pHub, &CommonSignal::sigSetEthStatus,
                     [](const QString &strIp, int) { notePublished(Parser::SetEnv, strIp); });
    QObject::connect(pHub, &CommonSignal::sigUpdateFwVersion, [](const QString &strIp, const FwVersion_S &stFw) {
        notePublished(Parser::QueryVersion, strIp);
        fuzzCheck(fuzzIsVersionText(stFw.strCamVersion) && fuzzIsVersionText(stFw.strArmVersion)
                      && fuzzIsVersionText(stFw.strAFVersion),
                  "every version reads V<0-255>.<0-255>.<0-255>");
    });
}

ModifyModel *model()
{
    static ModifyModel s_model;
    return &s_model;
}

bool isJson(const QByteArray &baBody)
{
    QJsonParseError parseError;
    QJsonDocument::fromJson(baBody, &parseError);
    return parseError.error == QJsonParseError::NoError;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *pArgc, char ***pArgv)
{
    fuzzSetUpProcess(pArgc, pArgv);
    watchHub();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *pData, std::size_t nSize)
{
    if (nSize < std::size_t(kRouteBytes))
        return 0;
    const int nKind = int(pData[0]) - '0';
    const int nFlag = int(pData[1]) - '0';
    const QByteArray baBody(reinterpret_cast<const char *>(pData) + kRouteBytes, int(nSize) - kRouteBytes);

    s_published = Published();
    model()->dispatchReply(baBody, nKind, nFlag, QLatin1String(kAddress));

    fuzzCheck(s_published.nSignals <= 1, "one reply publishes at most one signal");
    fuzzCheck(s_published.nSignals == 0 || s_published.parser == expectedParser(nKind, nFlag),
              "only the parser the routing pair selects publishes");
    fuzzCheck(s_published.nSignals == 0 || isJson(baBody), "a body that is not JSON publishes nothing");
    fuzzCheck(expectedParser(nKind, nFlag) != Parser::SetEnv || s_published.nSignals == 1 || !isJson(baBody),
              "every JSON reply to \"SetEnv\" yields a status");
    return 0;
}
