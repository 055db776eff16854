#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QTime>

#include "core/quillbootsearch_s.h"

class DeviceRow;
class DeviceRowList;
class ReplyMatcher;
class RequestLedger;
class SiteNotifier;

/**
 * One search cycle: the multicast search from a local address, the rows its answers become,
 * the SDK search, and the question to every row's camera for its firmware and settings.
 *
 * An answer whose address is not a dotted quad becomes no row: the address becomes the host
 * of every request for the row. The cameras are asked a slice of rows per turn of the event
 * loop, in row order, since thousands of requests taken in one turn would freeze the program;
 * the cycle ends with the last slice. Addresses that are never contacted are not asked.
 */
class SearchCycle : public QObject
{
    Q_OBJECT

public:
    /// Rows asked for their firmware and settings in one turn of the event loop.
    static constexpr int ROWS_ASKED_PER_TURN = 200;

    SearchCycle(DeviceRowList &rows, ReplyMatcher &matcher, RequestLedger &ledger, SiteNotifier &notifier,
                QObject *parent = nullptr);

    /// Asks for a search from @p strLocalIp; the rows must already be cleared.
    void start(const QString &strLocalIp);
    /// Lists one row per answer of @p listAnswers, then starts the SDK search.
    void takeResult(const QList<QuillbootSearch_S> &listAnswers);
    /// The SDK search ended: every row's camera is asked.
    void takeSdkFinished();
    /// The read of @p pRow's settings ended with @p nOutcome (a RequestOutcome::Outcome): a
    /// row still waiting says why it got none.
    void takeReadOutcome(DeviceRow *pRow, int nOutcome);

    /// True from start() until the last row was asked.
    bool isSearching() const;
    /// True from start() until the answers are listed.
    bool isListening() const;
    QString searchedFrom() const;
    QTime searchTime() const;
    /// The last search listed as many answers as a search keeps: later ones were dropped.
    bool isCapped() const;

private:
    void askNextRows();
    void finishAsking();

    DeviceRowList &m_rows;
    ReplyMatcher &m_matcher;
    RequestLedger &m_ledger;
    SiteNotifier &m_notifier;
    QString m_strSearchedFrom;
    QTime m_searchTime;
    int m_nNextAsk = 0;
    bool m_bSearching = false;
    bool m_bListening = false;
    bool m_bCapped = false;
};
