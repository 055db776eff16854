#include "tools/camsim/ajaxhandler.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>
#include <QUrlQuery>

#include "tools/camsim/ipv4text.h"

namespace {

const QByteArray kEndpoint = "/ajaxcom";
const QString kCmdField = QStringLiteral("szCmd");
const QByteArray kFormType = "application/x-www-form-urlencoded";
const QString kGetEnv = QStringLiteral("GetEnv");
const QString kSetEnv = QStringLiteral("SetEnv");
const QString kQueryVersion = QStringLiteral("QueryVersion");
const QString kReboot = QStringLiteral("Reboot");
constexpr int kNoError = 0;

struct StatusReason {
    int nStatus;
    const char *pszReason;
};

const StatusReason kStatusReasons[] = {
    {HttpStatus::kFound, "Found"},
    {HttpStatus::kBadRequest, "Bad Request"},
    {HttpStatus::kNotFound, "Not Found"},
    {HttpStatus::kPayloadTooLarge, "Payload Too Large"},
    {HttpStatus::kHeadTooLarge, "Request Header Fields Too Large"},
    {HttpStatus::kNotImplemented, "Not Implemented"},
};

struct CommandForm {
    const QString &strCmd;
    const char *pszMethod;
    bool bInBody;
};

const CommandForm kCommandForms[] = {
    {kGetEnv, "GET", false},
    {kSetEnv, "POST", false},
    {kQueryVersion, "POST", true},
    {kReboot, "POST", false},
};

// Values of form-encoded text: '+' stands for a space, then percent-decoding.
QStringList formValues(const QByteArray &baEncoded, const QString &strKey)
{
    QByteArray baText = baEncoded;
    baText.replace('+', "%20");
    return QUrlQuery(QString::fromLatin1(baText)).allQueryItemValues(strKey, QUrl::FullyDecoded);
}

bool readText(const QJsonObject &objFrom, const char *pszKey, QString &strValue)
{
    const QJsonValue value = objFrom.value(QLatin1String(pszKey));
    if (!value.isString())
        return false;
    strValue = value.toString();
    return true;
}

} // namespace

AjaxCommand_S AjaxHandler::parse(const HttpRequest_S &stRequest)
{
    AjaxCommand_S stCommand;
    if (stRequest.baPath != kEndpoint) {
        stCommand.nErrorStatus = HttpStatus::kNotFound;
        stCommand.strError = QStringLiteral("no such endpoint");
        return stCommand;
    }
    bool bInBody = false;
    if (!findCmdText(stRequest, stCommand, bInBody))
        return stCommand;
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(stCommand.baJson, &parseError);
    stCommand.nErrorStatus = HttpStatus::kBadRequest;
    if (parseError.error != QJsonParseError::NoError || !doc.isObject()) {
        stCommand.strError = QStringLiteral("szCmd is not a JSON object: ") + parseError.errorString();
        return stCommand;
    }
    stCommand.objRoot = doc.object();
    stCommand.strCmd = commandName(stCommand.objRoot);
    if (stCommand.strCmd.isEmpty()) {
        stCommand.strCmd = QStringLiteral("-");
        stCommand.strError = QStringLiteral("unknown command");
        return stCommand;
    }
    if (checkForm(stRequest, bInBody, stCommand))
        stCommand.nErrorStatus = kNoError;
    return stCommand;
}

bool AjaxHandler::findCmdText(const HttpRequest_S &stRequest, AjaxCommand_S &stCommand, bool &bInBody)
{
    const QStringList listInQuery = formValues(stRequest.baQuery, kCmdField);
    const bool bFormBody = stRequest.hashHeaders.value("content-type").toLower().startsWith(kFormType);
    const QStringList listInBody = bFormBody ? formValues(stRequest.baBody, kCmdField) : QStringList();
    stCommand.nErrorStatus = HttpStatus::kBadRequest;
    if (listInQuery.size() + listInBody.size() != 1) {
        stCommand.strError = listInQuery.isEmpty() && listInBody.isEmpty() ? QStringLiteral("szCmd is missing")
                                                                            : QStringLiteral("szCmd is given more than once");
        return false;
    }
    bInBody = !listInBody.isEmpty();
    stCommand.baJson = (bInBody ? listInBody : listInQuery).constFirst().toUtf8();
    stCommand.nErrorStatus = kNoError;
    return true;
}

QString AjaxHandler::commandName(const QJsonObject &objRoot)
{
    if (objRoot.size() != 1)
        return QString();
    if (objRoot.value(kGetEnv).isObject())
        return kGetEnv;
    if (objRoot.value(kSetEnv).isObject())
        return kSetEnv;
    if (objRoot.value(QStringLiteral("QueryState")).toObject().value(kQueryVersion).isObject())
        return kQueryVersion;
    if (objRoot.value(QStringLiteral("SysCtrl")).toObject().value(kReboot).isObject())
        return kReboot;
    return QString();
}

bool AjaxHandler::checkForm(const HttpRequest_S &stRequest, bool bInBody, AjaxCommand_S &stCommand)
{
    for (const CommandForm &stForm : kCommandForms) {
        if (stForm.strCmd != stCommand.strCmd)
            continue;
        if (stRequest.baMethod == stForm.pszMethod && bInBody == stForm.bInBody)
            return true;
        stCommand.strError = QStringLiteral("%1 expects %2 with szCmd in the %3")
                                 .arg(stForm.strCmd, QLatin1String(stForm.pszMethod),
                                      stForm.bInBody ? QStringLiteral("form body") : QStringLiteral("URL query"));
        return false;
    }
    return false;
}

