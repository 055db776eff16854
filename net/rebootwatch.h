#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QString>

#include "core/ethinfo_s.h"
#include "net/requestoutcome.h"

/**
 * Proof that a rebooted camera came back, to be started once its "Reboot" has been
 * acknowledged: the camera must first be seen gone, then back at its new address with the
 * MAC and the values written.
 *
 * Gone is judged at the address the camera was reached at for the write. Until it reboots,
 * the camera answers there, and its "GetEnv" already reports the written values; the new
 * address, when it differs, may have been silent all along, so silence there proves
 * nothing. Gone means no answer there (refused, timed out, unreachable); when that address
 * is not the new one, an answer with another MAC counts as gone too (another device
 * sharing the old address), since the camera answers at its new address only after a
 * reboot. Then the new address is asked until an answer carries the MAC and the values
 * written: back. Another MAC answering at the new address ends the watch with
 * sigOtherCamera; after the bound without both steps, sigNotSeen with the last reason.
 *
 * One question per interval ("GetEnv", the first one interval after the start), through
 * the HTTP client aside from the command batch: every limit of the client holds, but the
 * questions are not pending, never end a batch and never reach the parsers that fill the
 * table. Only addresses that ContactPolicy allows are asked. Defaults: every 1 s, often
 * enough not to miss a reboot of a few seconds, for up to 120 s.
 */
class RebootWatch : public QObject
{
    Q_OBJECT

public:
    static constexpr int REBOOT_POLL_INTERVAL_MS = 1000;
    static constexpr int REBOOT_WATCH_LIMIT_MS = 120000;

    explicit RebootWatch(QObject *parent = nullptr);

    /**
     * Watches for the camera written with @p stWritten, under @p nKey; replaces a watch of
     * that key. @p strGoneAt is the address the write went to, where the camera must first
     * be seen gone; empty for the written address itself.
     */
    void watch(int nKey, const EthInfo_S &stWritten, const QString &strGoneAt = QString());
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
    /// A device with MAC @p strMac (empty when it gave none) answered at the new address of
    /// @p nKey's camera; the watch has ended.
    void sigOtherCamera(int nKey, QString strMac);

private:
    struct Watch_S
    {
        EthInfo_S stWritten;
        QString strGoneAt;
        QElapsedTimer elapsed;
        QString strLastSeen;
        quint64 nGeneration = 0;
        int nIntervalMs = 0;
        int nLimitMs = 0;
        bool bGone = false;
    };

    void scheduleQuestion(int nKey);
    void ask(int nKey, quint64 nGeneration);
    void judge(int nKey, quint64 nGeneration, RequestOutcome::Outcome outcome, const QByteArray &baBody);
    static void noteGone(Watch_S &stWatch, RequestOutcome::Outcome outcome, bool bOtherMac);
    static QString mismatch(const EthInfo_S &stWritten, const EthInfo_S &stSeen);
    void giveUpOrRetry(int nKey);

    QHash<int, Watch_S> m_hashWatches;
    quint64 m_nGeneration = 0;
    int m_nIntervalMs = REBOOT_POLL_INTERVAL_MS;
    int m_nLimitMs = REBOOT_WATCH_LIMIT_MS;
};
