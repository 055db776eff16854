#include "cli/batchoutcome.h"

#include "cli/consoleout.h"
#include "site/devicerow.h"
#include "site/sitemodel.h"
#include "site/sitenotifier.h"

namespace {
const QString kCameraDone = QStringLiteral("%1  %2  done: %3");
const QString kCameraFailed = QStringLiteral("%1  %2  FAILED: %3");
const QString kSummary = QStringLiteral("Batch: %1");
} // namespace

BatchOutcome::BatchOutcome(const SiteModel *pSite, int nWrites, QObject *parent)
    : QObject(parent)
    , m_pSite(pSite)
    , m_nWrites(nWrites)
{
    connect(pSite->notifier(), &SiteNotifier::sigBatchCameraDone, this, &BatchOutcome::showCamera);
    connect(pSite->notifier(), &SiteNotifier::sigBatchFinished, this, &BatchOutcome::finish);
}

void BatchOutcome::showCamera(quint64 nRowId, bool bSucceeded, const QString &strWhat)
{
    const DeviceRow *pRow = m_pSite->rows().find(nRowId);
    if (!pRow)
        return;
    m_nSucceeded += bSucceeded ? 1 : 0;
    ConsoleOut::result((bSucceeded ? kCameraDone : kCameraFailed).arg(pRow->mac(), pRow->address(), strWhat));
}

// A camera the batch could not start (its row gone) never reports: it did not succeed.
void BatchOutcome::finish(const QString &strSummary, bool bFailures)
{
    ConsoleOut::result(kSummary.arg(strSummary));
    emit sigFinished(!bFailures && m_nSucceeded == m_nWrites);
}
