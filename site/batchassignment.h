#pragma once

#include <QList>
#include <QObject>
#include <QPair>
#include <QSet>
#include <QString>

#include "site/batchplan.h"
#include "site/planmatch.h"

class BatchRun;
class ReplyMatcher;
class SharedAddressRun;
class DeviceRow;
class DeviceRowList;
class SaveFlow;
class SiteNotifier;

/**
 * Readdressing several cameras at once: which of the chosen rows may take part in a plan
 * (the others are left out with the reason), the addresses a plan must keep clear of, and the
 * run of a confirmed plan (static addresses, the row showing what is being written), whose
 * summary becomes a note below the site's counts.
 *
 * A plan refers to its cameras by their rows' ids: a plan of an earlier search writes nothing.
 */
class BatchAssignment : public QObject
{
    Q_OBJECT

public:
    /// What the plan's question starts from.
    struct PlanInput_S
    {
        QList<BatchPlan::Entry_S> listCameras;
        QList<QPair<QString, QString>> listLeftOut; ///< current address and the reason
        QSet<QString> setHeld;                      ///< addresses in use
        QString strStart;
        QString strMask;
        QString strGateway;
        QString strShared; ///< the address the cameras share, for a plan of cameras out of the box
    };

    BatchAssignment(DeviceRowList &rows, const ReplyMatcher &matcher, SaveFlow &save, BatchRun &batch,
                    SiteNotifier &notifier, QObject *parent = nullptr);

    /// The plan's question for the rows @p listRowIds, in that order.
    PlanInput_S planFor(const QList<quint64> &listRowIds) const;
    /// The plan's question for the cameras that share @p strShared: one entry per answer there.
    PlanInput_S planForShared(const QString &strShared) const;
    /// Readdresses the cameras at @p strShared one at a time to the new addresses of
    /// @p listEntries (see SharedAddressRun).
    void startShared(const QString &strShared, const QList<BatchPlan::Entry_S> &listEntries, const QString &strMask,
                     const QString &strGateway);
    /// The cameras a plan file may name: every row whose settings arrived, with its MAC.
    QList<PlanMatch::Camera_S> planCameras() const;
    /// The addresses no plan may give: held by listed cameras, the computer's own, those a
    /// write in flight or of unknown outcome may have given.
    QSet<QString> heldAddresses() const;
    /// Writes the confirmed plan @p listEntries; an entry without a mask or gateway of its
    /// own takes @p strMask and @p strGateway.
    void start(const QList<BatchPlan::Entry_S> &listEntries, const QString &strMask, const QString &strGateway);
    /// Sends no further write; those sent are still followed and reported.
    void cancel();
    bool isRunning() const;
    /// The last batch's note for the status line; empty when none.
    QString note() const;
    /// Forgets the note (a new search).
    void clearNote();

private:
    QString refusal(const DeviceRow *pRow) const;
    void finish(const QString &strSummary, bool bFailures);
    void finishShared(const QString &strSummary, bool bFailures);
    void report(const QString &strSummary, bool bFailures, bool bCancelled);

    DeviceRowList &m_rows;
    SaveFlow &m_save;
    BatchRun &m_batch;
    SiteNotifier &m_notifier;
    SharedAddressRun *m_pShared = nullptr;
    bool m_bSharedRun = false;
    QString m_strNote;
};
