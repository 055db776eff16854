#include "net/commandurl.h"

#include <QUrlQuery>

namespace {
constexpr char DEVICE_URL_FORMAT[] = "http://%1/ajaxcom";
constexpr char CMD_FIELD[] = "szCmd";
constexpr char GET_ENV_JSON[] = R"({"GetEnv":{"NetWork":{"nChannel":-1}}})";
} // namespace

QUrl CommandUrl::plain(const QString &strIp)
{
    return QUrl(QString::fromLatin1(DEVICE_URL_FORMAT).arg(strIp), QUrl::TolerantMode);
}

QUrl CommandUrl::withCommand(const QString &strIp, const QString &strValue)
{
    QUrl url = plain(strIp);
    QUrlQuery query;
    query.addQueryItem(commandField(), strValue);
    url.setQuery(query);
    return url;
}

QUrl CommandUrl::getEnv(const QString &strIp)
{
    return withCommand(strIp, QString::fromLatin1(QUrl::toPercentEncoding(QLatin1String(GET_ENV_JSON))));
}

QString CommandUrl::commandField()
{
    return QLatin1String(CMD_FIELD);
}

QString CommandUrl::hostKey(const QUrl &url)
{
    return url.host(QUrl::FullyDecoded) + QLatin1Char(':') + QString::number(url.port(HTTP_PORT));
}
