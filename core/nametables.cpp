#include "core/nametables.h"

const QHash<int, QString> g_mapCmdName = {
    {CmdSetEnv, QStringLiteral("SetEnv")},
    {CmdGetEnv, QStringLiteral("GetEnv")},
    {CmdQueryVersion, QStringLiteral("QueryVersion")},
    {CmdReboot, QStringLiteral("Reboot")},
};

const QHash<int, QString> g_mapResultName = {
    {ResultUnknown, QStringLiteral("Unknow")},
    {ResultSuccess, QStringLiteral("Success")},
    {ResultFailed, QStringLiteral("Failed")},
    {ResultFormError, QStringLiteral("Form Error")},
};

QString getCmdName(int nCmd)
{
    return g_mapCmdName.value(nCmd, QStringLiteral("Unknown"));
}

QString getResultName(int nResult)
{
    return g_mapResultName.value(nResult, QStringLiteral("Unknow"));
}

int getCmdIndex(const QString &strName)
{
    return g_mapCmdName.key(strName, CmdNone);
}
