#include "cli/commandline.h"

#include <algorithm>

#include "site/macaddress.h"
#include "validate/addresscheck.h"

namespace {

const QString kList = QStringLiteral("list");
const QString kSet = QStringLiteral("set");
const QString kApply = QStringLiteral("apply");
const QStringList kCommands = {kList, kSet, kApply};
const QString kFrom = QStringLiteral("from");
const QString kFormat = QStringLiteral("format");
const QString kAddress = QStringLiteral("address");
const QString kMask = QStringLiteral("mask");
const QString kGateway = QStringLiteral("gateway");
const QString kDhcp = QStringLiteral("dhcp");
const QString kYes = QStringLiteral("yes");
const QString kHelp = QStringLiteral("help");
const QString kHelpShort = QStringLiteral("h");
const QString kVersion = QStringLiteral("version");
const QString kVersionShort = QStringLiteral("v");
const QString kYesShort = QStringLiteral("y");
const QString kShortDash = QStringLiteral("-");
const QString kLongDash = QStringLiteral("--");
const QString kTable = QStringLiteral("table");
const QStringList kFormats = {kTable, QStringLiteral("csv"), QStringLiteral("json")};
// The options that make the program a command even without one.
const QStringList kCommandOptions = {kShortDash + kHelpShort, kLongDash + kHelp, kShortDash + kVersionShort,
                                     kLongDash + kVersion};

const QString kDescription = QStringLiteral(
    "Finds IP cameras on the local network and changes their network settings.\n"
    "Without a command it opens the window; with one it needs no display.\n"
    "\n"
    "Commands:\n"
    "  list [--from ADDRESS] [--format table|csv|json]\n"
    "      search once and list every camera with its settings, firmware and state\n"
    "  set MAC --address A --mask M --gateway G [--from ADDRESS] [--yes]\n"
    "  set MAC --dhcp [--from ADDRESS] [--yes]\n"
    "      give the camera with this MAC a static address, or DHCP\n"
    "  apply PLAN.csv [--from ADDRESS] [--yes]\n"
    "      give the cameras of a plan file (columns mac, address, mask, gateway,\n"
    "      optionally label) their addresses\n"
    "\n"
    "A write is checked, written, the camera rebooted and seen back at its new address.\n"
    "Progress goes to standard error, results to standard output.\n"
    "\n"
    "Exit status: 0 done (every camera written is back), 1 a camera failed, was not\n"
    "found or was refused, 2 usage error (nothing written), 3 --from is not one of\n"
    "this computer's addresses.");

const QString kMsgNoCommand = QStringLiteral("no command given: list, set or apply (see --help)");
const QString kMsgUnknownCommand = QStringLiteral("unknown command \"%1\": list, set or apply (see --help)");
const QString kMsgNotForCommand = QStringLiteral("the option %1 does not go with %2");
const QString kMsgExtraArguments = QStringLiteral("%1 takes %2, not: %3");
const QString kMsgMissingArgument = QStringLiteral("%1 needs %2");
const QString kMsgNothing = QStringLiteral("no other argument");
const QString kMsgOneMac = QStringLiteral("one MAC");
const QString kMsgOnePlan = QStringLiteral("one plan file");
const QString kMsgBadFormat = QStringLiteral("unknown format \"%1\": table, csv or json");
const QString kMsgBadMac = QStringLiteral("\"%1\" is no MAC address");
const QString kMsgStaticOrDhcp = QStringLiteral("set needs --address, --mask and --gateway, or --dhcp alone");
const QString kMsgBadFrom = QStringLiteral("--from needs an IPv4 address such as 192.168.1.10, not \"%1\"");
const QString kArgumentSeparator = QStringLiteral(" ");

} // namespace

bool CommandLine::isCommand(const QStringList &listArguments)
{
    const QStringList listGiven = listArguments.mid(1);
    if (listGiven.isEmpty())
        return false;
    return !listGiven.first().startsWith(kShortDash)
        || std::any_of(listGiven.cbegin(), listGiven.cend(), [](const QString &strArgument) {
               return kCommandOptions.contains(strArgument) || kCommands.contains(strArgument);
           });
}

CommandLine::CommandLine(const QStringList &listArguments)
    : m_optFrom(kFrom, QStringLiteral("Search from this address of the computer (default: its only private IPv4 address)."),
                QStringLiteral("ADDRESS"))
    , m_optFormat(kFormat, QStringLiteral("list: table (default), csv or json."), QStringLiteral("FORMAT"), kTable)
    , m_optAddress(kAddress, QStringLiteral("set: the new static address."), QStringLiteral("A"))
    , m_optMask(kMask, QStringLiteral("set: the new subnet mask."), QStringLiteral("M"))
    , m_optGateway(kGateway, QStringLiteral("set: the new gateway."), QStringLiteral("G"))
    , m_optDhcp(kDhcp, QStringLiteral("set: DHCP instead of a static address."))
    , m_optYes(QStringList{kYesShort, kYes}, QStringLiteral("set, apply: write without asking."))
    , m_optHelp(QStringList{kHelpShort, kHelp}, QStringLiteral("Show this help."))
    , m_optVersion(QStringList{kVersionShort, kVersion}, QStringLiteral("Show the version."))
{
    addOptions();
    if (!m_parser.parse(listArguments)) {
        m_strError = m_parser.errorText();
        return;
    }
    if (m_parser.isSet(m_optHelp)) {
        m_outcome = Outcome::Help;
        return;
    }
    if (m_parser.isSet(m_optVersion)) {
        m_outcome = Outcome::Version;
        return;
    }
    m_strError = readCommand();
    if (m_strError.isEmpty())
        m_strError = readFrom();
    if (m_strError.isEmpty())
        m_outcome = Outcome::Run;
}

