#include "cli/consoleout.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

const QString kMessage = QStringLiteral("%1: %2");

constexpr char kLineEnd = '\n';

void writeText(std::FILE *pStream, const QByteArray &baText)
{
    std::fwrite(baText.constData(), 1, size_t(baText.size()), pStream);
    std::fflush(pStream);
}

void writeLine(std::FILE *pStream, const QString &strText)
{
    writeText(pStream, strText.toUtf8() + kLineEnd);
}

} // namespace

void ConsoleOut::result(const QString &strText)
{
    writeLine(stdout, strText);
}

void ConsoleOut::resultBlock(const QString &strText)
{
    writeText(stdout, strText.toUtf8());
}

void ConsoleOut::progress(const QString &strText)
{
    writeLine(stderr, strText);
}

void ConsoleOut::message(const QString &strText)
{
    writeLine(stderr, kMessage.arg(QCoreApplication::applicationName(), strText));
}
