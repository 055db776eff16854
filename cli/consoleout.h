#pragma once

#include <QString>

/**
 * The command line's two streams, in UTF-8, each line flushed at once: results on standard
 * output, progress and messages on standard error.
 */
class ConsoleOut
{
public:
    /// Writes @p strText and a line end to standard output.
    static void result(const QString &strText);
    /// Writes @p strText to standard output as it is, its line ends its own.
    static void resultBlock(const QString &strText);
    /// Writes @p strText (a line end added) to standard error.
    static void progress(const QString &strText);
    /// Writes @p strText to standard error as a message of the program's: "kestrova: ...".
    static void message(const QString &strText);

    ConsoleOut() = delete;
};
