#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include "core/devinfo_s.h"

/**
 * Carries out a confirmed batch plan: writes go out a few at a time, in the plan's order;
 * a camera counts as done when its write failed, or when the reboot watch saw it back or
 * gave up on it. When every camera is done, or the batch was cancelled and every write
 * already sent is done, it reports one summary:
 * "12 back at their new addresses, 1 failed: 10.0.0.5 refused the write".
 *
 * It sends nothing itself: its owner sends each write it asks for and tells it how each
 * one went. Cameras are known by their rows' ids.
 */
class BatchRun : public QObject
{
    Q_OBJECT

public:
    /// Writes under way at once.
    static constexpr int BATCH_WRITES_IN_FLIGHT = 4;

    explicit BatchRun(QObject *parent = nullptr);

    /// Starts writing @p listWrites (row id and the record to write, strIp the address now).
    void start(const QList<QPair<quint64, DevInfo_S>> &listWrites);
    /// Sends no further write (sigSkipped for each camera not written); those sent are still
    /// followed to their end.
    void cancel();
    /// True when the last batch was cancelled.
    bool wasCancelled() const;
    /// True from start() until the summary.
    bool isRunning() const;
    /// True when row @p nRowId is one of the batch's cameras not yet done.
    bool isBusyWith(quint64 nRowId) const;

    /// The write of row @p nRowId was answered (@p bWritten) or failed; @p strWhy says how, when it failed.
    void noteWriteEnded(quint64 nRowId, bool bWritten, const QString &strWhy);
    /// The watch of row @p nRowId saw the camera back (@p bBack), or says why not.
    void noteWatchEnded(quint64 nRowId, bool bBack, const QString &strWhy);

signals:
    /// Write @p stWrite to the camera of row @p nRowId now.
    void sigWrite(quint64 nRowId, DevInfo_S stWrite);
    /// The camera of row @p nRowId will not be written: the batch was cancelled before it.
    void sigSkipped(quint64 nRowId);
    /// Every camera of the batch is done; @p bFailures when any of them failed.
    void sigFinished(QString strSummary, bool bFailures);

private:
    enum class Stage { Waiting, Writing, Watching, Back, Failed, Skipped };

    /// True for the stages of a camera the batch has not finished with.
    static bool isUnderWay(Stage stage);

    void sendNext();
    void finishIfDone();
    QString summary() const;

    QList<quint64> m_listOrder;
    QHash<quint64, DevInfo_S> m_hashWrites;
    QHash<quint64, Stage> m_hashStages;
    QHash<quint64, QString> m_hashWhy;
    int m_nWriting = 0;
    bool m_bRunning = false;
    bool m_bCancelled = false;
};
