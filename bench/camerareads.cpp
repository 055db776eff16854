#include "bench/camerareads.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QUrlQuery>

#include "net/commandurl.h"

namespace {

// What the program's client puts on its two reads (net/chttp.cpp, net/modifymodel.cpp).
constexpr char kQueryVersionJson[] = R"({"QueryState":{"QueryVersion":{}}})";
constexpr char kFormType[] = "application/x-www-form-urlencoded";
constexpr char kAcceptEncoding[] = "Accept-Encoding";
constexpr char kIdentity[] = "identity";
constexpr char kValueKey[] = "stValue";
constexpr int kVersionRead = 0;

} // namespace

QNetworkRequest CameraReads::request(const QString &strIp, int nRead)
{
    QNetworkRequest request(nRead == kVersionRead ? CommandUrl::plain(strIp) : CommandUrl::getEnv(strIp));
    if (nRead == kVersionRead)
        request.setHeader(QNetworkRequest::ContentTypeHeader, QLatin1String(kFormType));
    request.setRawHeader(kAcceptEncoding, kIdentity);
    return request;
}

QByteArray CameraReads::body(int nRead)
{
    if (nRead != kVersionRead)
        return QByteArray();
    QUrlQuery body;
    body.addQueryItem(CommandUrl::commandField(), QLatin1String(kQueryVersionJson));
    return body.toString(QUrl::FullyEncoded).toUtf8();
}

bool CameraReads::isAnswer(const QByteArray &baBody)
{
    return !QJsonDocument::fromJson(baBody).object().value(QLatin1String(kValueKey)).toObject().isEmpty();
}
