#pragma once

// The two closed device libraries, reached through one replaceable entry each: the
// device SDK's LAN search and the parameter library's query. Neither library exists on
// this platform, so by default both entries are stand-ins: the search returns at once
// having reported no device, and the query fails. Code that has the real libraries, and
// the tests, install their own functions with the setters.
class DeviceSdk
{
public:
    // Receives one JSON report (NUL-terminated UTF-8) per device found; the integer is
    // the SDK's own and carries nothing the program uses.
    using SearchCallback = void (*)(int nContext, const char *szReport);
    // Searches the LAN, calling the callback once per device before it returns.
    using SearchFunction = int (*)(int nMode, int nWaitMs, SearchCallback pCallback, int nReserved);
    // Queries parameter szQuery of the device at szIp:nPort into the nSize bytes at
    // pResult; 0 means success and a filled area, anything else failure.
    using QueryFunction = int (*)(const char *szIp, int nPort, const char *szUser, const char *szPassword,
                                  int nReserved, const char *szQuery, int nSize, void *pResult);

    // Runs the installed search function and returns what it returns.
    static int search(int nMode, int nWaitMs, SearchCallback pCallback, int nReserved);
    // Runs the installed query function and returns what it returns.
    static int queryParameter(const char *szIp, int nPort, const char *szUser, const char *szPassword,
                              int nReserved, const char *szQuery, int nSize, void *pResult);

    // Installs the search function; nullptr puts the stand-in back. Safe from any thread;
    // a search already running keeps the function it started with.
    static void setSearchFunction(SearchFunction pSearch);
    // Installs the query function; nullptr puts the stand-in back. Safe from any thread.
    static void setQueryFunction(QueryFunction pQuery);
    // Puts both stand-ins back.
    static void reset();

    DeviceSdk() = delete;
};
