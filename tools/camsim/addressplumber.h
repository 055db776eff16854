#pragma once

#include <QString>

class RequestLog;

// Makes an address local before a camera listens on it, and takes it away when no camera
// holds it any more. Only with --manage-addresses, meant for the lab's camera namespace:
// there it adds the address to the camera interface as a /32 with `ip addr add`, and
// removes it with `ip addr del`. Otherwise it changes nothing.
class AddressPlumber
{
public:
    AddressPlumber(bool bEnabled, const QString &strInterface, RequestLog *pLog);

    // True when strAddress is local now (loopback addresses always are).
    bool ensureLocal(const QString &strAddress) const;
    // Removes strAddress from the camera interface, so that what is sent there finds
    // nobody and gets no answer at all.
    void release(const QString &strAddress) const;

private:
    static bool isLocal(const QString &strAddress);
    // Runs `ip addr VERB ADDR/PREFIX dev INTERFACE` and logs it under strTag.
    void runIpAddr(const QString &strTag, const QString &strVerb, const QString &strAddress, int nPrefix) const;

    bool m_bEnabled;
    QString m_strInterface;
    RequestLog *m_pLog;
};
