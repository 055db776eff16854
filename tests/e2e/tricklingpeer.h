#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QTimer>

class QTcpServer;
class QTcpSocket;

/**
 * An HTTP peer that sends its status line and headers at once and then the body one byte
 * per interval: data keeps moving, so no stall timeout ever fires. Serves one connection
 * at a time; a connection is answered once its request head is complete.
 */
class TricklingPeer : public QObject
{
    Q_OBJECT

public:
    /// @p baBody is the body announced in Content-Length and then trickled.
    TricklingPeer(const QByteArray &baBody, int nIntervalMs, QObject *parent = nullptr);
    ~TricklingPeer() override;

    /// Listens on @p address at a free port; false when that fails.
    bool listen(const QHostAddress &address);
    /// "ADDRESS:PORT", the device address a command is sent to.
    QString hostPort() const;
    /// Body bytes written so far.
    int bytesSent() const;
    /// True once a connection was accepted.
    bool wasContacted() const;

private:
    void acceptConnection();
    void readRequest();
    void sendNextByte();

    QTcpServer *m_pServer = nullptr;
    QTcpSocket *m_pSocket = nullptr;
    QByteArray m_baBody;
    QByteArray m_baRequest;
    QTimer m_trickleTimer;
    int m_nSent = 0;
    bool m_bContacted = false;
};
