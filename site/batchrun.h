#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include "core/devinfo_s.h"

/**
 * Carries out a confirmed batch plan: writes go out a few at a time, in the plan's order;
 * a camera counts as done when its write failed or its outcome is unknown, or when the
 * follow-up after its reboot ended (back, handed to DHCP, or not back). When every camera is
 * done, or the batch was cancelled and every write already sent is done, it reports one
 * summary: "12 back at their new addresses, 1 failed: 10.0.0.5 refused the write".
 *
 * It sends nothing itself: its owner sends each write it asks for and tells it how each one
 * went. Cameras are known by their rows' ids.
 */
class BatchRun : public QObject
{
    Q_OBJECT

public:
    /// Writes under way at once.
    static constexpr int BATCH_WRITES_IN_FLIGHT = 4;

    /// How a camera's write ended.
    enum class Write { Written, NotWritten, Unknown };
    /// How the follow-up after a camera's reboot ended.
    enum class Watch {
        Back,     ///< its own MAC answered at the new address with the values written
        Released, ///< rebooted onto DHCP: its address is the DHCP server's to give
        NotBack,  ///< not seen, another camera there, the reboot refused or failed
        Unknown   ///< the reboot order left without an answer
    };

    explicit BatchRun(QObject *parent = nullptr);

    /// Starts writing @p listWrites (row id and the record to write, strIp the address now).
    void start(const QList<QPair<quint64, DevInfo_S>> &listWrites);
    /// Starts a batch whose cameras come one by one through add(); it does not end before close().
    void open();
    /// Adds a camera to an open batch; it is written as soon as fewer than the bound are.
    void add(quint64 nRowId, const DevInfo_S &stWrite);
    /// No camera will be added: the batch ends once those added are done.
    void close();
    /// Sends no further write (sigSkipped for each camera not written); those sent are still
    /// followed to their end.
    void cancel();
    /// True when the last batch was cancelled.
    bool wasCancelled() const;
    /// True from start() until the summary.
    bool isRunning() const;
    /// True when row @p nRowId is one of the batch's cameras not yet done.
    bool isBusyWith(quint64 nRowId) const;

    /// The write of row @p nRowId ended as @p write; @p strWhy says how when it was not written.
    void noteWriteEnded(quint64 nRowId, Write write, const QString &strWhy);
    /// The follow-up of row @p nRowId ended as @p watch; @p strWhy says why when not back.
    void noteWatchEnded(quint64 nRowId, Watch watch, const QString &strWhy);

signals:
    /// Write @p stWrite to the camera of row @p nRowId now.
    void sigWrite(quint64 nRowId, DevInfo_S stWrite);
    /// The camera of row @p nRowId will not be written: the batch was cancelled before it.
    void sigSkipped(quint64 nRowId);
    /// The camera of row @p nRowId is done with: @p bSucceeded when back or handed to DHCP;
    /// @p strWhat says how it ended.
    void sigCameraDone(quint64 nRowId, bool bSucceeded, QString strWhat);
    /// Every camera of the batch is done; @p bFailures when any of them failed or may have.
    void sigFinished(QString strSummary, bool bFailures);

private:
    enum class Stage { Waiting, Writing, Watching, Back, Released, Failed, Unknown, Skipped };

    /// True for the stages of a camera the batch has not finished with.
    static bool isUnderWay(Stage stage);

    void reset();
    void endCamera(quint64 nRowId, Stage stage, const QString &strWhy);
    void sendNext();
    void finishIfDone();
    QString summary() const;
    int count(Stage stage) const;
    QString reasons(Stage stage) const;

    QList<quint64> m_listOrder;
    QHash<quint64, DevInfo_S> m_hashWrites;
    QHash<quint64, Stage> m_hashStages;
    QHash<quint64, QString> m_hashWhy;
    int m_nWriting = 0;
    bool m_bRunning = false;
    bool m_bCancelled = false;
    bool m_bOpen = false;
};
