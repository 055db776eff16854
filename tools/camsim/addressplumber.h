#pragma once

#include <QString>

class RequestLog;

// Makes an address local before a camera listens on it. Only with --manage-addresses,
// meant for the lab's camera namespace: there it adds the address to the camera
// interface as a /32 with `ip addr add`. Otherwise it changes nothing.
class AddressPlumber
{
public:
    AddressPlumber(bool bEnabled, const QString &strInterface, RequestLog *pLog);

    // True when strAddress is local now (loopback addresses always are).
    bool ensureLocal(const QString &strAddress) const;

private:
    static bool isLocal(const QString &strAddress);

    bool m_bEnabled;
    QString m_strInterface;
    RequestLog *m_pLog;
};