HttpReply_S AjaxHandler::execute(const AjaxCommand_S &stCommand, SimCamera_S &stCamera, bool &bReboot)
{
    bReboot = stCommand.strCmd == kReboot && stCamera.nRebootStatus == 0;
    if (stCommand.strCmd == kGetEnv)
        return getEnv(stCamera);
    if (stCommand.strCmd == kSetEnv)
        return setEnv(stCommand.objRoot, stCamera);
    if (stCommand.strCmd == kQueryVersion)
        return queryVersion(stCamera);
    return retVal(stCamera.nRebootStatus);
}

HttpReply_S AjaxHandler::getEnv(const SimCamera_S &stCamera)
{
    const QJsonObject objEth {
        {QStringLiteral("szIPAddr"), stCamera.strIPAddr},
        {QStringLiteral("szSubMask"), stCamera.strSubMask},
        {QStringLiteral("szGateway"), stCamera.strGateway},
        {QStringLiteral("szMacAddr"), stCamera.strMacAddr},
        {QStringLiteral("byValid"), stCamera.nByValid},
        {QStringLiteral("bDefault"), 1},
    };
    const QJsonObject objDns {
        {QStringLiteral("szDns1"), stCamera.strDns1},
        {QStringLiteral("szDns2"), stCamera.strDns2},
    };
    const QJsonObject objValue {{QStringLiteral("stEth"), QJsonArray {objEth}}, {QStringLiteral("stDns"), objDns}};
    return jsonReply({{QStringLiteral("nRetVal"), 0}, {QStringLiteral("stValue"), objValue}});
}

HttpReply_S AjaxHandler::setEnv(const QJsonObject &objRoot, SimCamera_S &stCamera)
{
    const QJsonObject objNetWork = objRoot.value(kSetEnv).toObject().value(QStringLiteral("NetWork")).toObject();
    const QJsonArray arrEth = objNetWork.value(QStringLiteral("stEth")).toArray();
    const QJsonObject objEth = arrEth.isEmpty() ? QJsonObject() : arrEth.first().toObject();
    SimCamera_S stNew = stCamera;
    if (!readText(objEth, "szIPAddr", stNew.strIPAddr) || !readText(objEth, "szSubMask", stNew.strSubMask)
        || !readText(objEth, "szGateway", stNew.strGateway))
        return errorReply(HttpStatus::kBadRequest, QStringLiteral("SetEnv needs NetWork.stEth[0] with szIPAddr, szSubMask and szGateway texts"));
    const QJsonValue valByValid = objEth.value(QStringLiteral("byValid"));
    const double dByValid = valByValid.toDouble(-1);
    if (!valByValid.isDouble() || dByValid < 0 || dByValid > 255 || dByValid != int(dByValid))
        return errorReply(HttpStatus::kBadRequest, QStringLiteral("SetEnv needs byValid, a whole number 0-255"));
    if (!Ipv4Text::isAddress(stNew.strIPAddr) || !Ipv4Text::isMask(stNew.strSubMask) || !Ipv4Text::isAddress(stNew.strGateway))
        return errorReply(HttpStatus::kBadRequest, QStringLiteral("SetEnv carries an address, mask or gateway that is not IPv4"));
    const QJsonObject objDns = objNetWork.value(QStringLiteral("stDns")).toObject();
    readText(objDns, "szDns1", stNew.strDns1);
    readText(objDns, "szDns2", stNew.strDns2);
    stNew.nByValid = int(dByValid);
    if (stCamera.nSetEnvStatus != 0)
        return retVal(stCamera.nSetEnvStatus);
    stCamera = stNew;
    return retVal(0);
}

HttpReply_S AjaxHandler::queryVersion(const SimCamera_S &stCamera)
{
    const QJsonObject objValue {
        {QStringLiteral("dwCamVersion"), qint64(stCamera.dwCamVersion)},
        {QStringLiteral("dwArmVersion"), qint64(stCamera.dwArmVersion)},
        {QStringLiteral("dwAFVersion"), qint64(stCamera.dwAFVersion)},
    };
    return jsonReply({{QStringLiteral("nRetVal"), 0}, {QStringLiteral("stValue"), objValue}});
}

HttpReply_S AjaxHandler::retVal(int nRetVal)
{
    return jsonReply({{QStringLiteral("nRetVal"), nRetVal}});
}

HttpReply_S AjaxHandler::jsonReply(const QJsonObject &objBody)
{
    HttpReply_S stReply;
    stReply.listHeaders << qMakePair(QByteArray("Content-Type"), QByteArray("application/json"));
    stReply.baBody = QJsonDocument(objBody).toJson(QJsonDocument::Compact);
    return stReply;
}

HttpReply_S AjaxHandler::errorReply(int nStatus, const QString &strError)
{
    HttpReply_S stReply = jsonReply({{QStringLiteral("nRetVal"), -1}, {QStringLiteral("szError"), strError}});
    stReply.nStatus = nStatus;
    stReply.baReason = reasonOf(nStatus);
    return stReply;
}

QByteArray AjaxHandler::reasonOf(int nStatus)
{
    for (const StatusReason &stReason : kStatusReasons) {
        if (stReason.nStatus == nStatus)
            return stReason.pszReason;
    }
    return "Error";
}
