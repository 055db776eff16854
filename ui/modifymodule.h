#pragma once

#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QWidget>

#include "core/devinfo_s.h"
#include "core/ethinfo_s.h"
#include "core/fwversion_s.h"
#include "core/quillbootsearch_s.h"
#include "site/addressconflicts.h"
#include "site/batchplan.h"
#include "site/requestledger.h"
#include "site/rowstate.h"
#include "site/sitesummary.h"

namespace Ui {
class ModifyModule;
}

class BatchAssignDialog;
class BatchRun;
class CTextButton;
class RebootWatch;
class QResizeEvent;
class QTableWidgetItem;
class ToggleSwitch;

/**
 * The device view: the search bar (local IPv4 addresses and "Search") above the
 * eight-column device table.
 *
 * "Search" asks for a multicast search through the hub; each reply with a dotted-quad
 * address becomes a row, then the SDK search runs. When it ends, every row's camera is
 * asked for its firmware versions and network settings, and the replies fill the rows
 * (a second camera at a shared address is completed from the SDK reports).
 *
 * A row is edited in place; its "Save" asks for confirmation, checks address, mask and
 * gateway and sends the settings through the hub; a successful write is followed by a
 * reboot order. "Cancel" writes the row's stored values back.
 *
 * Writes reach only the camera meant: an address answered more than once is marked, and a
 * row is written only when its MAC is the one MAC its address answers with over HTTP; a
 * camera takes one write at a time, and "Search" waits while a write is in flight. Replies
 * find their row by the address the row was found at, never by the editable cell, and
 * replies to requests of an earlier search change nothing.
 *
 * Each row carries a state mark saying why it is empty or odd, and a status line below
 * the table counts the site. After a successful write and the reboot order, the row
 * follows the camera to its new address and says whether it came back.
 *
 * Selected rows can be readdressed in one go from a checked plan ("Assign addresses..."),
 * copied as CSV (Ctrl+C), and a row's web page opened; a filter hides the rows that do
 * not match. F5 searches, Escape answers "no" to the question.
 *
 * The view talks to the models only through the hub, and learns how each of its requests
 * ended from the per-request outcomes; the controller connects the slots.
 */
class ModifyModule : public QWidget
{
    Q_OBJECT

public:
    explicit ModifyModule(QWidget *parent = nullptr);
    ~ModifyModule() override;

    /// Rescales header, table and row-button fonts by @p scale (default 1.0).
    void setScale(double scale);

public slots:
    /// Lists one row per reply (replies whose address is not a dotted quad are skipped),
    /// then starts the SDK search.
    void slotSearchResult(const QList<QuillbootSearch_S> &listQuillbootSearch);
    /// Fills the firmware cell of the first row of @p strIp that has none.
    void slotUpdateFwVersion(const QString &strIp, const FwVersion_S &stFwVer);
    /// Fills the first row of @p strIp that has no MAC yet and enables its buttons.
    void slotUpdateEthInfo(const QString &strIp, EthInfo_S stEthInfo);
    void slotGetEnvFinished();
    /// Collects the sender's row and asks for confirmation.
    void slotSave();
    /// Writes the sender's row back from its stored record.
    void slotCancel();
    /// Records the DHCP state of the sender's row.
    void slotToggleChanged(bool checked);
    /// Shows the result of a write; status 0 stores the saved values and orders a reboot.
    void slotUpdateEthStatus(const QString &strIp, int nStatus);
    /// Holds an SDK report aside for the merge of shared addresses.
    void slotSdkUpdateDevInfo(const DevInfo_S &stDevInfo);
    /// Asks every listed camera for firmware and settings; enables "Search" again.
    void slotSdkGetInfoFinished();

private slots:
    void searchIp();

public slots:
    /// A request was taken by the HTTP client (number @p nRequest, command number @p nCmd).
    void slotRequestStarted(quint64 nRequest, const QString &strIp, int nCmd);
    /// The reply to request @p nRequest is about to be parsed and published.
    void slotReplyDelivering(quint64 nRequest, const QString &strIp, int nCmd);
    /// Request @p nRequest has ended with @p nOutcome (a RequestOutcome::Outcome).
    void slotRequestFinished(quint64 nRequest, const QString &strIp, int nCmd, int nOutcome);

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *pWatched, QEvent *pEvent) override;

