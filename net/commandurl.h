#pragma once

#include <QString>
#include <QUrl>

/**
 * The URLs of the camera's command endpoint "http://<address>/ajaxcom", whose JSON command
 * travels in the field "szCmd".
 */
class CommandUrl
{
public:
    /// The port of the endpoint: the URLs name none, so HTTP's default.
    static constexpr quint16 HTTP_PORT = 80;

    /// The endpoint of @p strIp, parsed in tolerant mode, without a query.
    static QUrl plain(const QString &strIp);
    /// The endpoint with the query item "szCmd" = @p strValue, which goes in as given.
    static QUrl withCommand(const QString &strIp, const QString &strValue);
    /// The "GetEnv" request's URL: the fixed command, percent-encoded beforehand.
    static QUrl getEnv(const QString &strIp);
    /// The name of the command field, "szCmd".
    static QString commandField();
    /// "host:port" of @p url, the port HTTP_PORT when it names none: one key per endpoint.
    static QString hostKey(const QUrl &url);

    CommandUrl() = delete;
};
