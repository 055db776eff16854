#include <QApplication>

#include "app/control.h"

// The controller is destroyed before the application object: automatic objects go in
// reverse order of construction, after exec() has returned its value.
int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps, true);
    QApplication app(argc, argv);
    Control control;
    return app.exec();
}
