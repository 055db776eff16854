#include "cli/confirmation.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>

namespace {
const QString kQuestion = QStringLiteral("Write %1 cameras? [y/N] ");
const QStringList kYes = {QStringLiteral("y"), QStringLiteral("yes")};
} // namespace

Confirmation::Answer Confirmation::ask(int nCameras)
{
    if (!isatty(STDIN_FILENO))
        return Answer::NoTerminal;
    QTextStream question(stderr);
    question << kQuestion.arg(nCameras);
    question.flush();
    QTextStream answer(stdin);
    return kYes.contains(answer.readLine().trimmed().toLower()) ? Answer::Yes : Answer::No;
}
