#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

class QHostAddress;
class QTimer;
class QUdpSocket;

/**
 * A camera's side of the multicast search, on the loopback interface only.
 *
 * start() binds UDP port 54362 (shared, so several responders may run) and joins
 * 234.200.200.1 on the loopback interface. Every datagram received there is recorded as a
 * request; then each reply added with addReply() is sent unicast back to the requester's
 * address and port after its own delay. Replies still waiting when the responder is
 * destroyed or clearReplies() runs are never sent.
 */
class FakeSearchResponder : public QObject
{
    Q_OBJECT

public:
    static constexpr quint16 kListenPort = 54362;

    explicit FakeSearchResponder(QObject *parent = nullptr);
    ~FakeSearchResponder() override;

    /// Binds and joins the group on loopback. False when either fails (callers QSKIP).
    bool start();

    /// Answers every later request with @p baDatagram, @p nDelayMs after the request.
    void addReply(const QByteArray &baDatagram, int nDelayMs);
    /// Forgets the added replies and cancels replies not yet sent.
    void clearReplies();

    /// The raw datagrams received, in order of arrival.
    QList<QByteArray> requests() const;

    /// A 76-byte reply carrying @p nPort at offset 8 (little-endian) and @p strIp,
    /// NUL-terminated, at offset 12; every other byte zero.
    static QByteArray replyDatagram(const QString &strIp, qint32 nPort);

signals:
    void requestReceived(QByteArray baRequest);

private:
    struct Reply
    {
        QByteArray baDatagram;
        int nDelayMs = 0;
    };

    void readRequests();
    void scheduleReplies(const QHostAddress &sender, quint16 nSenderPort);

    QUdpSocket *m_pSocket = nullptr;
    QList<Reply> m_listReplies;
    QList<QByteArray> m_listRequests;
    QList<QTimer *> m_listPendingTimers;
};
