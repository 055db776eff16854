#include "cli/progresslines.h"

#include "cli/consoleout.h"
#include "core/searchlimits.h"
#include "core/timeunits.h"
#include "site/devicerow.h"
#include "site/journal.h"
#include "site/sitemodel.h"
#include "site/sitenotifier.h"

namespace {

const QString kListening = QStringLiteral("Searching from %1 for %2 s");
const QString kAnswers = QStringLiteral("%1 cameras answered; reading their settings");
const QString kRowLine = QStringLiteral("%1  %2  %3");
const QString kRowReason = QStringLiteral("%1: %2");
const QString kUnwritable = QStringLiteral("The journal cannot be written: %1");

} // namespace

ProgressLines::ProgressLines(const SiteModel *pSite, const Journal *pJournal, QObject *parent)
    : QObject(parent)
    , m_pSite(pSite)
{
    const SiteNotifier *pNotifier = pSite->notifier();
    connect(pNotifier, &SiteNotifier::sigListening, this, &ProgressLines::showListening);
    connect(pNotifier, &SiteNotifier::sigRowsAppended, this, &ProgressLines::showAnswers);
    connect(pNotifier, &SiteNotifier::sigRowChanged, this, &ProgressLines::showRowChange);
    connect(pNotifier, &SiteNotifier::sigToast, this, [](int, const QString &strText) { ConsoleOut::progress(strText); });
    connect(pJournal, &Journal::sigUnwritable, this,
            [](const QString &strReason) { ConsoleOut::progress(kUnwritable.arg(strReason)); });
}

void ProgressLines::showListening(const QString &strLocalIp)
{
    m_hashShown.clear();
    ConsoleOut::progress(kListening.arg(strLocalIp).arg(SEARCH_WINDOW_MS / MS_PER_SECOND));
}

void ProgressLines::showAnswers(int, int nCount)
{
    ConsoleOut::progress(kAnswers.arg(nCount));
}

// A row is listed waiting: only a state it reaches afterwards is news.
void ProgressLines::showRowChange(int nIndex)
{
    const DeviceRow *pRow = m_pSite->rows().at(nIndex);
    if (!pRow || m_hashShown.value(pRow->id(), RowState::Waiting) == pRow->state())
        return;
    m_hashShown.insert(pRow->id(), pRow->state());
    const QString strState = rowStateName(pRow->state());
    ConsoleOut::progress(kRowLine.arg(pRow->address(), pRow->mac(),
                                      pRow->reason().isEmpty() ? strState : kRowReason.arg(strState, pRow->reason())));
}
