#include "site/searchcycle.h"

#include <QDebug>
#include <QTimer>

#include "core/searchlimits.h"
#include "net/chttp.h"
#include "net/commontool.h"
#include "net/requestoutcome.h"
#include "site/devicerow.h"
#include "site/devicerowlist.h"
#include "site/replymatcher.h"
#include "site/requestledger.h"
#include "site/sitenotifier.h"
#include "validate/addresscheck.h"
#include "validate/contactpolicy.h"

SearchCycle::SearchCycle(DeviceRowList &rows, ReplyMatcher &matcher, RequestLedger &ledger, SiteNotifier &notifier,
                         QObject *parent)
    : QObject(parent)
    , m_rows(rows)
    , m_matcher(matcher)
    , m_ledger(ledger)
    , m_notifier(notifier)
{
}

void SearchCycle::start(const QString &strLocalIp)
{
    m_bSearching = true;
    m_bListening = true;
    m_bCapped = false;
    m_searchTime = QTime::currentTime();
    m_strSearchedFrom = strLocalIp;
    emit m_notifier.sigListening(strLocalIp);
    emit m_notifier.sigSearchNetwork(strLocalIp);
}

void SearchCycle::takeResult(const QList<QuillbootSearch_S> &listAnswers)
{
    m_bListening = false;
    m_bCapped = listAnswers.size() >= SEARCH_MAX_RECORDS;
    const int nFirst = m_rows.size();
    for (const QuillbootSearch_S &stAnswer : listAnswers) {
        const QString strAddress = searchRecordAddress(stAnswer);
        if (!isDottedQuadIpv4(strAddress)) {
            qDebug() << "slotSearchResult: reply skipped, its address is not a dotted quad:" << strAddress;
            continue;
        }
        m_matcher.listRow(m_rows.append(strAddress, searchRecordPort(stAnswer)));
    }
    m_matcher.markSharedAddresses();
    CHttp::getInstance()->setSharedAddresses(m_matcher.conflicts().sharedAddresses());
    emit m_notifier.sigRowsAppended(nFirst, m_rows.size() - nFirst);
    emit m_notifier.sigStatusChanged();
    CommonTool::getInstance()->getDevInfo();
}

void SearchCycle::takeSdkFinished()
{
    m_nNextAsk = 0;
    askNextRows();
}

// A reply that the parsers read has filled or marked its row already.
void SearchCycle::takeReadOutcome(DeviceRow *pRow, int nOutcome)
{
    if (pRow->state() != RowState::Waiting || nOutcome == RequestOutcome::Answered)
        return;
    RowState state = RowState::NoAnswer;
    if (nOutcome == RequestOutcome::Unreadable || nOutcome == RequestOutcome::Redirected
        || nOutcome == RequestOutcome::HttpError)
        state = RowState::Unreadable;
    else if (nOutcome == RequestOutcome::TooLarge)
        state = RowState::TooLarge;
    pRow->setState(state, RequestOutcome::outcomeText(nOutcome));
    emit m_notifier.sigRowChanged(pRow->index());
}

bool SearchCycle::isSearching() const
{
    return m_bSearching;
}

bool SearchCycle::isListening() const
{
    return m_bListening;
}

QString SearchCycle::searchedFrom() const
{
    return m_strSearchedFrom;
}

QTime SearchCycle::searchTime() const
{
    return m_searchTime;
}

bool SearchCycle::isCapped() const
{
    return m_bCapped;
}

void SearchCycle::askNextRows()
{
    const int nEnd = qMin(m_nNextAsk + ROWS_ASKED_PER_TURN, m_rows.size());
    for (; m_nNextAsk < nEnd; ++m_nNextAsk) {
        const DeviceRow *pRow = m_rows.at(m_nNextAsk);
        if (!ContactPolicy::mayContact(pRow->address()))
            continue;
        m_ledger.beginAsking(pRow->id());
        emit m_notifier.sigAskCamera(pRow->address());
        m_ledger.endSend();
    }
    if (m_nNextAsk < m_rows.size()) {
        QTimer::singleShot(0, this, &SearchCycle::askNextRows);
        return;
    }
    finishAsking();
}

void SearchCycle::finishAsking()
{
    m_bSearching = false;
    emit m_notifier.sigSearchStateChanged();
}
