#pragma once

#include <QString>

// Checks run on edited network settings before they are written to a camera. Each answers
// true or false and writes the reason for a refusal to the debug log; none keeps state.

// True when ip is a dotted-quad IPv4 address that may be given to a host: four decimal
// segments of 0 to 255 without leading zeros, not loopback, not "0.0.0.0", last part neither 0 nor
// 255 (every network is treated as a /24), not multicast, not reserved, not APIPA.
// Logs the reason when refusing, and a confirmation when accepting.
bool checkIpValid(const QString &strIp);

// True when mask is a dotted-quad subnet mask (leading zeros allowed) whose one bits are
// contiguous from the top, neither all zero nor all one. Logs the reason when refusing.
bool checkMaskValid(const QString &strMask);

// True when all three texts are IPv4 addresses and the first two agree on every bit set in
// the mask. The two addresses must be in the plain dotted form; the mask may carry leading
// zeros, as the mask check allows them. Logs nothing.
bool isSameSubnet(const QString &strFirst, const QString &strSecond, const QString &strMask);

// True when address is a host address of the subnet its own mask makes: neither that subnet's
// network address (all host bits zero) nor its broadcast address (all host bits one).
// 10.1.1.15 with 255.255.255.240 is refused (the /28's broadcast); 10.1.1.0 with 255.255.0.0 is
// a host. A /31 mask has no network or broadcast address (RFC 3021), so both of its addresses
// are hosts. False as well when the address is not a plain dotted quad or the mask is no valid
// mask (the mask check's rules: leading zeros allowed, neither all zero nor all one bits).
// Logs the reason, in English, when refusing.
bool isHostAddressInSubnet(const QString &strAddress, const QString &strMask);

// The mask in the plain dotted form every camera reads ("255.255.255.000" gives
// "255.255.255.0"); a text that is no dotted mask comes back unchanged.
QString plainMaskText(const QString &strMask);

// True when address is a plain dotted quad that QHostAddress reads as IPv4 and writes back
// unchanged: no host names, ports, paths, user parts or numeric shorthands ("2130706433",
// "127.1"). Addresses that come from the network must pass it before any request goes to
// them. Logs nothing.
bool isDottedQuadIpv4(const QString &strAddress);
