#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include "core/devinfo_s.h"
#include "core/ethinfo_s.h"
#include "core/fwversion_s.h"
#include "core/quillbootsearch_s.h"
#include "site/batchassignment.h"
#include "site/batchplan.h"
#include "site/devicerowlist.h"
#include "site/replymatcher.h"
#include "site/requestledger.h"
#include "site/sitesummary.h"

class BatchRun;
class DeviceRow;
class Journal;
class RebootProof;
class SaveFlow;
class SearchCycle;
class SiteJournal;
class SiteNotifier;

/**
 * The site apart from any widget: one row object per camera that answered the search, and
 * what is done with them, from the search to the proof after a reboot.
 *
 * Its face (the window's device view, or the command line) receives the hub's signals and
 * the per-request outcomes and hands them to the take and note functions; it forwards the
 * requests of notifier() to the hub and shows what notifier() says changed. User actions
 * name rows by their ids; an id of an earlier search does nothing.
 *
 * A search ends everything that refers to the rows of the last one: it is refused while a
 * write or a batch is under way, and it ends an open batch plan (sigPlanDropped).
 */
class SiteModel : public QObject
{
    Q_OBJECT

public:
    explicit SiteModel(QObject *parent = nullptr);

    SiteNotifier *notifier() const;
    const DeviceRowList &rows() const;

    void takeSearchResult(const QList<QuillbootSearch_S> &listAnswers);
    void takeFirmware(const QString &strIp, const FwVersion_S &stFwVer);
    void takeSettings(const QString &strIp, const EthInfo_S &stEthInfo);
    void takeWriteStatus(const QString &strIp, int nStatus);
    void takeSdkReport(const DevInfo_S &stReport);
    void takeSdkFinished();
    void noteRequestStarted(quint64 nRequest, int nCmd);
    void noteReplyDelivering(quint64 nRequest);
    void noteReplyStatus(quint64 nRequest, int nStatus);
    void noteOtherCamera(quint64 nRequest, const QString &strMac);
    void noteRequestFinished(quint64 nRequest, const QString &strIp, int nCmd, int nOutcome);

    /// Starts a search from @p strLocalIp; false (and nothing happens) while one runs or
    /// while a write or a batch is under way.
    bool search(const QString &strLocalIp);
    /// True when "Search" may start one now.
    bool canSearch() const;
    /// Why "Search" waits, for its tooltip; empty when it does not, or only for the search itself.
    QString searchBlocker() const;
    bool isSearching() const;
    /// True from the search until its answers are listed.
    bool isListening() const;
    QString searchedFrom() const;

    void editAddress(quint64 nRowId, const QString &strAddress);
    void editMask(quint64 nRowId, const QString &strMask);
    void editGateway(quint64 nRowId, const QString &strGateway);
    void editDhcp(quint64 nRowId, bool bDhcp);
    /// "Save" of row @p nRowId (0 for none): a refusal, or the question.
    void askSave(quint64 nRowId);
    /// The question's "yes".
    void confirmSave();
    /// "Cancel" of row @p nRowId.
    void cancelRow(quint64 nRowId);

    /// Opens a batch plan for the rows @p listRowIds; "Search" waits until closePlan().
    BatchAssignment::PlanInput_S openPlan(const QList<quint64> &listRowIds);
    /// Opens a plan for the cameras that share @p strShared (cameras out of the box).
    BatchAssignment::PlanInput_S openSharedPlan(const QString &strShared);
    void closePlan();
    /// The cameras a plan file may name, and the addresses no plan may give.
    QList<PlanMatch::Camera_S> planCameras() const;
    QSet<QString> heldAddresses() const;
    /// Writes a confirmed plan; the plan is closed.
    void startBatch(const QList<BatchPlan::Entry_S> &listEntries, const QString &strMask, const QString &strGateway);
    /// Readdresses the cameras at @p strShared one at a time (see SharedAddressRun).
    void startSharedBatch(const QString &strShared, const QList<BatchPlan::Entry_S> &listEntries,
                          const QString &strMask, const QString &strGateway);
    void cancelBatch();
    bool isBatchRunning() const;
    /// What the status line adds below the site's counts: the last batch's summary, a
    /// journal that cannot be written.
    QStringList notes() const;

    /// Every write and its outcomes go to @p pJournal from now on (nullptr for none, the
    /// default). Not owned.
    void setJournal(Journal *pJournal);
    Journal *journal() const;

    /// The site's counts (nShown is left to the face, which knows its filter).
    SiteSummary_S summary() const;

private:
    QString workUnderWay() const;
    bool dropStaleReply(const char *szWhat, const QString &strIp) const;
    void notifyChanged(const QList<DeviceRow *> &listRows);

    DeviceRowList m_rows;
    ReplyMatcher m_matcher{m_rows};
    RequestLedger m_ledger;
    SiteNotifier *m_pNotifier = nullptr;
    BatchRun *m_pBatchRun = nullptr;
    SearchCycle *m_pSearch = nullptr;
    RebootProof *m_pProof = nullptr;
    SaveFlow *m_pSave = nullptr;
    BatchAssignment *m_pBatch = nullptr;
    SiteJournal *m_pJournal = nullptr;
    bool m_bPlanOpen = false;
};
