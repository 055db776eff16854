#pragma once

#include <QHash>
#include <QString>

/// The device commands, by their numbers in g_mapCmdName.
enum DeviceCommand {
    CmdSetEnv = 0,
    CmdGetEnv = 1,
    CmdQueryVersion = 2,
    CmdReboot = 3,
    CmdNone = -1, ///< what getCmdIndex gives for a name that is no command
};

/// The result codes of g_mapResultName.
enum ResultCode {
    ResultUnknown = -1,
    ResultSuccess = 0,
    ResultFailed = 1,
    ResultFormError = 2,
};

// Command numbers and their names as the cameras know them.
extern const QHash<int, QString> g_mapCmdName;
// Result codes and the texts shown to the user.
extern const QHash<int, QString> g_mapResultName;

// The command name for a number, "Unknown" when there is none.
QString getCmdName(int nCmd);
// The result text for a code, "Unknow" when there is none.
QString getResultName(int nResult);
// The command number for a name (exact match), -1 when there is none.
int getCmdIndex(const QString &strName);
