#pragma once

#include <QObject>
#include <QString>

#include "core/devinfo_s.h"
#include "core/ethinfo_s.h"

/**
 * What the site model tells its face (the window's device view, or the command line): the
 * requests that go out through the hub, which only the face sends, and what changed.
 *
 * The classes of the site model emit these; nothing else connects to them but the face.
 */
class SiteNotifier : public QObject
{
    Q_OBJECT

public:
    explicit SiteNotifier(QObject *parent = nullptr);

signals:
    /// Search from the local address @p strIp.
    void sigSearchNetwork(QString strIp);
    /// Ask the camera at @p strIp for its firmware, then for its settings.
    void sigAskCamera(QString strIp);
    /// Write @p stEthInfo to the camera at @p strIp.
    void sigSetEthInfo(QString strIp, EthInfo_S stEthInfo);
    /// Reboot the camera at @p strIp.
    void sigDevReboot(QString strIp);

    /// A new search: every row is gone.
    void sigRowsCleared();
    /// The search from @p strLocalIp is about to listen for answers.
    void sigListening(QString strLocalIp);
    /// Rows @p nFirst to @p nFirst + @p nCount - 1 were listed.
    void sigRowsAppended(int nFirst, int nCount);
    /// The row at @p nIndex changed.
    void sigRowChanged(int nIndex);
    /// The site's counts or notes changed.
    void sigStatusChanged();
    /// Whether a search may start, or a batch runs, changed.
    void sigSearchStateChanged();

    /// Show @p strText with the icon of @p nKind (a ToastKind).
    void sigToast(int nKind, QString strText);
    /// Ask @p strQuestion; the answer goes to SiteModel::confirmSave or declineSave.
    void sigQuestion(QString strQuestion);
    /// A search ended the open batch plan: its question must close.
    void sigPlanDropped();

    /// The camera of row @p nRowId is done with in the running batch: @p bSucceeded when it
    /// is back (or handed to DHCP); @p strWhat says how it ended.
    void sigBatchCameraDone(quint64 nRowId, bool bSucceeded, QString strWhat);
    /// The batch is over; @p bFailures when any camera failed or may have.
    void sigBatchFinished(QString strSummary, bool bFailures);

    /// @p stSent is about to be written to the camera of row @p nRowId.
    void sigWriteSent(quint64 nRowId, DevInfo_S stSent);
    /// What became of the last write to row @p nRowId: @p nEvent (a Journal::Event) with
    /// @p strDetail.
    void sigWriteEvent(quint64 nRowId, int nEvent, QString strDetail);
};
