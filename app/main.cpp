#include <QApplication>
#include <QCoreApplication>
#include <QStringList>

#include "app/consolecontrol.h"
#include "app/control.h"
#include "cli/commandline.h"

namespace {

const QString kApplicationName = QStringLiteral("kestrova");

QStringList argumentList(int argc, char *argv[])
{
    QStringList listArguments;
    for (int nArgument = 0; nArgument < argc; ++nArgument)
        listArguments.append(QString::fromLocal8Bit(argv[nArgument]));
    return listArguments;
}

// A command needs no display: no QApplication, no platform plugin.
int runCommand(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    ConsoleControl console;
    return console.run(QCoreApplication::arguments());
}

// The controller is destroyed before the application object: automatic objects go in
// reverse order of construction, after exec() has returned its value.
int runWindow(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps, true);
    QApplication app(argc, argv);
    Control control;
    return app.exec();
}

} // namespace

// Both faces carry one name, whatever the executable is called: the settings, the journal's
// folder and --version all take it.
int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationName(kApplicationName);
    QCoreApplication::setApplicationVersion(QStringLiteral(KESTROVA_VERSION));
    return CommandLine::isCommand(argumentList(argc, argv)) ? runCommand(argc, argv) : runWindow(argc, argv);
}
