#include "app/consolecontrol.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include "app/hubwiring.h"
#include "app/mainmodel.h"
#include "cli/commandline.h"
#include "cli/consoleface.h"
#include "cli/consoleout.h"
#include "cli/consolesession.h"
#include "cli/exitstatus.h"
#include "cli/progresslines.h"
#include "net/chttp.h"
#include "net/commontool.h"

namespace {
const QString kVersionLine = QStringLiteral("%1 %2");
// The program's own debug lines are for developers; QT_LOGGING_RULES still turns them on.
const QString kQuietRules = QStringLiteral("default.debug=false");
} // namespace

ConsoleControl::ConsoleControl(QObject *parent)
    : QObject(parent)
{
    QLoggingCategory::setFilterRules(kQuietRules);
    m_pFace = new ConsoleFace;
    m_pMainModel = new MainModel;
    connectHub(m_pMainModel->getModifyModel(), m_pFace, m_pFace);
    connectOutcomes(m_pFace);
    CHttp::getInstance()->setReceiver(m_pMainModel);
}

// An SDK search still running would otherwise report into objects being destroyed.
ConsoleControl::~ConsoleControl()
{
    CommonTool::getInstance()->shutDown();
    delete m_pFace;
    m_pFace = nullptr;
    delete m_pMainModel;
    m_pMainModel = nullptr;
    CHttp::destroyInstance();
}

// The session may end before the event loop runs: its status is taken by a queued exit.
int ConsoleControl::run(const QStringList &listArguments)
{
    const CommandLine commandLine(listArguments);
    switch (commandLine.outcome()) {
    case CommandLine::Outcome::Help:
        ConsoleOut::resultBlock(commandLine.helpText());
        return ExitDone;
    case CommandLine::Outcome::Version:
        ConsoleOut::result(kVersionLine.arg(QCoreApplication::applicationName(), QCoreApplication::applicationVersion()));
        return ExitDone;
    case CommandLine::Outcome::UsageError:
        ConsoleOut::message(commandLine.error());
        return ExitUsage;
    case CommandLine::Outcome::Run:
        break;
    }
    ProgressLines progress(m_pFace->siteModel(), m_pFace->journal());
    ConsoleSession session(commandLine.request(), m_pFace);
    connect(&session, &ConsoleSession::sigFinished, QCoreApplication::instance(), &QCoreApplication::exit,
            Qt::QueuedConnection);
    session.start();
    return QCoreApplication::exec();
}
