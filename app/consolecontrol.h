#pragma once

#include <QObject>
#include <QStringList>

class ConsoleFace;
class MainModel;

/**
 * The composition root of the program run as a command (see cli/commandline.h), beside
 * Control, which builds the window: no display, no platform plugin, only a QCoreApplication.
 *
 * The constructor builds the model side and the hub's HTTP receiver as the window does,
 * makes the thirteen hub connections and the outcome connections with the same templates
 * (app/hubwiring.h) to the console's face in the device view's place. The destructor tears down in the
 * window's order: the face (with the site model), the model side, the HTTP client.
 */
class ConsoleControl : public QObject
{
    Q_OBJECT

public:
    explicit ConsoleControl(QObject *parent = nullptr);
    ~ConsoleControl() override;

    /// Runs the command of @p listArguments (the program's name first) to its end and
    /// returns the exit status; the application object must exist.
    int run(const QStringList &listArguments);

private:
    ConsoleFace *m_pFace = nullptr;
    MainModel *m_pMainModel = nullptr;
};
