#include "site/sitesummary.h"

#include <QStringList>

#include "core/timeunits.h"

namespace {

const QString kSeparator = QStringLiteral(" · ");

// "1 camera", "12 cameras": every figure reads as a count of something.
QString counted(int nCount, const char *szOne, const char *szMany)
{
    return QStringLiteral("%1 %2").arg(nCount).arg(QLatin1String(nCount == 1 ? szOne : szMany));
}

} // namespace

QString siteSummaryText(const SiteSummary_S &stSummary)
{
    QStringList listParts{counted(stSummary.nCameras, "camera", "cameras")};
    if (stSummary.nShown >= 0)
        listParts.append(QStringLiteral("%1 shown").arg(stSummary.nShown));
    if (stSummary.nFilled > 0)
        listParts.append(QStringLiteral("%1 filled").arg(stSummary.nFilled));
    if (stSummary.nWaiting > 0)
        listParts.append(QStringLiteral("%1 waiting").arg(stSummary.nWaiting));
    if (stSummary.nUnanswered > 0)
        listParts.append(QStringLiteral("%1 did not answer").arg(stSummary.nUnanswered));
    if (stSummary.nConflicts > 0)
        listParts.append(counted(stSummary.nConflicts, "address conflict", "address conflicts"));
    if (stSummary.nCap > 0)
        listParts.append(QStringLiteral("only the first %1 answers listed").arg(stSummary.nCap));
    if (stSummary.searchedAt.isValid())
        listParts.append(QStringLiteral("searched at %1").arg(stSummary.searchedAt.toString(QStringLiteral("HH:mm:ss"))));
    return listParts.join(kSeparator);
}

QString siteSearchingText(const QString &strLocalIp, int nListenMs)
{
    return QStringLiteral("Searching from %1: listening for answers for %2 s")
        .arg(strLocalIp.isEmpty() ? QStringLiteral("no address") : strLocalIp)
        .arg(nListenMs / MS_PER_SECOND);
}