private:
    // How far a row's settings got: none yet, from its own reply, completed from an SDK
    // report (another camera at a shared address), or another answer at an address whose
    // HTTP reaches a camera already shown in an earlier row.
    enum class RowFill { Waiting, Filled, Merged, Unreached };

    // What the view keeps about a row beyond its record: row r, element r.
    struct RowExtra
    {
        RowFill fill = RowFill::Waiting;
        int nEditedColumns = 0; // bit per column the user has typed into
        bool bDhcpEdited = false;
        RowState state = RowState::Waiting;
    };

    void initTable();
    void initLocalIp();
    void initConnect();
    void initSiteBar();
    void initShortcuts();
    void applyTableStyleSheets();

    void setCellText(int row, int column, const QString &text, Qt::ItemFlags flagMask);
    QTableWidgetItem *ensureItem(int row, int column);
    QString cellText(int row, int column) const;
    QWidget *createToggleCell(int width, int height);
    QWidget *createOperationCell(int row);
    CTextButton *createRowButton(const QString &text, QWidget *parent);
    void insertPendingRows();
    void askNextRows();
    /// Fills the already counted @p row from @p stSearch; false when the reply is skipped.
    bool appendDeviceRow(int row, const QuillbootSearch_S &stSearch);

    void markSharedAddresses();
    void refreshAddressTips(const QString &strAddress);
    void setAddressTip(int row, const QString &strTip);
    bool dropStaleReply(const char *szSlot, const QString &strIp) const;
    bool mergeSdkRecord(const QString &strAddress, const QString &strMac, EthInfo_S &stEthInfo,
                        FwVersion_S &stPendingFw);
    bool showsMacBefore(int row, const QString &strMac) const;
    void fillRow(int row, const EthInfo_S &stEthInfo, const FwVersion_S &stPendingFw, bool bMerged);
    void markUnreached(int row);
    void enableRowButtons(int row);
    void setRowState(int row, RowState state, const QString &strReason = QString());
    void noteReadOutcome(int row, int nOutcome);
    void scheduleStatusRefresh();
    void refreshStatusLine();
    SiteSummary_S siteSummary() const;
    bool isUserEdited(int row, int column) const;

    void recordCellChange(int row, int column);
    void confirmSave();
    bool checkCurrentDevInfo() const;
    DevInfo_S completeDevInfo(int row, const DevInfo_S &stDevInfo) const;
    void restoreRow(int row);
    void showEditableValues(int row, const QString &strAddress, const DevInfo_S &stValues);
    bool findSaveRefusal(int row, QString *pToast, QString *pWhy) const;
    bool refuseSave(int row);
    void sendSave(int row);
    void sendWrite(int row, const DevInfo_S &stSent);
    void settleSave(int row, bool bWritten);
    void followReboot(int row);
    QString unwatchableReason(const DevInfo_S &stSaved) const;
    void markBack(int row);
    void markNotSeen(int row, const QString &strReason);

    void showRowMenu(const QPoint &pos);
    QList<int> chosenRows() const;
    void copyRows();
    void applyFilter();
    bool matchesFilter(int row, const QString &strFilter) const;
    void assignOrCancel();
    void openBatchDialog();
    QString batchRefusal(int row) const;
    void startBatch(const QList<BatchPlan::Entry_S> &listEntries, const QString &strMask, const QString &strGateway);
    void endBatchWrite(int row, bool bWritten, const QString &strWhy);
    void finishBatch(const QString &strSummary, bool bAllBack);
    void updateSearchButton();

    Ui::ModifyModule *ui;
    DevInfo_S m_curDevInfo;
    QMap<int, DevInfo_S> m_editMap;
    QList<DevInfo_S> m_devList;
    QList<ToggleSwitch *> m_toggleList;
    QList<CTextButton *> m_saveBtnList;
    QList<CTextButton *> m_cancelBtnList;
    QList<DevInfo_S> m_sdkDevList;
    int m_textFontSize = 16;
    int m_btnFontSize = 16;
    double m_scale = 1.0;
    QList<RowExtra> m_rowExtraList;
    // The rows found at each address, in row order: replies find their rows without a walk.
    QHash<QString, QList<int>> m_hashRowsByAddress;
    AddressConflicts m_conflicts;
    RequestLedger m_ledger;
    // The row whose save question is open; -1 when none.
    int m_nQuestionRow = -1;
    // From "Search" until the rows' requests are sent.
    bool m_bSearching = false;
    // Above 0 while the view itself writes cells or switches, so user edits are told apart.
    int m_nProgramWrites = 0;
    QTime m_searchTime;
    // Search replies not yet made rows, and the row the next one becomes.
    QList<QuillbootSearch_S> m_listPendingRows;
    int m_nNextRow = 0;
    // The next row to ask for its firmware and settings.
    int m_nNextAsk = 0;
    // The last search listed as many answers as a search keeps: later ones were dropped.
    bool m_bCapped = false;
    QString m_strSearchedFrom;
    RebootWatch *m_pRebootWatch = nullptr;
    BatchRun *m_pBatchRun = nullptr;
    BatchAssignDialog *m_pBatchDialog = nullptr;
    QString m_strBatchNote;
    bool m_bStatusRefreshPending = false;
};
