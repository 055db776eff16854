#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

class QTcpServer;
class QTcpSocket;

/**
 * A camera's HTTP command endpoint on a real TCP socket.
 *
 * Parses HTTP/1.1 requests (request line, headers, Content-Length body; several requests
 * per keep-alive connection), records each one and answers it by the command found in its
 * "szCmd" field (URL query item, or form body). Commands are recognised from the JSON
 * root: "GetEnv", "SetEnv", "QueryState" with "QueryVersion" inside, "SysCtrl" with
 * "Reboot" inside. Each answer carries Content-Length and "Connection: keep-alive", or
 * "Connection: close" (then the connection is closed after the answer) when the request
 * asked for it or was HTTP/1.0.
 *
 * Defaults: a command without a reply set, or an unrecognised request, is answered
 * "404 Not Found" with an empty body; replies go out at once; connections stay open.
 */
class FakeHttpCamera : public QObject
{
    Q_OBJECT

public:
    struct Request
    {
        QByteArray method;
        QByteArray target;                     // as sent, e.g. "/ajaxcom?szCmd=..."
        QByteArray body;
        QByteArray raw;                        // request line, headers and body as received
        QMap<QByteArray, QByteArray> headers;  // names lower-case, values trimmed
        QString command;                       // "GetEnv", "SetEnv", "QueryVersion", "Reboot" or empty
        QByteArray cmdJson;                    // the decoded "szCmd" value
    };

    explicit FakeHttpCamera(QObject *parent = nullptr);
    ~FakeHttpCamera() override;

    /// Listens on @p address; port 0 picks a free one. False when listening fails.
    bool listen(const QHostAddress &address = QHostAddress::LocalHost, quint16 nPort = 0);
    quint16 port() const;
    /// "127.0.0.1:PORT", ready to hand to the command slots as the device address.
    QString hostPort() const;

    /// Answers @p strCommand with @p baBody and @p nHttpStatus (reason phrase filled in).
    void setReply(const QString &strCommand, const QByteArray &baBody, int nHttpStatus = 200);
    /// Adds a header line to every answer to @p strCommand (e.g. "Location" for a 3xx).
    void setReplyHeader(const QString &strCommand, const QByteArray &baName, const QByteArray &baValue);
    /// Holds the answer to @p strCommand back for @p nDelayMs.
    void setReplyDelay(const QString &strCommand, int nDelayMs);
    /**
     * Announces @p nLength as Content-Length for @p strCommand, whatever the body's size,
     * and keeps the connection open after writing the body: a peer that claims more than
     * it sends, or keeps sending.
     */
    void setDeclaredLength(const QString &strCommand, qint64 nLength);
    /// When true, connections are accepted and read but never answered. Default false.
    void setSilent(bool bSilent);
    /// Answers "GetEnv" with MAC @p strMac, address @p strAddress, mask /24, gateway 192.168.1.1, DHCP off.
    void setGetEnvMac(const QString &strMac, const QString &strAddress = QStringLiteral("192.168.1.64"));
    /// When true, closes each connection after an answer that still reads "keep-alive". Default false.
    void setCloseAfterReply(bool bClose);
    /// Records @p strCommand, then drops its connection unanswered: it took the command and went away.
    void setDropInsteadOfAnswer(const QString &strCommand);

    QList<Request> requests() const;
    /// The commands of the requests so far, in order.
    QStringList commands() const;
    /// Connections accepted so far.
    int connectionCount() const;

signals:
    void requestReceived();

private:
    struct Reply
    {
        QByteArray baBody;
        int nStatus = 404;
        QList<QPair<QByteArray, QByteArray>> listHeaders;
        int nDelayMs = 0;
        qint64 nDeclaredLength = -1;
    };

    void acceptConnections();
    void readFromSocket(QTcpSocket *pSocket);
    bool takeRequest(QByteArray &baBuffer, Request &request, bool &bClose);
    void answer(QTcpSocket *pSocket, const Request &request, bool bClose);
    void writeAnswer(QTcpSocket *pSocket, const Reply &reply, bool bClose);
    static QString recogniseCommand(const QByteArray &baJson);
    static QByteArray commandJson(const Request &request);

    QTcpServer *m_pServer = nullptr;
    QHash<QString, Reply> m_hashReplies;
    QHash<QTcpSocket *, QByteArray> m_hashBuffers;
    QList<Request> m_listRequests;
    QString m_strDropCommand;
    bool m_bSilent = false;
    bool m_bCloseAfterReply = false;
    int m_nConnections = 0;
};
