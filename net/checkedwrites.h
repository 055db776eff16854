#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUrl>

#include "core/nametables.h"
#include "net/requestoutcome.h"

class CameraLink;

/**
 * Sends the commands that change a camera ("SetEnv", then "Reboot") on connections the
 * program holds itself (CameraLink), each only to the camera it is meant for and never
 * more than once: no retry, no resend.
 *
 * A command goes only on a connection whose camera has answered "GetEnv" with the
 * command's MAC (compared case-insensitively):
 *  - on a held connection proven so already, at once: the "Reboot" after a "SetEnv" goes
 *    on the connection that carried the write;
 *  - otherwise after a check: "GetEnv" on the held connection, or on a fresh one, and the
 *    command right after the check's answer on that same connection if it is still open;
 *  - if the camera has closed that connection after the check's answer (it said so, or it
 *    closes after every answer), the command goes back to back on a fresh connection,
 *    opened at once and sent on as soon as it opens. Another device taking the address
 *    in that moment would not be caught here; the proof after the reboot catches that
 *    rare miss. At an address where more than one device answered the search, though,
 *    the fresh connection may well reach another of them: there the command is not sent
 *    (SharedAddress).
 * A check answered with another MAC sends nothing (OtherCamera, with the MAC seen); a
 * check that fails sends nothing (the check's own outcome). A command without a MAC to
 * check is refused without a packet (Failed, logged): a "SetEnv" whose record carries no
 * MAC, or a "Reboot" to an address without a recent write. A "Reboot" is checked against
 * the MAC of the "SetEnv" that last left for its address within RECENT_WRITE_MS; one
 * write allows one reboot.
 *
 * Outcomes: Answered with the body for a 2xx answer; Redirected (3xx, never followed) and
 * HttpError (4xx, 5xx) for other answers, since the camera answered; once any byte of the
 * command has left, any failure without a whole answer is Unknown, since the camera may
 * have acted on it; before that, the failure itself (nothing was written).
 *
 * Commands to one address go one at a time, in the order given, and start from the event
 * loop, never inside send(). Each address holds at most one connection, closed after a
 * "Reboot", after any failure or refusal, and after LINK_IDLE_MS without a command.
 * Nothing is reported after destruction.
 */
class CheckedWrites : public QObject
{
    Q_OBJECT

public:
    /// Time a proven connection stays open for a command that may follow.
    static constexpr int LINK_IDLE_MS = 5000;
    /// Time after a write within which a "Reboot" may follow it.
    static constexpr int RECENT_WRITE_MS = 60000;

    /// One command to send.
    struct Command_S
    {
        quint64 nRequest = 0;       ///< the number reported with it
        QString strIp;              ///< the address reported with it
        int nCmd = CmdNone;
        QUrl url;                   ///< host and port it goes to
        QByteArray baRequest;       ///< its bytes
        QByteArray baCheck;         ///< the bytes of the check's "GetEnv"
        QString strMac;             ///< the camera's MAC; empty for a "Reboot": the write's
        int nTransferTimeoutMs = 0; ///< for each exchange; 0 for none
    };

    explicit CheckedWrites(QObject *parent = nullptr);

    /// Queues @p stCommand behind the commands to its address; sigFinished follows once.
    void send(const Command_S &stCommand);
    /// The addresses where more than one device answered the last search (none by default).
    void setSharedAddresses(const QSet<QString> &setAddresses);

signals:
    /// The command numbered @p nRequest has ended with @p outcome; @p baBody is the answer
    /// for Answered, @p strMacSeen the MAC the check found for OtherCamera.
    void sigFinished(quint64 nRequest, QString strIp, int nCmd, RequestOutcome::Outcome outcome, QByteArray baBody,
                     QString strMacSeen);

private:
    enum Step { OpeningForCheck, Checking, OpeningForCommand, Commanding };

    struct Address_S
    {
        QList<Command_S> listWaiting;
        Command_S stCurrent;
        CameraLink *pLink = nullptr;
        Step step = OpeningForCheck;
        bool bBusy = false;
        quint64 nIdleGeneration = 0;
    };

    struct RecentWrite_S
    {
        QString strMac;
        QElapsedTimer since;
    };

    void startNext(const QString &strKey);
    bool resolveMac(const QString &strKey, Command_S &stCommand);
    void openLink(const QString &strKey, Step step);
    void sendCheck(const QString &strKey);
    void sendCommand(const QString &strKey);
    void linkOpened(const QString &strKey);
    void linkAnswered(const QString &strKey, int nStatus, const QByteArray &baBody);
    void linkFailed(const QString &strKey, RequestOutcome::Outcome outcome, bool bBytesLeft);
    void judgeCheck(const QString &strKey, int nStatus, const QByteArray &baBody);
    void finish(const QString &strKey, RequestOutcome::Outcome outcome, const QByteArray &baBody = QByteArray(),
                const QString &strMacSeen = QString());
    void keepOrDropLink(Address_S &stAddress, int nCmd, RequestOutcome::Outcome outcome);
    void closeIdleLink(const QString &strKey, quint64 nGeneration);
    bool isCurrentLink(const QString &strKey, const CameraLink *pLink) const;
    void noteWrite(const QString &strKey, const QString &strMac);
    QString takeRecentWrite(const QString &strKey);
    static void dropLink(Address_S &stAddress);

    QHash<QString, Address_S> m_hashAddresses;
    QSet<QString> m_setShared;
    QHash<QString, RecentWrite_S> m_hashRecentWrites;
};
