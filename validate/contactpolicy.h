#pragma once

#include <QString>

/**
 * Which addresses from the network the tool may send a request to.
 *
 * A search reply is not validated, so its address text may name the computer itself or
 * everyone: 0.0.0.0/8 (this network), 127.0.0.0/8 (loopback), 224.0.0.0/4 (multicast) and
 * 240.0.0.0/4 (reserved, 255.255.255.255 included) can only come from a fault or a spoof,
 * and are never contacted. A text that is not a plain dotted quad is never contacted either.
 *
 * Tests whose fake cameras live on loopback turn the loopback refusal off in code with
 * setLoopbackAllowed(); nothing outside the program's code can.
 */
class ContactPolicy
{
public:
    /// True when a request may go to @p strAddress.
    static bool mayContact(const QString &strAddress);
    /// Why @p strAddress is never contacted ("loopback: the computer itself"); empty when it may be.
    static QString refusalReason(const QString &strAddress);
    /// Lets requests go to 127.0.0.0/8 (default false). For tests with fake cameras on loopback.
    static void setLoopbackAllowed(bool bAllowed);

    ContactPolicy() = delete;
};
