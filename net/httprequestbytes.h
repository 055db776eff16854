#pragma once

#include <QByteArray>

class QNetworkRequest;
class QUrl;

/**
 * The bytes of an HTTP/1.1 request exactly as Qt's network access manager writes them
 * for a request the HTTP client has prepared, so that a request sent on a connection the
 * program holds reads the same to a camera as one sent through Qt.
 *
 * The request line carries the URL's path ("/" when empty) and query, fully encoded.
 * "Host" comes first (with the port when the URL names one), then the request's own raw
 * headers in the order they were set; a POST adds its "Content-Length" (also for an empty
 * body); then "Connection: Keep-Alive", "Accept-Language" (from the system locale, as Qt
 * derives it) and "User-Agent: Mozilla/5.0", each unless the request sets it itself; last,
 * a POST without a content type gets "application/x-www-form-urlencoded", as Qt defaults.
 */
class HttpRequestBytes
{
public:
    /// A GET of @p request.
    static QByteArray get(const QNetworkRequest &request);
    /// A POST of @p request carrying @p baBody.
    static QByteArray post(const QNetworkRequest &request, const QByteArray &baBody);

    HttpRequestBytes() = delete;

private:
    static QByteArray build(const QByteArray &baMethod, const QNetworkRequest &request, const QByteArray *pBody);
    static QByteArray target(const QUrl &url);
    static QByteArray hostField(const QUrl &url);
    static QByteArray acceptLanguage();
};
