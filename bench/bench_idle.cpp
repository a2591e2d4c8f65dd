#include "BenchRegistry.h"

#include "DesktopProgram.h"
#include "MainWindow.h"
#include "Simulator.h"
#include "serial/QtSerialLink.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

namespace {

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void spin(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The desktop program polling a connected controller with its real 900 ms
// and 2500 ms timers. The simulator runs in the same process, so the figure
// is an upper bound for the program alone.
void benchIdle(QTextStream& out) {
    using namespace korvane;
    Simulator sim(SimModel(SimModel::Variant::Conservatory, 8, 8));
    if (!sim.start()) {
        out << "simulator did not start\n";
        return;
    }
    QTemporaryDir dir;
    QFile ini(dir.filePath(QStringLiteral("Korvane.ini")));
    if (!ini.open(QIODevice::WriteOnly))
        return;
    ini.write("1\r\nCOM1=" + sim.slavePath().toLocal8Bit() + "\r\n");
    ini.close();

    QtSerialLink link;
    DesktopProgram program(link, ini.fileName());
    program.window().show();
    spin(2000); // connect and settle
    const bool connected = program.session().isConnected();
    const double cpu0 = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    spin(10000);
    const double cpu = cpuSeconds() - cpu0;
    const double seconds = wall.nsecsElapsed() / 1e9;
    out << QStringLiteral("idle polling, %1: %2 s CPU in %3 s = %4 % of one core "
                          "(program and simulator together; target < 1 %)\n")
               .arg(connected ? QStringLiteral("connected") : QStringLiteral("NOT connected"))
               .arg(cpu, 0, 'f', 3)
               .arg(seconds, 0, 'f', 1)
               .arg(cpu / seconds * 100, 0, 'f', 2);
}

KORVANE_BENCH("idle polling", benchIdle);

} // namespace
