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
 * It sends nothing itself: the device view sends each write it asks for and tells it how
 * each one went.
 */
class BatchRun : public QObject
{
    Q_OBJECT

public:
    /// Writes under way at once.
    static constexpr int BATCH_WRITES_IN_FLIGHT = 4;

    explicit BatchRun(QObject *parent = nullptr);

    /// Starts writing @p listWrites (row and the record to write, strIp the address now).
    void start(const QList<QPair<int, DevInfo_S>> &listWrites);
    /// Sends no further write; those sent are still followed to their end.
    void cancel();
    /// True from start() until the summary.
    bool isRunning() const;
    /// True when @p row is one of the batch's cameras not yet done.
    bool isBusyWith(int row) const;

    /// The write of @p row was answered (@p bWritten) or failed; @p strWhy says how, when it failed.
    void noteWriteEnded(int row, bool bWritten, const QString &strWhy);
    /// The watch of @p row saw the camera back (@p bBack), or says why not.
    void noteWatchEnded(int row, bool bBack, const QString &strWhy);

signals:
    /// Write @p stWrite to the camera of @p row now.
    void sigWrite(int row, DevInfo_S stWrite);
    /// Every camera of the batch is done; @p bAllBack when each one is back.
    void sigFinished(QString strSummary, bool bAllBack);

private:
    enum class Stage { Waiting, Writing, Watching, Back, Failed, Skipped };

    /// True for the stages of a camera the batch has not finished with.
    static bool isUnderWay(Stage stage);

    void sendNext();
    void finishIfDone();
    QString summary() const;

    QList<int> m_listOrder;
    QHash<int, DevInfo_S> m_hashWrites;
    QHash<int, Stage> m_hashStages;
    QHash<int, QString> m_hashWhy;
    int m_nWriting = 0;
    bool m_bRunning = false;
    bool m_bCancelled = false;
};
