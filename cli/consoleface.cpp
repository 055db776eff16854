#include "cli/consoleface.h"

#include "cli/consoleout.h"
#include "core/nametables.h"
#include "net/chttp.h"
#include "site/hubrequests.h"
#include "site/journal.h"
#include "site/sitemodel.h"
#include "site/sitenotifier.h"

ConsoleFace::ConsoleFace(QObject *parent)
    : QObject(parent)
    , m_pSite(new SiteModel(this))
    , m_pJournal(new Journal(this))
{
    m_pSite->setJournal(m_pJournal);
    sendSiteRequestsToHub(m_pSite->notifier(), this);
    connect(m_pSite->notifier(), &SiteNotifier::sigSearchStateChanged, this, &ConsoleFace::checkSearchEnded);
}

SiteModel *ConsoleFace::siteModel() const
{
    return m_pSite;
}

Journal *ConsoleFace::journal() const
{
    return m_pJournal;
}

bool ConsoleFace::search(const QString &strLocalIp)
{
    m_bAwaitingSearch = m_pSite->search(strLocalIp);
    return m_bAwaitingSearch;
}

// Asked on both signals: a search of no camera ends with the site model's, one of many with
// the client's last reply.
void ConsoleFace::checkSearchEnded()
{
    if (!m_bAwaitingSearch || m_pSite->isSearching() || CHttp::getInstance()->pendingCount() != 0)
        return;
    m_bAwaitingSearch = false;
    emit sigSearchEnded();
}

void ConsoleFace::slotSearchResult(const QList<QuillbootSearch_S> &listQuillbootSearch)
{
    m_pSite->takeSearchResult(listQuillbootSearch);
}

void ConsoleFace::slotUpdateFwVersion(const QString &strIp, const FwVersion_S &stFwVer)
{
    m_pSite->takeFirmware(strIp, stFwVer);
}

void ConsoleFace::slotUpdateEthInfo(const QString &strIp, EthInfo_S stEthInfo)
{
    m_pSite->takeSettings(strIp, stEthInfo);
}

void ConsoleFace::slotGetEnvFinished()
{
    checkSearchEnded();
}

void ConsoleFace::slotUpdateEthStatus(const QString &strIp, int nStatus)
{
    m_pSite->takeWriteStatus(strIp, nStatus);
}

void ConsoleFace::slotSdkUpdateDevInfo(const DevInfo_S &stDevInfo)
{
    m_pSite->takeSdkReport(stDevInfo);
}

void ConsoleFace::slotSdkGetInfoFinished()
{
    m_pSite->takeSdkFinished();
}

void ConsoleFace::slotShowTips(int nType)
{
    ConsoleOut::progress(getResultName(nType));
}

void ConsoleFace::slotRequestStarted(quint64 nRequest, const QString &, int nCmd)
{
    m_pSite->noteRequestStarted(nRequest, nCmd);
}

void ConsoleFace::slotReplyDelivering(quint64 nRequest, const QString &, int)
{
    m_pSite->noteReplyDelivering(nRequest);
}

void ConsoleFace::slotRequestFinished(quint64 nRequest, const QString &strIp, int nCmd, int nOutcome)
{
    m_pSite->noteRequestFinished(nRequest, strIp, nCmd, nOutcome);
}

void ConsoleFace::slotReplyStatus(quint64 nRequest, int nStatus)
{
    m_pSite->noteReplyStatus(nRequest, nStatus);
}

void ConsoleFace::slotOtherCamera(quint64 nRequest, const QString &, const QString &strMac)
{
    m_pSite->noteOtherCamera(nRequest, strMac);
}
