// One report of the device SDK's search handed to the search callback, with the firmware
// version query answered from the input too. Layout: one byte that is '0' when the query
// succeeds (anything else fails it), the 28 bytes the query writes into its result area
// (written also when it fails), then the report text, cut at its first NUL byte as the
// SDK's C string would be.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/commonsignal.h"
#include "core/metatypes.h"
#include "net/commontool.h"
#include "net/devicesdk.h"
#include "tests/fuzz/fuzzsupport.h"

namespace {

constexpr int kAreaSize = 28;
constexpr std::size_t kHeaderSize = 1 + kAreaSize;
constexpr char kQuerySucceeds = '0';
constexpr int kQueryFailure = -1;
constexpr int kPortLimit = 65535;
constexpr int kCamOffset = 4;
constexpr int kAFOffset = 12;
constexpr int kArmOffset = 20;
constexpr int kMajorShift = 16;
constexpr int kMinorShift = 8;
constexpr std::uint32_t kPartMask = 0xFF;

// What the stand-in query answers and what it was asked, for the current input.
struct Query
{
    bool bSucceeds = false;
    unsigned char area[kAreaSize] = {};
    int nCalls = 0;
};

Query s_query;
int s_nReports = 0;

int answerQuery(const char *szIp, int nPort, const char *szUser, const char *szPassword, int, const char *szQuery,
                int nSize, void *pResult)
{
    ++s_query.nCalls;
    fuzzCheck(szIp && szUser && szPassword && szQuery, "the query gets texts, never null");
    fuzzCheck(nPort >= 0 && nPort <= kPortLimit, "the query gets a 16-bit port");
    fuzzCheck(nSize == kAreaSize && pResult, "the query gets the 28-byte result area");
    std::memcpy(pResult, s_query.area, kAreaSize);
    return s_query.bSucceeds ? 0 : kQueryFailure;
}

// Bytes 2, 1 and 0 of the native-order word at nOffset, or zeros after a failed query.
QString expectedVersion(int nOffset)
{
    std::uint32_t nWord = 0;
    if (s_query.bSucceeds)
        std::memcpy(&nWord, s_query.area + nOffset, sizeof(nWord));
    return QStringLiteral("V%1.%2.%3")
        .arg((nWord >> kMajorShift) & kPartMask)
        .arg((nWord >> kMinorShift) & kPartMask)
        .arg(nWord & kPartMask);
}

void checkReport(const DevInfo_S &stDev)
{
    ++s_nReports;
    fuzzCheck(stDev.strIp.isEmpty(), "an SDK record has no search address");
    fuzzCheck(stDev.nDhcp == -1, "an SDK record reports no DHCP state");
    fuzzCheck(fuzzIsVersionText(stDev.strCamVersion) && fuzzIsVersionText(stDev.strArmVersion)
                  && fuzzIsVersionText(stDev.strAFVersion),
              "every version reads V<0-255>.<0-255>.<0-255>");
    fuzzCheck(stDev.strCamVersion == expectedVersion(kCamOffset) && stDev.strAFVersion == expectedVersion(kAFOffset)
                  && stDev.strArmVersion == expectedVersion(kArmOffset),
              "the versions are the words at offsets 4 (camera), 12 (AF) and 20 (ARM), V0.0.0 on failure");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *pArgc, char ***pArgv)
{
    fuzzSetUpProcess(pArgc, pArgv);
    registerRecordMetaTypes();
    DeviceSdk::setQueryFunction(&answerQuery);
    QObject::connect(CommonSignal::getInstance(), &CommonSignal::sigSdkUpdateDevInfo, &checkReport);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *pData, std::size_t nSize)
{
    if (nSize < kHeaderSize)
        return 0;
    s_query = Query();
    s_query.bSucceeds = pData[0] == kQuerySucceeds;
    std::memcpy(s_query.area, pData + 1, kAreaSize);
    s_nReports = 0;
    const std::string strReport(reinterpret_cast<const char *>(pData) + kHeaderSize, nSize - kHeaderSize);

    fdQuillSearchCB(0, strReport.c_str());

    fuzzCheck(s_nReports <= 1 && s_query.nCalls == s_nReports, "one report, one query, at most one record");
    return 0;
}
