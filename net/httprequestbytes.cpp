#include "net/httprequestbytes.h"

#include <QLocale>
#include <QNetworkRequest>
#include <QUrl>

namespace {

constexpr char METHOD_GET[] = "GET";
constexpr char METHOD_POST[] = "POST";
constexpr char PROTOCOL[] = " HTTP/1.1";
constexpr char LINE_END[] = "\r\n";
constexpr char FIELD_SEPARATOR[] = ": ";
constexpr char HOST[] = "Host";
constexpr char CONTENT_LENGTH[] = "Content-Length";
constexpr char CONTENT_TYPE[] = "Content-Type";
constexpr char FORM_CONTENT_TYPE[] = "application/x-www-form-urlencoded";
constexpr char CONNECTION[] = "Connection";
constexpr char KEEP_ALIVE[] = "Keep-Alive";
constexpr char ACCEPT_LANGUAGE[] = "Accept-Language";
constexpr char USER_AGENT[] = "User-Agent";
constexpr char AGENT[] = "Mozilla/5.0";
constexpr char ROOT_PATH[] = "/";
constexpr char C_LOCALE[] = "C";
constexpr char ENGLISH_PREFIX[] = "en-";
constexpr char ANY_LANGUAGE[] = ",*";
constexpr char ENGLISH_THEN_ANY[] = ",en,*";
constexpr char ENGLISH_ONLY[] = "en,*";

void appendField(QByteArray &baRequest, const QByteArray &baName, const QByteArray &baValue)
{
    baRequest += baName + FIELD_SEPARATOR + baValue + LINE_END;
}

// Adds a field the request does not set itself.
void appendDefault(QByteArray &baRequest, const QNetworkRequest &request, const QByteArray &baName,
                   const QByteArray &baValue)
{
    if (!request.hasRawHeader(baName))
        appendField(baRequest, baName, baValue);
}

} // namespace

QByteArray HttpRequestBytes::get(const QNetworkRequest &request)
{
    return build(METHOD_GET, request, nullptr);
}

QByteArray HttpRequestBytes::post(const QNetworkRequest &request, const QByteArray &baBody)
{
    return build(METHOD_POST, request, &baBody);
}

QByteArray HttpRequestBytes::build(const QByteArray &baMethod, const QNetworkRequest &request, const QByteArray *pBody)
{
    QByteArray baRequest = baMethod + ' ' + target(request.url()) + PROTOCOL + LINE_END;
    appendDefault(baRequest, request, HOST, hostField(request.url()));
    const QList<QByteArray> listNames = request.rawHeaderList();
    for (const QByteArray &baName : listNames)
        appendField(baRequest, baName, request.rawHeader(baName));
    if (pBody)
        appendField(baRequest, CONTENT_LENGTH, QByteArray::number(pBody->size()));
    appendDefault(baRequest, request, CONNECTION, KEEP_ALIVE);
    appendDefault(baRequest, request, ACCEPT_LANGUAGE, acceptLanguage());
    appendDefault(baRequest, request, USER_AGENT, AGENT);
    if (pBody)
        appendDefault(baRequest, request, CONTENT_TYPE, FORM_CONTENT_TYPE);
    baRequest += LINE_END;
    if (pBody)
        baRequest += *pBody;
    return baRequest;
}

QByteArray HttpRequestBytes::target(const QUrl &url)
{
    QUrl copy(url);
    QUrl::FormattingOptions format(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment
                                   | QUrl::FullyEncoded);
    if (copy.path().isEmpty())
        copy.setPath(QLatin1String(ROOT_PATH));
    else
        format |= QUrl::NormalizePathSegments;
    return copy.toEncoded(format);
}

QByteArray HttpRequestBytes::hostField(const QUrl &url)
{
    QByteArray baHost = QUrl::toAce(url.host());
    if (url.port() != -1)
        baHost += ':' + QByteArray::number(url.port());
    return baHost;
}

// "en,*" for the C locale, "<name>,*" for an English one, else "<name>,en,*", the name
// written with a hyphen ("de-DE").
QByteArray HttpRequestBytes::acceptLanguage()
{
    const QString strName = QLocale::system().name().replace(QLatin1Char('_'), QLatin1Char('-'));
    if (strName == QLatin1String(C_LOCALE))
        return ENGLISH_ONLY;
    const QByteArray baName = strName.toLatin1();
    return baName + (baName.startsWith(ENGLISH_PREFIX) ? ANY_LANGUAGE : ENGLISH_THEN_ANY);
}
