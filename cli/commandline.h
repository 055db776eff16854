#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

#include "cli/consolerequest_s.h"

/**
 * The arguments of the program run as a command: `list`, `set` or `apply` with their
 * options, `--help` and `--version`. Each command takes only its own options; anything
 * else, a missing argument or a malformed value is a usage error.
 *
 * The help text names the application as QCoreApplication does, and the version is
 * QCoreApplication's.
 */
class CommandLine
{
public:
    /// What the arguments ask for.
    enum class Outcome { Run, Help, Version, UsageError };

    /// True when @p listArguments (the program's name first) ask for a command rather than
    /// the window: the first argument is no option, or any argument is a command word or
    /// asks for help or the version. Without arguments, or with only the window's Qt
    /// options, it is false.
    static bool isCommand(const QStringList &listArguments);

    /// Reads @p listArguments, the program's name first.
    explicit CommandLine(const QStringList &listArguments);

    Outcome outcome() const;
    /// The request, for Outcome::Run.
    ConsoleRequest_S request() const;
    /// Why the arguments are refused, for Outcome::UsageError.
    QString error() const;
    /// The text of --help: usage, commands, options and exit statuses.
    QString helpText() const;

private:
    void addOptions();
    QString readCommand();
    QString checkOptionsOf(const QList<const QCommandLineOption *> &listAllowed) const;
    QString readList();
    QString readSet();
    QString readApply();
    QString readOneArgument(const QString &strCommand, const QString &strWhat, QString *pArgument) const;
    QString readFrom();

    QCommandLineParser m_parser;
    QCommandLineOption m_optFrom;
    QCommandLineOption m_optFormat;
    QCommandLineOption m_optAddress;
    QCommandLineOption m_optMask;
    QCommandLineOption m_optGateway;
    QCommandLineOption m_optDhcp;
    QCommandLineOption m_optYes;
    QCommandLineOption m_optHelp;
    QCommandLineOption m_optVersion;
    Outcome m_outcome = Outcome::UsageError;
    ConsoleRequest_S m_stRequest;
    QString m_strError;
};
