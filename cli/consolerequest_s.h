#pragma once

#include <QString>

/// What the command line asks for, once its arguments are understood.
struct ConsoleRequest_S
{
    /// The command: list the site, write one camera, or write a plan file.
    enum class Command { List, Set, Apply };

    Command eCommand = Command::List;
    QString strFrom;     ///< the local address to search from; empty for the computer's only private one
    QString strFormat;   ///< list: "table", "csv" or "json"
    QString strMac;      ///< set: the camera's MAC, in the cameras' form
    QString strAddress;  ///< set: the new static address, with its mask and gateway
    QString strMask;
    QString strGateway;
    bool bDhcp = false;  ///< set: DHCP instead of a static address
    QString strPlanPath; ///< apply: the plan file
    bool bYes = false;   ///< write without asking
};
