#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include "core/devinfo_s.h"

/**
 * The site's own account of the requests it sends, learnt from the per-request outcomes:
 * which requests belong to an earlier search (their replies must change nothing in the new
 * table), which row each read was sent for, and which save each "SetEnv" carries.
 *
 * Rows are known by their ids (0 stands for none). A save is pending from the moment it is
 * sent until its status or the failure of its request.
 */
class RequestLedger
{
public:
    /// A new search: requests still out now belong to an earlier one; pending saves are dropped.
    void beginSearch();

    /// Row @p nRowId's settings @p stSaved are about to be sent; the next "SetEnv" taken carries them.
    void beginSave(quint64 nRowId, const DevInfo_S &stSaved);
    /// The send of beginSave() is over, whether or not a request was taken for it.
    void endSaveSend();

    /// Row @p nRowId's camera is about to be asked for its firmware and settings.
    void beginAsking(quint64 nRowId);
    /// The requests of beginAsking() have been sent.
    void endAsking();

    /// A request was taken; @p bWrite when it is a "SetEnv".
    void noteStarted(quint64 nRequest, bool bWrite);
    /// The row the read @p nRequest was sent for; 0 when it is no read of this search.
    quint64 readRow(quint64 nRequest) const;
    /// The reply to @p nRequest is about to reach the view.
    void noteDelivering(quint64 nRequest);
    /// True while a reply to a request of an earlier search is being delivered.
    bool isDeliveringStale() const;
    /// The row whose save the reply being delivered answers; 0 when none.
    quint64 deliveringSaveRow() const;
    /// @p nRequest ended. Returns the row whose save it carried if that save is still
    /// pending (its request ended without a status), else 0.
    quint64 noteFinished(quint64 nRequest);

    bool hasPendingSave(quint64 nRowId) const;
    /// The first row (lowest id) with a pending save to @p strIp; 0 when none.
    quint64 pendingSaveRow(const QString &strIp) const;
    /// Ends the pending save of @p nRowId and returns what it sent.
    DevInfo_S takePendingSave(quint64 nRowId);
    /// The addresses with a write in flight, sorted.
    QStringList pendingSaveAddresses() const;

private:
    QSet<quint64> m_setCurrent;
    QSet<quint64> m_setStale;
    QHash<quint64, DevInfo_S> m_hashPendingSaves;
    QHash<quint64, quint64> m_hashSaveRequests;
    QHash<quint64, quint64> m_hashReadRequests;
    quint64 m_nSendingRow = 0;
    quint64 m_nAskingRow = 0;
    quint64 m_nDelivering = 0;
};
