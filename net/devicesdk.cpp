#include "net/devicesdk.h"

#include <atomic>

namespace {

constexpr int kQueryUnavailable = -1;

int searchNothing(int, int, DeviceSdk::SearchCallback, int)
{
    return 0;
}

int queryUnavailable(const char *, int, const char *, const char *, int, const char *, int, void *)
{
    return kQueryUnavailable;
}

std::atomic<DeviceSdk::SearchFunction> s_pSearch{&searchNothing};
std::atomic<DeviceSdk::QueryFunction> s_pQuery{&queryUnavailable};

} // namespace

int DeviceSdk::search(int nMode, int nWaitMs, SearchCallback pCallback, int nReserved)
{
    return s_pSearch.load()(nMode, nWaitMs, pCallback, nReserved);
}

int DeviceSdk::queryParameter(const char *szIp, int nPort, const char *szUser, const char *szPassword,
                              int nReserved, const char *szQuery, int nSize, void *pResult)
{
    return s_pQuery.load()(szIp, nPort, szUser, szPassword, nReserved, szQuery, nSize, pResult);
}

void DeviceSdk::setSearchFunction(SearchFunction pSearch)
{
    s_pSearch.store(pSearch ? pSearch : &searchNothing);
}

void DeviceSdk::setQueryFunction(QueryFunction pQuery)
{
    s_pQuery.store(pQuery ? pQuery : &queryUnavailable);
}

void DeviceSdk::reset()
{
    setSearchFunction(nullptr);
    setQueryFunction(nullptr);
}