CommandLine::Outcome CommandLine::outcome() const
{
    return m_outcome;
}

ConsoleRequest_S CommandLine::request() const
{
    return m_stRequest;
}

QString CommandLine::error() const
{
    return m_strError;
}

QString CommandLine::helpText() const
{
    return m_parser.helpText();
}

void CommandLine::addOptions()
{
    m_parser.setApplicationDescription(kDescription);
    m_parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("list, set or apply"),
                                   QStringLiteral("command [MAC | PLAN.csv]"));
    m_parser.addOptions({m_optFrom, m_optFormat, m_optAddress, m_optMask, m_optGateway, m_optDhcp, m_optYes,
                         m_optHelp, m_optVersion});
}

QString CommandLine::readCommand()
{
    const QStringList listPositional = m_parser.positionalArguments();
    if (listPositional.isEmpty())
        return kMsgNoCommand;
    const QString &strCommand = listPositional.first();
    if (strCommand == kList)
        return readList();
    if (strCommand == kSet)
        return readSet();
    if (strCommand == kApply)
        return readApply();
    return kMsgUnknownCommand.arg(strCommand);
}

// The first option given that is none of @p listAllowed, as a usage error.
QString CommandLine::checkOptionsOf(const QList<const QCommandLineOption *> &listAllowed) const
{
    const QStringList listGiven = m_parser.optionNames();
    for (const QString &strName : listGiven) {
        const bool bAllowed = std::any_of(listAllowed.cbegin(), listAllowed.cend(), [&](const QCommandLineOption *pOption) {
            return pOption->names().contains(strName);
        });
        if (!bAllowed)
            return kMsgNotForCommand.arg((strName.size() == 1 ? kShortDash : kLongDash) + strName,
                                         m_parser.positionalArguments().first());
    }
    return QString();
}

QString CommandLine::readList()
{
    m_stRequest.eCommand = ConsoleRequest_S::Command::List;
    const QStringList listExtra = m_parser.positionalArguments().mid(1);
    if (!listExtra.isEmpty())
        return kMsgExtraArguments.arg(kList, kMsgNothing, listExtra.join(kArgumentSeparator));
    const QString strWhy = checkOptionsOf({&m_optFrom, &m_optFormat});
    if (!strWhy.isEmpty())
        return strWhy;
    m_stRequest.strFormat = m_parser.value(m_optFormat);
    return kFormats.contains(m_stRequest.strFormat) ? QString() : kMsgBadFormat.arg(m_stRequest.strFormat);
}

QString CommandLine::readSet()
{
    m_stRequest.eCommand = ConsoleRequest_S::Command::Set;
    QString strMac;
    QString strWhy = readOneArgument(kSet, kMsgOneMac, &strMac);
    if (strWhy.isEmpty())
        strWhy = checkOptionsOf({&m_optFrom, &m_optYes, &m_optAddress, &m_optMask, &m_optGateway, &m_optDhcp});
    if (!strWhy.isEmpty())
        return strWhy;
    m_stRequest.strMac = MacAddress::cameraForm(strMac);
    if (m_stRequest.strMac.isEmpty())
        return kMsgBadMac.arg(strMac);
    m_stRequest.bDhcp = m_parser.isSet(m_optDhcp);
    m_stRequest.bYes = m_parser.isSet(m_optYes);
    int nStaticGiven = 0;
    for (const QCommandLineOption *pOption : {&m_optAddress, &m_optMask, &m_optGateway})
        nStaticGiven += m_parser.isSet(*pOption) ? 1 : 0;
    if (m_stRequest.bDhcp ? nStaticGiven != 0 : nStaticGiven != 3)
        return kMsgStaticOrDhcp;
    m_stRequest.strAddress = m_parser.value(m_optAddress);
    m_stRequest.strMask = m_parser.value(m_optMask);
    m_stRequest.strGateway = m_parser.value(m_optGateway);
    return QString();
}

QString CommandLine::readApply()
{
    m_stRequest.eCommand = ConsoleRequest_S::Command::Apply;
    QString strWhy = readOneArgument(kApply, kMsgOnePlan, &m_stRequest.strPlanPath);
    if (strWhy.isEmpty())
        strWhy = checkOptionsOf({&m_optFrom, &m_optYes});
    if (!strWhy.isEmpty())
        return strWhy;
    m_stRequest.bYes = m_parser.isSet(m_optYes);
    return QString();
}

// The one argument @p strCommand takes after its name (@p strWhat, for the message) into
// @p pArgument; a usage error when there is none or more than one.
QString CommandLine::readOneArgument(const QString &strCommand, const QString &strWhat, QString *pArgument) const
{
    const QStringList listArguments = m_parser.positionalArguments().mid(1);
    if (listArguments.isEmpty())
        return kMsgMissingArgument.arg(strCommand, strWhat);
    if (listArguments.size() > 1)
        return kMsgExtraArguments.arg(strCommand, strWhat, listArguments.join(kArgumentSeparator));
    *pArgument = listArguments.first();
    return QString();
}

QString CommandLine::readFrom()
{
    m_stRequest.strFrom = m_parser.value(m_optFrom);
    if (m_parser.isSet(m_optFrom) && !isDottedQuadIpv4(m_stRequest.strFrom))
        return kMsgBadFrom.arg(m_stRequest.strFrom);
    return QString();
}
