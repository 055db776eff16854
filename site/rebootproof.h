#pragma once

#include <QObject>
#include <QString>

#include "core/devinfo_s.h"
#include "site/batchrun.h"
#include "site/journal.h"
#include "site/rowstate.h"

class DeviceRow;
class DeviceRowList;
class RebootWatch;
class ReplyMatcher;
class RequestLedger;
class SearchCycle;
class SiteNotifier;

/**
 * The reboot order after a successful write, and the proof after it: once the camera has
 * acknowledged the order, its row follows the camera to the written address and says it is
 * back only when the camera was first seen gone and its own MAC then answers at the new
 * address with the values written. Another MAC there is another camera, never "back". A
 * refused or failed order is a state of its own; an order that left without an answer
 * leaves the outcome unknown.
 *
 * A camera on DHCP, or moved outside the subnet of the local address the search ran from, is
 * not asked: its new address is unknown, or this computer may not reach it; the row says so.
 * A camera back at its new address is reached there from then on, by later saves and "Cancel".
 */
class RebootProof : public QObject
{
    Q_OBJECT

public:
    RebootProof(DeviceRowList &rows, ReplyMatcher &matcher, RequestLedger &ledger, BatchRun &batch,
                const SearchCycle &search, SiteNotifier &notifier, QObject *parent = nullptr);

    /// Orders the camera of @p pRow, whose record holds the values just written, to reboot.
    void orderReboot(DeviceRow *pRow);
    /// The reboot order of row @p nRowId ended with @p nOutcome, carrying the status
    /// @p nStatus when @p bHasStatus; @p strOtherMac answered its check instead, if any.
    void takeRebootEnd(quint64 nRowId, bool bHasStatus, int nStatus, int nOutcome, const QString &strOtherMac);
    /// Stops every watch (a new search); nothing is reported for them afterwards.
    void stopAll();

private:
    void follow(DeviceRow *pRow);
    QString unwatchableReason(const DevInfo_S &stSaved) const;
    void endReboot(DeviceRow *pRow, RowState state, Journal::Event event, const QString &strWhy, BatchRun::Watch watch,
                   const QString &strBatchWhy);
    void markBack(int nKey);
    void markNotSeen(int nKey, const QString &strReason);
    void markOtherCamera(int nKey, const QString &strMac);

    DeviceRowList &m_rows;
    ReplyMatcher &m_matcher;
    RequestLedger &m_ledger;
    BatchRun &m_batch;
    const SearchCycle &m_search;
    SiteNotifier &m_notifier;
    RebootWatch *m_pWatch = nullptr;
};
