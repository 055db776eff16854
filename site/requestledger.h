#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include "core/devinfo_s.h"

/**
 * The site's own account of the requests it sends, learnt from the per-request outcomes:
 * which requests belong to an earlier search (their replies must change nothing in the new
 * table), which row each read, write and reboot order was sent for, which save each
 * "SetEnv" carries, and what each reply said beside the hub (its status, the MAC a check
 * found instead of the row's).
 *
 * Rows are known by their ids (0 stands for none). A save is pending from the moment it is
 * sent until its status or the end of its request.
 */
class RequestLedger
{
public:
    /// A new search: requests still out now belong to an earlier one; pending saves are dropped.
    void beginSearch();

    /// Row @p nRowId's settings @p stSaved are about to be sent; the next "SetEnv" taken carries them.
    void beginSave(quint64 nRowId, const DevInfo_S &stSaved);
    /// Row @p nRowId's camera is about to be ordered to reboot; the next "Reboot" taken is its.
    void beginReboot(quint64 nRowId);
    /// Row @p nRowId's camera is about to be asked for its firmware and settings.
    void beginAsking(quint64 nRowId);
    /// The send begun last is over, whether or not a request was taken for it.
    void endSend();

    /// A request carrying command number @p nCmd was taken.
    void noteStarted(quint64 nRequest, int nCmd);
    /// The row the read @p nRequest was sent for; 0 when it is no read of this search.
    quint64 readRow(quint64 nRequest) const;
    /// The row the reboot order @p nRequest was sent for; 0 when none.
    quint64 rebootRow(quint64 nRequest) const;
    /// The reply to @p nRequest is about to reach the site.
    void noteDelivering(quint64 nRequest);
    /// True while a reply to a request of an earlier search is being delivered.
    bool isDeliveringStale() const;
    /// The row whose save the reply being delivered answers; 0 when none.
    quint64 deliveringSaveRow() const;
    /// The reply to @p nRequest carried the status @p nStatus.
    void noteStatus(quint64 nRequest, int nStatus);
    /// True, with the status in *@p pStatus, when the reply to @p nRequest carried one.
    bool statusOf(quint64 nRequest, int *pStatus) const;
    /// The check before @p nRequest found the camera with MAC @p strMac instead.
    void noteOtherCamera(quint64 nRequest, const QString &strMac);
    /// The MAC the check before @p nRequest found instead; empty when none.
    QString otherCameraOf(quint64 nRequest) const;
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
    QHash<quint64, quint64> m_hashRebootRequests;
    QHash<quint64, quint64> m_hashReadRequests;
    QHash<quint64, int> m_hashStatuses;
    QHash<quint64, QString> m_hashOtherCameras;
    quint64 m_nSendingRow = 0;
    int m_nSendingCmd = -1;
    quint64 m_nDelivering = 0;
};
