#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include "net/requestoutcome.h"

class BatchRun;
class DeviceRowList;
class ReplyMatcher;
class SiteNotifier;
struct EthInfo_S;

/**
 * Readdressing cameras that share one address, as cameras straight out of the box do: the
 * search record carries no MAC, so they are told apart only by asking the address who
 * answers, one camera at a time.
 *
 * The run asks the shared address for its settings ("GetEnv", aside from the hub). A MAC not
 * yet handled in this run takes the next planned address through the batch's checked write
 * ("SetEnv" carrying that MAC, "Reboot", never sent twice), and the run waits until that camera
 * is done with (proven back at its new address, or not). Then it asks the shared address
 * again: once the camera has left it, the computer's neighbour entry still points at the
 * departed camera until the kernel resolves the address again, and only then does the next
 * camera answer. Measured on Linux with default timings: 41 to 51 s (the kernel's rules give
 * at most about 53 s). So the run waits for the next camera up to HANDOVER_WAIT_MS, asking
 * every ASK_INTERVAL_MS, and goes on until every planned address is given, the address stops
 * answering, or only cameras already handled answer within that bound.
 *
 * Every camera of the box may take any planned address, so a write on a fresh connection is
 * allowed at this address during the run (a camera that closes after every answer): a miss
 * shows as another MAC at the new address after the reboot.
 */
class SharedAddressRun : public QObject
{
    Q_OBJECT

public:
    /// How long the run waits for the next camera at the shared address.
    static constexpr int HANDOVER_WAIT_MS = 60000;
    /// The interval between two questions to the shared address.
    static constexpr int ASK_INTERVAL_MS = 1000;

    SharedAddressRun(DeviceRowList &rows, const ReplyMatcher &matcher, BatchRun &batch, SiteNotifier &notifier,
                     QObject *parent = nullptr);

    /// Readdresses the cameras at @p strShared to @p listPlanned, in turn, with @p strMask
    /// and @p strGateway (static addresses).
    void start(const QString &strShared, const QStringList &listPlanned, const QString &strMask,
               const QString &strGateway);
    /// Writes no further camera; the one under way is still followed, then the run reports.
    void cancel();
    bool isRunning() const;
    /// What the status line says while the run lasts: "3 of 20 readdressed at ...".
    QString progress() const;
    /// The wait for the next camera, for runs started afterwards (tests shorten it).
    void setHandoverWait(int nWaitMs);

signals:
    /// The run is over: @p strSummary names every camera by MAC with its new address.
    void sigFinished(QString strSummary, bool bFailures);

private:
    struct Camera_S
    {
        QString strMac;
        QString strNew;
        bool bDone = false;
        bool bSucceeded = false;
        QString strWhat;
    };

    void ask();
    void judge(RequestOutcome::Outcome outcome, const QByteArray &baBody);
    void takeCamera(const EthInfo_S &stSeen);
    quint64 freeRow();
    void cameraDone(quint64 nRowId, bool bSucceeded, const QString &strWhat);
    void keepWaiting(const QString &strWhy);
    void finish(const QString &strWhy);
    int readdressedCount() const;
    QString summary(const QString &strWhy) const;
    void allowFreshConnections(bool bAllow) const;

    DeviceRowList &m_rows;
    const ReplyMatcher &m_matcher;
    BatchRun &m_batch;
    SiteNotifier &m_notifier;
    QString m_strShared;
    QStringList m_listPlanned;
    QString m_strMask;
    QString m_strGateway;
    QHash<quint64, Camera_S> m_hashCameras;
    QList<quint64> m_listOrder;
    QSet<QString> m_setHandled;
    QElapsedTimer m_waited;
    quint64 m_nUnderWay = 0;
    quint64 m_nGeneration = 0;
    int m_nWaitMs = HANDOVER_WAIT_MS;
    bool m_bRunning = false;
    bool m_bCancelled = false;
    bool m_bStillAnswers = false;
};
