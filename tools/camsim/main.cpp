#include <QCoreApplication>
#include <QTextStream>

#include <csignal>
#include <sys/prctl.h>

#include "tools/camsim/camerafleet.h"
#include "tools/camsim/camsim.h"
#include "tools/camsim/camsimoptions.h"

namespace {

constexpr int kUsageError = 64;
constexpr int kStartError = 2;

int printAddresses(const CamSimConfig_S &stConfig)
{
    QTextStream out(stdout);
    for (const QString &strAddress : CameraFleet(stConfig).plannedAddresses())
        out << strAddress << '\n';
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kestrova-camsim"));
    CamSimOptions options;
    if (!options.parse(QCoreApplication::arguments())) {
        QTextStream(stderr) << "kestrova-camsim: " << options.errorText() << '\n';
        return kUsageError;
    }
    if (options.config().bPrintAddresses)
        return printAddresses(options.config());
    // A harness that crashes must not leave cameras holding its ports.
    if (options.config().bExitWithParent)
        prctl(PR_SET_PDEATHSIG, SIGTERM);
    CamSim sim(options.config());
    if (!sim.start())
        return kStartError;
    return app.exec();
}
