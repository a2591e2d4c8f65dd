#include "BenchRegistry.h"

#include "MainWindow.h"
#include "SimulatedDesktop.h"

namespace {

using namespace bench;

// The desktop program polling a connected controller with its real 900 ms
// and 2500 ms timers. The simulator runs in the same process, so the figure
// is an upper bound for the program alone.
void benchIdle(QTextStream& out) {
    SimulatedDesktop desktop;
    if (!desktop.start(out))
        return;
    korvane::DesktopProgram& program = *desktop.program;
    program.window().show();
    spin(2000); // connect and settle
    const bool connected = program.session().isConnected();
    const IdleLoad load = measureIdle(10000);
    out << QStringLiteral("idle polling, %1: %2 s CPU in %3 s = %4 % of one core "
                          "(program and simulator together; target < 1 %)\n")
               .arg(connected ? QStringLiteral("connected") : QStringLiteral("NOT connected"))
               .arg(load.cpu, 0, 'f', 3)
               .arg(load.seconds, 0, 'f', 1)
               .arg(load.percentOfOneCore(), 0, 'f', 2);
}

KORVANE_BENCH("idle polling", benchIdle);

} // namespace
