#pragma once

#include <QHash>
#include <QString>

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
