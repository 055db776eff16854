#pragma once

#include <QObject>
#include <QString>

/**
 * An append-only record of every write attempt and what came of it, in JSON Lines: one
 * JSON object per line, each line written and flushed as soon as the event is recorded, so
 * that a crash loses nothing recorded before it.
 *
 * Each line has the keys "time" (ISO 8601 UTC with milliseconds), "local" (the computer's
 * address the search ran from), "mac", "reachedAt" (the address the camera was reached at),
 * "before" and "after" (each an object of "address", "mask", "gateway" and "dhcp"), "event"
 * (see eventText()) and "detail".
 *
 * The file is journal.jsonl in folderPath(), by default the user's data folder. Before a
 * line would take it past maxBytes() it is renamed journal.1.jsonl (the one before becomes
 * journal.2.jsonl, and so on; kKeptFiles are kept) and a new one is begun.
 *
 * A journal that cannot be written (its folder cannot be made, the disk is full) emits
 * sigUnwritable() once with the reason and drops that event; it never throws or stops the
 * caller. Later events are tried again and dropped silently while writing still fails; once
 * a line is written again, the next failure is reported anew.
 */
class Journal : public QObject
{
    Q_OBJECT

public:
    /// The size past which the file is rotated, unless setMaxBytes() says otherwise.
    static constexpr qint64 kDefaultMaxBytes = 4 * 1024 * 1024;
    /// The rotated files kept besides the current one.
    static constexpr int kKeptFiles = 3;

    /// What happened; eventText() gives the text the line carries.
    enum class Event {
        WriteSent,     ///< "write-sent": the new settings went out
        Written,       ///< "written": the camera confirmed them
        Refused,       ///< "refused": the camera refused them and keeps its settings
        Failed,        ///< "failed": the request failed; nothing was written
        Unknown,       ///< "unknown": no answer after sending: written or not, nobody knows
        Rebooted,      ///< "rebooted": the camera accepted the reboot
        RebootRefused, ///< "reboot-refused": the camera refused the reboot
        RebootFailed,  ///< "reboot-failed": the reboot request failed
        Back,          ///< "back": the camera answered at its new address with the values written
        NotSeen,       ///< "not-seen": it did not answer at its new address in time
        OtherCamera,   ///< "other-camera": another camera answered at the new address
    };

    /// A camera's network settings.
    struct Settings_S
    {
        QString strAddress;
        QString strMask;
        QString strGateway;
        bool bDhcp = false;
    };

    /// One event, as recorded; the time is added when it is written.
    struct Entry_S
    {
        Event eEvent = Event::WriteSent;
        QString strLocal;     ///< the computer's address the search ran from
        QString strMac;
        QString strReachedAt; ///< the address the camera was reached at
        Settings_S stBefore;
        Settings_S stAfter;
        QString strDetail;
    };

    /// A journal in the user's data folder (QStandardPaths::AppDataLocation).
    explicit Journal(QObject *pParent = nullptr);

    /// The folder of the journal's files, for the menu's "Open journal folder".
    QString folderPath() const;
    /// Keeps the files in @p strPath from the next event on; it is made when needed.
    void setFolderPath(const QString &strPath);
    /// The current file, folderPath()/journal.jsonl.
    QString filePath() const;
    /// Rotates before a line would take the file past @p nBytes (default kDefaultMaxBytes).
    void setMaxBytes(qint64 nBytes);
    qint64 maxBytes() const;

    /// Appends @p stEntry as one line, stamped with the current time, and flushes it.
    void record(const Entry_S &stEntry);

    /// The text an event is written as, such as "write-sent".
    static QString eventText(Event eEvent);

signals:
    /// Writing failed for @p strReason; emitted once until a line is written again.
    void sigUnwritable(const QString &strReason);

private:
    QString rotatedPath(int nGeneration) const;
    void rotateIfFull(qint64 nLineBytes);
    bool append(const QByteArray &baLine, QString *pReason);

    QString m_strFolder;
    qint64 m_nMaxBytes = kDefaultMaxBytes;
    bool m_bUnwritable = false;
};
