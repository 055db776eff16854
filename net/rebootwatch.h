#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QString>

#include "core/ethinfo_s.h"
#include "net/requestoutcome.h"

/**
 * Proof that a rebooted camera came back: asks the camera's new address for its settings
 * ("GetEnv") every interval, for at most a bounded time, and says the camera is back only
 * when a reply carries the MAC and the values that were written; otherwise, once the time
 * is up, that it was not seen, with the last reason.
 *
 * The requests go through the HTTP client aside from the command batch: they keep every
 * limit of the client but are not pending, never end a batch and never reach the
 * parsers that fill the table. Only the written address is contacted, and only when it
 * passes the address checks. Defaults: every 5 s for up to 120 s (cameras take 30 to 90 s).
 */
class RebootWatch : public QObject
{
    Q_OBJECT

public:
    static constexpr int REBOOT_POLL_INTERVAL_MS = 5000;
    static constexpr int REBOOT_WATCH_LIMIT_MS = 120000;

    explicit RebootWatch(QObject *parent = nullptr);

    /// Watches for the camera written with @p stWritten, under @p nKey; replaces a watch of that key.
    void watch(int nKey, const EthInfo_S &stWritten);
    /// Stops every watch; nothing is reported for them afterwards.
    void stopAll();
    /// The interval between two questions and the time after which a camera counts as not
    /// seen, for the watches started afterwards.
    void setTiming(int nIntervalMs, int nLimitMs);

signals:
    /// The camera of @p nKey answered at its new address with the values written.
    void sigBack(int nKey);
    /// The camera of @p nKey was not seen back in time; @p strReason says what was seen last.
    void sigNotSeen(int nKey, QString strReason);

private:
    struct Watch_S
    {
        EthInfo_S stWritten;
        QElapsedTimer elapsed;
        QString strLastSeen;
        quint64 nGeneration = 0;
        int nIntervalMs = 0;
        int nLimitMs = 0;
    };

    void scheduleQuestion(int nKey);
    void ask(int nKey, quint64 nGeneration);
    void judge(int nKey, quint64 nGeneration, RequestOutcome::Outcome outcome, const QByteArray &baBody);
    QString mismatch(const EthInfo_S &stWritten, const QByteArray &baBody) const;
    void giveUpOrRetry(int nKey);

    QHash<int, Watch_S> m_hashWatches;
    quint64 m_nGeneration = 0;
    int m_nIntervalMs = REBOOT_POLL_INTERVAL_MS;
    int m_nLimitMs = REBOOT_WATCH_LIMIT_MS;
};
