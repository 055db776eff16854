// kestrova-tour OUTDIR
//
// Runs inside the lab (tools/lab/kestrova-lab) on a display: starts the program, takes the
// tour of tour.h and writes its screenshots to OUTDIR. scripts/tour.sh sets it all up.
#include <QApplication>
#include <QDir>
#include <QTextStream>

#include "app/control.h"
#include "tools/tour/tour.h"

namespace {
constexpr int kExitUsage = 64;
constexpr int kExitFailed = 1;
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "usage: kestrova-tour OUTDIR\n";
        return kExitUsage;
    }
    const QDir outDir(QString::fromLocal8Bit(argv[1]));
    Control control;
    Tour tour(control, outDir);
    if (!tour.run()) {
        QTextStream(stderr) << "kestrova-tour: " << tour.error() << '\n';
        return kExitFailed;
    }
    return 0;
}
