#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include "core/devinfo_s.h"
#include "core/ethinfo_s.h"
#include "core/fwversion_s.h"
#include "core/quillbootsearch_s.h"

class Journal;
class SiteModel;

/**
 * The command line's face of the site model, in the device view's place: the receiver of
 * the view's hub signals and of the per-request outcomes, with the view's slot names, and
 * of the hub's result messages (slotShowTips), which become progress lines on standard
 * error. It owns the site model, whose requests it sends to the hub, and the journal in its
 * default folder, which gets the same lines as from the window.
 *
 * A search counts as ended once every row's reads have ended: the site model no longer
 * searches and the HTTP client has no request pending.
 */
class ConsoleFace : public QObject
{
    Q_OBJECT

public:
    explicit ConsoleFace(QObject *parent = nullptr);

    SiteModel *siteModel() const;
    Journal *journal() const;

    /// Searches from @p strLocalIp; sigSearchEnded follows. False when the site model refuses.
    bool search(const QString &strLocalIp);

signals:
    /// The search has ended: every row's reads ended.
    void sigSearchEnded();

public slots:
    void slotSearchResult(const QList<QuillbootSearch_S> &listQuillbootSearch);
    void slotUpdateFwVersion(const QString &strIp, const FwVersion_S &stFwVer);
    void slotUpdateEthInfo(const QString &strIp, EthInfo_S stEthInfo);
    void slotGetEnvFinished();
    void slotUpdateEthStatus(const QString &strIp, int nStatus);
    void slotSdkUpdateDevInfo(const DevInfo_S &stDevInfo);
    void slotSdkGetInfoFinished();
    /// A result of the hub's (a ResultCode), as a progress line.
    void slotShowTips(int nType);

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

private:
    void checkSearchEnded();

    SiteModel *m_pSite = nullptr;
    Journal *m_pJournal = nullptr;
    bool m_bAwaitingSearch = false;
};
