#include "core/nametables.h"

const QHash<int, QString> g_mapCmdName = {
    {0, QStringLiteral("SetEnv")},
    {1, QStringLiteral("GetEnv")},
    {2, QStringLiteral("QueryVersion")},
    {3, QStringLiteral("Reboot")},
};

const QHash<int, QString> g_mapResultName = {
    {-1, QStringLiteral("Unknow")},
    {0, QStringLiteral("Success")},
    {1, QStringLiteral("Failed")},
    {2, QStringLiteral("Form Error")},
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
    return g_mapCmdName.key(strName, -1);
}
