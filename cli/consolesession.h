#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include "cli/consolerequest_s.h"
#include "site/planfile.h"

class ConsoleFace;
class PlanCheck;

/**
 * One command, from the search to its exit status: `list` prints the site once every row's
 * reads have ended; `set` and `apply` make the plan (PlanCheck), print it, ask (or take
 * --yes) and run it as the window's batch does: the checked write, the reboot, the proof.
 *
 * A usage error, a foreign --from or a file that is no plan ends it before anything is sent;
 * without a terminal to ask and without --yes nothing is written.
 */
class ConsoleSession : public QObject
{
    Q_OBJECT

public:
    ConsoleSession(const ConsoleRequest_S &stRequest, ConsoleFace *pFace, QObject *parent = nullptr);

    /// Starts the command; sigFinished follows, at once when it cannot start.
    void start();

signals:
    /// The command is over with @p nExitStatus (an ExitStatus).
    void sigFinished(int nExitStatus);

private:
    bool readPlanFile();
    void searchEnded();
    void printListing();
    void makePlan();
    void planReady();
    bool confirmed(int nWrites);
    void runBatch();

    ConsoleRequest_S m_stRequest;
    ConsoleFace *m_pFace = nullptr;
    PlanCheck *m_pPlan = nullptr;
    QList<PlanFile::Line_S> m_listPlanLines;
    QList<PlanFile::Refusal_S> m_listPlanRefusals;
};
