#pragma once

#include <QString>
#include <QStringList>

// How a hostile camera misbehaves. Search-side modes spoil its search replies, HTTP-side
// modes spoil its answers on /ajaxcom; a camera has at most one mode.
enum class HostileMode {
    None,
    RandomBytes,   // search replies and HTTP answers of random bytes
    BadAddress,    // search replies whose address text is not an IPv4 address
    OversizedBody, // HTTP answers with a huge streamed body
    InvalidJson,   // HTTP answers whose body is broken JSON
    Flood,         // a bounded flood of random datagrams after each search
    Redirect,      // HTTP 302 to an address no search reply carries
    Trickle,       // HTTP answers sent one byte at a time
    NeverAnswer,   // HTTP requests read and never answered
    PlausibleFlood, // a bounded flood of well-formed search replies, each with another address
    GzipBomb,      // HTTP answers whose small gzip body inflates to a huge one
    SetEnvDrop,    // "SetEnv" applied, then the connection dropped without an answer
};

// How an oversized body is delimited.
enum class BodyFraming {
    Length,  // Content-Length
    Chunked, // Transfer-Encoding: chunked
    Close,   // no length: the body ends when the connection closes
};

struct HostileModeName {
    HostileMode eMode;
    const char *pszName;
};

constexpr HostileModeName kHostileModeNames[] = {
    {HostileMode::None, "none"},
    {HostileMode::RandomBytes, "random-bytes"},
    {HostileMode::BadAddress, "bad-address"},
    {HostileMode::OversizedBody, "oversized-body"},
    {HostileMode::InvalidJson, "invalid-json"},
    {HostileMode::Flood, "flood"},
    {HostileMode::Redirect, "redirect"},
    {HostileMode::Trickle, "trickle"},
    {HostileMode::NeverAnswer, "never-answer"},
    {HostileMode::PlausibleFlood, "plausible-flood"},
    {HostileMode::GzipBomb, "gzip-bomb"},
    {HostileMode::SetEnvDrop, "setenv-drop"},
};

inline QString hostileModeName(HostileMode eMode)
{
    for (const HostileModeName &stName : kHostileModeNames) {
        if (stName.eMode == eMode)
            return QString::fromLatin1(stName.pszName);
    }
    return QString();
}

// Sets eMode and returns true when strName is one of the names above.
inline bool hostileModeFromName(const QString &strName, HostileMode &eMode)
{
    for (const HostileModeName &stName : kHostileModeNames) {
        if (strName == QLatin1String(stName.pszName)) {
            eMode = stName.eMode;
            return true;
        }
    }
    return false;
}

inline QStringList hostileModeNames()
{
    QStringList listNames;
    for (const HostileModeName &stName : kHostileModeNames)
        listNames << QString::fromLatin1(stName.pszName);
    return listNames;
}
