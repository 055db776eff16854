#pragma once

#include <functional>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <QSet>
#include <QString>

#include "bench/loopprobe.h"

class Control;
class QTableWidget;
class QWidget;

/**
 * One measured life of the program in this process: start-up to the window shown, 2 s of
 * idle, then one press of "Search" followed until every row that can be filled shows its
 * MAC and firmware and every request has finished. The rows that can be filled are those
 * of the addresses in @p setFillable (cameras that answer HTTP); every row when it is
 * empty. Requests are counted as the client reports them taken and ended.
 *
 * Create it before the Control: it watches the application's events for the main
 * window's first show, expose and paint, and listens on the hub ahead of the view so the
 * moment a signal is emitted is told apart from the moment the view has handled it.
 * Times are milliseconds; start-up times count from @p nExecNs (the launcher's clock
 * just before it started this process), cycle times from the press.
 */
class CycleRun : public QObject
{
    Q_OBJECT

public:
    CycleRun(qint64 nExecNs, qint64 nMainNs, const QSet<QString> &setFillable, QObject *parent = nullptr);

    /// Marks the application object as built.
    void markApplication();
    /// Runs start-up, idle and the cycle against @p control; the figures on success.
    bool measure(Control &control, const QString &strLocalIp, QJsonObject &result, QString &strError);

protected:
    bool eventFilter(QObject *pWatched, QEvent *pEvent) override;

private:
    void connectHubAhead();
    void connectHubBehind();
    void countRequests();
    bool waitUntil(const std::function<bool()> &isDone, int nTimeoutMs);
    void wake();
    double sinceExecMs(qint64 nNs) const;
    double sincePressMs(qint64 nNs) const;
    void advanceFillCursor();
    bool rowFilled(int row) const;
    bool rowFillable(int row) const;
    int fillableRows() const;
    void recordStartUp(QJsonObject &result) const;
    void recordCycle(QJsonObject &result) const;

    QEventLoop m_loop;
    LoopProbe m_probe;
    QTableWidget *m_pTable = nullptr;
    QWidget *m_pButton = nullptr;

    QSet<QString> m_setFillable;
    qint64 m_nExecNs;
    qint64 m_nMainNs;
    qint64 m_nAppNs = 0;
    qint64 m_nControlNs = 0;
    qint64 m_nShownNs = 0;
    qint64 m_nExposedNs = 0;
    qint64 m_nPaintedNs = 0;
    double m_dIdleCpuMs = 0;
    int m_nIdleThreads = 0;
    int m_nIdleDescriptors = 0;
    qint64 m_nIdleHwmKb = 0;

    qint64 m_nPressNs = 0;
    qint64 m_nFirstReplyNs = 0;
    qint64 m_nPublishedNs = 0;
    qint64 m_nListedNs = 0;
    qint64 m_nSdkDoneNs = 0;
    qint64 m_nRequestsSentNs = 0;
    qint64 m_nFirstEthNs = 0;
    qint64 m_nFilledNs = 0;
    qint64 m_nSettledNs = 0;
    double m_dCpuPressMs = 0;
    double m_dCpuPublishedMs = 0;
    double m_dCpuFilledMs = 0;
    double m_dCpuSettledMs = 0;
    double m_dStallFilledMs = 0;
    int m_nThreadsFilled = 0;
    int m_nDescriptorsFilled = 0;
    int m_nRequestsTaken = 0;
    QHash<int, int> m_hashOutcomes;
    int m_nRows = 0;
    int m_nEthReplies = 0;
    int m_nFwReplies = 0;
    int m_nFillCursor = 0;
    int m_nPublishedCount = 0;
    qint64 m_nUdpDropsPress = 0;
};
