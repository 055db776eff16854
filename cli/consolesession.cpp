#include "cli/consolesession.h"

#include "cli/batchoutcome.h"
#include "cli/confirmation.h"
#include "cli/consoleface.h"
#include "cli/consoleout.h"
#include "cli/plantext.h"
#include "site/plancheck.h"
#include "cli/exitstatus.h"
#include "cli/searchorigin.h"
#include "cli/sitelisting.h"
#include "site/devicerowlist.h"
#include "site/sitemodel.h"

namespace {
const QString kSearchRefused = QStringLiteral("the search could not start");
const QString kNoTerminal = QStringLiteral("nothing written: there is no terminal to ask; give --yes to write without asking");
const QString kDeclined = QStringLiteral("nothing written");
const QString kNothingToWrite = QStringLiteral("nothing to write");
constexpr int kSetLine = 0;
} // namespace

ConsoleSession::ConsoleSession(const ConsoleRequest_S &stRequest, ConsoleFace *pFace, QObject *parent)
    : QObject(parent)
    , m_stRequest(stRequest)
    , m_pFace(pFace)
{
    connect(m_pFace, &ConsoleFace::sigSearchEnded, this, &ConsoleSession::searchEnded);
}

void ConsoleSession::start()
{
    const SearchOrigin origin(m_stRequest.strFrom);
    if (origin.address().isEmpty()) {
        ConsoleOut::message(origin.error());
        emit sigFinished(origin.exitStatus());
        return;
    }
    if (m_stRequest.eCommand == ConsoleRequest_S::Command::Apply && !readPlanFile()) {
        emit sigFinished(ExitUsage);
        return;
    }
    if (!m_pFace->search(origin.address())) {
        ConsoleOut::message(kSearchRefused);
        emit sigFinished(ExitFailed);
    }
}

// Read before the search: a file that is no plan sends nothing.
bool ConsoleSession::readPlanFile()
{
    const PlanFile plan = PlanFile::read(m_stRequest.strPlanPath);
    if (!plan.error().isEmpty()) {
        ConsoleOut::message(plan.error());
        return false;
    }
    m_listPlanLines = plan.lines();
    m_listPlanRefusals = plan.refusals();
    return true;
}

void ConsoleSession::searchEnded()
{
    if (m_stRequest.eCommand == ConsoleRequest_S::Command::List)
        printListing();
    else
        makePlan();
}

void ConsoleSession::printListing()
{
    ConsoleOut::resultBlock(SiteListing::text(m_pFace->siteModel()->rows().rows(), m_stRequest.strFormat));
    emit sigFinished(ExitDone);
}

// The one camera of `set` is planned as a plan file's line, so the same checks apply.
void ConsoleSession::makePlan()
{
    m_pPlan = new PlanCheck(m_pFace->siteModel(), this);
    connect(m_pPlan, &PlanCheck::sigReady, this, &ConsoleSession::planReady);
    if (m_stRequest.eCommand == ConsoleRequest_S::Command::Apply) {
        m_pPlan->planAddresses(m_listPlanLines, m_listPlanRefusals);
    } else if (m_stRequest.bDhcp) {
        m_pPlan->planDhcp(m_stRequest.strMac);
    } else {
        m_pPlan->planAddresses({{kSetLine, m_stRequest.strMac, m_stRequest.strAddress, m_stRequest.strMask,
                                 m_stRequest.strGateway, QString()}},
                               {});
    }
}

void ConsoleSession::planReady()
{
    for (const QString &strLine : planText(m_pPlan->lines()))
        ConsoleOut::result(strLine);
    const int nWrites = m_pPlan->writes().size();
    const int nStatus = m_pPlan->refusedCount() > 0 ? ExitFailed : ExitDone;
    if (nWrites == 0) {
        ConsoleOut::progress(kNothingToWrite);
        m_pFace->siteModel()->closePlan();
        emit sigFinished(nStatus);
        return;
    }
    if (!confirmed(nWrites)) {
        m_pFace->siteModel()->closePlan();
        return;
    }
    runBatch();
}

// Ends the command when the answer is not yes.
bool ConsoleSession::confirmed(int nWrites)
{
    if (m_stRequest.bYes)
        return true;
    switch (Confirmation::ask(nWrites)) {
    case Confirmation::Answer::Yes:
        return true;
    case Confirmation::Answer::NoTerminal:
        ConsoleOut::message(kNoTerminal);
        emit sigFinished(ExitUsage);
        return false;
    case Confirmation::Answer::No:
        break;
    }
    ConsoleOut::message(kDeclined);
    emit sigFinished(ExitFailed);
    return false;
}

void ConsoleSession::runBatch()
{
    const QList<BatchPlan::Entry_S> listWrites = m_pPlan->writes();
    const bool bRefused = m_pPlan->refusedCount() > 0;
    auto *pOutcome = new BatchOutcome(m_pFace->siteModel(), listWrites.size(), this);
    connect(pOutcome, &BatchOutcome::sigFinished, this,
            [this, bRefused](bool bAllBack) { emit sigFinished(bAllBack && !bRefused ? ExitDone : ExitFailed); });
    m_pFace->siteModel()->startBatch(listWrites, QString(), QString());
}
