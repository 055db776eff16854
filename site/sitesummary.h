#pragma once

#include <QString>
#include <QTime>

/**
 * The figures of one search that the status line below the table shows, and its text:
 * "12 cameras · 10 filled · 1 waiting · 1 did not answer · 1 address conflict · searched at 14:32:05".
 * Parts that are zero are left out, except the number of cameras.
 */
struct SiteSummary_S
{
    int nCameras = 0;
    int nFilled = 0;
    int nWaiting = 0;
    int nUnanswered = 0;
    int nConflicts = 0;
    int nShown = -1;     ///< rows the filter shows; -1 without a filter
    int nCap = 0;        ///< the cap of answers when the search hit it; 0 when it did not
    QTime searchedAt;
};

/// The status line's text for @p stSummary.
QString siteSummaryText(const SiteSummary_S &stSummary);
/// The status line's text while a search from @p strLocalIp listens for @p nListenMs.
QString siteSearchingText(const QString &strLocalIp, int nListenMs);
