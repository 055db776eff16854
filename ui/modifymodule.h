#pragma once

#include <QList>
#include <QString>
#include <QWidget>

#include "core/devinfo_s.h"
#include "core/ethinfo_s.h"
#include "core/fwversion_s.h"
#include "core/quillbootsearch_s.h"

namespace Ui {
class ModifyModule;
}

class CTextButton;
class QResizeEvent;
class RowActions;
class RowCells;
class SiteStatusLine;
class SiteModel;
class ToggleSwitch;

/**
 * The device view: the search bar (local IPv4 addresses and "Search") above the
 * eight-column device table, a filter and a status line; the window's face of the site
 * model (site/sitemodel.h), which holds one object per camera row and does the work.
 *
 * It is the receiver of the hub's signals for the view and the per-request outcomes, which
 * it hands to the model, and the only sender of the view's hub signals, which the model asks
 * for. It shows the rows and forwards the user's actions: "Search" (and F5), typing into a
 * row's address, mask and gateway cells, its DHCP switch, "Save" (asked with the question
 * pop-up; Escape answers "no") and "Cancel"; "Assign addresses..." for the selected rows;
 * copying rows as CSV (Ctrl+C); a row's web page; the filter, which hides rows that do not
 * match.
 */
class ModifyModule : public QWidget
{
    Q_OBJECT

public:
    explicit ModifyModule(QWidget *parent = nullptr);
    ~ModifyModule() override;

    /// Rescales header, table and row-button fonts by @p scale (default 1.0).
    void setScale(double scale);
    /// The site model the view shows.
    SiteModel *siteModel() const;

public slots:
    void slotSearchResult(const QList<QuillbootSearch_S> &listQuillbootSearch);
    void slotUpdateFwVersion(const QString &strIp, const FwVersion_S &stFwVer);
    void slotUpdateEthInfo(const QString &strIp, EthInfo_S stEthInfo);
    void slotGetEnvFinished();
    /// "Save" of the sender's row.
    void slotSave();
    /// "Cancel" of the sender's row.
    void slotCancel();
    /// The DHCP switch of the sender's row.
    void slotToggleChanged(bool checked);
    void slotUpdateEthStatus(const QString &strIp, int nStatus);
    void slotSdkUpdateDevInfo(const DevInfo_S &stDevInfo);
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
    /// The reply to request @p nRequest carries the status @p nStatus.
    void slotReplyStatus(quint64 nRequest, int nStatus);
    /// The check before request @p nRequest found the camera with MAC @p strMac at @p strIp instead.
    void slotOtherCamera(quint64 nRequest, const QString &strIp, const QString &strMac);

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *pWatched, QEvent *pEvent) override;

private:
    void initTable();
    void initLocalIp();
    void initConnect();
    void initSiteBar();
    void initShortcuts();
    void linkSite();
    void applyTableStyleSheets();

    void connectRowWidgets(ToggleSwitch *pSwitch, CTextButton *pSave, CTextButton *pCancel);
    void editCell(int nIndex, int nColumn, const QString &strText);
    static quint64 rowIdOf(const QObject *pSender);
    void showQuestion(const QString &strQuestion);
    void confirmSave();
    void refreshSearchState();

    void assignOrCancel();

    Ui::ModifyModule *ui;
    SiteModel *m_pSite = nullptr;
    RowCells *m_pCells = nullptr;
    RowActions *m_pActions = nullptr;
    SiteStatusLine *m_pStatus = nullptr;
    int m_textFontSize = 16;
    int m_btnFontSize = 16;
    double m_scale = 1.0;
};
