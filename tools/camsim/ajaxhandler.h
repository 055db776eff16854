#pragma once

#include <QJsonObject>
#include <QString>

#include "tools/camsim/ajaxcommand_s.h"
#include "tools/camsim/httpreply_s.h"
#include "tools/camsim/httprequest_s.h"
#include "tools/camsim/simcamera_s.h"

// The camera's /ajaxcom endpoint. The JSON command travels in the field "szCmd"; each
// command has one accepted form and anything else is an error answer (HTTP 4xx with
// {"nRetVal":-1,"szError":...}):
//   "GetEnv"       GET,  szCmd in the URL query
//   "SetEnv"       POST, szCmd in the URL query
//   "QueryVersion" POST, szCmd in an application/x-www-form-urlencoded body
//   "Reboot"       POST, szCmd in the URL query
class AjaxHandler
{
public:
    static AjaxCommand_S parse(const HttpRequest_S &stRequest);
    // Carries out a command parse() accepted; bReboot is set for a "Reboot" the camera
    // accepts (its reboot status is 0).
    static HttpReply_S execute(const AjaxCommand_S &stCommand, SimCamera_S &stCamera, bool &bReboot);
    static HttpReply_S errorReply(int nStatus, const QString &strError);
    static HttpReply_S jsonReply(const QJsonObject &objBody);
    static QByteArray reasonOf(int nStatus);

private:
    static bool findCmdText(const HttpRequest_S &stRequest, AjaxCommand_S &stCommand, bool &bInBody);
    static QString commandName(const QJsonObject &objRoot);
    static bool checkForm(const HttpRequest_S &stRequest, bool bInBody, AjaxCommand_S &stCommand);
    static HttpReply_S getEnv(const SimCamera_S &stCamera);
    static HttpReply_S setEnv(const QJsonObject &objRoot, SimCamera_S &stCamera);
    static HttpReply_S queryVersion(const SimCamera_S &stCamera);
    static HttpReply_S retVal(int nRetVal);
};
