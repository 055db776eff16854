#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

// What a request to /ajaxcom asks for: the command name ("GetEnv", "SetEnv",
// "QueryVersion", "Reboot", or "-" when it cannot be told), the decoded "szCmd" text and
// its JSON root. nErrorStatus is 0 for a request that can be carried out, otherwise the
// HTTP status of the error answer, with strError as its reason.
struct AjaxCommand_S
{
    QString strCmd = QStringLiteral("-");
    QByteArray baJson;
    QJsonObject objRoot;
    int nErrorStatus = 0;
    QString strError;
};
